#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer: builds the "fuzz" preset (clang, ASan +
# UBSan) and the native replay program (which makes the seeds with the
# program's own writers), then runs each target for the given time.
#
#   tools/fuzz.sh SECONDS [target ...]     # every target when none is named
#
# Corpora grow in build/fuzz-corpus/<target>/; inputs that fail are saved in
# build/fuzz-findings/<target>/ (copy one into fuzz/regressions/<target>/
# once its fault is mended, so every test run replays it). At most
# KV_FUZZ_JOBS targets run at once (default: half the cores).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${1:?usage: tools/fuzz.sh SECONDS [target ...]}
shift
jobs=${KV_FUZZ_JOBS:-$(( ($(nproc) + 1) / 2 ))}

bash tools/setup.sh
# Debian's clang and its libFuzzer runtime, only for fuzzing.
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$p"; }
done
cmake --preset native >/dev/null
cmake --build --preset native --target kv_fuzz_replay
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

replay=build/native/fuzz/kv_fuzz_replay
targets=("$@")
[ ${#targets[@]} -gt 0 ] || mapfile -t targets < <("$replay" --list)
"$replay" --seeds build/fuzz-seeds --make-seeds-only "${targets[@]}"

run_one() {
  local name=$1 corpus=build/fuzz-corpus/$1 findings=build/fuzz-findings/$1
  mkdir -p "$corpus" "$findings"
  # Regression inputs join the start corpus too.
  build/fuzz/fuzz/*/kv_fuzz_"$name" "$corpus" build/fuzz-seeds/"$name" \
    $( [ -d fuzz/regressions/"$name" ] && echo fuzz/regressions/"$name" ) \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
    -rss_limit_mb=4096 -timeout=60 >"build/fuzz-logs/$name.log" 2>&1
}
mkdir -p build/fuzz-logs
status=0
pids=() names=()
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  run_one "$name" & pids+=($!) names+=("$name")
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then result=clean; else result=FINDING; status=1; fi
  log="build/fuzz-logs/${names[$i]}.log"
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | awk '{print $2}')
  printf '%-24s %-8s executions %-10s coverage %-6s features %s\n' "${names[$i]}" "$result" "${execs:-?}" "${cov:-?}" "${ft:-?}"
done
exit $status
