// The skinned button under real mouse input: the picture it draws follows hover and press, a
// release on it reaches the parent as a click, and missing pictures leave the background showing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "controls/png_btn_win.h"
#include "skin_fixture_win.h"

namespace {

constexpr uint32_t kBackground = 0x404040, kNormal = 0xC00000, kHover = 0x00C000, kDown = 0x0000C0;

class Parent : public ui::WindowBase {
 public:
  int clicks = 0;
  HWND clickedFrom = nullptr;
  WORD clickedId = 0;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
      ++clicks;
      clickedId = LOWORD(wParam);
      clickedFrom = reinterpret_cast<HWND>(lParam);
      return 0;
    }
    return Default(msg, wParam, lParam);
  }
};

class PngBtnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Picture(L"bk.bmp", 300, 200, kBackground);
    folder.Picture(L"nr.bmp", 60, 30, kNormal);
    folder.Picture(L"ov.bmp", 60, 30, kHover);
    folder.Picture(L"dn.bmp", 60, 30, kDown);
    ASSERT_TRUE(background.LoadSkin(u"bk.bmp"));
    ASSERT_TRUE(parent.Create(L"VelkorTestBtnParent", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 300, 200}, nullptr,
                              L"parent"));
  }
  void MoveAway() {
    skintest::MouseTo(parent.hwnd(), 250, 150);
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  ui::SkinImage background;
  Parent parent;
};

TEST_F(PngBtnTest, ThePictureFollowsHoverAndPressAndAReleaseOnTheButtonClicks) {
  MoveAway();
  CPngBtn button;
  ASSERT_TRUE(button.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false,
                                  u"OK", false, 20, 40, 1001));
  RECT r;
  GetClientRect(button.hwnd(), &r);
  EXPECT_EQ(r.right, 60);
  EXPECT_EQ(r.bottom, 30);
  wchar_t text[16] = {};
  GetWindowTextW(button.hwnd(), text, 16);
  EXPECT_STREQ(text, L"OK");
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kNormal);

  skintest::MouseTo(button.hwnd(), 30, 15);
  ASSERT_TRUE(skintest::PumpUntil([&] { return button.Model().Hovering(); }));
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kHover);

  skintest::MouseButton(true);
  ASSERT_TRUE(skintest::PumpUntil([&] { return button.Model().Pressed(); }));
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kDown);
  EXPECT_EQ(parent.clicks, 0);

  skintest::MouseButton(false);
  ASSERT_TRUE(skintest::PumpUntil([&] { return parent.clicks == 1; }));
  EXPECT_EQ(parent.clickedFrom, button.hwnd());
  EXPECT_EQ(parent.clickedId, 1001);
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kHover);

  MoveAway();
  ASSERT_TRUE(skintest::PumpUntil([&] { return !button.Model().Hovering(); }));
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kNormal);
}

TEST_F(PngBtnTest, ReleasingAfterSlidingOffIsNoClick) {
  MoveAway();
  CPngBtn button;
  ASSERT_TRUE(button.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false,
                                  u"", false, 20, 40));
  skintest::MouseTo(button.hwnd(), 30, 15);
  ASSERT_TRUE(skintest::PumpUntil([&] { return button.Model().Hovering(); }));
  skintest::MouseButton(true);
  ASSERT_TRUE(skintest::PumpUntil([&] { return button.Model().Pressed(); }));
  MoveAway();
  ASSERT_TRUE(skintest::PumpUntil([&] { return !button.Model().Pressed(); }));
  skintest::MouseButton(false);
  skintest::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(parent.clicks, 0);
}

TEST_F(PngBtnTest, MissingStatePicturesLeaveTheParentsBackgroundShowing) {
  MoveAway();
  CPngBtn button;
  ASSERT_TRUE(button.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"none_ov.bmp", u"none_dn.bmp", nullptr,
                                  false, u"", false, 20, 40));
  skintest::MouseTo(button.hwnd(), 30, 15);
  ASSERT_TRUE(skintest::PumpUntil([&] { return button.Model().Hovering(); }));
  EXPECT_EQ(skintest::DrawnPixel(button.hwnd(), 3, 3), kBackground);

  CPngBtn unnamed;
  EXPECT_FALSE(unnamed.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"", u"dn.bmp", nullptr, false, u"",
                                    false, 0, 0));
  EXPECT_EQ(unnamed.hwnd(), nullptr);
}

TEST_F(PngBtnTest, ACheckBoxWithAutoToggleFlipsBeforeTheParentHearsOfTheClick) {
  CPngBtn box;
  RECT size{0, 0, 80, 24};
  ASSERT_TRUE(box.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", &size, true, u"",
                               false, 100, 10));
  RECT r;
  GetWindowRect(box.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 80);
  EXPECT_EQ(r.bottom - r.top, 24);
  box.SetAutoToggle(true);
  SendMessageW(box.hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(parent.clicks, 1);
  EXPECT_EQ(SendMessageW(box.hwnd(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(skintest::DrawnPixel(box.hwnd(), 3, 3), kDown);
  EnableWindow(box.hwnd(), FALSE);
  EXPECT_EQ(skintest::DrawnPixel(box.hwnd(), 3, 3), kNormal) << "checked and disabled: the disabled picture";
}

// The thread's tool-tip window; the system makes its owner the button's top-level window.
HWND ThreadTooltip() { return ui::FindThreadWindow(TOOLTIPS_CLASSW); }

// The common controls are no longer loaded at start-up: the first tip brings them, and shows its
// text as given, '&' included.
TEST_F(PngBtnTest, ATipIsMadeWithItsFirstTextAndShowsItAsGiven) {
  CPngBtn button;
  ASSERT_TRUE(button.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false,
                                  u"", true, 20, 40, 1001));
  button.SetTooltip(u"");
  EXPECT_EQ(ThreadTooltip(), nullptr);  // no text, no tip window
  button.SetTooltip(u"Switches to this profile while R&D.exe runs");
  HWND tip = ThreadTooltip();
  ASSERT_NE(tip, nullptr);
  wchar_t text[80] = {};
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = button.hwnd();
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Switches to this profile while R&D.exe runs");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

// The tip goes with the button's window, and a tip its top-level owner took along is not
// destroyed again by the button object (the handle may name another window by then).
TEST_F(PngBtnTest, TheTipGoesWithTheButtonOrItsOwnerButOnlyOnce) {
  {
    CPngBtn button;
    ASSERT_TRUE(button.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false,
                                    u"", true, 20, 40, 1001));
    button.SetTooltip(u"tip");
    ASSERT_NE(ThreadTooltip(), nullptr);
    button.Destroy();
    EXPECT_EQ(ThreadTooltip(), nullptr);
  }
  auto button = std::make_unique<CPngBtn>();
  ASSERT_TRUE(button->CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false,
                                   u"", true, 20, 40, 1001));
  button->SetTooltip(u"tip");
  parent.Destroy();
  EXPECT_EQ(ThreadTooltip(), nullptr);
  SetLastError(0);
  button.reset();
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
