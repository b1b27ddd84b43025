#!/bin/bash
# Portable code must not include a Windows header: only files whose name ends in _win (and the
# Windows halves of the platform seam and the DLLs) may.
cd "$(dirname "$0")/.."
bad=$(grep -rliE '#\s*include\s*[<"](windows|winuser|winbase|windef|wingdi|shellapi|shlobj|shlwapi|commctrl|commdlg|setupapi|hidsdi|hidpi|dbt|tlhelp32|gdiplus|objbase|ole2|winerror|mmsystem)\.h[>"]' \
        src tests/unit fuzz tools 2>/dev/null \
      | grep -vE '(_win\.(cpp|h)$|/win32/)' || true)
if [ -n "$bad" ]; then
  echo "Windows headers in portable files (name them *_win.cpp / *_win.h):" >&2
  echo "$bad" >&2
  exit 1
fi
echo "check-headers: portable files include no Windows header"
