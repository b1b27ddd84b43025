#!/bin/sh
# Starts (and primes) or ends the persistent Wine server that the Windows test tiers share.
case "$1" in
  start)
    wineserver -p </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    exit 0 ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1
    exit 0 ;;
esac
echo "usage: $0 start|stop" >&2
exit 2
