#include "config/key_names.h"

#include "config/text_table.h"
#include "platform/u16.h"

namespace {

MacroNameLookup g_macroNameLookup = nullptr;

const char16_t* FixedKeyName(uint8_t vk) {
  static const char16_t* const kFunctionKeys[12] = {u"F1", u"F2", u"F3", u"F4",  u"F5",  u"F6",
                                                     u"F7", u"F8", u"F9", u"F10", u"F11", u"F12"};
  static const char16_t* const kNumPad[10] = {u"Num 0", u"Num 1", u"Num 2", u"Num 3", u"Num 4",
                                              u"Num 5", u"Num 6", u"Num 7", u"Num 8", u"Num 9"};
  if (vk >= 112 && vk <= 123) return kFunctionKeys[vk - 112];
  if (vk >= 96 && vk <= 105) return kNumPad[vk - 96];
  switch (vk) {
    case 8: return u"Backspace";
    case 9: return u"Tab";
    case 12: return u"Clr";
    case 13: return u"Enter";
    case 16: return u"Shift";
    case 17: return u"Ctrl";
    case 18: return u"Alt";
    case 19: return u"Pause";
    case 20: return u"CapsLock";
    case 27: return u"Esc";
    case 32: return u"Space";
    case 33: return u"PageUp";
    case 34: return u"PageDown";
    case 35: return u"End";
    case 36: return u"Home";
    case 37: return u"Left";
    case 38: return u"Up";
    case 39: return u"Right";
    case 40: return u"Down";
    case 41: return u"Select";
    case 42: return u"Print";
    case 43: return u"Enter";
    case 44: return u"PrintScreen";
    case 45: return u"Insert";
    case 46: return u"Delete";
    case 47: return u"Help";
    case 91: return u"L_Win";
    case 92: return u"R_Win";
    case 93: return u"App";
    case 106: return u"Num *";
    case 107: return u"Num +";
    case 108: return u"\\";
    case 109: return u"Num -";
    case 110: return u"Num .";
    case 111: return u"Num /";
    case 144: return u"NumLock";
    case 145: return u"Scroll Lock";
    case 160: return u"L_Shift";
    case 161: return u"R_Shift";
    case 162: return u"L_Ctrl";
    case 163: return u"R_Ctrl";
    case 164: return u"L_Alt";
    case 165: return u"R_Alt";
    case 250: return u"Fn";
    case 255: return u"";
    default: return nullptr;
  }
}

void Append(std::u16string& text, const std::u16string& part) {
  if (!text.empty()) text += u" + ";
  text += part;
}

void AppendKeys(std::u16string& text, uint8_t vk1, uint8_t vk2) {
  if (vk1 != 0) Append(text, KeyName(vk1));
  if (vk2 != 0) Append(text, KeyName(vk2));
}

std::u16string FireKeyArgument(uint8_t vk) {
  switch (vk) {
    case 240: return g_Texts.tc_click;
    case 241: return g_Texts.tc_menu;
    case 242: return g_Texts.tc_middle;
    case 243: return g_Texts.tc_msg26;
    case 244: return g_Texts.tc_msg27;
    case 245: return g_Texts.tc_msg29;
    case 246: return g_Texts.tc_msg30;
    default: return KeyName(vk);
  }
}

std::u16string FunctionCodeText(const KEYINFO& entry) {
  switch (KeyCode(entry)) {
    case 17: return g_Texts.tc_click;
    case 18: return g_Texts.tc_middle;
    case 19: return g_Texts.tc_menu;
    case 20: case 54: return g_Texts.tc_forward;
    case 21: case 53: return g_Texts.tc_back;
    case 22: return g_Texts.tc_ms_str1;
    case 23: return g_Texts.tc_three;
    case 33: return g_Texts.tc_kbmedia_msel;
    case 34: return g_Texts.tc_PL;
    case 35: return g_Texts.tc_stop;
    case 36: return g_Texts.tc_pre_media;
    case 37: return g_Texts.tc_next_media;
    case 38: return g_Texts.tc_vol_up;
    case 39: return g_Texts.tc_vol_dw;
    case 40: return g_Texts.tc_mute;
    case 48: return g_Texts.tc_kbmedia_mail;
    case 49: return g_Texts.tc_kbmedia_cal;
    case 50: return g_Texts.tc_kbmedia_explore;
    case 51: return g_Texts.tc_kbmedia_search;
    case 52: return g_Texts.tc_kbmedia_main;
    case 55: case 56: case 57: return g_Texts.tc_kbmedia_stop;
    case 162: return g_Texts.tc_key_off;
    case 163: return g_Texts.tc_shift;
    case 164:
      return u16::Format(u"%s - %s", g_Texts.tc_fire.c_str(), FireKeyArgument(entry.bVkParam).c_str());
    case 166: return g_Texts.tc_snipe;
    case 167: return g_Texts.tc_rgb;
    case 168: return g_Texts.tc_dpiadd;
    case 169: return g_Texts.tc_dpisub;
    case 170: return g_Texts.tc_dpiloop;
    case 171: return g_Texts.tc_msg31;
    default: return std::u16string();
  }
}

}  // namespace

void SetMacroNameLookup(MacroNameLookup lookup) { g_macroNameLookup = lookup; }

std::u16string KeyName(uint8_t vk) {
  if (const char16_t* fixed = FixedKeyName(vk)) return fixed;
  switch (vk) {
    case 240: return g_Texts.tc_click;
    case 241: return g_Texts.tc_menu;
    case 242: return g_Texts.tc_middle;
    default: break;
  }
  char16_t c = static_cast<char16_t>(KeyCharFromSystem(vk) & 0xFF);
  if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  // A code without a character names nothing rather than carrying an embedded NUL into
  // combination texts.
  if (c == 0) return std::u16string();
  return std::u16string(1, c);
}

std::u16string ShortComboText(uint8_t modifiers, uint8_t vk1, uint8_t vk2) {
  std::u16string text;
  if (modifiers & 0x11) Append(text, u"Ctrl");
  if (modifiers & 0x44) Append(text, u"Alt");
  if (modifiers & 0x22) Append(text, u"Shift");
  if (modifiers & 0x88) Append(text, u"Win");
  AppendKeys(text, vk1, vk2);
  return text;
}

std::u16string LongComboText(uint8_t modifiers, uint8_t vk1, uint8_t vk2) {
  static const struct {
    uint8_t bit;
    const char16_t* name;
  } kWords[] = {{0x01, u"L-Ctrl"}, {0x04, u"L-Alt"}, {0x02, u"L-Shift"}, {0x08, u"L-Win"},
                {0x10, u"R-Ctrl"}, {0x40, u"R-Alt"}, {0x20, u"R-Shift"}, {0x80, u"R-Win"}};
  std::u16string text;
  for (const auto& w : kWords)
    if (modifiers & w.bit) Append(text, w.name);
  AppendKeys(text, vk1, vk2);
  return text;
}

std::u16string KeyFunctionText(const KEYINFO& entry) {
  switch (entry.bType) {
    case 5: {
      std::u16string name;
      if (!g_macroNameLookup || !g_macroNameLookup(entry.dwMacroId, &name)) return std::u16string();
      return u16::Format(u"%s - %s", g_Texts.tc_msg25.c_str(), name.c_str());
    }
    case 2:
      if (entry.bModifier == 0 && entry.bVk == 250) return u"Fn";
      return LongComboText(entry.bModifier, entry.bVk, entry.bVk2);
    default:
      return FunctionCodeText(entry);
  }
}
