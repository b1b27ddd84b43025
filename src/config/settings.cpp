#include "config/settings.h"

#include <climits>
#include <cstring>

#include "log/log.h"
#include "config/layout.h"
#include "platform/platform.h"
#include "platform/u16.h"

Settings g_Settings;

namespace {

constexpr char16_t kSection[] = u"OPT";
constexpr size_t kListUnits = 512;  // number lists use at most 511 units
constexpr size_t kRectUnits = 50;
constexpr uint32_t kRed = 0x000000FF;
constexpr int kMaxUnRectNumbers = 50;

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

void ErrorBox(const char16_t* text, const char16_t* title = u"Error") {
  plat::ShowMessageBox(text, title, plat::kMbOk);
}

class Reader {
 public:
  explicit Reader(const plat::IniFile& file) : file_(file) {}

  int32_t Int(const char16_t* key, int32_t def) const {
    return static_cast<int32_t>(file_.GetInt(kSection, key, def));
  }
  uint16_t Int16(const char16_t* key, int32_t def) const { return static_cast<uint16_t>(Int(key, def)); }

  std::u16string String(const char16_t* key, size_t units) const {
    return file_.GetString(kSection, key, u"", units);
  }

  void Text(const char16_t* key, char16_t* dest, size_t units) const {
    u16::CopyTruncated(dest, units, String(key, units));
  }

  RECT32 Rect(const char16_t* key, RECT32 def) const {
    std::u16string value = String(key, kRectUnits);
    if (value.empty()) return def;
    int32_t n[4] = {};
    if (ParseNumberList(value, 10, n, 4) != 4) {
      ErrorBox(u"Wrong rect num");
      return def;
    }
    return RECT32{n[0], n[1], n[2], n[3]};
  }

  // Missing components of a short colour list are 0.
  uint32_t Colour(const char16_t* key) const {
    int32_t n[3] = {};
    ParseNumberList(String(key, kListUnits), 10, n, 3);
    return (static_cast<uint32_t>(n[0]) & 0xFF) | ((static_cast<uint32_t>(n[1]) & 0xFF) << 8) |
           ((static_cast<uint32_t>(n[2]) & 0xFF) << 16);
  }

  uint32_t KeyColour(const char16_t* key) const {
    uint32_t c = Colour(key);
    return c ? c : kRed;
  }

  // Six base-16 numbers; an empty value counts as absent. Returns false after showing `error`.
  bool ByteList(const char16_t* key, uint8_t out[6], const uint8_t def[6], const char16_t* error) const {
    std::memcpy(out, def, 6);
    std::u16string value = String(key, kListUnits);
    if (value.empty()) return true;
    int32_t n[6] = {};
    if (ParseNumberList(value, 16, n, 6) != 6) {
      ErrorBox(error);
      return false;
    }
    for (int i = 0; i < 6; ++i) out[i] = static_cast<uint8_t>(n[i]);
    return true;
  }

  const plat::IniFile& File() const { return file_; }

 private:
  const plat::IniFile& file_;
};

}  // namespace

bool ParseWholeNumber(const std::u16string& piece, int base, int32_t& value) {
  size_t i = 0, n = piece.size();
  while (i < n && IsBlank(piece[i])) ++i;
  bool negative = false;
  if (i < n && (piece[i] == u'+' || piece[i] == u'-')) negative = piece[i++] == u'-';
  // A "0x" counts as a prefix only when a hex digit follows; otherwise the 0 is the number and
  // the x is something after it.
  if (base == 16 && i + 2 < n && piece[i] == u'0' && (piece[i + 1] == u'x' || piece[i + 1] == u'X') &&
      DigitValue(piece[i + 2]) < 16)
    i += 2;
  size_t start = i;
  int64_t magnitude = 0;
  for (; i < n && DigitValue(piece[i]) < base; ++i) {
    magnitude = magnitude * base + DigitValue(piece[i]);
    if (magnitude > int64_t(1) << 32) magnitude = int64_t(1) << 32;  // saturates below
  }
  if (i == start || i != n) return false;
  int64_t v = negative ? -magnitude : magnitude;
  if (v > INT32_MAX) v = INT32_MAX;
  if (v < INT32_MIN) v = INT32_MIN;
  value = static_cast<int32_t>(v);
  return true;
}

int ParseNumberList(const std::u16string& text, int base, int32_t* out, int maxCount) {
  size_t end = text.size() < kListUnits - 1 ? text.size() : kListUnits - 1;
  int count = 0;
  size_t i = 0;
  while (count < maxCount) {
    while (i < end && text[i] == u',') ++i;
    if (i >= end) break;
    size_t comma = text.find(u',', i);
    if (comma == std::u16string::npos || comma > end) comma = end;
    int32_t v = 0;
    if (!ParseWholeNumber(text.substr(i, comma - i), base, v)) break;
    out[count++] = v;
    i = comma;
  }
  return count;
}

bool LoadConfig(const std::u16string& programFolder) {
  return LoadConfigFrom(plat::IniFile(u16::Format(u"%s%s", programFolder.c_str(), u"cfg.ini")));
}

bool LoadConfigFrom(const plat::IniFile& file) {
  Reader ini(file);
  std::memset(&g_Settings, 0, sizeof g_Settings);
  ClearLayout();
  Settings& s = g_Settings;

  g_Debug = ini.Int(u"Debug", 0);
  LogInit();

  s.Suwnd = ini.Int(u"Suwnd", 0);
  s.MatchStr = ini.Int(u"MatchStr", 0);
  s.Macro_Opt_X = ini.Int(u"Macro_Opt_X", 350);
  s.BtnTips = ini.Int(u"BtnTips", 0);
  s.MinDelay = ini.Int(u"MinDelay", 10);
  s.MacroDir = ini.Int(u"MacroDir", 0);
  s.MacroHasMsKey = ini.Int(u"MacroHasMsKey", 0);
  s.ListTrans = ini.Int16(u"ListTrans", 0);
  s.rcMacroList = ini.Rect(u"rcMacroList", RECT32{30, 76, 180, 326});
  s.rcKeyList = ini.Rect(u"rcKeyList", RECT32{190, 76, 320, 326});
  s.rcKB = ini.Rect(u"rcKB", RECT32{280, 180, 954, 365});
  s.ApplyNow = ini.Int(u"ApplyNow", 0);
  s.VID = ini.Int16(u"VID", 0);
  s.PID = ini.Int16(u"PID", 0);
  ini.Text(u"USBString", s.USBString, 30);
  ini.Text(u"appdir", s.appdir, 30);
  if (s.appdir[0] == 0) ErrorBox(u"APPDATA=NULL");
  s.Pop = ini.Int16(u"Pop", 0);
  s.TrayIcon = ini.Int16(u"TrayIcon", 2);
  s.GoWithNoDev = ini.Int(u"GoWithNoDev", 0);
  s.Gest = ini.Int(u"Gest", 0);

  // Ten lighting modes exist; a mode beyond them would index past the record's parameters.
  if (ini.ByteList(u"LEDParam", s.LEDParam, kDefaultLedParam, u"LED Param error") && s.LEDParam[0] > 9) {
    ErrorBox(u"LED Param error");
    std::memcpy(s.LEDParam, kDefaultLedParam, 6);
  }

  int32_t poly[kMaxUnRectNumbers] = {};
  int polyCount = ParseNumberList(ini.String(u"UnRectKey", kListUnits), 10, poly, kMaxUnRectNumbers);
  SetUnRectKey(poly, polyCount);

  static constexpr uint8_t kNoPsd[6] = {};
  ini.ByteList(u"PSD", s.PSD, kNoPsd, u"Psd value error");

  s.Txt_clr = ini.Colour(u"Txt_clr");
  s.Btn_txt_clr_nr = ini.Colour(u"Btn_txt_clr_nr");
  s.Btn_txt_clr_ov = ini.Colour(u"Btn_txt_clr_ov");
  s.Btn_txt_clr_dn = ini.Colour(u"Btn_txt_clr_dn");
  s.Menu_txt_clr_nr = ini.Colour(u"Menu_txt_clr_nr");
  s.Menu_txt_clr_ov = ini.Colour(u"Menu_txt_clr_ov");
  s.Menu_txt_clr_dn = ini.Colour(u"Menu_txt_clr_dn");
  s.LstBox_txt_clr_nr = ini.Colour(u"LstBox_txt_clr_nr");
  s.LstBox_txt_clr_dn = ini.Colour(u"LstBox_txt_clr_dn");
  s.LstBox_bkg_clr = ini.Colour(u"LstBox_bkg_clr");
  s.LstBox_item_clr = ini.Colour(u"LstBox_item_clr");
  s.ClrKeyOv = ini.KeyColour(u"ClrKeyOv");
  s.ClrKeyDn = ini.KeyColour(u"ClrKeyDn");
  s.ClrKeyHasFunc = ini.KeyColour(u"ClrKeyHasFunc");

  LoadKeyLayout(ini.File());
  return true;
}

int TrayIconMode() { return g_Settings.TrayIcon == 1 || g_Settings.TrayIcon == 3 ? g_Settings.TrayIcon : 2; }
