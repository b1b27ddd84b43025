// The device object: the binding of Lodrex.dll, the search for the keyboard, its four HID
// collections and the feature-report send with its retry policy.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "lodrex/lodrex_api.h"
#include "device/os_link.h"

// Feature report lengths (report identifier included) that tell the collections apart.
constexpr uint32_t kMatrixReportLength = 577;
constexpr uint32_t kLedReportLength = 42;
constexpr uint32_t kColorReportLength = 146;
constexpr uint32_t kMacroReportLength = 961;

constexpr uint16_t kVendorUsagePage = 0xFF00;
constexpr uint16_t kVendorUsage = 1;
constexpr uint32_t kOpenFlagsOverlapped = 0x40000000;
constexpr uint32_t kProductStringUnits = 260;
constexpr size_t kReportBufferBytes = 2048;
constexpr int kSendAttempts = 3;
constexpr uint32_t kSendRetryPauseMs = 200;

class CUSBDriver {
 public:
  CUSBDriver() = default;
  CUSBDriver(const CUSBDriver&) = delete;
  CUSBDriver& operator=(const CUSBDriver&) = delete;
  // Closes the handles and unloads the library.
  virtual ~CUSBDriver();

  // Opens the four collections of the keyboard named by VID and PID (and, with MatchStr, its
  // product string). 1 when all four are open; otherwise all are closed and 0.
  int FindDev();
  // Closes every open collection handle and the listener's input handle.
  void ClearHandle();
  // Keyboards attached that match VID, PID and the lighting collection.
  int CountDevices();
  // All four collections open.
  bool IsOpen() const { return m_hMatrix && m_hLed && m_hColor && m_hMacro; }

  // Set by a FindDev that opened a keyboard and let it go because its product string is not
  // the wanted one (MatchStr): what the keyboard said, so that a caller can tell the user.
  bool m_productRefused = false;
  std::u16string m_refusedProduct;

  void* m_hModule = nullptr;
  PFN_OpenHidDevice OpenHidDevice = nullptr;
  PFN_SetFeature SetFeature = nullptr;
  PFN_GetFeature GetFeature = nullptr;
  PFN_GetInputReport GetInputReport = nullptr;
  PFN_GetProductString GetProductString = nullptr;

  // Written on the user-interface thread (search, removal) while the apply worker sends on
  // them, hence atomic; a handle closed under the worker only makes its sends fail.
  std::atomic<uint32_t> m_hMatrix{0};
  std::atomic<uint32_t> m_hLed{0};
  std::atomic<uint32_t> m_hColor{0};
  std::atomic<uint32_t> m_hMacro{0};
};

// Loads Lodrex.dll from the program folder and binds its exports; with Pop set, also starts the
// device listener. 1 on success; 0 ("load dll failed." in the log) when the library or one of
// OpenHidDevice, SetFeature, GetProductString is missing.
int BindDeviceLibrary(CUSBDriver* driver, WindowRef mainWindow);
// The same with the library at `path` (tests, tools).
int BindDeviceLibraryFrom(CUSBDriver* driver, WindowRef mainWindow, const std::u16string& path);
// Stops the device listener and frees its events. Always 1.
int UnbindDeviceLibrary();

// Sends one feature report: report[0] = command, the payload behind it, up to three attempts
// 200 ms apart. `report` is the caller's 2048-byte buffer. 1 on success, 0 on failure with the
// device's error code left in plat::LastError().
int SendCommand(uint8_t command, uint32_t payloadLength, uint8_t* report, CUSBDriver* driver,
                uint32_t handle, const void* payload);

// The product string FindDev wants with MatchStr: USBString, or "Gaming Mouse" when it is empty.
std::u16string WantedProductString();

// "VID_%04X&PID_%04X" of the configured identifiers.
std::u16string DeviceIdText();
