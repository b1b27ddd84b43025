// Vorlax.dll through its four exports, loaded the way the program loads it: a menu opens for an
// owner without taking its activation, a click on an item posts WM_MENU_PICKED with the item's
// value and the menu number, and Esc or a click elsewhere closes it without a pick.
//
// VORLAX_TEST_PAUSE=<seconds> keeps one menu open over the demo skin for a look (screenshot).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "controls/menu_library.h"
#include "platform/platform.h"
#include "vorlax/vorlax_api.h"

namespace {

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
const wchar_t* MenuClass() { return reinterpret_cast<const wchar_t*>(kVorlaxMenuClass); }

std::u16string BuiltFolder() { return plat::ProgramFolder() + u"..\\vorlax\\"; }
std::u16string BuiltLibrary() { return BuiltFolder() + u"Vorlax.dll"; }

// What reached the owner window.
std::vector<std::pair<WPARAM, LPARAM>> g_Picks;
std::vector<UINT> g_OwnerInput;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MENU_PICKED) g_Picks.emplace_back(wParam, lParam);
  if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) g_OwnerInput.push_back(message);
  return DefWindowProcW(window, message, wParam, lParam);
}

class VorlaxTest : public ::testing::Test {
 protected:
  // One owner for the whole suite: under Wine without a window manager, destroying a visible
  // active window waits two seconds for the focus to go somewhere.
  static void SetUpTestSuite() {
    ASSERT_TRUE(BindMenuLibrary(BuiltFolder())) << "no Vorlax.dll in the build's vorlax folder";
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VorlaxTestOwner";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    owner_ = CreateWindowExW(0, L"VorlaxTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  static void TearDownTestSuite() {
    DestroyWindow(owner_);
    UnbindMenuLibrary();
  }

  void SetUp() override {
    ASSERT_TRUE(g_MenuLibrary.bound);
    ASSERT_NE(owner_, nullptr);
    lib_ = g_MenuLibrary;
    Pump();
    g_Picks.clear();
    g_OwnerInput.clear();
  }
  void TearDown() override {
    lib_.DestroyVorlax(nullptr);
    Pump();
  }

  // Opens a menu of values 10, 20, 30 at (x, y), 120 wide, menu number 0x337.
  HWND Open(int32_t count = 3, int32_t x = 200, int32_t y = 150) {
    VorlaxItem items[3] = {{kVorlaxItemNormal, 10, u"Record"},
                           {kVorlaxItemNormal, 20, u"Rename"},
                           {kVorlaxItemNormal, 30, u"Delete"}};
    const char16_t* images[kVorlaxImageCount] = {};
    const uint32_t frame = 0x323232;
    if (!lib_.CreateVorlax(owner_, kVorlaxItemHeight, 120, x, y, 0xCDC8C8, 0xFFFFFF, 0xFFAA00, images,
                           0x337, &frame, items, count))
      return nullptr;
    Pump();
    return FindWindowW(MenuClass(), nullptr);
  }

  // Takes every queued message the way a modal loop does (so the library's watch sees them).
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  static void Click(HWND window, UINT down, UINT up, int x, int y) {
    PostMessageW(window, down, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, up, 0, MAKELPARAM(x, y));
    Pump();
  }

  MSG Key(WPARAM key) {
    MSG msg{};
    msg.hwnd = owner_;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return msg;
  }

  MenuLibrary lib_;
  static HWND owner_;
};

HWND VorlaxTest::owner_ = nullptr;

TEST_F(VorlaxTest, ClickOnAnItemPostsItsValueAndTheMenuNumberWithoutTakingTheActivation) {
  HWND menu = Open();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(IsWindowVisible(menu));
  LONG_PTR ex = GetWindowLongPtrW(menu, GWL_EXSTYLE);
  EXPECT_EQ(ex & (WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_EQ(rc.left, 200);
  EXPECT_EQ(rc.top, 150);
  EXPECT_EQ(rc.right - rc.left, 120);
  EXPECT_EQ(rc.bottom - rc.top, 3 * kVorlaxItemHeight);
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(GetCapture(), menu);

  PostMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(40, 30));
  Click(menu, WM_LBUTTONDOWN, WM_LBUTTONUP, 40, 30);  // the second item
  ASSERT_EQ(g_Picks.size(), 1u);
  EXPECT_EQ(g_Picks[0].first, 20u);
  EXPECT_EQ(g_Picks[0].second, 0x337);
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(lib_.DestroyVorlax(owner_), 0);  // what an owner does on the pick: harmless now
}

TEST_F(VorlaxTest, EscapeClosesWithoutAPickAndNeverReachesTheOwner) {
  // Esc from the owner's own loop, seen by the library's watch.
  HWND menu = Open();
  ASSERT_NE(menu, nullptr);
  PostMessageW(owner_, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_TRUE(g_OwnerInput.empty());

  // Esc handed over by a loop that calls DllPreTranslateMessage.
  menu = Open();
  ASSERT_NE(menu, nullptr);
  MSG esc = Key(VK_ESCAPE);
  EXPECT_EQ(lib_.DllPreTranslateMessage(&esc), 1);
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(lib_.DllPreTranslateMessage(&esc), 0);  // no menu: the owner keeps its keys
  Pump();
  EXPECT_TRUE(g_Picks.empty());
}

TEST_F(VorlaxTest, ArrowKeysAndEnterPickTheHighlightedItem) {
  ASSERT_NE(Open(), nullptr);
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_RETURN}) {  // wraps: 0 1 2 0, back to 2
    MSG msg = Key(key);
    EXPECT_EQ(lib_.DllPreTranslateMessage(&msg), 1);
  }
  Pump();
  ASSERT_EQ(g_Picks.size(), 1u);
  EXPECT_EQ(g_Picks[0].first, 30u);
}

TEST_F(VorlaxTest, ASeparatorIsAThinLineThatIsNeverHighlightedOrPicked) {
  const VorlaxItem items[] = {{kVorlaxItemNormal, 10, u"Open"},
                              {kVorlaxItemSeparator, 99, u""},
                              {kVorlaxItemNormal, 30, u"Exit"}};
  ASSERT_EQ(lib_.CreateVorlax(owner_, kVorlaxItemHeight, 120, 200, 150, 0, 0, 0, nullptr, 7, nullptr, items, 3), 1);
  Pump();
  HWND menu = FindWindowW(MenuClass(), nullptr);
  ASSERT_NE(menu, nullptr);
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_EQ(rc.bottom - rc.top, 2 * kVorlaxItemHeight + kVorlaxSeparatorHeight);

  // A click on the line keeps the menu open and picks nothing; the row below it is the last item.
  Click(menu, WM_LBUTTONDOWN, WM_LBUTTONUP, 40, kVorlaxItemHeight + 4);
  EXPECT_TRUE(IsWindow(menu));
  EXPECT_TRUE(g_Picks.empty());
  // Down from the first item goes over the line, and back up too.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_RETURN}) {  // 0, 2, 0, 2 (wraps), Enter
    MSG msg = Key(key);
    EXPECT_EQ(lib_.DllPreTranslateMessage(&msg), 1);
  }
  Pump();
  ASSERT_EQ(g_Picks.size(), 1u);
  EXPECT_EQ(g_Picks[0].first, 30u);
  EXPECT_EQ(g_Picks[0].second, 7);

  ASSERT_EQ(lib_.CreateVorlax(owner_, kVorlaxItemHeight, 120, 200, 150, 0, 0, 0, nullptr, 7, nullptr, items, 3), 1);
  Pump();
  menu = FindWindowW(MenuClass(), nullptr);
  Click(menu, WM_LBUTTONDOWN, WM_LBUTTONUP, 40, kVorlaxItemHeight + kVorlaxSeparatorHeight + 5);
  ASSERT_EQ(g_Picks.size(), 2u);
  EXPECT_EQ(g_Picks[1].first, 30u);
}

TEST_F(VorlaxTest, ClickElsewhereClosesWithoutAPickAndIsSwallowedWithItsRelease) {
  // Under the menu's capture a press outside arrives at the menu with outside coordinates.
  HWND menu = Open();
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-30, -20));
  Pump();
  EXPECT_FALSE(IsWindow(menu));
  PostMessageW(owner_, WM_LBUTTONUP, 0, 0);  // the release lands on what lies below
  Pump();
  EXPECT_TRUE(g_OwnerInput.empty());

  // A press on another window of the thread (the capture was lost).
  menu = Open();
  ASSERT_NE(menu, nullptr);
  Click(owner_, WM_LBUTTONDOWN, WM_LBUTTONUP, 5, 5);
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_TRUE(g_OwnerInput.empty());
  EXPECT_TRUE(g_Picks.empty());

  // The program loses the activation (a click on another program).
  menu = Open();
  ASSERT_NE(menu, nullptr);
  SendMessageW(owner_, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(IsWindow(menu));

  // The next click is the user's again.
  Click(owner_, WM_LBUTTONDOWN, WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(g_OwnerInput, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

std::vector<UINT> g_ButtonInput;

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) g_ButtonInput.push_back(message);
  return DefWindowProcW(window, message, wParam, lParam);
}

// A button beside a drop-down: the click that closes the menu also presses it.
TEST_F(VorlaxTest, APressOnAnotherWindowOfTheOwnersWindowClosesTheMenuAndReachesIt) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ButtonProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VorlaxTestButton";
  RegisterClassW(&wc);
  HWND button = CreateWindowExW(0, L"VorlaxTestButton", L"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 30, owner_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  g_ButtonInput.clear();

  // Under the menu's capture: the press arrives at the menu, over the button (screen 120,120).
  HWND menu = Open();
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(120 - 200), static_cast<WORD>(120 - 150)));
  Pump();
  EXPECT_FALSE(IsWindow(menu));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  Pump();
  EXPECT_EQ(g_ButtonInput, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));

  // The capture lost: the press reaches the button from the queue.
  g_ButtonInput.clear();
  menu = Open();
  ASSERT_NE(menu, nullptr);
  Click(button, WM_LBUTTONDOWN, WM_LBUTTONUP, 10, 10);
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(g_ButtonInput, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_TRUE(g_OwnerInput.empty());  // a press on the owner itself is still only the menu's
  EXPECT_TRUE(g_Picks.empty());
  DestroyWindow(button);
}

TEST_F(VorlaxTest, PressOnAnItemReleasedOffTheMenuPicksNothingAndKeepsItOpen) {
  HWND menu = Open();
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  PostMessageW(menu, WM_LBUTTONUP, 0, MAKELPARAM(40, 75));
  Pump();
  EXPECT_TRUE(g_Picks.empty());
  EXPECT_TRUE(IsWindow(menu));
}

TEST_F(VorlaxTest, AMenuGoesWithItsOwnerWindow) {
  HWND other = CreateWindowExW(0, L"VorlaxTestOwner", L"other", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  VorlaxItem item{kVorlaxItemNormal, 1, u"One"};
  ASSERT_EQ(lib_.CreateVorlax(other, 20, 100, 0, 0, 0, 0, 0, nullptr, 0, nullptr, &item, 1), 1);
  HWND menu = FindWindowW(MenuClass(), nullptr);
  ASSERT_NE(menu, nullptr);
  DestroyWindow(other);
  Pump();
  EXPECT_FALSE(IsWindow(menu));
  EXPECT_EQ(lib_.DestroyVorlax(nullptr), 0);
  // The library is whole again: the next menu opens and picks as usual.
  menu = Open();
  ASSERT_NE(menu, nullptr);
  Click(menu, WM_LBUTTONDOWN, WM_LBUTTONUP, 40, 10);
  EXPECT_EQ(g_Picks, (std::vector<std::pair<WPARAM, LPARAM>>{{10, 0x337}}));
}

TEST_F(VorlaxTest, UnusableArgumentsOpenNothing) {
  VorlaxItem item{kVorlaxItemNormal, 1, {}};
  for (int i = 0; i <= kVorlaxCaptionChars; ++i) item.szText[i] = u'W';  // no terminator
  struct Case {
    HWND owner;
    const VorlaxItem* items;
    int32_t count;
    int32_t height;
    int32_t width;
  } cases[] = {
      {nullptr, &item, 1, 20, 100},  {owner_, nullptr, 1, 20, 100}, {owner_, &item, 0, 20, 100},
      {owner_, &item, 1, 0, 100},    {owner_, &item, 1, 20, 0},     {owner_, &item, 100000, 20, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lib_.CreateVorlax(c.owner, c.height, c.width, 0, 0, 0, 0, 0, nullptr, 0, nullptr, c.items, c.count), 0);
    EXPECT_EQ(FindWindowW(MenuClass(), nullptr), nullptr);
  }
  // A caption without its terminator is read up to its last unit.
  EXPECT_EQ(lib_.CreateVorlax(owner_, 20, 100, 0, 0, 0, 0, 0, nullptr, 0, nullptr, &item, 1), 1);
  Pump();
  EXPECT_NE(FindWindowW(MenuClass(), nullptr), nullptr);
}

TEST_F(VorlaxTest, AMenuOpenedAtTheScreensCornerMovesOntoItWhole) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor));
  const RECT& screen = monitor.rcMonitor;
  HWND menu = Open(3, screen.right - 10, screen.bottom - 10);
  ASSERT_NE(menu, nullptr);
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_EQ(rc.right, screen.right);
  EXPECT_EQ(rc.bottom, screen.bottom);
  EXPECT_EQ(rc.bottom - rc.top, 3 * kVorlaxItemHeight);
}

TEST_F(VorlaxTest, ShowsForALook) {
  const char* pause = std::getenv("VORLAX_TEST_PAUSE");
  if (!pause) GTEST_SKIP() << "VORLAX_TEST_PAUSE=<seconds> keeps a menu open for a screenshot";
  // The skin the build draws.
  std::u16string skins = plat::ProgramFolder() + u"..\\skins\\";
  std::u16string names[kVorlaxImageCount] = {u"menu_nr.bmp",    u"menu_ov.bmp",    u"menu_ov.bmp",    u"menu_nr.bmp",
                                             u"menusub_nr.bmp", u"menusub_ov.bmp", u"menusub_ov.bmp", u"menusub_nr.bmp"};
  const char16_t* images[kVorlaxImageCount];
  for (int i = 0; i < kVorlaxImageCount; ++i) {
    names[i] = skins + names[i];
    images[i] = names[i].c_str();
  }
  VorlaxItem items[] = {{kVorlaxItemNormal, 1, u"New folder"},   {kVorlaxItemNormal, 2, u"New macro"},
                        {kVorlaxItemSub, 3, u"Import macro"},    {kVorlaxItemSub, 4, u"Export macro"},
                        {kVorlaxItemNormal, 5, u"Rename"},       {kVorlaxItemNormal, 6, u"Delete"}};
  const uint32_t frame = 0x323232;
  ASSERT_EQ(lib_.CreateVorlax(owner_, kVorlaxItemHeight, 150, 200, 150, 0xCDC8C8, 0xFFFFFF, 0xFFAA00, images, 0x337,
                              &frame, items, 6),
            1);
  HWND menu = FindWindowW(MenuClass(), nullptr);
  ASSERT_NE(menu, nullptr);
  PostMessageW(menu, WM_MOUSEMOVE, 0, MAKELPARAM(40, 30));
  DWORD until = GetTickCount() + 1000u * static_cast<DWORD>(std::atoi(pause));
  while (GetTickCount() < until && IsWindow(menu)) {
    Pump();
    Sleep(20);
  }
  Pump();
  for (const auto& pick : g_Picks) std::printf("picked value %u, menu %#x\n", static_cast<unsigned>(pick.first), static_cast<unsigned>(pick.second));
  std::printf("%s\n", IsWindow(menu) ? "menu still open" : "menu closed");
}

TEST(VorlaxBinding, AllFourExportsOrNone) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"vorlax-binding\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring dll = folder + L"Vorlax.dll";

  DeleteFileW(dll.c_str());
  EXPECT_FALSE(BindMenuLibrary(U(folder)));
  EXPECT_FALSE(g_MenuLibrary.bound);
  EXPECT_FALSE(controls::OpenSkinnedMenu(nullptr, 0, 0, 100, 0, nullptr, 0));

  // A DLL of that name without the exports (the simulated keyboard's) is not used at all.
  ASSERT_TRUE(CopyFileW(W(plat::ProgramFolder() + u"..\\sim\\Lodrex.dll").c_str(), dll.c_str(), FALSE));
  EXPECT_FALSE(BindMenuLibrary(U(folder)));
  EXPECT_EQ(g_MenuLibrary.module, nullptr);
  EXPECT_EQ(g_MenuLibrary.CreateVorlax, nullptr);
  EXPECT_EQ(g_MenuLibrary.SetGdiInit, nullptr);
  EXPECT_TRUE(g_MenuLibrary.imagePaths[0].empty());

  ASSERT_TRUE(CopyFileW(W(BuiltLibrary()).c_str(), dll.c_str(), FALSE));
  ASSERT_TRUE(BindMenuLibrary(U(folder)));
  EXPECT_NE(g_MenuLibrary.DllPreTranslateMessage, nullptr);
  const wchar_t* names[kVorlaxImageCount] = {L"menu_nr.bmp",    L"menu_ov.bmp",    L"menu_ov.bmp",    L"menu_nr.bmp",
                                             L"menusub_nr.bmp", L"menusub_ov.bmp", L"menusub_ov.bmp", L"menusub_nr.bmp"};
  for (int i = 0; i < kVorlaxImageCount; ++i) EXPECT_EQ(W(g_MenuLibrary.imagePaths[i]), folder + L"skins\\" + names[i]);
  UnbindMenuLibrary();
  EXPECT_EQ(g_MenuLibrary.module, nullptr);
  EXPECT_TRUE(DeleteFileW(dll.c_str()));  // unloaded: nothing holds the file
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
