// The combo button over the real menu library and real mouse input: a click opens the menu of
// the active list at its place, a click on an item selects it and tells the parent, and a pick
// that names no shown item tells nobody.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "controls/combo_btn_win.h"
#include "controls/menu_library.h"
#include "platform/platform.h"
#include "skin_fixture_win.h"

namespace {

// Keeps every command notification it hears.
class Parent : public ui::WindowBase {
 public:
  std::vector<WPARAM> commands;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != WM_COMMAND) return Default(msg, wParam, lParam);
    commands.push_back(wParam);
    return 0;
  }
};

HWND OpenMenuWindow() { return FindWindowW(reinterpret_cast<const wchar_t*>(kVorlaxMenuClass), nullptr); }

void Click(int screenX, int screenY) {
  SetCursorPos(screenX, screenY);
  skintest::MouseButton(true);
  skintest::MouseButton(false);
}

// List 2 holds 20 items, values 500.., captions "Item 0".., and is the active one.
class ComboBtnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(BindMenuLibrary(plat::ProgramFolder() + u"..\\vorlax\\"));
    folder.Picture(L"bk.bmp", 300, 200, 0x404040);
    for (const wchar_t* name : {L"nr.bmp", L"ov.bmp", L"dn.bmp"}) folder.Picture(name, 120, 24, 0x202020);
    ASSERT_TRUE(background.LoadSkin(u"bk.bmp"));
    ASSERT_TRUE(parent.Create(L"VelkorTestComboParent", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 300, 200}, nullptr,
                              L"parent"));
    ASSERT_TRUE(combo.CreatePngBtn(parent.hwnd(), &background, u"nr.bmp", u"ov.bmp", u"dn.bmp", nullptr, false, u"",
                                   false, 20, 40, 1201));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(combo.AddItem(2, 500 + i, u"Item " + std::u16string(1, char16_t(u'A' + i))));
    ASSERT_TRUE(combo.SetActiveList(2));
  }
  void TearDown() override {
    combo.Destroy();
    UnbindMenuLibrary();
  }
  RECT ComboRect() {
    RECT rc;
    GetWindowRect(combo.hwnd(), &rc);
    return rc;
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  ui::SkinImage background;
  Parent parent;
  CComboBtn combo;
};

TEST_F(ComboBtnTest, AClickOpensTheFirstFifteenItemsBelowAndAClickOnOnePicksIt) {
  RECT button = ComboRect();
  Click(button.left + 30, button.top + 10);
  ASSERT_TRUE(skintest::PumpUntil([] { return OpenMenuWindow() != nullptr; }));
  HWND menu = OpenMenuWindow();
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_EQ(rc.left, button.left + 2);
  EXPECT_EQ(rc.top, button.bottom);
  EXPECT_EQ(rc.right - rc.left, 120 - 4);
  EXPECT_EQ(rc.bottom - rc.top, 15 * 20);
  EXPECT_TRUE(parent.commands.empty());

  Click(rc.left + 40, rc.top + 3 * 20 + 10);  // the fourth item
  ASSERT_TRUE(skintest::PumpUntil([this] { return !parent.commands.empty(); }));
  EXPECT_EQ(parent.commands, std::vector<WPARAM>{MAKEWPARAM(1201, BN_CLICKED)});
  EXPECT_EQ(combo.SelectedValue(), 503);
  EXPECT_EQ(combo.Caption(), u"Item D");
  EXPECT_FALSE(IsWindow(menu));
}

TEST_F(ComboBtnTest, APickThatNamesNoShownItemClosesTheMenuAndTellsNobody) {
  combo.SelectByValue(501);
  ASSERT_TRUE(combo.OpenMenu());
  struct Case {
    WPARAM value;
    LPARAM menu;
  } cases[] = {{999, 2}, {515, 2}, {503, 5}, {503, 24}};  // not in the list, not shown, another list's menu
  for (const Case& c : cases) {
    PostMessageW(combo.hwnd(), WM_MENU_PICKED, c.value, c.menu);
    skintest::PumpUntil([] { return OpenMenuWindow() == nullptr; }, 1000);
    EXPECT_EQ(OpenMenuWindow(), nullptr);
    EXPECT_TRUE(parent.commands.empty()) << c.value;
    EXPECT_EQ(combo.SelectedValue(), 501) << c.value;
    EXPECT_EQ(combo.Caption(), u"Item B");
  }
}

TEST_F(ComboBtnTest, MenuOpensAboveNearTheScreenBottomAndNotAtAllWithoutItemsOrLibrary) {
  int screen = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(parent.hwnd(), nullptr, 0, screen - 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT button = ComboRect();
  ASSERT_TRUE(combo.OpenMenu());
  RECT rc;
  GetWindowRect(OpenMenuWindow(), &rc);
  EXPECT_EQ(rc.top, button.top - 15 * 20);
  EXPECT_EQ(rc.bottom, button.top);

  combo.Combo().ClearList(2);
  EXPECT_FALSE(combo.OpenMenu());
  combo.AddItem(2, 1, u"One");
  UnbindMenuLibrary();
  EXPECT_FALSE(combo.OpenMenu());
}

}  // namespace
