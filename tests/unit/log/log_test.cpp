#include "log/log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/u16.h"
#include "records/profile_record.h"
#include "unit/temp_folder.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  TempFolder desktop{"velkor-log"};
  std::vector<std::string> debugger;

  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().knownFolder = [this](plat::KnownFolder, std::u16string& out) {
      out = desktop.U16Path();
      return true;
    };
    plat::TestHooks().debugOutput = [this](const std::u16string& s) { debugger.push_back(u16::ToUtf8(s)); };
    plat::TestHooks().localTime = [] {
      plat::LocalTime t;
      t.hour = 14;
      t.minute = 7;
      t.second = 3;
      t.milliseconds = 45;
      return t;
    };
  }
  void TearDown() override {
    g_Debug = 0;
    LogPrint = LogToDebugger;
    plat::ResetTestHooks();
  }
  std::string LogPath() const { return desktop.Path("Log.txt"); }
  std::string FileText() const {
    std::vector<uint8_t> bytes = desktop.Read("Log.txt");
    return std::string(bytes.begin(), bytes.end());
  }
  bool FileExists() const { return std::ifstream(LogPath()).good(); }
};

TEST_F(LogTest, DebugZeroWritesNothingAnywhere) {
  g_Debug = 0;
  LogInit();
  LogPrint(u"hello %d", 1);
  uint8_t bytes[3] = {1, 2, 3};
  LogHexDump(bytes, 3, 32, u"Macro: ");
  PROFILEINFO record = {};
  DumpProfileSettings(&record);
  EXPECT_TRUE(debugger.empty());
  EXPECT_FALSE(FileExists());
}

TEST_F(LogTest, DebugOneGoesToTheDebuggerWithoutStampsOrFile) {
  g_Debug = 1;
  LogInit();
  LogPrint(u"Mk AppData=%s", u"C:\\x\\");
  LogPrint(u"%s", std::u16string(600, u'a').c_str());
  ASSERT_EQ(debugger.size(), 2u);
  EXPECT_EQ(debugger[0], "Mk AppData=C:\\x\\");
  EXPECT_EQ(debugger[1].size(), 511u);  // the 512-unit buffer keeps its terminator
  EXPECT_FALSE(FileExists());
}

TEST_F(LogTest, DebugTwoWritesStampedEntriesInTextMode) {
  g_Debug = 2;
  LogInit();
  LogPrint(u"Launch %04d", 2026);
  LogPrint(u"Driver exit");
  // Each entry: "\r\n" through a text-mode stream (CR CR LF), minute:second.millis, three blanks.
  EXPECT_EQ(FileText(), "\r\r\n07:03.045   Launch 2026\r\r\n07:03.045   Driver exit");
  EXPECT_TRUE(debugger.empty());
}

TEST_F(LogTest, AnOversizedLogIsEmptiedAtStartUpOnly) {
  std::ofstream(LogPath(), std::ios::binary) << std::string(600000, 'x');
  g_Debug = 2;
  LogInit();
  EXPECT_EQ(FileText(), "");
  LogPrint(u"a");
  EXPECT_EQ(FileText(), "\r\r\n07:03.045   a");

  std::ofstream(LogPath(), std::ios::binary | std::ios::app) << std::string(511000, 'y');
  g_Debug = 2;
  LogInit();  // at or under the limit: kept
  EXPECT_EQ(FileText().size(), 16u + 511000u);
}

TEST_F(LogTest, AnUnwritableDesktopFallsBackToTheDebugger) {
  plat::TestHooks().knownFolder = [this](plat::KnownFolder, std::u16string& out) {
    out = desktop.U16Path("missing/folder");
    return true;
  };
  g_Debug = 2;
  LogInit();
  LogPrint(u"later %d", 7);
  EXPECT_EQ(debugger, (std::vector<std::string>{"Open Log failed", "later 7"}));
}

TEST_F(LogTest, WritingAnEntryKeepsTheCallersErrorCode) {
  g_Debug = 2;
  LogInit();
  // The log file's own trouble must not stand in for the failure being logged.
  plat::TestHooks().failWrite = [](const std::u16string&) { return plat::kErrAccessDenied; };
  plat::SetLastError(31);
  LogPrint(u"Set mode1 matrix error, err=0x%x", plat::LastError());
  EXPECT_EQ(plat::LastError(), 31u);
  EXPECT_EQ(debugger, (std::vector<std::string>{"Open Log failed"}));
}

TEST_F(LogTest, HexDumpSplitsLinesAndCarriesThePrefix) {
  g_Debug = 1;
  LogInit();
  std::vector<uint8_t> bytes(41);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  LogHexDump(bytes.data(), 41, 32, u"LED(Save): ");
  ASSERT_EQ(debugger.size(), 2u);
  std::string first = "\nLED(Save):  ";
  for (int i = 0; i < 32; ++i) first += u16::ToUtf8(u16::Format(u"%02x ", bytes[i]));
  std::string second = "LED(Save):  ";
  for (int i = 32; i < 41; ++i) second += u16::ToUtf8(u16::Format(u"%02x ", bytes[i]));
  EXPECT_EQ(debugger[0], first);
  EXPECT_EQ(debugger[1], second);

  debugger.clear();
  LogHexDump(bytes.data(), 32, 32, nullptr);  // an exact line still ends with an (empty) entry
  ASSERT_EQ(debugger.size(), 2u);
  EXPECT_EQ(debugger[1], "");
  LogHexDump(nullptr, 4, 32, u"x");
  EXPECT_EQ(debugger.size(), 2u);
}

TEST_F(LogTest, TwoThreadsLoggingAtOnceLoseNothing) {
  g_Debug = 2;
  LogInit();
  auto writer = [](char16_t tag) {
    for (int i = 0; i < 200; ++i) LogPrint(u"%c%03d", tag, i);
  };
  std::thread a(writer, u'A'), b(writer, u'B');
  a.join();
  b.join();
  std::string text = FileText();
  size_t entries = 0;
  for (size_t at = text.find("\r\r\n"); at != std::string::npos; at = text.find("\r\r\n", at + 1)) ++entries;
  EXPECT_EQ(entries, 400u);
  EXPECT_NE(text.find("A199"), std::string::npos);
  EXPECT_NE(text.find("B199"), std::string::npos);
  EXPECT_TRUE(debugger.empty());
}

TEST_F(LogTest, ProfileDumpGoesToTheDebuggerOnly) {
  g_Debug = 2;
  LogInit();
  PROFILEINFO record = {};
  record.nCurLedMode = 3;
  record.LedParam[3] = LEDPARAM{4, 1, 5, 0, 6, 1};
  record.nCurGameGroup = 4;
  DumpProfileSettings(&record);
  EXPECT_EQ(debugger, (std::vector<std::string>{
                          "-------------Cfg---------------", "nCurLedMode= 3 (GaoShou)",
                          "    nSpeed=0x4, nDirect=0x1, nLight=0x5, nColor=0x6, bRandomColor=0x1",
                          "nCurGameGroup= 4"}));
  EXPECT_EQ(FileText(), "");
}

TEST(LedModeName, NamesTheTenModesAndNothingElse) {
  EXPECT_EQ(std::u16string(LedModeName(0)), u"Breathe");
  EXPECT_EQ(std::u16string(LedModeName(9)), u"LiuGuang");
  EXPECT_EQ(std::u16string(LedModeName(10)), u"UnKnown");
  EXPECT_EQ(std::u16string(LedModeName(0xFFFFFFFF)), u"UnKnown");
}

}  // namespace
