// The key function picker window under its own modal loop, driven from another thread as a
// user's keys and clicks reach it. With VELKOR_SHOT_DIR set, the test also stops at each page
// until an outside script has taken a screenshot (it deletes <dir>\<name>.ready), and the
// windows draw from the skin folder beside the test program's folder (build/win/skins).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "config/folders.h"
#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "dialogs/key_fun_pick_dlg_win.h"
#include "macro/macro_files.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "skin_fixture_win.h"

namespace {

const wchar_t kPickerClass[] = L"VelkorKeyFunPick";

HWND WaitForPicker() { return skintest::WaitForVisibleWindow(kPickerClass); }
using skintest::WaitFor;

HWND Button(HWND picker, const std::u16string& caption) { return skintest::ButtonByCaption(picker, caption); }

// A click on one of the picker's buttons as the button reports it.
void Click(HWND picker, HWND button) {
  SendMessageW(picker, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void PostKey(HWND h, UINT vk, UINT scan, bool up) {
  const LPARAM data = 1 | (static_cast<LPARAM>(scan) << 16) | (up ? 0xC0000000 : 0);
  PostMessageW(h, up ? WM_KEYUP : WM_KEYDOWN, vk, data);
}

std::wstring TextOf(HWND h) {
  wchar_t buffer[256] = {};
  GetWindowTextW(h, buffer, 256);
  return buffer;
}

class KeyFunPickDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VELKOR_SHOT_DIR")) {
      savedFolder = g_ProgramFolder;
      g_ProgramFolder = plat::ProgramFolder() + u"..\\";
      BindMenuLibrary(plat::ProgramFolder() + u"..\\vorlax\\");
    } else {
      folder.Picture(L"pickfundlg.png", 550, 360, 0x202020);
      for (const wchar_t* name : {L"btn2_nr.png", L"btn2_ov.png", L"btn2_dn.png"}) folder.Picture(name, 150, 40, 0x404040);
      for (const wchar_t* name : {L"btn_nr.png", L"btn_ov.png"}) folder.Picture(name, 57, 30, 0x505050);
      for (const wchar_t* name : {L"combo_nr.png", L"combo_ov.png"}) folder.Picture(name, 137, 24, 0x303030);
      folder.Picture(L"button_nr.png", 223, 25, 0x303030);
      folder.Picture(L"open.png", 16, 16, 0xC0A000);
      folder.Picture(L"close.png", 16, 16, 0x806000);
    }
    ClearTextTable();
    g_Texts.tc_page1 = u"Key combination";
    g_Texts.tc_page2 = u"Macro";
    g_Texts.tc_page3 = u"Media";
    g_Texts.tc_ok = u"OK";
    g_Texts.tc_cancel = u"Cancel";
    g_Texts.tc_msg34 = u"Key: ";
    g_Texts.tc_combo_tips = u"Press the keys of the combination";
    g_Texts.tc_macro_list = u"Macro list";
    g_Texts.tc_adv_str3 = u"Colour";
    g_Texts.tc_PL = u"Play/Pause";
    g_Texts.tc_vol_up = u"Volume up";
    g_Texts.tc_mute = u"Mute";
    ClearLayout();
    g_KeyCount = 104;
    std::memset(&g_Settings, 0, sizeof g_Settings);
    LastPickKeyEvent() = PickKeyEvent{};
    MacroList.RemoveAll();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;  // each test its own library
    appData = std::wstring(temp) + L"velkor-picker-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial) + L"\\";
    // Process numbers repeat under Wine: a library an earlier run left here would be found again.
    RemoveLibrary();
    request.keyIndex = 77;
    request.entry.bType = 2;
    request.entry.bVk = 'C';
    request.appDataFolder.assign(appData.begin(), appData.end());
    request.macroFolders = true;
  }
  void TearDown() override {
    if (user.joinable()) user.join();
    MacroList.RemoveAll();
    RemoveLibrary();
    ClearTextTable();
    if (!savedFolder.empty()) g_ProgramFolder = savedFolder;
  }
  void RemoveLibrary() { DeleteFolderTree(std::u16string(appData.begin(), appData.end() - 1)); }
  void WriteMacro(const std::wstring& rel, uint32_t id) {
    const std::wstring path = appData + L"Mac\\" + rel;
    for (size_t at = appData.size() - 2; (at = path.find(L'\\', at + 1)) != std::wstring::npos;)
      CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    StMacro record;
    std::memset(&record, 0, sizeof record);
    record.dwMagicNumber = kMacroMagic;
    record.dwMacroId = id;
    ASSERT_TRUE(WriteMacroFile(std::u16string(path.begin(), path.end()), record));
  }
  // Runs `act` on another thread once the picker is up, while this thread runs the picker.
  KeyPickOutcome Run(std::function<void(HWND)> act) {
    user = std::thread([act] {
      if (HWND picker = WaitForPicker()) act(picker);
    });
    KeyPickOutcome outcome = RunKeyFunPickDlg(nullptr, request);
    user.join();
    return outcome;
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  std::u16string savedFolder;
  std::wstring appData;
  KeyPickRequest request;
  std::thread user;
};

TEST_F(KeyFunPickDlgTest, CombinationPageTakesEveryKeyAndOkReturnsTheCombination) {
  std::wstring caption;
  const KeyPickOutcome outcome = Run([&caption](HWND picker) {
    Click(picker, Button(picker, u"Key combination"));
    PostKey(picker, VK_CONTROL, 0x1D, false);
    PostKey(picker, 'C', 0x2E, false);
    PostKey(picker, 'C', 0x2E, false);  // auto-repeat
    PostKey(picker, VK_ESCAPE, 0x01, false);  // a key like any other here: the picker stays
    PostKey(picker, VK_ESCAPE, 0x01, true);
    PostKey(picker, 'C', 0x2E, true);
    PostKey(picker, VK_CONTROL, 0x1D, true);
    HWND display = nullptr;
    WaitFor([&] {
      display = Button(picker, u"Ctrl + C + Esc");
      return display != nullptr;
    });
    if (display) caption = TextOf(display);
    skintest::ShotPoint("page1");
    Click(picker, Button(picker, u"OK"));
  });
  EXPECT_EQ(caption, L"Ctrl + C + Esc");
  EXPECT_EQ(outcome.modalResult, kPickOk);
  EXPECT_EQ(outcome.resultKind, kPickResultFunction);
  EXPECT_EQ(outcome.entry.bType, 2);
  EXPECT_EQ(outcome.entry.bModifier, 0x01);
  EXPECT_EQ(outcome.entry.bVk, 'C');
  EXPECT_EQ(outcome.entry.bVk2, VK_ESCAPE);
}

TEST_F(KeyFunPickDlgTest, OpensWithNoPageAndNoPageControlMadeSoEscCancels) {
  bool anyMade = true;
  const KeyPickOutcome outcome = Run([&](HWND picker) {
    anyMade = GetDlgItem(picker, 212) || GetDlgItem(picker, 213) || GetDlgItem(picker, 214);
    PostKey(picker, VK_ESCAPE, 0x01, false);  // no page yet: not captured
  });
  EXPECT_FALSE(anyMade);
  EXPECT_EQ(outcome.modalResult, kPickCancel);
}

TEST_F(KeyFunPickDlgTest, EscOutsideTheCombinationPageCancels) {
  const KeyPickOutcome outcome = Run([](HWND picker) {
    Click(picker, Button(picker, u"Media"));
    PostKey(picker, VK_ESCAPE, 0x01, false);
  });
  EXPECT_EQ(outcome.modalResult, kPickCancel);
}

TEST_F(KeyFunPickDlgTest, MacroPageShowsTheLibraryAndOkReturnsTheClickedMacro) {
  // The listing order of a folder is the file system's, so the rows are known only while each
  // folder holds one entry; screenshots get a fuller library.
  const bool shots = std::getenv("VELKOR_SHOT_DIR") != nullptr;
  ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Games\\Combo.mck", 0x000201));
  if (shots) {
    ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Fire.mck", 0x000101));
    ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Strafe left and right, twice.mck", 0x000102));
    ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Shooters\\Reload.mck", 0x000301));
    ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Shooters\\Sniper\\Hold breath.mck", 0x000302));
  }
  const KeyPickOutcome outcome = Run([shots](HWND picker) {
    Click(picker, Button(picker, u"Macro"));
    HWND tree = FindWindowExW(picker, nullptr, L"VelkorTreeCtrlEx", nullptr);
    if (!tree || !WaitFor([tree] { return IsWindowVisible(tree) != FALSE; })) return;
    if (shots) {
      for (int row = 4; row >= 0; --row)
        PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, row * 20 + 10));
      Sleep(300);
      skintest::ShotPoint("page2");
      Click(picker, Button(picker, u"Cancel"));
      return;
    }
    // Open Games (row 0) with a double click, then pick Combo below it.
    PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 10));
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 30));
    PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(100, 30));
    Sleep(100);
    Click(picker, Button(picker, u"OK"));
  });
  if (shots) return;
  EXPECT_EQ(outcome.modalResult, kPickOk);
  EXPECT_EQ(outcome.entry.bType, 5);
  EXPECT_EQ(outcome.entry.dwMacroId, 0x000201u);
  EXPECT_EQ(MacroList.GetCount(), 1u);
}

TEST_F(KeyFunPickDlgTest, MediaPageShowsTheListAndSwatchesGiveAColour) {
  request.colourRow = true;
  const KeyPickOutcome outcome = Run([](HWND picker) {
    HWND media = Button(picker, u"Media");
    Click(picker, media);
    skintest::ShotPoint("page3");
    if (std::getenv("VELKOR_SHOT_DIR")) {
      // The drop-down opens on the release of a click over it.
      HWND combo = GetDlgItem(picker, 213);
      PostMessageW(combo, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
      Sleep(500);
      skintest::ShotPoint("media-open");
      PostMessageW(combo, WM_MENU_PICKED, 0x04000022, 0);
      Sleep(200);
      skintest::ShotPoint("media-picked");
    }
    HWND swatch = GetDlgItem(picker, 1003);
    PostMessageW(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(swatch, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  });
  EXPECT_EQ(outcome.modalResult, kPickOk);
  EXPECT_EQ(outcome.resultKind, kPickResultColour);
  EXPECT_EQ(outcome.colour, 0x00FFFFu);
}

double MsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Time from the call to the window on the screen, measured by a watcher thread that polls
// every millisecond. The first picker of a process also pays for loading fonts and decoding the
// skin's pictures for the first time; the main window has done that before a user can click.
double TimeToShown(const KeyPickRequest& request, const std::function<void(HWND)>& then) {
  LARGE_INTEGER start;
  std::atomic<bool> seen{false};
  double shownMs = -1;
  QueryPerformanceCounter(&start);
  std::thread watcher([&] {
    for (int i = 0; i < 5000; ++i) {
      HWND h = FindWindowW(kPickerClass, nullptr);
      if (h && IsWindowVisible(h)) {
        shownMs = MsSince(start);
        seen = true;
        then(h);
        return;
      }
      Sleep(1);
    }
  });
  RunKeyFunPickDlg(nullptr, request);
  watcher.join();
  return seen ? shownMs : -1;
}

TEST_F(KeyFunPickDlgTest, OpensAndShowsALibraryOfTwoThousandMacrosQuickly) {
  for (uint32_t i = 0; i < 2000; ++i)
    ASSERT_NO_FATAL_FAILURE(WriteMacro(L"Macro " + std::to_wstring(i) + L".mck", 0x100000 + i));
  const double coldMs = TimeToShown(request, [](HWND h) { PostMessageW(h, WM_CLOSE, 0, 0); });
  double drawMs = 0, pageMs = 0, filledMs = -1, treeDrawMs = 0;
  size_t treePixels = 0;
  const double warmMs = TimeToShown(request, [&](HWND picker) {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    skintest::Capture(picker);
    drawMs = MsSince(t);
    QueryPerformanceCounter(&t);
    Click(picker, Button(picker, u"Macro"));  // lists the library; its 2000 files are read meanwhile
    pageMs = MsSince(t);
    HWND tree = FindWindowExW(picker, nullptr, L"VelkorTreeCtrlEx", nullptr);
    // Filled: the rows overflow the list, so its scroll bar shows.
    if (skintest::WaitFor([&] { return IsWindowVisible(FindWindowExW(tree, nullptr, L"VelkorScrollBar", nullptr)); }))
      filledMs = MsSince(t);
    QueryPerformanceCounter(&t);
    treePixels = skintest::Capture(tree).pixels.size();
    treeDrawMs = MsSince(t);
    PostMessageW(picker, WM_CLOSE, 0, 0);
  });
  std::printf("picker shown: first %.1f ms, then %.1f ms; one whole draw %.1f ms; macro page shown %.1f ms, "
              "filled with 2000 macros %.1f ms; tree draw %.1f ms\n", coldMs, warmMs, drawMs, pageMs, filledMs,
              treeDrawMs);
  EXPECT_GT(treePixels, 0u);
  EXPECT_GE(filledMs, 0);
  EXPECT_EQ(MacroList.GetCount(), 2000u);
  // Generous bounds for a loaded test machine; the figures above are what to watch.
  EXPECT_GE(warmMs, 0);
  EXPECT_LT(warmMs + drawMs, 1000);
  EXPECT_LT(treeDrawMs, 500);
}

}  // namespace
