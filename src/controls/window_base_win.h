// The one window base every window of ours derives from: the object is bound to its window at
// WM_NCCREATE, classes are registered once by name, and modal windows run their own message loop
// so that keys can be filtered before dispatch (the dialog manager would act on Enter and Esc
// before we could see them).
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

bool PreTranslate(MSG& msg, HWND top);

class WindowBase {
 public:
  WindowBase() = default;
  virtual ~WindowBase();
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  HWND hwnd() const { return m_hwnd; }
  // The object bound to a window of ours, or null for any other window.
  static WindowBase* FromHandle(HWND hwnd);

  // Registers `className` on first use and creates the window; the object receives every message
  // from WM_NCCREATE on. `rect` is in the parent's client coordinates for a child (screen
  // coordinates for a top-level window).
  bool Create(const wchar_t* className, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
              const wchar_t* title = L"", UINT_PTR controlId = 0);
  void Destroy();

  // Shows the window and runs a message loop until EndModal; the owner is disabled meanwhile and
  // comes back to the foreground afterwards. Returns the EndModal result (or -1 when the window
  // was destroyed without one).
  int RunModal(HWND owner);
  void EndModal(int result);
  bool InModalLoop() const { return m_modalRunning; }

 protected:
  // Every message of the window. Subclasses handle what they need and pass the rest on.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Messages bound for this window or one of its descendants pass here before dispatch while a
  // modal loop of ours runs; true swallows the message.
  virtual bool PreTranslateMessage(MSG& msg);
  // Window-class details a subclass may change before the first creation.
  virtual void PrepareClass(WNDCLASSEXW& wc);
  // Called after WM_NCDESTROY; the handle is gone.
  virtual void OnFinalDestroy() {}

 private:
  friend bool PreTranslate(MSG& msg, HWND top);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  bool m_modalRunning = false;
  bool m_modalEnded = false;
  int m_modalResult = -1;
};

// Process-wide filters every message of our loops passes first (the skinned-menu library's
// pre-translate hook, tooltips); true swallows the message.
using MessageFilter = std::function<bool(MSG&)>;
int AddMessageFilter(MessageFilter filter);
void RemoveMessageFilter(int cookie);
// Runs the filters, then the PreTranslateMessage chain from the message's window up to `top`.
bool PreTranslate(MSG& msg, HWND top);
// A left press on a window's background (client point in lParam) moves the window as a press on
// a caption would: skinned windows have no caption.
void DragByBackground(HWND hwnd, LPARAM clientPoint);
// Whether a window has a non-client area (a border, caption, scroll bar or edge) to paint.
bool HasFrame(HWND hwnd);
// The first top-level window of the calling thread whose class is `className` (any case), or null.
HWND FindThreadWindow(const wchar_t* className);
// How many modal loops of ours are running, the main window's own loop included: a timer or signal
// of the main window that would change shared state waits while more than its own loop runs.
int ModalDepth();

}  // namespace ui
