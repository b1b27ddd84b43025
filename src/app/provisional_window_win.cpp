#include "app/provisional_window_win.h"

#include <windowsx.h>

#include "app/startup.h"
#include "config/key_names.h"
#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"

namespace {

constexpr int kMinWidth = 960;
constexpr int kMinHeight = 440;
constexpr int kHeader = 48;
constexpr COLORREF kBackground = RGB(0x1B, 0x1D, 0x22);
constexpr COLORREF kHeaderFill = RGB(0x26, 0x29, 0x30);
constexpr COLORREF kAccent = RGB(0xE0, 0x2A, 0x3C);
constexpr COLORREF kKeyFill = RGB(0x2E, 0x32, 0x3A);
constexpr COLORREF kKeyEdge = RGB(0x44, 0x49, 0x54);
constexpr COLORREF kText = RGB(0xEE, 0xEF, 0xF2);
constexpr COLORREF kDimText = RGB(0x8A, 0x90, 0x9C);
const wchar_t kClassName[] = L"VelkorMainWindow";

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

HFONT MakeFont(int height, int weight) {
  return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

void FillRectColor(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// The keyboard picture from the layout: every key at its rectangle inside rcKB, the polygon key
// along its outline, labelled with its default function, the movement keys of the first game
// group lit.
void DrawLayout(HDC dc) {
  const RECT32& kb = g_Settings.rcKB;
  const int polygonSlot = PolygonKeySlot();
  const HFONT fonts[] = {MakeFont(10, FW_NORMAL), MakeFont(9, FW_NORMAL), MakeFont(8, FW_NORMAL)};
  HGDIOBJ oldFont = SelectObject(dc, fonts[0]);
  SetTextColor(dc, kText);
  for (int slot = 0; slot < g_KeyCount; ++slot) {
    const KEYINFO& key = DefaultKeyTable[slot];
    const int m = key.nMatrix;
    const bool lit = m == 15 || m == 20 || m == 21 || m == 27;
    HBRUSH brush = CreateSolidBrush(lit ? kAccent : kKeyFill);
    HPEN pen = CreatePen(PS_SOLID, 1, kKeyEdge);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RECT label = {kb.left + key.rcKey.left, kb.top + key.rcKey.top, kb.left + key.rcKey.right,
                  kb.top + key.rcKey.bottom};
    if (slot == polygonSlot) {
      POINT pts[kMaxPolygonPoints];
      int n = 0;
      for (; n < g_UnRectKey.nPoints && g_UnRectKey.pt[n].x != 0; ++n)
        pts[n] = POINT{kb.left + g_UnRectKey.pt[n].x, kb.top + g_UnRectKey.pt[n].y};
      Polygon(dc, pts, n);
    } else {
      RoundRect(dc, label.left + 1, label.top + 1, label.right - 1, label.bottom - 1, 5, 5);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    std::wstring text = Wide(key.bType == 2 ? ShortComboText(key.bModifier, key.bVk, key.bVk2) : KeyFunctionText(key));
    // Long names wrap onto a second line, and take a smaller size where a word alone is too wide.
    InflateRect(&label, -2, -2);
    RECT measured = label;
    for (HFONT f : fonts) {
      SelectObject(dc, f);
      measured = label;
      DrawTextW(dc, text.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
      if (measured.right - measured.left <= label.right - label.left &&
          measured.bottom - measured.top <= label.bottom - label.top)
        break;
    }
    int lift = ((label.bottom - label.top) - (measured.bottom - measured.top)) / 2;
    if (lift > 0) label.top += lift;
    DrawTextW(dc, text.c_str(), -1, &label, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  SelectObject(dc, oldFont);
  for (HFONT f : fonts) DeleteObject(f);
}

}  // namespace

void CProvisionalWnd::RunModal(const std::u16string& title, const std::u16string& version) {
  title_ = Wide(title);
  version_ = Wide(version);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  // Room for the keyboard picture where the configuration puts it, and a line of text under it.
  width_ = g_Settings.rcKB.right + 30 > kMinWidth ? g_Settings.rcKB.right + 30 : kMinWidth;
  height_ = g_Settings.rcKB.bottom + 80 > kMinHeight ? g_Settings.rcKB.bottom + 80 : kMinHeight;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, title_.c_str(), WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU,
                          x, y, width_, height_, nullptr, nullptr, instance_, this);
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK CProvisionalWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<CProvisionalWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<CProvisionalWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Handle(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

RECT CProvisionalWnd::CloseBox() const { return RECT{width_ - kHeader, 0, width_, kHeader}; }

LRESULT CProvisionalWnd::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TRAY_NOTIFY:
      if (lParam == kTrayOpenNotify) {
        ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(hwnd_);
        BringWindowToTop(hwnd_);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT, off screen, so nothing flickers
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      HGDIOBJ old = SelectObject(mem, bitmap);
      Paint(mem, client);
      BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteObject(bitmap);
      DeleteDC(mem);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_MOUSEMOVE: {
      POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT box = CloseBox();
      bool hot = PtInRect(&box, p) != FALSE;
      if (hot != closeHot_) {
        closeHot_ = hot;
        InvalidateRect(hwnd_, &box, FALSE);
        if (hot) {
          TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd_, 0};
          TrackMouseEvent(&tme);
        }
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      if (closeHot_) {
        closeHot_ = false;
        RECT box = CloseBox();
        InvalidateRect(hwnd_, &box, FALSE);
      }
      return 0;
    case WM_LBUTTONDOWN: {
      POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      RECT box = CloseBox();
      if (PtInRect(&box, p)) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      } else {
        // A press on the background drags the window.
        ReleaseCapture();
        SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      }
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void CProvisionalWnd::Paint(HDC dc, const RECT& client) {
  FillRectColor(dc, client, kBackground);
  RECT header = {0, 0, client.right, kHeader};
  FillRectColor(dc, header, kHeaderFill);
  RECT accent = {0, kHeader, client.right, kHeader + 2};
  FillRectColor(dc, accent, kAccent);
  RECT edge = client;
  HBRUSH frame = CreateSolidBrush(kKeyEdge);
  FrameRect(dc, &edge, frame);
  DeleteObject(frame);

  SetBkMode(dc, TRANSPARENT);
  HFONT titleFont = MakeFont(18, FW_BOLD);
  HFONT bodyFont = MakeFont(14, FW_NORMAL);
  HGDIOBJ oldFont = SelectObject(dc, titleFont);
  SetTextColor(dc, kText);
  RECT titleRect = {20, 0, client.right - kHeader, kHeader};
  DrawTextW(dc, title_.c_str(), -1, &titleRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);

  RECT box = CloseBox();
  if (closeHot_) FillRectColor(dc, box, kAccent);
  HPEN pen = CreatePen(PS_SOLID, 2, kText);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  MoveToEx(dc, cx - 7, cy - 7, nullptr);
  LineTo(dc, cx + 8, cy + 8);
  MoveToEx(dc, cx + 7, cy - 7, nullptr);
  LineTo(dc, cx - 8, cy + 8);
  SelectObject(dc, oldPen);
  DeleteObject(pen);

  DrawLayout(dc);

  SelectObject(dc, bodyFont);
  SetTextColor(dc, kDimText);
  std::wstring hint = Wide(g_Texts.tc_msg23);
  RECT hintRect = {g_Settings.rcKB.left, g_Settings.rcKB.bottom + 12, g_Settings.rcKB.right, g_Settings.rcKB.bottom + 36};
  DrawTextW(dc, hint.c_str(), -1, &hintRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  RECT version = {20, client.bottom - 36, client.right - 20, client.bottom - 12};
  DrawTextW(dc, version_.c_str(), -1, &version, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);

  SelectObject(dc, oldFont);
  DeleteObject(titleFont);
  DeleteObject(bodyFont);
}
