// The macro editor window under its own modal loop, driven from another thread as a user's
// clicks, menu picks and keys reach it, over a library of its own in the temporary folder. With
// VELKOR_SHOT_DIR set, the test also stops until an outside script has taken a screenshot (it
// deletes <dir>\<name>.ready), and the windows draw from the skin folder beside the test
// program's folder (build/win/skins).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "config/folders.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "controls/msg_box_model.h"
#include "controls/tree_model.h"
#include "dialogs/macro_dlg_win.h"
#include "macro/macro_files.h"
#include "macro/macro_library.h"
#include "macro/macro_editor.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "skin_fixture_win.h"

namespace {

HWND WaitForWindow(const wchar_t* className) { return skintest::WaitForVisibleWindow(className); }
using skintest::WaitFor;

HWND Button(HWND dialog, const std::u16string& caption) { return skintest::ButtonByCaption(dialog, caption); }

void PostClick(HWND dialog, HWND button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PostKey(HWND h, UINT vk, UINT scan, bool up) {
  const LPARAM data = 1 | (static_cast<LPARAM>(scan) << 16) | (up ? 0xC0000000 : 0);
  PostMessageW(h, up ? WM_KEYUP : WM_KEYDOWN, vk, data);
}

// Removes the test's library and everything in it: process numbers repeat under Wine, so a
// library left by an earlier run could otherwise be found again.
void RemoveTree(const std::wstring& folder) {
  DeleteFolderTree(std::u16string(folder.begin(), folder.end() - 1));
}

class MacroDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VELKOR_SHOT_DIR")) {
      savedFolder = g_ProgramFolder;
      g_ProgramFolder = plat::ProgramFolder() + u"..\\";
      BindMenuLibrary(plat::ProgramFolder() + u"..\\vorlax\\");
    } else {
      folder.Picture(L"macro_nr.png", 660, 380, 0x202020);
      folder.Picture(L"msg_nr.png", 460, 190, 0x202020);
      for (const wchar_t* name : {L"recbtn_nr.png", L"recbtn_dn.png"}) folder.Picture(name, 150, 34, 0x404040);
      for (const wchar_t* name : {L"check_nr.png", L"check_ov.png", L"check_dn.png", L"radio_nr.png", L"radio_ov.png",
                                  L"radio_dn.png", L"open.png", L"close.png"})
        folder.Picture(name, 16, 16, 0x606060);
      for (const wchar_t* name : {L"UP_N.png", L"DN_N.png", L"TM_N.png"}) folder.Picture(name, 18, 18, 0x808080);
      for (const wchar_t* name : {L"combo_nr.png", L"combo_ov.png"}) folder.Picture(name, 137, 24, 0x303030);
      for (const wchar_t* name : {L"btn_nr.png", L"btn_ov.png"}) folder.Picture(name, 57, 30, 0x505050);
      for (const wchar_t* name : {L"exit_nr.png", L"exit_ov.png"}) folder.Picture(name, 16, 15, 0x505050);
    }
    ClearTextTable();
    // Screenshots show every text of the shipped table (the build folder sits in the sources).
    if (std::getenv("VELKOR_SHOT_DIR")) LoadTextTable(plat::ProgramFolder() + u"..\\..\\..\\assets\\text.xml");
    g_Texts.tc_ok = u"OK";
    g_Texts.tc_cancel = u"Cancel";
    g_Texts.tc_macro_start = u"Start Recording";
    g_Texts.tc_macro_stop = u"Stop Recording";
    g_Texts.tc_macro_list = u"Macro Library";
    g_Texts.tc_macro_key_list = u"Events";
    g_Texts.tc_macro_auto = u"Record delays between events";
    g_Texts.tc_macro_loop = u"Insert Event";
    g_Texts.tc_macro_loop1 = u"Play the set number of times";
    g_Texts.tc_macro_loop2 = u"Repeat until the key is pressed again";
    g_Texts.tc_macro_msg5 = u"New Macro";
    g_Texts.tc_macro_msg9 = u"Right-click the lists for more commands.";
    g_Texts.tc_macro_msg11 = u"Enter a name for the macro:";
    g_Texts.tc_macro_msg19 = u"Save";
    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.Macro_Opt_X = 350;
    g_Settings.rcMacroList = RECT32{30, 76, 180, 326};
    g_Settings.rcKeyList = RECT32{190, 76, 320, 326};
    g_Settings.Txt_clr = 0xE0DCDC;
    g_Settings.LstBox_txt_clr_nr = 0xD7D2D2;
    g_Settings.LstBox_txt_clr_dn = 0xFFFFFF;
    g_Settings.LstBox_bkg_clr = 0x1C1818;
    g_Settings.LstBox_item_clr = 0x383030;
    MacroList.RemoveAll();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    appData = std::wstring(temp) + L"velkor-macrodlg-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(++serial) + L"\\";
    RemoveTree(appData);
    savedAppData = g_AppDataFolder;
    g_AppDataFolder.assign(appData.begin(), appData.end());
  }
  void TearDown() override {
    if (user.joinable()) user.join();
    RemoveTree(appData);
    MacroList.RemoveAll();
    ClearTextTable();
    g_AppDataFolder = savedAppData;
    if (!savedFolder.empty()) g_ProgramFolder = savedFolder;
  }
  std::u16string MacroPath(const std::wstring& name) const {
    const std::wstring path = appData + L"Mac\\" + name + L".mck";
    return std::u16string(path.begin(), path.end());
  }
  void WriteMacro(const std::wstring& name, uint32_t id) {
    CreateDirectoryW(appData.c_str(), nullptr);
    CreateDirectoryW((appData + L"Mac").c_str(), nullptr);
    StMacro record;
    std::memset(&record, 0, sizeof record);
    record.dwMagicNumber = kMacroMagic;
    record.dwMacroId = id;
    record.Events[0] = MACROEVENT{'X', 1, 0};
    record.Events[1] = MACROEVENT{'X', 0, 0};
    ASSERT_TRUE(WriteMacroFile(MacroPath(name), record));
  }
  // Runs `act` on another thread once the editor is up, while this thread runs the editor.
  void Run(std::function<void(HWND)> act) {
    user = std::thread([act] {
      if (HWND editor = WaitForWindow(kMacroDlgClass)) act(editor);
    });
    RunMacroDlg(nullptr);
    user.join();
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  std::u16string savedFolder;
  std::u16string savedAppData;
  std::wstring appData;
  std::thread user;
};

TEST_F(MacroDlgTest, NewMacroRecordedFromPostedKeysIsSavedToItsFile) {
  WriteMacro(L"Alpha", 0x1001);
  WriteMacro(L"Beta", 0x1002);
  bool asked = false, recorded = false, saveShown = false, saved = false, strayBox = false;
  Run([&](HWND editor) {
    // The library tree's menu on empty space, then its "new macro" item.
    PostMessageW(editor, WM_TREE_RCLICK, 261, 0);
    PostMessageW(editor, WM_MENU_PICKED, kMenuNewMacro, kMenuNewMacro | kMenuImportMacro);
    HWND box = WaitForWindow(L"VelkorMsgDlg");
    asked = box != nullptr;
    if (!box) {
      PostMessageW(editor, WM_CLOSE, 0, 0);
      return;
    }
    HWND field = FindWindowExW(box, nullptr, L"Edit", nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Gamma"));
    PostKey(field, VK_RETURN, 0x1C, false);
    WaitFor([] { return FindWindowW(L"VelkorMsgDlg", nullptr) == nullptr; });

    HWND record = Button(editor, u"Start Recording");
    PostClick(editor, record);
    recorded = WaitFor([&] { return Button(editor, u"Stop Recording") != nullptr; });
    PostKey(editor, 'A', 0x1E, false);
    PostKey(editor, 'A', 0x1E, false);  // auto-repeat: no second press
    PostKey(editor, 'A', 0x1E, true);
    PostKey(editor, VK_RETURN, 0x1C, false);
    PostKey(editor, VK_RETURN, 0x1C, true);
    PostClick(editor, record);
    HWND save = Button(editor, u"Save");
    saveShown = WaitFor([&] { return IsWindowVisible(save) != FALSE; });
    skintest::ShotPoint("recorded");
    PostClick(editor, save);
    saved = WaitFor([&] { return !IsWindowVisible(save); });
    // A box nobody expected fails the test instead of hanging it.
    for (int i = 0; i < 20; ++i) {
      HWND stray = FindWindowW(L"VelkorMsgDlg", nullptr);
      if (!stray) break;
      strayBox = true;
      PostKey(stray, VK_RETURN, 0x1C, false);
      Sleep(100);
    }
    PostMessageW(editor, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(strayBox);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(recorded);
  EXPECT_TRUE(saveShown);
  EXPECT_TRUE(saved);
  EXPECT_EQ(FindWindowW(kMacroDlgClass, nullptr), nullptr);

  StMacro stored;
  ASSERT_EQ(ReadMacroFile(MacroPath(L"Gamma"), MacroReadMode::LibraryScan, 0, &stored), MacroReadResult::Ok);
  ASSERT_EQ(MacroEventCount(stored), 4);
  const uint16_t codes[4][2] = {{'A', 1}, {'A', 0}, {VK_RETURN, 1}, {VK_RETURN, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(stored.Events[i].wVk, codes[i][0]) << i;
    EXPECT_EQ(stored.Events[i].wDown, codes[i][1]) << i;
  }
  EXPECT_EQ(stored.bAutoDelay, 1u);
  EXPECT_NE(stored.dwMacroId, 0x1001u);
  EXPECT_NE(stored.dwMacroId, 0x1002u);
  // The other macros are untouched.
  StMacro alpha;
  ASSERT_EQ(ReadMacroFile(MacroPath(L"Alpha"), MacroReadMode::LibraryScan, 0, &alpha), MacroReadResult::Ok);
  EXPECT_EQ(alpha.Events[0].wVk, 'X');
}

TEST_F(MacroDlgTest, InsertEventIsNamedOnceOnItsButton) {
  bool onButton = false;
  int drawnAbove = -1;
  Run([&](HWND editor) {
    HWND insert = Button(editor, u"Insert Event");
    onButton = insert != nullptr;
    if (insert) {
      RECT r;
      GetWindowRect(insert, &r);
      MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&r), 2);
      // The band a label over the button would take.
      const skintest::Drawing drawing = skintest::Capture(editor);
      drawnAbove = 0;
      for (int y = r.top - 20; y < r.top; ++y)
        for (int x = r.left; x < r.left + 200; ++x) drawnAbove += drawing.At(x, y) != 0x202020;
    }
    PostMessageW(editor, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(onButton);
  EXPECT_EQ(drawnAbove, 0);
}

// Macros no scan has read (copied in since start-up): the editor shows at once and its library
// fills in when their files are read.
TEST_F(MacroDlgTest, MacrosNoScanHasReadFillTheLibraryWhenTheirFilesAreRead) {
  for (uint32_t i = 0; i < 30; ++i) WriteMacro(L"M" + std::to_wstring(i), 0x3000 + i);
  ForgetKnownMacroFiles();
  bool filled = false;
  Run([&](HWND editor) {
    HWND tree = GetDlgItem(editor, 261);
    // 30 rows overflow the list: its scroll bar shows once they are in.
    filled = WaitFor([&] { return IsWindowVisible(FindWindowExW(tree, nullptr, L"VelkorScrollBar", nullptr)) != FALSE; });
    PostMessageW(editor, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(filled);
  EXPECT_EQ(MacroList.GetCount(), 30u);
}

}  // namespace
