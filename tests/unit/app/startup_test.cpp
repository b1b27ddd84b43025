#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/settings.h"
#include "log/log.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "unit/temp_folder.h"

namespace {

std::string Narrow(const std::u16string& s) { return u16::ToUtf8(s); }

// Records what start-up asked of the windowing system, in order.
class FakeHost : public StartupHost {
 public:
  std::vector<std::string> calls;
  bool mutexExists = false;
  OsVersion os{2, 6, 1};
  std::u16string mutexName, signalledTitle;

  bool StartGdiplus() override {
    calls.push_back("StartGdiplus");
    return true;
  }
  void StopGdiplus() override { calls.push_back("StopGdiplus"); }
  void PrefetchSkin() override { calls.push_back("PrefetchSkin"); }
  OsVersion GetOsVersion() override {
    calls.push_back("GetOsVersion");
    return os;
  }
  void MakeDpiAware() override { calls.push_back("MakeDpiAware"); }
  void* CreateInstanceMutex(const std::u16string& name, bool& existed) override {
    calls.push_back("CreateInstanceMutex");
    mutexName = name;
    existed = mutexExists;
    return this;
  }
  void CloseInstanceMutex(void*) override { calls.push_back("CloseInstanceMutex"); }
  bool SignalRunningCopy(const std::u16string& title) override {
    calls.push_back("SignalRunningCopy");
    signalledTitle = title;
    return true;
  }
  void RunMainWindow() override { calls.push_back("RunMainWindow"); }
};

class StartupTest : public ::testing::Test {
 protected:
  TempFolder root{"velkor-startup"};
  std::vector<std::string> log;
  std::vector<std::string> boxes;

  void SetUp() override {
    root.MakeFolder("program/skins");
    root.MakeFolder("local");
    plat::ResetTestHooks();
    auto& hooks = plat::TestHooks();
    hooks.programFolder = [this] { return root.U16Path("program/"); };
    hooks.knownFolder = [this](plat::KnownFolder which, std::u16string& out) {
      out = root.U16Path(which == plat::KnownFolder::Desktop ? "desktop" : "local");
      return true;
    };
    hooks.debugOutput = [this](const std::u16string& text) { log.push_back(Narrow(text)); };
    hooks.messageBox = [this](const std::u16string& text, const std::u16string& title, uint32_t) {
      boxes.push_back(Narrow(title) + ": " + Narrow(text));
      return plat::kIdOk;
    };
    root.WriteText("program/cfg.ini", "[OPT]\nDebug=1\nappdir=Velkor\n");
    WriteTexts("Keyboard Driver", "V9.8", "TEST_MUTEX");
    WriteSkin(u"Keyboard Driver", 520);
  }
  void TearDown() override {
    plat::ResetTestHooks();
    g_Debug = 0;
  }

  void WriteTexts(const std::string& title, const std::string& version, const std::string& mutex) {
    root.WriteText("program/text.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config><tc_title>" + title +
                       "</tc_title><tc_mutex>" + mutex + "</tc_mutex><tc_version>" + version +
                       "</tc_version></config>\n");
  }
  void WriteSkin(const std::u16string& text, size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    for (size_t i = 0; i < text.size() && 192 + 2 * i + 1 < size; ++i) {
      bytes[192 + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
      bytes[192 + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
    root.Write("program/skins/mak.skn", bytes);
  }
  std::vector<std::string> Run(FakeHost& host, bool startInTray = false) {
    CVelkorApp app(host);
    app.SetStartInTray(startInTray);
    EXPECT_FALSE(app.InitInstance());
    app.ExitInstance();
    return host.calls;
  }
  bool Logged(const std::string& line) const {
    for (const auto& l : log)
      if (l == line) return true;
    return false;
  }
};

TEST_F(StartupTest, RunsTheStepsInOrderAndLogsLaunchAndExit) {
  FakeHost host;
  std::vector<std::string> expected = {"StartGdiplus",        "PrefetchSkin", "GetOsVersion",
                                       "MakeDpiAware",        "CreateInstanceMutex", "RunMainWindow",
                                       "StopGdiplus",         "CloseInstanceMutex"};
  EXPECT_EQ(Run(host), expected);
  EXPECT_EQ(host.mutexName, u"TEST_MUTEX");
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], std::string(50, '-'));
  EXPECT_EQ(log[1].rfind("Launch ", 0), 0u);
  EXPECT_NE(log[1].find("H, App Ver=V9.8"), std::string::npos);
  EXPECT_TRUE(Logged("Mk AppData=" + root.Path() + "/local\\Velkor\\"));
  EXPECT_EQ(log.back(), "Driver exit");
  EXPECT_TRUE(plat::IsDirectory(root.U16Path("local/Velkor")));
  EXPECT_EQ(g_AppDataFolder, root.U16Path("local\\Velkor\\"));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(StartupTest, StartedAtLogInTheWindowWaitsInTheTray) {
  root.WriteText("program/cfg.ini", "[OPT]\nTrayIcon=2\n");
  FakeHost host;
  Run(host);
  EXPECT_EQ(g_Settings.TrayIcon, 2);
  Run(host, true);
  EXPECT_EQ(g_Settings.TrayIcon, 1);
}

TEST_F(StartupTest, SkinSignatureDecidesWhetherTheProgramRuns) {
  struct Case {
    const char* name;
    std::u16string text;  // what the skin carries at byte 192
    size_t size;          // 0: no file at all
    bool runs;
    const char* logLine;
  } cases[] = {
      {"exact", u"Keyboard Driver", 520, true, nullptr},
      {"longer and other case", u"KEYBOARD DRIVER skin v2", 520, true, nullptr},
      {"another title", u"Other Driver", 520, false, "Error: szText=Other Driver, tc_t=Keyboard Driver"},
      {"cut before the title ends", u"Keyboard Driver", 192 + 10, false,
       "Error: szText=Keybo, tc_t=Keyboard Driver"},
      {"missing", u"", 0, false, "open skn file err"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    std::remove(root.Path("program/skins/mak.skn").c_str());
    if (c.size) WriteSkin(c.text, c.size);
    FakeHost host;
    std::vector<std::string> calls = Run(host);
    bool ran = std::find(calls.begin(), calls.end(), "RunMainWindow") != calls.end();
    bool lookedForMutex = std::find(calls.begin(), calls.end(), "CreateInstanceMutex") != calls.end();
    EXPECT_EQ(ran, c.runs);
    EXPECT_EQ(lookedForMutex, c.runs);
    if (c.logLine) EXPECT_TRUE(Logged(c.logLine));
    EXPECT_EQ(log.back(), "Driver exit");
    EXPECT_TRUE(boxes.empty());  // silent to the user
  }
}

TEST_F(StartupTest, SecondCopySignalsTheFirstAndEnds) {
  FakeHost host;
  host.mutexExists = true;
  std::vector<std::string> calls = Run(host);
  EXPECT_EQ(host.signalledTitle, u"Keyboard Driver");
  EXPECT_EQ(std::find(calls.begin(), calls.end(), "RunMainWindow"), calls.end());
  EXPECT_EQ(calls.back(), "CloseInstanceMutex");
  EXPECT_EQ(log.back(), "Driver exit");
}

TEST_F(StartupTest, MissingTextsGiveTheBuiltInMutexNameAndAnEmptyTitlePasses) {
  std::remove(root.Path("program/text.xml").c_str());
  WriteSkin(u"Anything at all", 520);
  FakeHost host;
  std::vector<std::string> calls = Run(host);
  EXPECT_EQ(host.mutexName, u"VELKOR_QUORVEX_MUTEX");
  EXPECT_NE(std::find(calls.begin(), calls.end(), "RunMainWindow"), calls.end());
}

TEST_F(StartupTest, AppDataFolderThatCannotBeMadeIsLoggedAndStartUpGoesOn) {
  plat::TestHooks().knownFolder = [this](plat::KnownFolder, std::u16string& out) {
    out = root.U16Path("no/such/place");
    return true;
  };
  FakeHost host;
  std::vector<std::string> calls = Run(host);
  EXPECT_TRUE(Logged("CreateDirectory err=3"));
  EXPECT_NE(std::find(calls.begin(), calls.end(), "RunMainWindow"), calls.end());
}

TEST(ClassifyOs, MapsTheVersionsToTheirCodes) {
  struct Case {
    OsVersion v;
    int code;
  } cases[] = {{{1, 4, 0}, 1},  {{1, 4, 10}, 1}, {{1, 4, 90}, 2}, {{2, 5, 0}, 3}, {{2, 5, 1}, 4},
               {{2, 5, 2}, 4},  {{2, 6, 0}, 5},  {{2, 6, 1}, 6},  {{2, 6, 2}, 7}, {{2, 6, 3}, 0},
               {{2, 10, 0}, 0}, {{2, 4, 0}, 0},  {{1, 5, 0}, 0},  {{0, 6, 1}, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(ClassifyOs(c.v), c.code) << c.v.platformId << " " << c.v.major << "." << c.v.minor;
}

TEST_F(StartupTest, LowOsCodesStayDpiUnaware) {
  FakeHost host;
  host.os = OsVersion{2, 5, 1};
  std::vector<std::string> calls = Run(host);
  EXPECT_EQ(std::find(calls.begin(), calls.end(), "MakeDpiAware"), calls.end());
}

}  // namespace
