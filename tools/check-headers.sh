#!/bin/bash
# Two rules keep the layers honest:
# - portable code includes no Windows header: only files whose name ends in _win (and the Windows
#   halves of the platform seam and the DLLs) may;
# - a subsystem includes only its own folder and the folders below it, in the order
#   platform < records < log < config < profile < macro < device < controls < dialogs < app.
cd "$(dirname "$0")/.."
status=0
bad=$(grep -rliE '#\s*include\s*[<"](windows|winuser|winbase|windef|wingdi|shellapi|shlobj|shlwapi|commctrl|commdlg|setupapi|hidsdi|hidpi|dbt|tlhelp32|gdiplus|objbase|ole2|winerror|mmsystem|uxtheme|psapi)\.h[>"]' \
        src tests/unit fuzz tools 2>/dev/null \
      | grep -vE '(_win\.(cpp|h)$|/win32/)' || true)
if [ -n "$bad" ]; then
  echo "Windows headers in portable files (name them *_win.cpp / *_win.h):" >&2
  echo "$bad" >&2
  status=1
fi

layers=(platform lodrex vorlax records log config profile macro device controls dialogs app)
rank() { local i; for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
upward=$(
  for file in $(find src -name '*.cpp' -o -name '*.h'); do
    own=$(echo "$file" | cut -d/ -f2)
    own_rank=$(rank "$own")
    grep -oE '^\s*#\s*include\s*"[a-z_]+/' "$file" | sed -E 's/.*"([a-z_]+)\//\1/' | sort -u |
      while read -r dep; do
        dep_rank=$(rank "$dep")
        if [ "$dep_rank" -gt "$own_rank" ]; then echo "$file includes $dep/ (above $own/)"; fi
      done
  done)
if [ -n "$upward" ]; then
  echo "Includes that reach up a layer:" >&2
  echo "$upward" >&2
  status=1
fi
[ $status = 0 ] && echo "check-headers: portable files include no Windows header; every include points down"
exit $status
