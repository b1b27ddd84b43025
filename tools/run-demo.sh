#!/bin/bash
# Starts Velkor from a program folder under Wine. With a display it runs until closed; without
# one it starts a virtual display with a window manager, saves a screenshot of the main window
# and says where.
set -u
folder=$(realpath "${1:-build/dist/demo}")
build=$(realpath "$(dirname "$folder")/..")
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
wine=/usr/lib/wine/wine64

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$wine" "$folder/Velkor.exe"
fi

for n in $(seq 140 180); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
# A window manager, as on a desktop (without one Wine waits 2 s for it at every hide).
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'wineserver -k >/dev/null 2>&1; kill $wm $xvfb 2>/dev/null' EXIT

"$wine" "$folder/Velkor.exe" </dev/null >/dev/null 2>&1 &
app=$!
title="Keyboard Driver"
win=""
for _ in $(seq 1 300); do
  win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  kill -0 $app 2>/dev/null || break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "Velkor showed no window (see Log.txt with Debug=2 in $folder/cfg.ini)" >&2
  exit 1
fi
shot="$build/run-screenshot.png"
# The window is mapped before its first paint arrives: take pictures until one is not blank.
for _ in $(seq 1 50); do
  import -window "$win" "$shot"
  [ "$(convert "$shot" -format '%[fx:maxima.r+maxima.g+maxima.b>0]' info: 2>/dev/null)" = 1 ] && break
  sleep 0.1
done
echo "Velkor is running on the virtual display $DISPLAY; screenshot of the main window: $shot"
kill $app 2>/dev/null
