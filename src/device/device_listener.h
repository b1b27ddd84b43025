// Following the keyboard while the program runs: the device-change handler that reopens or
// closes it, and the listener thread that forwards its input reports to the main window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "device/os_link.h"

class CUSBDriver;

constexpr uint32_t WM_DEVICE_INPUT = 0x07EB;
constexpr uint32_t kDbtDeviceArrival = 0x8000;
constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
constexpr uint32_t kListenerPassMs = 300;
constexpr uint8_t kInputReportId = 7;
constexpr uint32_t kInputReportBytes = 5;

struct ListenerState {
  WindowRef mainWindow = nullptr;
  std::atomic<uint32_t> inputHandle{0};  // nothing opens it yet: the listener idles
  std::atomic<uint32_t> stopFlag{0};
  // Both exist only while the listener runs.
  EventRef readEvent = nullptr;
  EventRef stopEvent = nullptr;
  std::thread thread;
};
ListenerState& Listener();

void StartDeviceListener(CUSBDriver* driver);
// Sets the stop flag, signals the stop event (which ends a pending read) and waits for the
// thread to end.
void StopDeviceListener();
// Thread body: every 300 ms, an overlapped read of one 5-byte input report (identifier 7) from
// the input handle; what it reads goes to the main window as WM_DEVICE_INPUT, bytes 1..4 as a
// little-endian wParam. Returns 0.
int DeviceListener(CUSBDriver* driver);

// What the removal of the keyboard does to the main window, which owns the tray icon.
struct DeviceChangeUi {
  std::function<void()> hideMainWindow;
  std::function<void(const std::u16string& text, const std::u16string& title)> showInfoBalloon;
};

// WM_DEVICECHANGE: `deviceName` is the name field of the device-interface broadcast (null for
// other kinds). Arrival of our keyboard reopens it (three tries 100 ms apart), its removal
// closes the handles. Returns 0.
int OnDeviceChange(CUSBDriver* driver, uint32_t event, const char16_t* deviceName,
                   const DeviceChangeUi& ui);
// "USB#VID_%04x&PID_%04x" of the configured identifiers.
std::u16string DeviceMatchText();
