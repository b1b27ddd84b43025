#include "device/device_listener.h"

#include <chrono>

#include "app/log/log.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "device/usb_driver.h"
#include "platform/platform.h"
#include "platform/u16.h"

void AutoEvent::Set() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = true;
  cv_.notify_one();
}

bool AutoEvent::WaitFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled_; })) return false;
  signalled_ = false;
  return true;
}

ListenerState& Listener() {
  // Never destroyed, for the same reason as the apply worker's block: a listener still
  // running at exit must not meet a destroyed std::thread.
  static ListenerState* state = new ListenerState;
  return *state;
}

void StartDeviceListener(CUSBDriver* driver) {
  ListenerState& l = Listener();
  if (l.thread.joinable()) return;
  l.stopFlag = 0;
  l.stopEvent = new AutoEvent;
  l.thread = std::thread([driver] { DeviceListener(driver); });
}

void StopDeviceListener() {
  ListenerState& l = Listener();
  l.stopFlag = 1;
  if (l.stopEvent) l.stopEvent->Set();
  // A pass ends within 300 ms and the read never blocks, so joining cannot hang.
  if (l.thread.joinable()) l.thread.join();
  delete l.stopEvent;
  l.stopEvent = nullptr;
}

int DeviceListener(CUSBDriver* driver) {
  ListenerState& l = Listener();
  LogPrint(u"Thread Start...");
  while (!l.stopFlag) {
    // The pause doubles as the wait for the stop event, so teardown need not sit it out; the
    // loop then ends on the stop flag, with nothing logged (no read was cut short).
    if (l.stopEvent && l.stopEvent->WaitFor(kListenerPassMs)) continue;
    uint32_t handle = l.inputHandle;
    if (!handle || !driver || !driver->GetInputReport) continue;
    uint8_t buffer[kInputReportBytes] = {kInputReportId, 0, 0, 0, 0};
    if (!driver->GetInputReport(handle, buffer, kInputReportBytes)) continue;
    LogPrint(u"2 Buffer= %x %x %x %x, NumberOfBytesRead=%d", buffer[1], buffer[2], buffer[3],
             buffer[4], static_cast<int>(kInputReportBytes));
    uint32_t content = buffer[1] | (buffer[2] << 8) | (buffer[3] << 16) |
                       (static_cast<uint32_t>(buffer[4]) << 24);
    if (oslink::IsWindowAlive(l.mainWindow))
      oslink::PostToWindow(l.mainWindow, WM_DEVICE_INPUT, content, 0);
  }
  LogPrint(u"Thread exit!\n");
  return 0;
}

std::u16string DeviceMatchText() {
  return u16::Format(u"USB#VID_%04x&PID_%04x", static_cast<unsigned>(g_Settings.VID),
                     static_cast<unsigned>(g_Settings.PID));
}

namespace {
bool ContainsNoCase(const std::u16string& text, const std::u16string& part) {
  if (part.size() > text.size()) return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (u16::EqualNoCase(text.c_str() + i, part.c_str(), part.size())) return true;
  return false;
}
}  // namespace

int OnDeviceChange(CUSBDriver* driver, uint32_t event, const char16_t* deviceName,
                   const DeviceChangeUi& ui) {
  std::u16string match = DeviceMatchText();
  if (event != kDbtDeviceArrival && event != kDbtDeviceRemoveComplete) return 0;
  if (!deviceName || !ContainsNoCase(deviceName, match)) return 0;
  if (event == kDbtDeviceArrival) {
    LogPrint(u"Device IN");
    for (int attempt = 0; attempt < 3; ++attempt) {
      plat::SleepMs(100);
      if (driver && driver->FindDev()) break;
    }
    return 0;
  }
  LogPrint(u"Device OUT");
  if (driver) driver->ClearHandle();
  if (g_Settings.TrayIcon == 1) {
    if (ui.hideMainWindow) ui.hideMainWindow();
  } else if (ui.showInfoBalloon) {
    ui.showInfoBalloon(g_Texts.tc_msg15, u"Info");
  }
  return 0;
}
