#!/usr/bin/env bash
# Runs a command on a virtual X display (Xvfb) of its own, so that test
# programs run side by side never see each other's windows:
#   own-display.sh COMMAND...
# The display number is the first free one, chosen by Xvfb itself.
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
xvfb=$!
number=$(head -n1 < "$fifo")
rm -f "$fifo"
if [ -z "$number" ]; then
  echo "own-display: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$number"
"$@"
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
