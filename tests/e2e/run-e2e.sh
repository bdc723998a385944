#!/usr/bin/env bash
# Runs the end-to-end harness in a Wine prefix of its own, made fresh for
# every run from the project's prefix (build/wineprefix):
#   run-e2e.sh <work folder> <harness .exe> [harness arguments]
# The prefix lives in <work folder>/prefix. The Windows system files (about
# 630 MB) are hard links into the project's prefix, which Wine only reads;
# everything else (registry, user folders, the rest of C:) is copied, so a run
# starts from the same state and leaves the project's prefix untouched. Making
# the prefix takes well under a second; its first Wine start about two.
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1" && work=$(cd "$1" && pwd) || exit 1
shift
harness=$1; shift
base="${KV_BASE_WINEPREFIX:-$top/build/wineprefix}"
if [ ! -f "$base/system.reg" ]; then
  echo "run-e2e: no Wine prefix at $base (make setup makes it)" >&2
  exit 1
fi

prefix="$work/prefix"
# A run that was stopped may have left programs in the old prefix.
if [ -f "$prefix/system.reg" ]; then
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w 2>/dev/null
fi
rm -rf "$prefix"
mkdir -p "$prefix/drive_c/windows"
(
  set -e
  cd "$base"
  cp -a dosdevices ./*.reg .update-timestamp "$prefix/"
  for entry in drive_c/* drive_c/windows/*; do
    case "$entry" in
      drive_c/windows) ;;
      drive_c/windows/system32) cp -al "$entry" "$prefix/drive_c/windows/" ;;
      *) cp -a "$entry" "$prefix/$(dirname "$entry")/" ;;
    esac
  done
) || { echo "run-e2e: could not make the prefix in $prefix" >&2; exit 1; }

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
