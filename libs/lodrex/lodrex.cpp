// Lodrex.dll over the Windows HID stack: SetupAPI finds the HID interfaces, hid.dll gives each
// collection's capabilities and carries the feature reports.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#define LODREX_EXPORTS
#include "lodrex/keyboard_choice.h"
#include "lodrex/lodrex_api.h"

namespace {

void Trace(int32_t debug, const wchar_t* format, ...) {
  if (!debug) return;
  wchar_t text[512];
  va_list args;
  va_start(args, format);
  _vsnwprintf(text, 511, format, args);
  va_end(args);
  text[511] = 0;
  OutputDebugStringW(text);
}

std::wstring Upper(const wchar_t* text) {
  std::wstring out;
  for (; text && *text; ++text) out += static_cast<wchar_t>(std::towupper(*text));
  return out;
}

// Device paths spell the identifiers in either case ("\\?\hid#vid_1a2c&pid_0e24#...").
bool PathNamesDevice(const wchar_t* path, const char16_t* deviceId) {
  if (!deviceId || !*deviceId) return true;
  std::wstring id = Upper(reinterpret_cast<const wchar_t*>(deviceId));
  return Upper(path).find(id) != std::wstring::npos;
}

HANDLE ToHandle(uint32_t handle) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle));
}

// Capabilities need no access rights, so collections owned by the system (the keyboard's own
// input collection) can be inspected too.
bool QueryCollection(const wchar_t* path, HIDP_CAPS& caps, HIDD_ATTRIBUTES& attributes) {
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  attributes.Size = sizeof attributes;
  HidD_GetAttributes(h, &attributes);
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  bool ok = false;
  if (HidD_GetPreparsedData(h, &preparsed)) {
    ok = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    HidD_FreePreparsedData(preparsed);
  }
  CloseHandle(h);
  return ok;
}

std::wstring DeviceId(DEVINST node) {
  wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
  if (CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return std::wstring();
  return id;
}

// What the collections of one keyboard share: the USB device above them. A collection's parent
// is its USB interface; on a composite device ("&MI_" in the interface's identifier) the device
// is one level further up. Without that information each collection stands for itself.
std::wstring KeyboardOf(DEVINST collection, const wchar_t* path) {
  DEVINST parent = 0;
  if (CM_Get_Parent(&parent, collection, 0) == CR_SUCCESS) {
    std::wstring id = DeviceId(parent);
    DEVINST grand = 0;
    if (Upper(id.c_str()).find(L"&MI_") != std::wstring::npos &&
        CM_Get_Parent(&grand, parent, 0) == CR_SUCCESS) {
      std::wstring up = DeviceId(grand);
      if (!up.empty()) return up;
    }
    if (!id.empty()) return id;
  }
  return path;
}

}  // namespace

extern "C" {

uint32_t LODREX_CALL OpenHidDevice(uint16_t usagePage, uint16_t usage, const char16_t* deviceId,
                                   LodrexReportFilter filter, uint32_t, uint32_t, int32_t debug,
                                   uint32_t, uint32_t flags, uint32_t* count) {
  GUID hidGuid;
  HidD_GetHidGuid(&hidGuid);
  HDEVINFO set =
      SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) {
    Trace(debug, L"Lodrex: SetupDiGetClassDevs err=%lu", GetLastError());
    return 0;
  }
  DWORD lastError = ERROR_DEVICE_NOT_CONNECTED;
  std::vector<std::wstring> paths;
  std::vector<lodrex::Collection> collections;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &iface)) break;
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<uint8_t> storage(needed + sizeof(wchar_t));
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA node{};
    node.cbSize = sizeof node;
    if (!SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, needed, nullptr, &node)) continue;
    const wchar_t* path = detail->DevicePath;
    if (!PathNamesDevice(path, deviceId)) continue;

    HIDP_CAPS caps{};
    HIDD_ATTRIBUTES attributes{};
    if (!QueryCollection(path, caps, attributes)) continue;
    if (caps.UsagePage != usagePage || caps.Usage != usage) continue;
    Trace(debug, L"Lodrex: %ls feature=%u", path, static_cast<unsigned>(caps.FeatureReportByteLength));
    bool wanted = !filter || filter(path, &caps, &attributes, caps.FeatureReportByteLength);
    if (count) {
      if (wanted) ++*count;
      continue;
    }
    paths.push_back(path);
    collections.push_back({KeyboardOf(node.DevInst, path), wanted});
  }
  SetupDiDestroyDeviceInfoList(set);
  if (count) {
    SetLastError(lastError);
    return 0;
  }

  // Four calls open one keyboard's four collections: each call takes the first keyboard that
  // opens whole, so the handles never come from two keyboards.
  uint32_t result = lodrex::OpenFromWholeKeyboard(
      collections,
      [&](size_t i) -> uint32_t {
        HANDLE h = CreateFileW(paths[i].c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
          lastError = GetLastError();
          Trace(debug, L"Lodrex: open %ls err=%lu, keyboard passed over", paths[i].c_str(), lastError);
          return 0;
        }
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
      },
      [](uint32_t handle) { CloseHandle(ToHandle(handle)); });
  if (!result) SetLastError(lastError);
  return result;
}

// A closed (null) handle goes to the system like any other, which refuses it as an invalid
// handle: an apply without a keyboard then reports what it reports for a handle closed under it.
uint8_t LODREX_CALL SetFeature(uint32_t handle, const uint8_t* buffer, uint32_t length) {
  if (!buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return HidD_SetFeature(ToHandle(handle), const_cast<uint8_t*>(buffer), length) ? 1 : 0;
}

uint8_t LODREX_CALL GetFeature(uint32_t handle, uint8_t* buffer, uint32_t length) {
  if (!handle || !buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return HidD_GetFeature(ToHandle(handle), buffer, length) ? 1 : 0;
}

uint8_t LODREX_CALL GetInputReport(uint32_t handle, uint8_t* buffer, uint32_t length) {
  if (!handle || !buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return HidD_GetInputReport(ToHandle(handle), buffer, length) ? 1 : 0;
}

uint8_t LODREX_CALL GetProductString(uint32_t handle, char16_t* buffer, uint32_t capacity) {
  if (!buffer || !capacity) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = 0;
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // hid.dll refuses buffers beyond 4093 bytes; product strings are far shorter.
  ULONG bytes = capacity > 2046 ? 4092 : capacity * 2;
  BOOLEAN ok = HidD_GetProductString(ToHandle(handle), buffer, bytes);
  buffer[capacity - 1] = 0;
  if (!ok) buffer[0] = 0;
  return ok ? 1 : 0;
}

}  // extern "C"
