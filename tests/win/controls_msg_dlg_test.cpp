// The message box under its own modal loop, driven from another thread as a user's keys and
// clicks would reach it: posted key messages, button clicks, WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "config/text_table.h"
#include "controls/msg_dlg_win.h"
#include "skin_fixture_win.h"

namespace {

// Waits up to five seconds for the box with this title to be shown.
HWND WaitForWindow(const wchar_t* title) {
  for (int i = 0; i < 250; ++i) {
    HWND h = FindWindowW(L"VelkorMsgDlg", title);
    if (h && IsWindowVisible(h)) return h;  // built and shown
    Sleep(20);
  }
  return nullptr;
}

std::wstring TextOf(HWND h) {
  wchar_t buffer[256] = {};
  GetWindowTextW(h, buffer, 256);
  return buffer;
}

HWND Child(HWND box, const wchar_t* className, const wchar_t* text) {
  return FindWindowExW(box, nullptr, className, text);
}

LPARAM KeyParam(UINT scan, bool extended, bool up) {
  return 1 | (static_cast<LPARAM>(scan) << 16) | (extended ? 1 << 24 : 0) | (up ? 0xC0000000 : 0);
}

void PostKey(HWND h, UINT vk, UINT scan, bool extended = false, bool up = false) {
  const bool system = vk == VK_MENU;
  const UINT msg = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
  PostMessageW(h, msg, vk, KeyParam(scan, extended, up));
}

class MsgDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Picture(L"msg_nr.png", 460, 190, 0x202020);
    folder.Picture(L"btn_nr.png", 57, 30, 0x505050);
    folder.Picture(L"btn_ov.png", 57, 30, 0x707070);
    g_Texts.tc_ok = u"OK";
    g_Texts.tc_cancel = u"Cancel";
  }
  void TearDown() override {
    if (user.joinable()) user.join();
  }
  // Runs `act` on another thread once the box titled `title` is up, while this thread runs it.
  void WhenShown(const wchar_t* title, std::function<void(HWND)> act) {
    user = std::thread([title, act] {
      HWND box = WaitForWindow(title);
      if (!box) return;
      act(box);
    });
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  std::thread user;
};

TEST_F(MsgDlgTest, CaptureTakesPostedKeysWithTheirRightHandFlagsAndOkReturnsThem) {
  CMsgDlg box;
  box.SetType(4);
  box.SetTitle(u"Press a key");
  std::wstring shown;
  WhenShown(L"Press a key", [&shown](HWND h) {
    PostKey(h, VK_CONTROL, 0x1D);
    PostKey(h, 'A', 0x1E);
    PostKey(h, 'A', 0x1E);  // auto-repeat
    PostKey(h, 'B', 0x30);
    PostKey(h, 'C', 0x2E);
    PostKey(h, VK_MENU, 0x38, true);
    PostKey(h, VK_RETURN, 0x1C);  // captured too: no OK in the capture box
    for (int i = 0; i < 250 && shown.find(L"Alt") == std::wstring::npos; ++i, Sleep(20))
      shown = TextOf(Child(h, L"Edit", nullptr));
    PostMessageW(Child(h, L"VelkorPngBtn", L"OK"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(box.DoModal(nullptr), ui::kMsgOk);
  EXPECT_EQ(box.Modifiers(), 0x41);
  EXPECT_EQ(box.Key1(), 'A');
  EXPECT_EQ(box.Key2(), 'B');
  EXPECT_EQ(shown, L"L-Ctrl + R-Alt + A + B");
}

TEST_F(MsgDlgTest, TheSingleKeyBoxTakesTranslatedKeyEventsToo) {
  CMsgDlg box;
  box.SetType(4);
  box.SetTitle(u"One key");
  box.SetSingleKey(true);
  WhenShown(L"One key", [](HWND h) {
    PostMessageW(h, WM_MACRO_KEY, 'Q', 0);
    PostMessageW(h, WM_MACRO_KEY, 'Q', kMacroKeyRelease);
    PostKey(h, VK_SHIFT, 0x36);
    PostKey(h, 'W', 0x11);
    PostMessageW(Child(h, L"VelkorPngBtn", L"OK"), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(box.DoModal(nullptr), ui::kMsgOk);
  EXPECT_EQ(box.Modifiers(), 0);
  EXPECT_EQ(box.Key1(), 'W');
  EXPECT_EQ(box.Key2(), 0);
}

TEST_F(MsgDlgTest, TextAndNumberBoxesReturnTheirFieldAndAnEmptyTextCancels) {
  struct Case {
    int type;
    const wchar_t* typed;
    int result;
  } cases[] = {{2, L"Macro 1", ui::kMsgOk}, {2, L"", ui::kMsgCancel}, {3, L"250", ui::kMsgOk}};
  for (const Case& c : cases) {
    CMsgDlg box;
    box.SetType(c.type);
    box.SetTitle(u"Name");
    WhenShown(L"Name", [&c](HWND h) {
      HWND field = Child(h, L"Edit", nullptr);
      SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
      PostKey(field, VK_RETURN, 0x1C);
    });
    EXPECT_EQ(box.DoModal(nullptr), c.result) << c.type;
    user.join();
    if (c.type == 2 && c.result == ui::kMsgOk) {
      EXPECT_EQ(box.Text(), u"Macro 1");
    }
    if (c.type == 3) {
      EXPECT_EQ(box.Number(), 250);
    }
  }
}

TEST_F(MsgDlgTest, ANoticeHasOnlyOkInCancelsPlaceAndIsFoundByItsText) {
  // Titled like the main window, it must not pass for it: a second copy finds the main window
  // by that title.
  g_Texts.tc_title = u"Keyboard Driver";
  HWND cancel = reinterpret_cast<HWND>(1);
  HWND lookalike = reinterpret_cast<HWND>(1);
  RECT okRect{};
  WhenShown(L"The keyboard was not found.", [&](HWND h) {
    cancel = Child(h, L"VelkorPngBtn", L"Cancel");
    lookalike = FindWindowW(nullptr, L"Keyboard Driver");
    HWND ok = Child(h, L"VelkorPngBtn", L"OK");
    GetWindowRect(ok, &okRect);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&okRect), 2);
    PostKey(h, VK_RETURN, 0x1C);
  });
  EXPECT_TRUE(ShowNotice(nullptr, u"The keyboard was not found.", g_Texts.tc_title));
  EXPECT_EQ(cancel, nullptr);
  EXPECT_EQ(lookalike, nullptr);
  EXPECT_EQ(okRect.left, 460 - 87);
  EXPECT_EQ(okRect.top, 190 - 45);
}

TEST_F(MsgDlgTest, AConfirmationIsGivenOnlyByOk) {
  const std::function<void(HWND)> refusals[] = {
      [](HWND h) { PostKey(h, VK_ESCAPE, 0x01); },
      [](HWND h) { PostMessageW(h, WM_CLOSE, 0, 0); },
      [](HWND h) { PostMessageW(Child(h, L"VelkorPngBtn", L"Cancel"), BM_CLICK, 0, 0); },
      [](HWND h) { PostMessageW(Child(h, L"VelkorPngBtn", L""), BM_CLICK, 0, 0); },  // exit
  };
  for (const auto& refuse : refusals) {
    WhenShown(L"Restore?", refuse);
    EXPECT_FALSE(ShowConfirm(nullptr, u"Restore?"));
    user.join();
  }
  WhenShown(L"Restore?", [](HWND h) { PostMessageW(Child(h, L"VelkorPngBtn", L"OK"), BM_CLICK, 0, 0); });
  EXPECT_TRUE(ShowConfirm(nullptr, u"Restore?"));
}

TEST(MsgDlgWithoutSkin, WithoutItsPictureTheBoxEndsAsCancelAtOnce) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder emptySkin;
  EXPECT_FALSE(ShowConfirm(nullptr, u"Delete the macro?"));
  CMsgDlg box;
  box.SetType(1);
  EXPECT_EQ(box.DoModal(nullptr), ui::kMsgCancel);
  EXPECT_EQ(FindWindowW(L"VelkorMsgDlg", nullptr), nullptr);
}

}  // namespace
