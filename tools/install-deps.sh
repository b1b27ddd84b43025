#!/bin/bash
# Installs what the two builds and the test tiers need, when it is missing.
set -e
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
# The virtual display's window manager, and xprop to see it has started.
command -v openbox >/dev/null || need+=(openbox)
command -v xprop >/dev/null || need+=(x11-utils)
command -v import >/dev/null || need+=(imagemagick)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v clang++ >/dev/null || need+=(clang)
[ -d /usr/src/googletest ] || need+=(googletest)
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
command -v python3 >/dev/null || need+=(python3)
command -v makensis >/dev/null || need+=(nsis)
# The skin is drawn with rsvg-convert in DejaVu Sans (and its condensed cut for key legends).
command -v rsvg-convert >/dev/null || need+=(librsvg2-bin)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf ] || need+=(fonts-dejavu-core)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf ] || need+=(fonts-dejavu-extra)
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "Please install: ${need[*]} (for example: sudo apt-get install ${need[*]})" >&2
  exit 1
fi
echo "Installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq "${need[@]}" >/dev/null
