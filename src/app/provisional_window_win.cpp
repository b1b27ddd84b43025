#include "app/provisional_window_win.h"

#include <windowsx.h>

#include "app/startup.h"

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 560;
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

void DrawKey(HDC dc, int x, int y, int w, int h, COLORREF fill) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, kKeyEdge);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  RoundRect(dc, x, y, x + w, y + h, 6, 6);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// A stylised keyboard: five rows of keys with the movement keys lit.
void DrawKeyboard(HDC dc, int left, int top) {
  const int unit = 38, gap = 4;
  const double rows[5][15] = {
      {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 0},
      {1.5, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1.5, 0},
      {1.75, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2.25, 0, 0},
      {2.25, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2.75, 0, 0, 0},
      {1.25, 1.25, 1.25, 6.25, 1.25, 1.25, 1.25, 1.25, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int r = 0; r < 5; ++r) {
    double x = 0;
    for (int k = 0; k < 15 && rows[r][k] > 0; ++k) {
      int w = static_cast<int>(rows[r][k] * unit) - gap;
      bool lit = (r == 1 && k == 2) || (r == 2 && k >= 1 && k <= 3);
      DrawKey(dc, left + static_cast<int>(x), top + r * unit, w, unit - gap, lit ? kAccent : kKeyFill);
      x += rows[r][k] * unit;
    }
  }
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

  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, title_.c_str(), WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU,
                          x, y, kWidth, kHeight, nullptr, nullptr, instance_, this);
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

RECT CProvisionalWnd::CloseBox() const { return RECT{kWidth - kHeader, 0, kWidth, kHeader}; }

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

  const int keyboardWidth = 15 * 38;
  DrawKeyboard(dc, (client.right - keyboardWidth) / 2 + 10, 130);

  SelectObject(dc, bodyFont);
  SetTextColor(dc, kDimText);
  RECT version = {20, client.bottom - 36, client.right - 20, client.bottom - 12};
  DrawTextW(dc, version_.c_str(), -1, &version, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);

  SelectObject(dc, oldFont);
  DeleteObject(titleFont);
  DeleteObject(bodyFont);
}
