#include "config/key_names.h"

#include <gtest/gtest.h>

#include "config/text_table.h"
#include "unit/key_entries.h"

namespace {

// Every text slot holds its own key name, so a test sees which slot a text came from.
class KeyNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
#define VELKOR_NAME_SLOT(name) g_Texts.name = u"" #name;
    VELKOR_TEXT_KEYS(VELKOR_NAME_SLOT)
#undef VELKOR_NAME_SLOT
  }
  void TearDown() override {
    ClearTextTable();
    SetMacroNameLookup(nullptr);
  }
};

TEST_F(KeyNamesTest, NamesEveryCode) {
  struct Case {
    uint8_t vk;
    const char16_t* name;
  } cases[] = {
      {8, u"Backspace"}, {9, u"Tab"}, {12, u"Clr"}, {13, u"Enter"}, {16, u"Shift"}, {17, u"Ctrl"},
      {18, u"Alt"}, {19, u"Pause"}, {20, u"CapsLock"}, {27, u"Esc"}, {32, u"Space"},
      {33, u"PageUp"}, {34, u"PageDown"}, {35, u"End"}, {36, u"Home"}, {37, u"Left"},
      {38, u"Up"}, {39, u"Right"}, {40, u"Down"}, {41, u"Select"}, {42, u"Print"},
      {43, u"Enter"}, {44, u"PrintScreen"}, {45, u"Insert"}, {46, u"Delete"}, {47, u"Help"},
      {91, u"L_Win"}, {92, u"R_Win"}, {93, u"App"}, {96, u"Num 0"}, {101, u"Num 5"},
      {105, u"Num 9"}, {106, u"Num *"}, {107, u"Num +"}, {108, u"\\"}, {109, u"Num -"},
      {110, u"Num ."}, {111, u"Num /"}, {112, u"F1"}, {117, u"F6"}, {123, u"F12"},
      {144, u"NumLock"}, {145, u"Scroll Lock"}, {160, u"L_Shift"}, {161, u"R_Shift"},
      {162, u"L_Ctrl"}, {163, u"R_Ctrl"}, {164, u"L_Alt"}, {165, u"R_Alt"}, {250, u"Fn"},
      {255, u""},
      {240, u"tc_click"}, {241, u"tc_menu"}, {242, u"tc_middle"},
      // Unnamed codes: the layout's character, letters in upper case; none gives nothing.
      {65, u"A"}, {90, u"Z"}, {48, u"0"}, {57, u"9"}, {0xBA, u";"}, {0xBF, u"/"}, {0xC0, u"`"},
      {0xDC, u"\\"}, {0xDE, u"'"}, {124, u""}, {243, u""}, {0, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyName(c.vk), c.name) << int(c.vk);
}

TEST_F(KeyNamesTest, CombinationTexts) {
  struct Case {
    uint8_t mod, vk1, vk2;
    const char16_t* shortText;
    const char16_t* longText;
  } cases[] = {
      {0x00, 0, 0, u"", u""},
      {0x11, 0, 0, u"Ctrl", u"L-Ctrl + R-Ctrl"},
      {0x03, 65, 0, u"Ctrl + Shift + A", u"L-Ctrl + L-Shift + A"},
      {0xFF, 0, 0, u"Ctrl + Alt + Shift + Win",
       u"L-Ctrl + L-Alt + L-Shift + L-Win + R-Ctrl + R-Alt + R-Shift + R-Win"},
      {0x40, 0, 46, u"Alt + Delete", u"R-Alt + Delete"},
      {0x00, 65, 66, u"A + B", u"A + B"},
      {0x88, 250, 0, u"Win + Fn", u"L-Win + R-Win + Fn"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortComboText(c.mod, c.vk1, c.vk2), c.shortText) << int(c.mod);
    EXPECT_EQ(LongComboText(c.mod, c.vk1, c.vk2), c.longText) << int(c.mod);
  }
}

TEST_F(KeyNamesTest, FunctionTexts) {
  KEYINFO fire = Coded(8, 164);
  struct Case {
    KEYINFO key;
    const char16_t* text;
  } cases[] = {
      {Keys(0x00, 250, 65), u"Fn"},
      {Keys(0x01, 250, 0), u"L-Ctrl + Fn"},
      {Keys(0x22, 65, 0), u"L-Shift + R-Shift + A"},
      {Keys(0x00, 0, 0), u""},
      {Coded(1, 17), u"tc_click"}, {Coded(1, 18), u"tc_middle"}, {Coded(1, 19), u"tc_menu"},
      {Coded(1, 20), u"tc_forward"}, {Coded(3, 54), u"tc_forward"}, {Coded(1, 21), u"tc_back"},
      {Coded(4, 53), u"tc_back"}, {Coded(1, 22), u"tc_ms_str1"}, {Coded(8, 23), u"tc_three"},
      {Coded(4, 33), u"tc_kbmedia_msel"}, {Coded(4, 34), u"tc_PL"}, {Coded(4, 35), u"tc_stop"},
      {Coded(4, 36), u"tc_pre_media"}, {Coded(4, 37), u"tc_next_media"},
      {Coded(4, 38), u"tc_vol_up"}, {Coded(4, 39), u"tc_vol_dw"}, {Coded(4, 40), u"tc_mute"},
      {Coded(4, 48), u"tc_kbmedia_mail"}, {Coded(4, 49), u"tc_kbmedia_cal"},
      {Coded(4, 50), u"tc_kbmedia_explore"}, {Coded(3, 51), u"tc_kbmedia_search"},
      {Coded(4, 52), u"tc_kbmedia_main"}, {Coded(3, 55), u"tc_kbmedia_stop"},
      {Coded(3, 56), u"tc_kbmedia_stop"}, {Coded(3, 57), u"tc_kbmedia_stop"},
      {Coded(8, 162), u"tc_key_off"}, {Coded(8, 163), u"tc_shift"}, {Coded(8, 166), u"tc_snipe"},
      {Coded(8, 167), u"tc_rgb"}, {Coded(8, 168), u"tc_dpiadd"}, {Coded(8, 169), u"tc_dpisub"},
      {Coded(8, 170), u"tc_dpiloop"}, {Coded(8, 171), u"tc_msg31"},
      {Coded(8, 41), u""}, {Coded(0, 0), u""}, {Coded(9, 0x0100A2), u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyFunctionText(c.key), c.text) << int(c.key.bType) << "/" << KeyCode(c.key);

  const struct {
    uint8_t arg;
    const char16_t* text;
  } fires[] = {
      {240, u"tc_fire - tc_click"}, {241, u"tc_fire - tc_menu"}, {242, u"tc_fire - tc_middle"},
      {243, u"tc_fire - tc_msg26"}, {244, u"tc_fire - tc_msg27"}, {245, u"tc_fire - tc_msg29"},
      {246, u"tc_fire - tc_msg30"}, {65, u"tc_fire - A"}, {164, u"tc_fire - L_Alt"},
  };
  for (const auto& f : fires) {
    fire.bVkParam = f.arg;
    EXPECT_EQ(KeyFunctionText(fire), f.text) << int(f.arg);
  }
}

TEST_F(KeyNamesTest, MacroEntriesNameTheirMacroOrNothing) {
  KEYINFO key = Coded(5, 0);
  key.dwMacroId = 0x2A;
  EXPECT_EQ(KeyFunctionText(key), u"");  // no macro list linked

  SetMacroNameLookup([](uint32_t id, std::u16string* name) {
    if (id != 0x2A) return false;
    *name = u"Rapid";
    return true;
  });
  EXPECT_EQ(KeyFunctionText(key), u"tc_msg25 - Rapid");
  key.dwMacroId = 0x2B;  // deleted from the library
  EXPECT_EQ(KeyFunctionText(key), u"");
}

}  // namespace
