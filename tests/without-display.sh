#!/usr/bin/env bash
# Runs a Windows program under Wine without an X display. A Wine server keeps
# the display of the session that started it, so the program runs in a
# prefix of its own, whose server never has one; programs running in the
# build's prefix are left alone.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}-nodisplay WINEDEBUG=${WINEDEBUG:--all}
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  WINEARCH=win64 wineboot --init >/dev/null 2>&1
  wineserver -w
fi
exec wine "$@"
