#include "controls/common_controls_win.h"

#include <commctrl.h>

namespace ui {
namespace {

// Registers every common control class, once per process, as start-up used to.
bool LoadCommonControls() {
  static const bool loaded = [] {
    HMODULE library = LoadLibraryW(L"comctl32.dll");
    if (!library) return false;
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    if (!init) return false;
    INITCOMMONCONTROLSEX classes;
    classes.dwSize = 8;
    classes.dwICC = 0xFF;
    return init(&classes) != FALSE;
  }();
  return loaded;
}

}  // namespace

HWND CreateTooltipWindow(HWND owner) {
  if (!LoadCommonControls()) return nullptr;
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace ui
