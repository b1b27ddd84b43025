// The simulated keyboard through both its faces, loaded the way the program loads Lodrex.dll
// (through CUSBDriver): the simulated Lodrex.dll, and the shipped Lodrex.dll of dist/hidtest over
// the simulated system HID layer beside it. Either must keep the library's calling contract and
// log every send on the wire log; every test runs once each way.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "device/apply.h"
#include "device/device_listener.h"
#include "device/usb_driver.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

enum class Face { kSimulatedLibrary, kSystemLayer };

class LodrexSimTest : public ::testing::TestWithParam<Face> {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->name()) + "-" + std::to_string(static_cast<int>(GetParam()));
    for (char& c : name) c = c == '/' ? '-' : c;
    folder_ = std::wstring(temp) + L"lodrex-sim-" + std::wstring(name.begin(), name.end()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    if (GetParam() == Face::kSimulatedLibrary) {
      dll_ = folder_ + L"Lodrex.dll";
      std::u16string built = plat::ProgramFolder() + u"..\\sim\\Lodrex.dll";
      ASSERT_TRUE(CopyFileW(W(built).c_str(), dll_.c_str(), FALSE)) << "no simulated Lodrex.dll at " << u16::ToUtf8(built);
    } else {
      std::string folder = VELKOR_HIDTEST_DIR;
      std::wstring hidtest(folder.begin(), folder.end());
      for (wchar_t& c : hidtest) c = c == L'/' ? L'\\' : c;
      // Lodrex.dll's imports are looked for beside it too, where Wine takes ours for its own.
      SetDllDirectoryW(hidtest.c_str());
      dll_ = hidtest + L"Lodrex.dll";
      ownDll_ = false;
    }
    log_ = folder_ + L"wire.log";
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(L"LODREX_SIM_LOG", log_.c_str());
    SetEnvironmentVariableW(L"LODREX_SIM_VID", L"0x1A2C");
    SetEnvironmentVariableW(L"LODREX_SIM_PID", L"0x0E24");
    for (const wchar_t* v : {L"LODREX_SIM_COUNT", L"LODREX_SIM_FAIL", L"LODREX_SIM_PRODUCT", L"LODREX_SIM_BUSY",
                             L"LODREX_SIM_UNPLUG"})
      SetEnvironmentVariableW(v, nullptr);

    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.VID = 0x1A2C;
    g_Settings.PID = 0x0E24;
    g_Debug = 1;
    plat::ResetTestHooks();
    plat::TestHooks().sleep = [this](uint32_t ms) { slept_ += ms; };
    plat::TestHooks().debugOutput = [this](const std::u16string& l) { lines_.push_back(u16::ToUtf8(l)); };
    plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) { return 1; };
  }
  void TearDown() override {
    driver_.reset();
    plat::ResetTestHooks();
    g_Debug = 0;
    DeleteFileW(log_.c_str());
    if (ownDll_) DeleteFileW(dll_.c_str());
    RemoveDirectoryW(folder_.c_str());
    SetDllDirectoryW(nullptr);
  }

  // Environment first: the library reads it once, when first called.
  CUSBDriver& Bind() {
    driver_ = std::make_unique<CUSBDriver>();
    EXPECT_EQ(BindDeviceLibraryFrom(driver_.get(), nullptr,
                                    std::u16string(dll_.begin(), dll_.end())), 1);
    if (GetParam() == Face::kSystemLayer) {
      // Wine's own hid.dll would find no keyboard and make every test fail for another reason.
      wchar_t hid[MAX_PATH] = {};
      GetModuleFileNameW(GetModuleHandleW(L"hid.dll"), hid, MAX_PATH);
      EXPECT_NE(std::wstring(hid).find(L"hidtest"), std::wstring::npos)
          << "hid.dll is not the simulated one; WINEDLLOVERRIDES must hold setupapi,hid=n,b";
    }
    return *driver_;
  }
  std::vector<std::string> Wire() {
    std::vector<std::string> out;
    std::vector<uint8_t> bytes;
    plat::ReadWholeFile(std::u16string(log_.begin(), log_.end()), bytes);
    std::string line;
    for (uint8_t b : bytes) {
      if (b == '\n') {
        out.push_back(line);
        line.clear();
      } else {
        line += static_cast<char>(b);
      }
    }
    return out;
  }
  bool Logged(const std::string& text) const {
    for (const std::string& l : lines_)
      if (l == text) return true;
    return false;
  }

  std::wstring folder_, dll_, log_;
  bool ownDll_ = true;
  std::unique_ptr<CUSBDriver> driver_;
  uint32_t slept_ = 0;
  std::vector<std::string> lines_;
};

TEST_P(LodrexSimTest, OpensFourCollectionsAndCountsKeyboards) {
  SetEnvironmentVariableW(L"LODREX_SIM_COUNT", L"2");
  CUSBDriver& d = Bind();
  EXPECT_NE(d.GetFeature, nullptr);
  EXPECT_NE(d.GetInputReport, nullptr);
  ASSERT_EQ(d.FindDev(), 1);
  std::vector<uint32_t> handles{d.m_hMatrix, d.m_hLed, d.m_hColor, d.m_hMacro};
  for (size_t i = 0; i < handles.size(); ++i)
    for (size_t j = i + 1; j < handles.size(); ++j) EXPECT_NE(handles[i], handles[j]);
  EXPECT_EQ(d.CountDevices(), 2);

  char16_t product[kProductStringUnits];
  EXPECT_TRUE(d.GetProductString(d.m_hMatrix, product, kProductStringUnits));
  EXPECT_EQ(std::u16string(product), u"Gaming Mouse");

  // What was written can be read back; the input report carries no key.
  uint8_t led[42] = {10, 7, 1, 2};
  ASSERT_TRUE(d.SetFeature(d.m_hLed, led, 42));
  uint8_t back[42] = {10};
  ASSERT_TRUE(d.GetFeature(d.m_hLed, back, 42));
  EXPECT_EQ(std::memcmp(led, back, 42), 0);
  uint8_t input[5] = {7, 9, 9, 9, 9};
  ASSERT_TRUE(d.GetInputReport(d.m_hLed, input, 5));
  EXPECT_EQ(input[1] | input[2] | input[3] | input[4], 0);
}

TEST_P(LodrexSimTest, NoKeyboardOtherIdentifiersOrProductMeanAbsent) {
  struct Case {
    const wchar_t* count;
    const wchar_t* product;
    uint16_t pid;
    int32_t matchStr;
    int found;
    const wchar_t* busy = nullptr;
  } cases[] = {
      {L"0", nullptr, 0x0E24, 0, 0},
      {nullptr, nullptr, 0x0E25, 0, 0},
      {nullptr, L"Other Board", 0x0E24, 1, 0},
      {nullptr, L"GAMING MOUSE", 0x0E24, 1, 1},
      // A collection another program holds: the keyboard is passed over as a whole, and all four
      // handles come from the next one.
      {L"2", nullptr, 0x0E24, 0, 0, L"11"},
      {L"2", nullptr, 0x0E24, 0, 1, L"1:11"},
  };
  for (const Case& c : cases) {
    SetEnvironmentVariableW(L"LODREX_SIM_COUNT", c.count);
    SetEnvironmentVariableW(L"LODREX_SIM_PRODUCT", c.product);
    SetEnvironmentVariableW(L"LODREX_SIM_BUSY", c.busy);
    g_Settings.PID = c.pid;
    g_Settings.MatchStr = c.matchStr;
    CUSBDriver& d = Bind();
    EXPECT_EQ(d.FindDev(), c.found) << c.pid << " " << c.matchStr;
    EXPECT_EQ(d.IsOpen(), c.found == 1);
    if (c.busy && !c.found) {
      EXPECT_TRUE(Logged("m_hMatrix=0x0, m_hLed=0x0, m_hColor=0x0, m_hMacro=0x0"));
    }
    if (c.busy && c.found && GetParam() == Face::kSystemLayer) {
      // The system groups the collections by the USB device above their interfaces; each
      // handle's interface names the second keyboard (instance 8).
      for (uint32_t h : {d.m_hMatrix.load(), d.m_hLed.load(), d.m_hColor.load(), d.m_hMacro.load()}) {
        wchar_t path[512] = {};
        GetFinalPathNameByHandleW(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h)), path, 512, 0);
        EXPECT_NE(std::wstring(path).find(L"#8&"), std::wstring::npos) << u16::ToUtf8(std::u16string(path, path + wcslen(path)));
      }
    }
    driver_.reset();  // unloads the library, so the next case reads the environment again
  }
}

TEST_P(LodrexSimTest, WireLogHasOneLinePerSendWithCollectionAndBytes) {
  CUSBDriver& d = Bind();
  ASSERT_EQ(d.FindDev(), 1);
  uint8_t report[kReportBufferBytes] = {};
  const uint8_t payload[41] = {0x02, 0x01, 0xAB};
  EXPECT_EQ(SendCommand(10, 41, report, &d, d.m_hLed, payload), 1);
  // A report the collection does not carry is refused, three times.
  EXPECT_EQ(SendCommand(9, 41, report, &d, d.m_hLed, payload), 0);
  EXPECT_EQ(plat::LastError(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  uint32_t stale = d.m_hColor;
  d.ClearHandle();
  EXPECT_EQ(SendCommand(11, 41, report, &d, stale, payload), 0);
  EXPECT_TRUE(Logged("SendCommand err=6"));
  // No handle at all, as an apply without a keyboard sends with GoWithNoDev: the system's answer
  // for a closed handle, and on the wire like any other send.
  lines_.clear();
  EXPECT_EQ(SendCommand(10, 41, report, &d, 0, payload), 0);
  EXPECT_TRUE(Logged("SendCommand err=6"));

  std::vector<std::string> wire = Wire();
  ASSERT_EQ(wire.size(), 10u);
  std::regex line("t=[0-9]+ col=([0-9]+) len=([0-9]+) (ok|fail) ([0-9a-f]*)");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(wire[0], m, line)) << wire[0];
  EXPECT_EQ(m[1], "42");
  EXPECT_EQ(m[2], "42");
  EXPECT_EQ(m[3], "ok");
  EXPECT_EQ(m[4], "0a" "0201ab" + std::string(2 * 38, '0'));
  ASSERT_TRUE(std::regex_match(wire[1], m, line));
  EXPECT_EQ(m[1], "42");
  EXPECT_EQ(m[3], "fail");
  ASSERT_TRUE(std::regex_match(wire[4], m, line));
  EXPECT_EQ(m[1], "0");  // the handle is closed: no collection behind it
  EXPECT_EQ(m[3], "fail");
}

TEST_P(LodrexSimTest, InjectedFailuresCostRetriesAndThenStopTheApply) {
  SetEnvironmentVariableW(L"LODREX_SIM_FAIL", L"10:2,9:*");
  CUSBDriver& d = Bind();
  ASSERT_EQ(d.FindDev(), 1);
  uint8_t report[kReportBufferBytes] = {};
  uint8_t led[41] = {};
  EXPECT_EQ(SendCommand(10, 41, report, &d, d.m_hLed, led), 1);
  EXPECT_EQ(slept_, 400u);
  EXPECT_FALSE(Logged("SendCommand err=31"));

  auto profile = std::make_unique<PROFILEINFO>();
  std::memset(profile.get(), 0, sizeof(PROFILEINFO));
  profile->dwId = 0x42;
  slept_ = 0;
  EXPECT_EQ(ApplySetting(nullptr, &d, profile.get(), 0, APPLY_LED | APPLY_MATRIX), 0);
  EXPECT_TRUE(Logged("SendCommand err=31"));
  EXPECT_TRUE(Logged("Set mode1 matrix error, err=0x1f"));
  EXPECT_EQ(slept_, 50u + 600u);

  std::vector<std::string> wire = Wire();
  ASSERT_EQ(wire.size(), 3u + 1u + 3u);
  EXPECT_NE(wire[3].find(" col=42 len=42 ok 0a"), std::string::npos);
  EXPECT_NE(wire[6].find(" col=577 len=577 fail 09"), std::string::npos);
}

int LODREX_CALL LightingOnly(const void*, const void*, const void*, uint32_t length) { return length == 42; }

TEST_P(LodrexSimTest, KeyboardPulledOutMidApplyFailsThenComesBackAsNewDevice) {
  SetEnvironmentVariableW(L"LODREX_SIM_UNPLUG", L"2");
  CUSBDriver& d = Bind();
  ASSERT_EQ(d.FindDev(), 1);
  std::u16string id = DeviceIdText();
  // A handle that outlives the removal, as one held across it would.
  uint32_t held = d.OpenHidDevice(kVendorUsagePage, kVendorUsage, id.c_str(), LightingOnly, 0, 0, 0, 0,
                                  kOpenFlagsOverlapped, nullptr);
  ASSERT_NE(held, 0u);

  auto profile = std::make_unique<PROFILEINFO>();
  std::memset(profile.get(), 0, sizeof(PROFILEINFO));
  profile->dwId = 0x42;
  profile->nCurLedMode = 3;
  EXPECT_EQ(ApplySetting(nullptr, &d, profile.get(), 0, APPLY_LED | APPLY_COLOR | APPLY_MATRIX), 0);
  EXPECT_TRUE(Logged("Set mode1 matrix error, err=0x48f"));
  EXPECT_EQ(slept_, 50u + 60u + 600u);

  // Gone from the next search; back, with new handles, at the one after.
  EXPECT_EQ(d.FindDev(), 0);
  EXPECT_EQ(d.FindDev(), 1);
  EXPECT_EQ(d.CountDevices(), 1);
  EXPECT_EQ(ApplySetting(nullptr, &d, profile.get(), 0, APPLY_LED | APPLY_COLOR | APPLY_MATRIX), 1);
  uint8_t led[42] = {10};
  EXPECT_EQ(d.SetFeature(held, led, 42), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(held)));

  std::vector<std::string> wire = Wire();
  // Collection, length and outcome of each send, and the report it carried.
  std::vector<std::string> shape;
  std::regex line("t=[0-9]+ (col=[0-9]+ len=[0-9]+ (ok|fail)) ([0-9a-f]{2})[0-9a-f]*");
  for (const std::string& l : Wire()) {
    std::smatch m;
    shape.push_back(std::regex_match(l, m, line) ? m[1].str() + " " + m[3].str() : l);
  }
  EXPECT_EQ(shape, (std::vector<std::string>{"col=42 len=42 ok 0a", "col=146 len=146 ok 0b", "col=577 len=577 fail 09",
                                             "col=577 len=577 fail 09", "col=577 len=577 fail 09", "col=42 len=42 ok 0a",
                                             "col=146 len=146 ok 0b", "col=577 len=577 ok 09",
                                             "col=42 len=42 fail 0a"}));
}

// The handles this process holds, from the system's list of every process's handles (Wine
// answers GetProcessHandleCount with 0).
int ProcessHandleCount() {
  struct Entry {
    ULONG process;  // the low 16 bits are the process identifier
    UCHAR type, flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using QueryFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  const int kSystemHandleInformation = 16;
  std::vector<uint8_t> buffer(1 << 20);
  ULONG needed = 0;
  while (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
    if (buffer.size() > (64u << 20)) return -1;
    buffer.resize(buffer.size() * 2);
  }
  ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  int count = 0;
  for (ULONG i = 0; i < entries; ++i)
    if ((entry[i].process & 0xFFFF) == (GetCurrentProcessId() & 0xFFFF)) ++count;
  return count;
}

// What an apply costs the process must come back: nothing kept per search, count or send.
TEST_P(LodrexSimTest, HundredAppliesLeaveHandlesAndWindowObjectsAsTheyWere) {
  CUSBDriver& d = Bind();
  auto profile = std::make_unique<PROFILEINFO>();
  std::memset(profile.get(), 0, sizeof(PROFILEINFO));
  profile->dwId = 0x42;
  profile->nCurLedMode = 3;
  auto once = [&] {
    ASSERT_EQ(d.FindDev(), 1);
    ASSERT_EQ(d.CountDevices(), 1);
    ASSERT_EQ(ApplySetting(nullptr, &d, profile.get(), 0, APPLY_LED | APPLY_COLOR | APPLY_MATRIX), 1);
  };
  once();
  int handles = ProcessHandleCount();
  ASSERT_GT(handles, 0);
  DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) once();
  EXPECT_EQ(ProcessHandleCount(), handles);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  EXPECT_EQ(Wire().size(), 101u * 3u);
}

TEST_P(LodrexSimTest, ListenerRunsOnlyWithPop) {
  Bind();
  EXPECT_FALSE(Listener().thread.joinable());
  driver_.reset();
  g_Settings.Pop = 1;
  Bind();
  EXPECT_TRUE(Listener().thread.joinable());
  EXPECT_EQ(UnbindDeviceLibrary(), 1);
  EXPECT_FALSE(Listener().thread.joinable());
  EXPECT_TRUE(Logged("Thread Start..."));
  EXPECT_TRUE(Logged("Thread exit!\n"));
}

INSTANTIATE_TEST_SUITE_P(Faces, LodrexSimTest, ::testing::Values(Face::kSimulatedLibrary, Face::kSystemLayer),
                         [](const ::testing::TestParamInfo<Face>& face) {
                           return face.param == Face::kSimulatedLibrary ? "SimulatedLibrary" : "SystemLayer";
                         });

// The HID library on a system without the keyboard: bound like the simulated one, it finds
// nothing, counts nothing and refuses sends, without crashing.
TEST(LodrexHidTest, FindsNoKeyboardWhereThereIsNone) {
  std::memset(&g_Settings, 0, sizeof g_Settings);
  g_Settings.VID = 0x1209;
  g_Settings.PID = 0x0001;
  CUSBDriver driver;
  ASSERT_EQ(BindDeviceLibraryFrom(&driver, nullptr, plat::ProgramFolder() + u"..\\hid\\Lodrex.dll"), 1);
  EXPECT_NE(driver.GetFeature, nullptr);
  EXPECT_NE(driver.GetInputReport, nullptr);
  EXPECT_EQ(driver.FindDev(), 0);
  EXPECT_EQ(driver.CountDevices(), 0);
  uint8_t report[42] = {10};
  EXPECT_EQ(driver.SetFeature(0, report, 42), 0);
  char16_t product[8] = {u'x'};
  EXPECT_EQ(driver.GetProductString(0, product, 8), 0);
  EXPECT_EQ(product[0], 0);
}

}  // namespace
