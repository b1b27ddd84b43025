#include "device/device_listener.h"

#include "log/log.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "device/usb_driver.h"
#include "platform/platform.h"
#include "platform/u16.h"

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
  l.readEvent = oslink::CreateAutoEvent();
  l.stopEvent = oslink::CreateAutoEvent();
  if (!l.readEvent || !l.stopEvent) {
    // Without them a pending read could never be waited for nor stopped.
    LogPrint(u"CreateEvent err=%d", static_cast<int>(plat::LastError()));
    oslink::CloseEvent(l.readEvent);
    oslink::CloseEvent(l.stopEvent);
    l.readEvent = l.stopEvent = nullptr;
    return;
  }
  l.thread = std::thread([driver] { DeviceListener(driver); });
}

void StopDeviceListener() {
  ListenerState& l = Listener();
  l.stopFlag = 1;
  if (l.stopEvent) oslink::SignalEvent(l.stopEvent);
  // A pass ends within its 300 ms pause or, when a read is pending, on the stop event; the
  // events may only go once the thread no longer waits on them.
  if (l.thread.joinable()) l.thread.join();
  oslink::CloseEvent(l.readEvent);
  oslink::CloseEvent(l.stopEvent);
  l.readEvent = l.stopEvent = nullptr;
}

namespace {
void Forward(WindowRef mainWindow, const uint8_t* report) {
  uint32_t content = report[1] | (report[2] << 8) | (report[3] << 16) |
                     (static_cast<uint32_t>(report[4]) << 24);
  if (oslink::IsWindowAlive(mainWindow)) oslink::PostToWindow(mainWindow, WM_DEVICE_INPUT, content, 0);
}
}  // namespace

int DeviceListener(CUSBDriver*) {
  ListenerState& l = Listener();
  LogPrint(u"Thread Start...");
  while (!l.stopFlag) {
    plat::SleepMs(kListenerPassMs);
    uint8_t buffer[kInputReportBytes] = {kInputReportId, 0, 0, 0, 0};
    // Declared after the buffer, so a read still pending is cancelled before the buffer goes.
    oslink::DeviceRead read(l.inputHandle, l.readEvent);
    oslink::ReadStart start = read.Start(buffer, kInputReportBytes);
    if (start.kind == oslink::ReadStart::kFailed) continue;  // no keyboard input to read
    if (start.kind == oslink::ReadStart::kCompleted) {
      LogPrint(u"2 Buffer= %x %x %x %x, NumberOfBytesRead=%d", buffer[1], buffer[2], buffer[3],
               buffer[4], static_cast<int>(start.bytes));
      Forward(l.mainWindow, buffer);
      continue;
    }
    oslink::ReadWait wait = read.WaitOrStop(l.stopEvent);
    switch (wait.kind) {
      case oslink::ReadWait::kCompleted:
        LogPrint(u"Buffer= %x %x %x %x, NumberOfBytesRead=%d", buffer[1], buffer[2], buffer[3],
                 buffer[4], static_cast<int>(wait.bytes));
        Forward(l.mainWindow, buffer);
        break;
      case oslink::ReadWait::kStopped:
        LogPrint(u"hObject[1] is signal");
        break;
      case oslink::ReadWait::kWaitFailed:
        LogPrint(u"GetLastError=%d\n", static_cast<int>(wait.error));
        break;
      case oslink::ReadWait::kReadFailed:
        // Nothing was read (the device went away, say): there is nothing to forward.
        break;
    }
  }
  LogPrint(u"Thread exit!\n");
  return 0;
}

std::u16string DeviceMatchText() {
  return u16::Format(u"USB#VID_%04x&PID_%04x", static_cast<unsigned>(g_Settings.VID),
                     static_cast<unsigned>(g_Settings.PID));
}

int OnDeviceChange(CUSBDriver* driver, uint32_t event, const char16_t* deviceName,
                   const DeviceChangeUi& ui) {
  std::u16string match = DeviceMatchText();
  if (event != kDbtDeviceArrival && event != kDbtDeviceRemoveComplete) return 0;
  if (!deviceName || !u16::ContainsNoCase(deviceName, match)) return 0;
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
