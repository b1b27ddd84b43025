// A picker over a view that records what it is asked, with a small layout and text table.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "dialogs/key_fun_pick.h"
#include "macro/macro_record.h"
#include "unit/key_entries.h"

class RecordingPickView : public KeyFunPickView {
 public:
  void ShowPage(int page) override { pages.push_back(page); }
  void SetComboCaption(const std::u16string& text) override {
    comboCaption = text;
    ++comboCaptionCalls;
  }
  void SetMediaCaption(const std::u16string& text) override { mediaCaption = text; }
  void ShowNotice(const std::u16string& text) override { notices.push_back(text); }
  bool Confirm(const std::u16string& text) override {
    confirms.push_back(text);
    return confirmAnswer;
  }
  void Close(int modalResult) override { closedWith = modalResult; }

  std::vector<int> pages;
  std::u16string comboCaption;
  int comboCaptionCalls = 0;
  std::u16string mediaCaption;
  std::vector<std::u16string> notices;
  std::vector<std::u16string> confirms;
  bool confirmAnswer = true;
  int closedWith = 0;  // 0: still open
};

constexpr int kKeyC = 77;  // slot of C in the test layout, matrix position 28

class PickerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearTextTable();
    g_Texts.tc_msg34 = u"Key: ";
    g_Texts.tc_msg3 = u"Choose a function first";
    g_Texts.tc_msg14 = u"Restore the default?";
    g_Texts.tc_msg25 = u"Macro";
    g_Texts.tc_msg9 = u"No macros";
    g_Texts.tc_PL = u"Play/Pause";
    g_Texts.tc_vol_up = u"Volume up, the long way round";
    g_Texts.tc_combo_tips = u"Press keys";
    g_Texts.tc_macro_list = u"Macros";
    g_Texts.tc_page3 = u"Media";
    g_Texts.tc_adv_str3 = u"Colour";
    ClearLayout();
    g_KeyCount = 104;
    DefaultKeyTable[kKeyC] = Keys(0, 'C', 0, 28);
    DefaultKeyTable[kKeyC].rcKey = {127, 128, 157, 157};
    std::memset(&g_Settings, 0, sizeof g_Settings);
    LastPickKeyEvent() = PickKeyEvent{};
    MacroList.RemoveAll();
  }
  void TearDown() override {
    MacroList.RemoveAll();
    ClearLayout();
    ClearTextTable();
  }

  void Open(const KEYINFO& entry, bool colourRow = false, int keyIndex = kKeyC) {
    KeyPickRequest request;
    request.keyIndex = keyIndex;
    request.colourRow = colourRow;
    request.entry = entry;
    request.appDataFolder = appDataFolder;
    request.macroFolders = true;
    picker.Open(request);
  }
  // Key down and up as the dialog sees them; `data` is the message's lParam.
  bool Down(uint32_t vk, uint32_t data = 0) { return picker.OnKeyMessage(false, vk, data); }
  bool Up(uint32_t vk, uint32_t data = 0) { return picker.OnKeyMessage(true, vk, data); }
  void Tap(uint32_t vk, uint32_t data = 0) {
    Down(vk, data);
    Up(vk, data);
  }

  std::u16string appDataFolder = u"/nonexistent/";
  RecordingPickView view;
  TreeModel tree;
  KeyFunPicker picker{view, tree};
};

// All 36 bytes alike.
inline bool SameBytes(const KEYINFO& a, const KEYINFO& b) {
  return std::memcmp(&a, &b, sizeof(KEYINFO)) == 0;
}
