#!/usr/bin/env bash
# Makes a fresh Wine prefix from the project's one, for one test run:
#   wine-prefix-copy.sh <base prefix> <new prefix>
# The Windows system files (about 630 MB) are hard links into the base prefix,
# which Wine only reads; everything else (registry, user folders, the rest of
# C:) is copied, so a run starts from the same state and leaves the base
# untouched. It takes well under a second; the new prefix's first Wine start
# about two. A prefix left by a stopped run is ended and removed first.
set -u
base=$1 prefix=$2
if [ ! -f "$base/system.reg" ]; then
  echo "wine-prefix-copy: no Wine prefix at $base (make setup makes it)" >&2
  exit 1
fi
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
) || { echo "wine-prefix-copy: could not make the prefix in $prefix" >&2; exit 1; }
