// A recording stand-in for Lodrex.dll and the window system: collections chosen by their
// feature report length, SetFeature calls recorded (or failed on demand), posts, window
// lookups, message boxes, pauses and log lines collected.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "device/os_link.h"
#include "device/usb_driver.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"

struct SentReport {
  uint32_t handle;
  std::vector<uint8_t> bytes;
};

struct Posted {
  WindowRef window;
  uint32_t message;
  uintptr_t wParam;
};

struct FakeDevice {
  // Feature report lengths of the attached collections; handle = 0x1000 + length.
  std::vector<uint32_t> collections{577, 42, 146, 961};
  int keyboards = 1;
  std::u16string product = u"Gaming Mouse";
  std::vector<std::u16string> idsAsked;
  std::vector<int32_t> debugValues;
  std::vector<uint32_t> flagValues;
  int failuresLeft = 0;            // SetFeature fails this many times, then succeeds
  bool failAlways = false;
  uint32_t failError = 31;
  std::vector<SentReport> sent;    // successful sends
  int attempts = 0;

  static FakeDevice*& Current() {
    static FakeDevice* current = nullptr;
    return current;
  }

  static uint32_t LODREX_CALL Open(uint16_t page, uint16_t usage, const char16_t* id,
                                   LodrexReportFilter filter, uint32_t, uint32_t, int32_t debug,
                                   uint32_t, uint32_t flags, uint32_t* count) {
    FakeDevice& d = *Current();
    d.idsAsked.push_back(id);
    d.debugValues.push_back(debug);
    d.flagValues.push_back(flags);
    if (page != 0xFF00 || usage != 1) return 0;
    for (int k = 0; k < d.keyboards; ++k)
      for (uint32_t length : d.collections) {
        if (!filter(nullptr, nullptr, nullptr, length)) continue;
        if (count) {
          ++*count;
          continue;
        }
        return 0x1000 + length;
      }
    return 0;
  }

  static uint8_t LODREX_CALL Set(uint32_t handle, const uint8_t* buffer, uint32_t length) {
    FakeDevice& d = *Current();
    ++d.attempts;
    if (!handle) {
      plat::SetLastError(plat::kErrInvalidHandle);
      return 0;
    }
    if (d.failAlways || d.failuresLeft > 0) {
      if (d.failuresLeft > 0) --d.failuresLeft;
      plat::SetLastError(d.failError);
      return 0;
    }
    d.sent.push_back({handle, std::vector<uint8_t>(buffer, buffer + length)});
    return 1;
  }

  static uint8_t LODREX_CALL Product(uint32_t, char16_t* buffer, uint32_t capacity) {
    u16::CopyTruncated(buffer, capacity, Current()->product);
    return 1;
  }

  void Attach(CUSBDriver& driver) {
    Current() = this;
    driver.OpenHidDevice = Open;
    driver.SetFeature = Set;
    driver.GetProductString = Product;
  }

  // The command numbers of the successful sends, in order.
  std::vector<int> Commands() const {
    std::vector<int> out;
    for (const SentReport& r : sent) out.push_back(r.bytes.empty() ? -1 : r.bytes[0]);
    return out;
  }
  const SentReport* Find(int command) const {
    for (const SentReport& r : sent)
      if (!r.bytes.empty() && r.bytes[0] == command) return &r;
    return nullptr;
  }
};

// Settings, hooks and captures every device test starts from.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.VID = 0x1a2c;
    g_Settings.PID = 0x0e4;
    g_Debug = 1;
    plat::ResetTestHooks();
    oslink::ResetTestHooks();
    plat::TestHooks().sleep = [this](uint32_t ms) { sleeps.push_back(ms); };
    plat::TestHooks().debugOutput = [this](const std::u16string& line) { log.push_back(u16::ToUtf8(line)); };
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title, uint32_t) {
      boxes.push_back(u16::ToUtf8(title) + ": " + u16::ToUtf8(text));
      return plat::kIdOk;
    };
    oslink::TestHooks().isWindow = [this](WindowRef w) { return w && w == liveWindow; };
    oslink::TestHooks().post = [this](WindowRef w, uint32_t m, uintptr_t wp, intptr_t) {
      posts.push_back({w, m, wp});
    };
    oslink::TestHooks().findWindow = [this](const char16_t* title) {
      findTitles.push_back(u16::ToUtf8(title));
      return liveWindow;
    };
    oslink::TestHooks().closeHandle = [this](uint32_t h) { closed.push_back(h); };
    fake.Attach(driver);
    MacroList.RemoveAll();
  }

  void TearDown() override {
    MacroList.RemoveAll();
    g_Debug = 0;
    plat::ResetTestHooks();
    oslink::ResetTestHooks();
    FakeDevice::Current() = nullptr;
  }

  void OpenAll() {
    driver.m_hMatrix = 0x1000 + 577;
    driver.m_hLed = 0x1000 + 42;
    driver.m_hColor = 0x1000 + 146;
    driver.m_hMacro = 0x1000 + 961;
  }

  bool Logged(const std::string& line) const {
    for (const std::string& l : log)
      if (l == line) return true;
    return false;
  }
  uint32_t Slept() const {
    uint32_t total = 0;
    for (uint32_t ms : sleeps) total += ms;
    return total;
  }

  FakeDevice fake;
  CUSBDriver driver;
  WindowRef liveWindow = nullptr;
  std::vector<uint32_t> sleeps;
  std::vector<std::string> log;
  std::vector<std::string> boxes;
  std::vector<Posted> posts;
  std::vector<std::string> findTitles;
  std::vector<uint32_t> closed;
};
