#!/bin/bash
# Starts or ends what the Windows test tiers share: a persistent, primed Wine server and a
# virtual X display (its number is written to <dir>/xvfb-display for the end-to-end tests).
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
    # The Wine test programs' windows are left unmanaged: with no window manager running, Wine
    # waits 2 s at every hide for one to confirm it. Velkor and the end-to-end probe keep the
    # default, as on a user's desktop.
    reg="$dir/unmanaged-tests.reg"
    {
      echo 'REGEDIT4'
      for exe in "$dir"/tests/win_*.exe; do
        [ -e "$exe" ] || continue
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\n"Managed"="N"\n' "$(basename "$exe")"
      done
    } >"$reg"
    /usr/lib/wine/wine64 regedit /S "Z:${reg//\//\\}" </dev/null >/dev/null 2>&1
    exit 0 ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1
    [ -s "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
    rm -f "$dir/xvfb.pid" "$dir/xvfb-display"
    exit 0 ;;
esac
echo "usage: $0 start|stop [dir]" >&2
exit 2
