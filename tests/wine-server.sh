#!/bin/bash
# Starts or ends what the Windows test tiers share: a persistent, primed Wine server and a
# virtual X display with a window manager (the display's number is written to <dir>/xvfb-display
# for the end-to-end tests).
dir=$(realpath "${2:-.}")
root=$(dirname "$dir")
export WINEPREFIX=${WINEPREFIX:-$root/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export HOME=$root/winehome
mkdir -p "$HOME/Desktop"
case "$1" in
  start)
    mkdir -p "$dir"
    if [ ! -s "$dir/xvfb-display" ] || ! kill -0 "$(cat "$dir/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
      for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        echo $! >"$dir/xvfb.pid"
        for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        echo ":$n" >"$dir/xvfb-display"
        break
      done
    fi
    export DISPLAY=$(cat "$dir/xvfb-display")
    wineserver -p </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    # A window manager, as on every user's desktop: without one, Wine waits 2 s at every hide
    # of a managed window for a manager to confirm it, and blocks the hiding thread meanwhile.
    if ! kill -0 "$(cat "$dir/openbox.pid" 2>/dev/null)" 2>/dev/null; then
      openbox --sm-disable </dev/null >/dev/null 2>&1 &
      echo $! >"$dir/openbox.pid"
      for _ in $(seq 1 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
    fi
    exit 0 ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1
    [ -s "$dir/openbox.pid" ] && kill "$(cat "$dir/openbox.pid")" 2>/dev/null
    [ -s "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
    rm -f "$dir/xvfb.pid" "$dir/xvfb-display" "$dir/openbox.pid"
    exit 0 ;;
esac
echo "usage: $0 start|stop [dir]" >&2
exit 2
