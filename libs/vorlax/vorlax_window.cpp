// The pop-up window: a topmost tool window that is never activated and holds the mouse while it
// is open, so that it follows the pointer and sees a press anywhere else. Items are painted over
// the skin's bitmaps, or in flat dark colours when a bitmap is missing.
#include "vorlax_internal.h"

#include <cwchar>

namespace vorlax {

namespace {

ATOM g_Class = 0;

const wchar_t* ClassName() { return reinterpret_cast<const wchar_t*>(kVorlaxMenuClass); }

// The flat look, used where the skin has no bitmap.
constexpr COLORREF kFlatNormal = RGB(0x24, 0x25, 0x29);
constexpr COLORREF kFlatHover = RGB(0x35, 0x3A, 0x44);
constexpr COLORREF kFlatDown = RGB(0x1C, 0x2E, 0x3F);
constexpr COLORREF kSeparatorLine = RGB(0x3B, 0x41, 0x4D);
constexpr int kAccentBar = 3;
constexpr int kTextLeft = 10;
constexpr int kTextRight = 8;
constexpr int kSubIndent = 12;
// Columns at each end of a skin bitmap kept unstretched, so rounded or bevelled ends survive.
constexpr int kImageEdge = 4;

enum ImageState { kImageNormal, kImageHover, kImageDown, kImageDisabled, kImageStates };

void FillRect(HDC dc, const RECT& rc, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  ::FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Stretches the bitmap over rc in three slices: both ends at their own width, the middle
// stretched. False when there is no bitmap to draw.
bool DrawImage(HDC dc, HBITMAP bitmap, const RECT& rc) {
  BITMAP info;
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth < 1 || info.bmHeight < 1) return false;
  HGDIOBJ old = SelectObject(g_Menu.imageDc, bitmap);
  int w = rc.right - rc.left;
  int h = rc.bottom - rc.top;
  int edge = kImageEdge;
  if (info.bmWidth < 3 * edge || w < 2 * edge) edge = 0;
  SetStretchBltMode(dc, COLORONCOLOR);
  if (edge) {
    StretchBlt(dc, rc.left, rc.top, edge, h, g_Menu.imageDc, 0, 0, edge, info.bmHeight, SRCCOPY);
    StretchBlt(dc, rc.right - edge, rc.top, edge, h, g_Menu.imageDc, info.bmWidth - edge, 0, edge,
               info.bmHeight, SRCCOPY);
  }
  StretchBlt(dc, rc.left + edge, rc.top, w - 2 * edge, h, g_Menu.imageDc, edge, 0,
             info.bmWidth - 2 * edge, info.bmHeight, SRCCOPY);
  SelectObject(g_Menu.imageDc, old);
  return true;
}

void DrawItem(HDC dc, int index, const RECT& rc) {
  const VorlaxItem& item = g_Menu.items[index];
  bool sub = item.dwState == kVorlaxItemSub;
  bool down = index == g_Menu.pressed && index == g_Menu.hover;
  bool hover = index == g_Menu.hover;
  ImageState image = down ? kImageDown : hover ? kImageHover : kImageNormal;
  TextState text = down ? kTextDown : hover ? kTextHover : kTextNormal;

  if (!DrawImage(dc, g_Skin.bitmaps[(sub ? kImageStates : 0) + image], rc)) {
    FillRect(dc, rc, down ? kFlatDown : hover ? kFlatHover : kFlatNormal);
    if (hover) FillRect(dc, RECT{rc.left, rc.top, rc.left + kAccentBar, rc.bottom}, g_Menu.text[kTextDown]);
  }

  // The caption is read up to its terminator or its last unit, whichever comes first.
  const wchar_t* caption = reinterpret_cast<const wchar_t*>(item.szText);
  int length = static_cast<int>(wcsnlen(caption, kVorlaxCaptionChars));
  RECT textRc{rc.left + kTextLeft + (sub ? kSubIndent : 0), rc.top, rc.right - kTextRight, rc.bottom};
  SetTextColor(dc, g_Menu.text[text]);
  DrawTextW(dc, caption, length, &textRc, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void DrawSeparator(HDC dc, const RECT& rc) {
  if (!DrawImage(dc, g_Skin.bitmaps[kImageNormal], rc)) FillRect(dc, rc, kFlatNormal);
  const int y = (rc.top + rc.bottom) / 2;
  FillRect(dc, RECT{rc.left + kTextLeft, y, rc.right - kTextRight, y + 1}, kSeparatorLine);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HDC back = g_Menu.backDc;
  HGDIOBJ oldFont = SelectObject(back, g_Font);
  SetBkMode(back, TRANSPARENT);
  int count = static_cast<int>(g_Menu.items.size());
  for (int i = 0, top = 0; i < count; top += RowHeight(i), ++i) {
    RECT rc{0, top, client.right, top + RowHeight(i)};
    if (IsSeparator(i)) DrawSeparator(back, rc);
    else DrawItem(back, i, rc);
  }
  if (g_Menu.framed) {
    SetDCBrushColor(back, g_Menu.frame);
    FrameRect(back, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  SelectObject(back, oldFont);
  BitBlt(dc, 0, 0, client.right, client.bottom, back, 0, 0, SRCCOPY);
  EndPaint(window, &ps);
}

bool Inside(HWND window, LPARAM point) {
  RECT client;
  GetClientRect(window, &client);
  POINT pt{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  return PtInRect(&client, pt) != FALSE;
}

int ItemAtPoint(LPARAM point) {
  return ItemAt(static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point)));
}

void SetHover(int index) {
  if (index == g_Menu.hover) return;
  g_Menu.hover = index;
  Repaint();
}

void OnMouseMove(LPARAM point) { SetHover(ItemAtPoint(point)); }

void OnPress(HWND window, UINT message, WPARAM keys, LPARAM point) {
  if (!Inside(window, point)) {
    // Under the menu's capture the press came here; one that goes on is handed to its window.
    POINT screen{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    ClientToScreen(window, &screen);
    HWND target = WindowFromPoint(screen);
    if (PressOutside(message, target)) {
      POINT client = screen;
      ScreenToClient(target, &client);
      PostMessageW(target, message, keys, MAKELPARAM(client.x, client.y));
    }
    return;
  }
  g_Menu.pressed = ItemAtPoint(point);
  SetHover(g_Menu.pressed);
  Repaint();
}

void OnRelease(HWND window, LPARAM point) {
  int index = Inside(window, point) ? ItemAtPoint(point) : -1;
  if (index >= 0) {
    PickItem(index);
    return;
  }
  g_Menu.pressed = -1;
  Repaint();
}

LRESULT CALLBACK MenuProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Messages that arrive while the window is being made or after the menu was closed.
  if (window != g_Menu.window) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      return 0;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
      OnPress(window, message, wParam, lParam);
      return 0;
    case WM_LBUTTONUP: case WM_RBUTTONUP:
      OnRelease(window, lParam);
      return 0;
    case WM_NCDESTROY:
      ForgetMenu();
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a switch to another program, a drag elsewhere).
      if (reinterpret_cast<HWND>(lParam) != window) CloseMenu();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterMenuClass() {
  if (g_Class) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DROPSHADOW | CS_SAVEBITS;
  wc.lpfnWndProc = MenuProc;
  wc.hInstance = g_Instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = ClassName();
  g_Class = RegisterClassExW(&wc);
  return g_Class != 0;
}

void UnregisterMenuClass() {
  if (g_Class) UnregisterClassW(ClassName(), g_Instance);
  g_Class = 0;
}

bool MakeFont() {
  if (g_Font) return true;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMenuFont.lfQuality = CLEARTYPE_QUALITY;
    g_Font = CreateFontIndirectW(&metrics.lfMenuFont);
  }
  if (!g_Font) g_Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return g_Font != nullptr;
}

void FreeFont() {
  if (g_Font && g_Font != GetStockObject(DEFAULT_GUI_FONT)) DeleteObject(g_Font);
  g_Font = nullptr;
}

void LoadSkinImages(const char16_t* const* paths) {
  for (int i = 0; i < kVorlaxImageCount; ++i) {
    std::wstring path = paths[i] ? reinterpret_cast<const wchar_t*>(paths[i]) : L"";
    if (path == g_Skin.paths[i] && (g_Skin.bitmaps[i] || path.empty())) continue;
    if (g_Skin.bitmaps[i]) DeleteObject(g_Skin.bitmaps[i]);
    g_Skin.bitmaps[i] = nullptr;
    g_Skin.paths[i] = path;
    if (!path.empty())
      g_Skin.bitmaps[i] = static_cast<HBITMAP>(
          LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  }
}

void FreeSkinImages() {
  for (int i = 0; i < kVorlaxImageCount; ++i) {
    if (g_Skin.bitmaps[i]) DeleteObject(g_Skin.bitmaps[i]);
    g_Skin.bitmaps[i] = nullptr;
    g_Skin.paths[i].clear();
  }
}

bool OpenMenuWindow(int x, int y) {
  int height = MenuHeight();
  // Keep the whole menu on the monitor. A caller that chose above or below its anchor has made it
  // fit already; one that did not (a menu opened at the mouse near the screen's foot) gets it
  // moved up rather than cut off.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& screen = monitor.rcMonitor;
    if (x + g_Menu.width > screen.right) x = screen.right - g_Menu.width;
    if (x < screen.left) x = screen.left;
    if (y + height > screen.bottom) y = screen.bottom - height;
    if (y < screen.top) y = screen.top;
  }
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, ClassName(), L"",
                                WS_POPUP, x, y, g_Menu.width, height,
                                GetAncestor(g_Menu.owner, GA_ROOT), nullptr, g_Instance, nullptr);
  if (!window) return false;

  HDC screen = GetDC(window);
  g_Menu.backDc = CreateCompatibleDC(screen);
  g_Menu.backBitmap = CreateCompatibleBitmap(screen, g_Menu.width, height);
  g_Menu.imageDc = CreateCompatibleDC(screen);
  ReleaseDC(window, screen);
  if (!g_Menu.backDc || !g_Menu.backBitmap || !g_Menu.imageDc) {
    DestroyWindow(window);
    FreeMenuWindow();
    return false;
  }
  g_Menu.backOld = SelectObject(g_Menu.backDc, g_Menu.backBitmap);

  g_Menu.window = window;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  SetCapture(window);
  return true;
}

void FreeMenuWindow() {
  if (g_Menu.backDc && g_Menu.backOld) SelectObject(g_Menu.backDc, g_Menu.backOld);
  if (g_Menu.backBitmap) DeleteObject(g_Menu.backBitmap);
  if (g_Menu.backDc) DeleteDC(g_Menu.backDc);
  if (g_Menu.imageDc) DeleteDC(g_Menu.imageDc);
  g_Menu.backDc = nullptr;
  g_Menu.backBitmap = nullptr;
  g_Menu.backOld = nullptr;
  g_Menu.imageDc = nullptr;
}

int ItemAt(int x, int y) {
  if (x < 0 || x >= g_Menu.width || y < 0) return -1;
  int count = static_cast<int>(g_Menu.items.size());
  for (int i = 0, top = 0; i < count; top += RowHeight(i), ++i)
    if (y < top + RowHeight(i)) return IsSeparator(i) ? -1 : i;
  return -1;
}

bool IsSeparator(int index) {
  return index >= 0 && index < static_cast<int>(g_Menu.items.size()) &&
         g_Menu.items[index].dwState == kVorlaxItemSeparator;
}

int RowHeight(int index) { return IsSeparator(index) ? kVorlaxSeparatorHeight : g_Menu.itemHeight; }

int MenuHeight() {
  int height = 0;
  for (int i = 0; i < static_cast<int>(g_Menu.items.size()); ++i) height += RowHeight(i);
  return height;
}

void Repaint() {
  if (g_Menu.window) InvalidateRect(g_Menu.window, nullptr, FALSE);
}

}  // namespace vorlax
