// Tool tips, the one common control we use. The system library behind them is loaded when the
// first tool tip is made rather than at start-up: under Wine it registers two dozen window classes
// and loads the theme engine as it starts, which cost start-up more than anything else it loaded.
#pragma once

#include <windows.h>

namespace ui {

// A tool-tip window owned by `owner` that always shows (even over an inactive window) and shows
// '&' as itself, since a tip may name a file; null when the system cannot make one.
HWND CreateTooltipWindow(HWND owner);

}  // namespace ui
