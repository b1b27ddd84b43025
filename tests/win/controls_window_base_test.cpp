// The window base under a real message loop: the object sees its messages, a modal loop ends with
// its result and gives the owner back, and keys can be taken before dispatch.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/gdi_win.h"
#include "controls/window_base_win.h"

namespace {

class Probe : public ui::WindowBase {
 public:
  int keysSeen = 0;
  int keysSwallowed = 0;
  int mouseLeaves = 0;
  bool swallowEscape = true;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_KEYDOWN) ++keysSeen;
    if (msg == WM_MOUSELEAVE) ++mouseLeaves;
    if (msg == WM_APP) EndModal(static_cast<int>(wParam));
    return Default(msg, wParam, lParam);
  }
  bool PreTranslateMessage(MSG& msg) override {
    if (swallowEscape && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      ++keysSwallowed;
      return true;
    }
    return false;
  }
};

HWND MakeOwner() {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(WindowBase, ModalLoopEndsWithItsResultAndGivesTheOwnerBack) {
  HWND owner = MakeOwner();
  Probe probe;
  ASSERT_TRUE(probe.Create(L"VelkorTestProbe", WS_POPUP, 0, RECT{10, 10, 110, 60}, owner, L"probe"));
  EXPECT_EQ(ui::WindowBase::FromHandle(probe.hwnd()), &probe);
  EXPECT_EQ(ui::WindowBase::FromHandle(owner), nullptr);  // a system class with extra bytes of its own
  PostMessageW(probe.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(probe.hwnd(), WM_KEYDOWN, 'A', 0);
  PostMessageW(probe.hwnd(), WM_APP, 7, 0);
  EXPECT_EQ(probe.RunModal(owner), 7);
  EXPECT_EQ(probe.keysSwallowed, 1);
  EXPECT_EQ(probe.keysSeen, 1);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindowVisible(probe.hwnd()));
  EXPECT_EQ(ui::ModalDepth(), 0);
  probe.Destroy();
  EXPECT_EQ(probe.hwnd(), nullptr);
  DestroyWindow(owner);
}

TEST(WindowBase, ProcessFiltersSeeMessagesFirst) {
  Probe probe;
  probe.swallowEscape = false;
  ASSERT_TRUE(probe.Create(L"VelkorTestProbe", WS_POPUP, 0, RECT{10, 10, 110, 60}, nullptr, L"probe"));
  int filtered = 0;
  int cookie = ui::AddMessageFilter([&](MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    ++filtered;
    return true;
  });
  PostMessageW(probe.hwnd(), WM_KEYDOWN, 'B', 0);
  PostMessageW(probe.hwnd(), WM_APP, 3, 0);
  EXPECT_EQ(probe.RunModal(nullptr), 3);
  ui::RemoveMessageFilter(cookie);
  EXPECT_EQ(filtered, 1);
  EXPECT_EQ(probe.keysSeen, 0);
}

// A button clicked into hiding its window (OK, Cancel) is still under the cursor: its tracking
// must end there, or the system keeps polling the hidden button for as long as we sit in the tray.
TEST(WindowBase, HidingEndsTheMouseTrackingOfAWindowInside) {
  Probe window;
  ASSERT_TRUE(window.Create(L"VelkorTestProbe", WS_POPUP | WS_VISIBLE, 0, RECT{100, 100, 300, 200}, nullptr, L"probe"));
  Probe button;
  ASSERT_TRUE(button.Create(L"VelkorTestProbe", WS_CHILD | WS_VISIBLE, 0, RECT{20, 20, 80, 60}, window.hwnd(), L"",
                            1));
  SetCursorPos(150, 140);
  ui::TrackMouseLeave(button.hwnd());
  TRACKMOUSEEVENT query = {sizeof query, TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  ASSERT_EQ(query.hwndTrack, button.hwnd());  // the cursor is over the button

  ShowWindow(window.hwnd(), SW_HIDE);
  query = {sizeof query, TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_EQ(query.hwndTrack, nullptr);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(button.mouseLeaves, 1);  // so it shows its normal look when the window shows again
}

// Only a window with a frame has its non-client area painted by the system; ours have none.
TEST(WindowBase, OnlyAWindowWithABorderCaptionScrollBarOrEdgeHasAFrame) {
  Probe parent;
  ASSERT_TRUE(parent.Create(L"VelkorTestProbe", WS_POPUP, 0, RECT{0, 0, 300, 200}, nullptr, L"parent"));
  EXPECT_FALSE(ui::HasFrame(parent.hwnd()));
  const struct {
    DWORD style, exStyle;
    bool framed;
  } cases[] = {
      {WS_CHILD, 0, false},
      {WS_CHILD | WS_BORDER, 0, true},
      {WS_CHILD | WS_VSCROLL, 0, true},
      {WS_CHILD | WS_HSCROLL, 0, true},
      {WS_CHILD, WS_EX_CLIENTEDGE, true},
      {WS_CHILD | WS_CAPTION, 0, true},
  };
  for (const auto& c : cases) {
    Probe child;
    ASSERT_TRUE(child.Create(L"VelkorTestProbe", c.style, c.exStyle, RECT{10, 10, 110, 90}, parent.hwnd(), L"", 1));
    EXPECT_EQ(ui::HasFrame(child.hwnd()), c.framed) << std::hex << c.style << " " << c.exStyle;
  }
}

}  // namespace
