#!/usr/bin/env bash
# Runs a Windows program under Wine in a session of its own without an X display.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
wineserver -k 2>/dev/null
wineserver -w
env -u DISPLAY -u WAYLAND_DISPLAY wine "$@"
status=$?
wineserver -k 2>/dev/null
wineserver -w
exit $status
