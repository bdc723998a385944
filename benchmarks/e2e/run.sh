#!/bin/bash
# The end-to-end benchmark in one command: the project's scores engraved as
# pages (cached in PAGES, made again only when a score changed), every page
# read through the whole path to MusicXML by the Release build's e2e_bench,
# and each export compared with its score by tools/compare_scores.py.
#
#   benchmarks/e2e/run.sh [PAGES (default build/e2e-pages)] [--only NAME,...]
set -euo pipefail
cd "$(dirname "$0")/../.."
pages=build/e2e-pages
if [[ $# -gt 0 && $1 != --* ]]; then pages=$1; shift; fi
jobs=${JOBS:-2}
[[ -f build/bench/build.ninja ]] || cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j"$jobs" --target e2e_bench
benchmarks/e2e/engrave_scores.py "$pages" "$@"
build/bench/benchmarks/e2e_bench "$pages" "$pages/read" >/dev/null
tools/compare_scores.py --results "$pages/read/results.txt" --root "$pages"
