#!/usr/bin/env bash
# Runs a command with an X display: the user's own when DISPLAY is set, else a
# virtual one (Xvfb). Starts a wineserver for the whole command, so that each
# Wine start inside it is quick (it ends by itself shortly after its last
# client, so concurrent runs never end each other's programs).
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/build/wineprefix}" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# Start the server and Wine's own services now, away from the command's
# output: started by a test, they would hold its pipe open until they end.
wineserver -p15 2>/dev/null
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
