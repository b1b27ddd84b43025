#include "device/usb_driver.h"

#include <cstring>

#include "log/log.h"
#include "config/settings.h"
#include "device/device_listener.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

// The library gives the filter no context, so each wanted length is its own function.
template <uint32_t kLength>
int LODREX_CALL AcceptReportLength(const void*, const void*, const void*, uint32_t featureLength) {
  return featureLength == kLength ? 1 : 0;
}

const char16_t kDefaultProductString[] = u"Gaming Mouse";

bool SameTextNoCase(const char16_t* a, const char16_t* b) {
  size_t la = std::char_traits<char16_t>::length(a);
  size_t lb = std::char_traits<char16_t>::length(b);
  return la == lb && u16::EqualNoCase(a, b, la);
}

template <typename Fn>
Fn Bind(void* module, const char* name) {
  return reinterpret_cast<Fn>(plat::FindSymbol(module, name));
}

}  // namespace

std::u16string DeviceIdText() {
  return u16::Format(u"VID_%04X&PID_%04X", static_cast<unsigned>(g_Settings.VID),
                     static_cast<unsigned>(g_Settings.PID));
}

CUSBDriver::~CUSBDriver() {
  ClearHandle();
  if (m_hModule) {
    plat::FreeDynamicLibrary(m_hModule);
    m_hModule = nullptr;
  }
}

void CUSBDriver::ClearHandle() {
  LogPrint(u"ClearHandle");
  for (std::atomic<uint32_t>* h : {&m_hMatrix, &m_hLed, &m_hColor, &m_hMacro}) {
    uint32_t value = h->exchange(0);
    if (value) oslink::CloseDeviceHandle(value);
  }
  uint32_t input = Listener().inputHandle.exchange(0);
  if (input) oslink::CloseDeviceHandle(input);
}

std::u16string WantedProductString() {
  constexpr size_t kUsbStringUnits = sizeof g_Settings.USBString / sizeof(char16_t);
  std::u16string expected(g_Settings.USBString,
                          u16::BoundedLength(g_Settings.USBString, kUsbStringUnits));
  return expected.empty() ? std::u16string(kDefaultProductString) : expected;
}

int CUSBDriver::FindDev() {
  ClearHandle();
  m_refusedProduct.clear();
  m_productRefused = false;
  std::u16string id = DeviceIdText();
  LogPrint(u"FindDev: looking for %s", id.c_str());
  if (!OpenHidDevice) {
    LogPrint(u"m_hMatrix=0x%x, m_hLed=0x%x, m_hColor=0x%x, m_hMacro=0x%x", 0u, 0u, 0u, 0u);
    return 0;
  }
  auto open = [&](LodrexReportFilter filter) {
    return OpenHidDevice(kVendorUsagePage, kVendorUsage, id.c_str(), filter, 0, 0, g_Debug, 0,
                         kOpenFlagsOverlapped, nullptr);
  };
  m_hMatrix = open(AcceptReportLength<kMatrixReportLength>);
  m_hLed = open(AcceptReportLength<kLedReportLength>);
  m_hColor = open(AcceptReportLength<kColorReportLength>);
  m_hMacro = open(AcceptReportLength<kMacroReportLength>);
  LogPrint(u"m_hMatrix=0x%x, m_hLed=0x%x, m_hColor=0x%x, m_hMacro=0x%x", m_hMatrix.load(),
           m_hLed.load(), m_hColor.load(), m_hMacro.load());
  if (!IsOpen()) {
    ClearHandle();
    return 0;
  }
  if (!g_Settings.MatchStr) return 1;

  char16_t product[kProductStringUnits] = {};
  if (GetProductString) GetProductString(m_hMatrix, product, kProductStringUnits);
  product[kProductStringUnits - 1] = 0;
  std::u16string ours = WantedProductString();
  LogPrint(u"Usb String=%s, Our Str=%s", product, ours.c_str());
  if (SameTextNoCase(product, ours.c_str())) return 1;
  ClearHandle();
  m_productRefused = true;
  m_refusedProduct = product;
  return 0;
}

int CUSBDriver::CountDevices() {
  if (!OpenHidDevice) return 0;
  uint32_t count = 0;
  std::u16string id = DeviceIdText();
  uint32_t handle = OpenHidDevice(kVendorUsagePage, kVendorUsage, id.c_str(),
                                  AcceptReportLength<kLedReportLength>, 0, 0, 0, 0,
                                  kOpenFlagsOverlapped, &count);
  // A device layer that opened a handle while counting would leak it; nobody uses it.
  if (handle) oslink::CloseDeviceHandle(handle);
  return static_cast<int>(count);
}

int BindDeviceLibraryFrom(CUSBDriver* driver, WindowRef mainWindow, const std::u16string& path) {
  if (!driver) return 0;
  Listener().mainWindow = mainWindow;
  if (!driver->m_hModule) driver->m_hModule = plat::LoadDynamicLibrary(path);
  void* module = driver->m_hModule;
  if (module) {
    driver->OpenHidDevice = Bind<PFN_OpenHidDevice>(module, "OpenHidDevice");
    driver->SetFeature = Bind<PFN_SetFeature>(module, "SetFeature");
    driver->GetFeature = Bind<PFN_GetFeature>(module, "GetFeature");
    driver->GetProductString = Bind<PFN_GetProductString>(module, "GetProductString");
    driver->GetInputReport = Bind<PFN_GetInputReport>(module, "GetInputReport");
  }
  if (!module || !driver->OpenHidDevice || !driver->SetFeature || !driver->GetProductString) {
    LogPrint(u"load dll failed.");
    return 0;
  }
  if (g_Settings.Pop) StartDeviceListener(driver);
  return 1;
}

int BindDeviceLibrary(CUSBDriver* driver, WindowRef mainWindow) {
  return BindDeviceLibraryFrom(driver, mainWindow, plat::ProgramFolder() + u"Lodrex.dll");
}

int UnbindDeviceLibrary() {
  StopDeviceListener();
  return 1;
}

int SendCommand(uint8_t command, uint32_t payloadLength, uint8_t* report, CUSBDriver* driver,
                uint32_t handle, const void* payload) {
  if (!report) return 0;
  report[0] = 0;
  if (!payload) return 0;
  // A payload that does not fit the report buffer would overrun it.
  if (payloadLength > kReportBufferBytes - 1) {
    LogPrint(u"SendCommand: payload of %u bytes too long", payloadLength);
    plat::SetLastError(plat::kErrInvalidParameter);
    return 0;
  }
  report[0] = command;
  std::memcpy(report + 1, payload, payloadLength);
  uint32_t error = plat::kErrProcNotFound;
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    if (driver && driver->SetFeature) {
      if (driver->SetFeature(handle, report, payloadLength + 1)) return 1;
      error = plat::LastError();
    }
    plat::SleepMs(kSendRetryPauseMs);
  }
  LogPrint(u"SendCommand err=%d", static_cast<int>(error));
  // Callers log the device's code too; the log itself may have touched the last error.
  plat::SetLastError(error);
  return 0;
}
