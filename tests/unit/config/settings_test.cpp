#include "config/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "cfg_fixture.h"
#include "platform/u16.h"

namespace {

struct ListCase {
  std::u16string text;
  int base;
  int maxCount;
  std::vector<int32_t> expected;
};

TEST(ParseNumberList, SplitsAndStopsAtTheFirstUncleanPiece) {
  const std::u16string longList = std::u16string(510, u',') + u"12";  // "2" lies past unit 511
  const ListCase cases[] = {
      {u"1,2,3", 10, 50, {1, 2, 3}},
      {u",,1,,,2,,", 10, 50, {1, 2}},
      {u"", 10, 50, {}},
      {u",,,", 10, 50, {}},
      {u" 1,\t2", 10, 50, {1, 2}},
      {u"1 ,2", 10, 50, {}},
      {u"1,2 ,3", 10, 50, {1}},
      {u"1, ,3", 10, 50, {1}},
      {u"+5,-7", 10, 50, {5, -7}},
      {u"1,x,3", 10, 50, {1}},
      {u"1,-", 10, 50, {1}},
      {u"12abc", 10, 50, {}},
      {u"0x10", 10, 50, {}},
      {u"0x1A,ff,0XFF,-0x10,+a", 16, 50, {26, 255, 255, -16, 10}},
      {u"0x", 16, 50, {}},
      {u"0xg", 16, 50, {}},
      {u"1,2,3,4,5", 10, 4, {1, 2, 3, 4}},
      {u"1,2,3,4,junk", 10, 4, {1, 2, 3, 4}},
      {u"99999999999,-99999999999", 10, 50, {INT_MAX, INT_MIN}},
      {u"FFFFFFFFF", 16, 50, {INT_MAX}},
      {longList, 10, 50, {1}},
  };
  for (const ListCase& c : cases) {
    int32_t out[50] = {};
    int n = ParseNumberList(c.text, c.base, out, c.maxCount);
    EXPECT_EQ(std::vector<int32_t>(out, out + n), c.expected) << u16::ToUtf8(c.text) << " base " << c.base;
  }
}

struct SettingsCase {
  const char* name;
  const char* opt;  // lines of [OPT] besides appdir (nullptr: no cfg.ini at all)
  std::vector<Box> boxes;
  std::function<void(const Settings&)> check;
};

TEST_F(CfgFolderFixture, SettingsValuesDefaultsAndFaults) {
  const uint8_t kDefaultLed[6] = {2, 4, 0, 4, 0, 0};
  auto ledIs = [](const uint8_t* expected) {
    return [expected](const Settings& s) {
      EXPECT_EQ(std::vector<uint8_t>(s.LEDParam, s.LEDParam + 6), std::vector<uint8_t>(expected, expected + 6));
    };
  };
  static const uint8_t kSeven[6] = {1, 2, 3, 4, 5, 6};
  static const uint8_t kHex[6] = {3, 5, 1, 0xFF, 6, 1};
  const Box led{u"LED Param error", u"Error"};
  const Box rect{u"Wrong rect num", u"Error"};
  const Box psd{u"Psd value error", u"Error"};
  const Box appdata{u"APPDATA=NULL", u"Error"};
  auto rectEq = [](const RECT32& r, RECT32 e) {
    EXPECT_EQ(std::vector<int32_t>({r.left, r.top, r.right, r.bottom}),
              std::vector<int32_t>({e.left, e.top, e.right, e.bottom}));
  };

  const SettingsCase cases[] = {
      {"missing file", nullptr, {appdata},
       [&](const Settings& s) {
         EXPECT_EQ(s.Macro_Opt_X, 350);
         EXPECT_EQ(s.MinDelay, 10);
         EXPECT_EQ(s.TrayIcon, 2);
         EXPECT_EQ(s.VID, 0);
         EXPECT_EQ(s.PID, 0);
         EXPECT_EQ(s.appdir[0], 0);
         rectEq(s.rcMacroList, {30, 76, 180, 326});
         rectEq(s.rcKeyList, {190, 76, 320, 326});
         rectEq(s.rcKB, {280, 180, 954, 365});
         ledIs(kDefaultLed)(s);
         EXPECT_EQ(s.Txt_clr, 0u);
         EXPECT_EQ(s.ClrKeyOv, 0xFFu);
         EXPECT_EQ(s.ClrKeyDn, 0xFFu);
         EXPECT_EQ(s.ClrKeyHasFunc, 0xFFu);
         EXPECT_EQ(g_KeyCount, 0);
         EXPECT_EQ(g_Debug, 0);
       }},
      {"seven LEDParam numbers", "LEDParam=1,2,3,4,5,6,7\n", {}, ledIs(kSeven)},
      {"hex LEDParam modulo 256", "LEDParam=0x3,5,1,1FF,6,1\n", {}, ledIs(kHex)},
      {"five LEDParam numbers", "LEDParam=1,2,3,4,5\n", {led}, ledIs(kDefaultLed)},
      {"blank before a comma", "LEDParam=2 ,4,0,4,0,0\n", {led}, ledIs(kDefaultLed)},
      {"mode beyond nine", "LEDParam=a,1,1,1,1,1\n", {led}, ledIs(kDefaultLed)},
      {"long and short rectangles", "rcKB=1,2,3,4,5\nrcKeyList=1,2,3\nrcMacroList=1,2,3,4\n", {rect},
       [&](const Settings& s) {
         rectEq(s.rcKB, {1, 2, 3, 4});
         rectEq(s.rcKeyList, {190, 76, 320, 326});
         rectEq(s.rcMacroList, {1, 2, 3, 4});
       }},
      {"colours", "Txt_clr=255,0,0\nBtn_txt_clr_nr=256,0,1\nMenu_txt_clr_ov= 16, 32, 48\nLstBox_bkg_clr=0,128\n",
       {},
       [](const Settings& s) {
         EXPECT_EQ(s.Txt_clr, 0x000000FFu);
         EXPECT_EQ(s.Btn_txt_clr_nr, 0x00010000u);
         EXPECT_EQ(s.Menu_txt_clr_ov, 0x00302010u);
         EXPECT_EQ(s.LstBox_bkg_clr, 0x00008000u);  // a missing component is 0
       }},
      {"key colours never black", "ClrKeyOv=0,0,0\nClrKeyDn=x\nClrKeyHasFunc=0,0,1\n", {},
       [](const Settings& s) {
         EXPECT_EQ(s.ClrKeyOv, 0xFFu);
         EXPECT_EQ(s.ClrKeyDn, 0xFFu);
         EXPECT_EQ(s.ClrKeyHasFunc, 0x00010000u);
       }},
      {"TrayIcon 0 acts as 2", "TrayIcon=0\n", {},
       [](const Settings& s) {
         EXPECT_EQ(s.TrayIcon, 0);
         EXPECT_EQ(TrayIconMode(), 2);
       }},
      {"TrayIcon 3", "TrayIcon=3\n", {}, [](const Settings&) { EXPECT_EQ(TrayIconMode(), 3); }},
      {"empty PSD is absent", "PSD=\n", {},
       [](const Settings& s) { EXPECT_EQ(std::vector<uint8_t>(s.PSD, s.PSD + 6), std::vector<uint8_t>(6, 0)); }},
      {"PSD hex and short", "PSD=a1,b2,c3,d4,e5,f6\n", {},
       [](const Settings& s) { EXPECT_EQ(s.PSD[0], 0xA1); EXPECT_EQ(s.PSD[5], 0xF6); }},
      {"short PSD", "PSD=1,2,3\n", {psd},
       [](const Settings& s) { EXPECT_EQ(std::vector<uint8_t>(s.PSD, s.PSD + 6), std::vector<uint8_t>(6, 0)); }},
      {"integers, 16-bit values and texts",
       "Suwnd=1\nVID=0x11209\nPID=0x0001\nPop=70000\nMacroHasMsKey=0x7F\nUSBString=\"A product string of 35 characters!\"\n"
       "Gest=-4\n",
       {},
       [](const Settings& s) {
         EXPECT_EQ(s.Suwnd, 1);
         EXPECT_EQ(s.VID, 0x1209);
         EXPECT_EQ(s.PID, 1);
         EXPECT_EQ(s.Pop, 70000 & 0xFFFF);
         EXPECT_EQ(s.MacroHasMsKey, 0x7F);
         EXPECT_EQ(s.Gest, -4);
         EXPECT_EQ(std::u16string(s.USBString), u"A product string of 35 charac");  // 29 units and the NUL
         EXPECT_EQ(std::u16string(s.appdir), u"Velkor");
       }},
  };

  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_.clear();
    std::remove((folder_ + "/cfg.ini").c_str());
    if (c.opt) WriteCfg(std::string("[OPT]\nappdir=Velkor\n") + c.opt);
    // A previous load's values must not survive into this one.
    g_Settings.BtnTips = 77;
    Load();
    EXPECT_EQ(boxes_, c.boxes);
    c.check(g_Settings);
    EXPECT_EQ(g_Settings.BtnTips, 0);
  }
}

// Faults are reported in reading order, and the log is live once Debug has been read, so the
// polygon's vertices (read much later) reach the debugger output.
TEST_F(CfgFolderFixture, ReadsInTableOrderWithTheLogOpenFromDebugOn) {
  WriteCfg(
      "[OPT]\n"
      "Debug=1\n"
      "rcMacroList=1\n"
      "appdir=\n"
      "LEDParam=1\n"
      "UnRectKey=87,10,10,30,10,30,20,10,20,11,10\n"
      "PSD=1\n"
      "[KEY]\n"
      "K1=0,0,10,10,2,41,0,200\n");
  Load();
  EXPECT_EQ(g_Debug, 1);
  const std::vector<Box> expected = {
      {u"Wrong rect num", u"Error"},        {u"APPDATA=NULL", u"Error"},
      {u"LED Param error", u"Error"},       {u"EnterPt[0]!=EnterPt[Last] ", u"Error"},
      {u"Psd value error", u"Error"},       {u"Wrong matrix index value!", u"Warning"},
  };
  EXPECT_EQ(boxes_, expected);
  ASSERT_GE(log_.size(), 5u);
  EXPECT_EQ(log_[0], u"EnterPt[0]=(10,10)");
  EXPECT_EQ(log_[4], u"EnterPt[4]=(11,10)");
}

}  // namespace
