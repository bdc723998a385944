#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix and on a display of its
# own, so that ctest can run several at once (each program changes its own
# registry and opens its own windows):
#   wine-test.sh PROGRAM.exe [arguments]
# The prefix is made from the project's (build/wineprefix) in
# ./wine-tests/<program>/prefix of the test's working folder; at the end its
# Wine server is stopped, which ends anything the program left running.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
program=$1
name=$(basename "$program" .exe)
prefix="$PWD/wine-tests/$name/prefix"
bash "$top/tools/wine-prefix-copy.sh" "${KV_BASE_WINEPREFIX:-$top/build/wineprefix}" "$prefix" || exit 1
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
run() {
  wine "$@"
  local status=$?
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  return $status
}
bash "$top/tools/own-display.sh" bash -c "$(declare -f run); run \"\$@\"" run "$@"
