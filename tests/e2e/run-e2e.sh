#!/usr/bin/env bash
# Runs the end-to-end harness in a Wine prefix of its own, made fresh for
# every run from the project's prefix (build/wineprefix) by
# tools/wine-prefix-copy.sh:
#   run-e2e.sh <work folder> <harness .exe> [harness arguments]
# The prefix lives in <work folder>/prefix.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1" && work=$(cd "$1" && pwd) || exit 1
shift
harness=$1; shift
prefix="$work/prefix"
bash "$top/tools/wine-prefix-copy.sh" "${KV_BASE_WINEPREFIX:-$top/build/wineprefix}" "$prefix" || exit 1

export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The virtual display runs no window manager: Wine would wait two seconds for
# one each time it hides a managed window (every box, the frame at exit).
# Windows of this prefix are left unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine "$harness" "$@"
status=$?
# Whatever the harness left running in its prefix (a program that would not
# end) goes with the prefix's own server.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $status
