#include "controls/window_base_win.h"

#include <windowsx.h>

#include "controls/gdi_win.h"

#include <map>
#include <utility>

namespace ui {
namespace {

// The object lives in the window's own extra bytes rather than in a window property: every
// message looks it up, and under Wine reading a property is a trip to the server.
constexpr int kSelfSlot = 0;

std::map<int, MessageFilter>& Filters() {
  static std::map<int, MessageFilter> filters;
  return filters;
}

int g_modalDepth = 0;

}  // namespace

WindowBase::~WindowBase() { Destroy(); }

WindowBase* WindowBase::FromHandle(HWND hwnd) {
  // Another class's window may keep anything in its extra bytes: only ours hold an object.
  if (!hwnd || GetClassLongPtrW(hwnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&WindowProc)) return nullptr;
  return reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, kSelfSlot));
}

void WindowBase::PrepareClass(WNDCLASSEXW&) {}

bool WindowBase::Create(const wchar_t* className, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
                        const wchar_t* title, UINT_PTR controlId) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    wc.cbWndExtra = sizeof(LONG_PTR);
    PrepareClass(wc);
    if (!RegisterClassExW(&wc)) return false;
  }
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(controlId) : nullptr;
  HWND made = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, menu, instance, this);
  return made != nullptr;
}

void WindowBase::Destroy() {
  if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

LRESULT WindowBase::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Our windows are borderless: the system would still fetch a device context for a frame that
  // is not there, and under Wine each fetch of a child's costs round trips to the X server.
  if (msg == WM_NCPAINT && !HasFrame(m_hwnd)) return 0;
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT WindowBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return Default(msg, wParam, lParam); }

bool WindowBase::PreTranslateMessage(MSG&) { return false; }

LRESULT CALLBACK WindowBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // This procedure serves only our classes, so the slot is there (zero until WM_NCCREATE).
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, kSelfSlot));
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, kSelfSlot, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if ((msg == WM_SHOWWINDOW && !wParam) || (msg == WM_SIZE && wParam == SIZE_MINIMIZED)) {
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) EndMouseTrackingWithin(hwnd);
  }
  LRESULT result = self->HandleMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, kSelfSlot, 0);
    self->m_hwnd = nullptr;
    if (self->m_modalRunning) self->m_modalEnded = true;
    self->OnFinalDestroy();
  }
  return result;
}

int WindowBase::RunModal(HWND owner) {
  if (!m_hwnd) return -1;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  m_modalRunning = true;
  m_modalEnded = false;
  m_modalResult = -1;
  ++g_modalDepth;
  ShowWindow(m_hwnd, SW_SHOW);
  UpdateWindow(m_hwnd);
  MSG msg;
  while (!m_modalEnded) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the outermost loop: pass it on.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (PreTranslate(msg, m_hwnd)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  --g_modalDepth;
  m_modalRunning = false;
  // The owner is enabled before this window hides, so the system activates the owner, not some
  // other program's window.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
  if (owner && ownerWasEnabled && IsWindowVisible(owner)) SetForegroundWindow(owner);
  return m_modalResult;
}

void WindowBase::EndModal(int result) {
  m_modalResult = result;
  m_modalEnded = true;
  // Wakes the loop when the request came from outside a message (a timer callback, a worker's
  // posted message has already been handled).
  if (m_hwnd) PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

int AddMessageFilter(MessageFilter filter) {
  static int next = 1;
  Filters()[next] = std::move(filter);
  return next++;
}

void RemoveMessageFilter(int cookie) { Filters().erase(cookie); }

bool PreTranslate(MSG& msg, HWND top) {
  for (auto& entry : Filters())
    if (entry.second && entry.second(msg)) return true;
  for (HWND h = msg.hwnd; h; h = GetParent(h)) {
    if (WindowBase* w = WindowBase::FromHandle(h))
      if (w->PreTranslateMessage(msg)) return true;
    if (h == top) break;
  }
  return false;
}

void DragByBackground(HWND hwnd, LPARAM clientPoint) {
  POINT p{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ClientToScreen(hwnd, &p);
  ReleaseCapture();
  SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
}

int ModalDepth() { return g_modalDepth; }

HWND FindThreadWindow(const wchar_t* className) {
  struct Search {
    const wchar_t* name;
    HWND found;
  } search{className, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (lstrcmpiW(name, s->name) != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool HasFrame(HWND hwnd) {
  RECT window, client;
  if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return true;
  return window.right - window.left != client.right || window.bottom - window.top != client.bottom;
}

}  // namespace ui
