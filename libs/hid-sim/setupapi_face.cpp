// The device-installation half of the simulated system: the HID interface class lists the
// attached keyboards' collections, and the configuration manager's tree gives each collection
// its USB interface and the keyboard's composite USB device above that. setupapi.dll forwards
// here. Every other class is an empty list, so that the system's own libraries, which may ask
// for displays or monitors, find nothing instead of failing to bind.
#define _SETUPAPI_
#define _CFGMGR32_
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "interface_files.h"
#include "model/keyboard_model.h"

namespace {

const GUID kHidInterface = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kHidClass = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

struct DeviceSet {
  std::vector<sim::CollectionRef> collections;
};

std::mutex g_lock;
std::set<DeviceSet*> g_sets;

DeviceSet* Known(HDEVINFO set) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto* s = static_cast<DeviceSet*>(set);
  return g_sets.count(s) ? s : nullptr;
}

HDEVINFO NewSet(std::vector<sim::CollectionRef> collections) {
  auto* set = new DeviceSet{std::move(collections)};
  std::lock_guard<std::mutex> guard(g_lock);
  g_sets.insert(set);
  return set;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Device nodes: 0x100000 | keyboard << 8 | level << 4 | kind, so a node needs no table.
constexpr DEVINST kNodeMark = 0x100000;

DEVINST NodeOf(int keyboard, int kind, sim::NodeLevel level) {
  return kNodeMark | static_cast<DEVINST>(keyboard) << 8 | static_cast<DEVINST>(level) << 4 |
         static_cast<DEVINST>(kind);
}

bool ReadNode(DEVINST node, int& keyboard, int& kind, sim::NodeLevel& level) {
  if ((node & ~0xFFFFu) != kNodeMark) return false;
  keyboard = static_cast<int>(node >> 8 & 0xFF);
  kind = static_cast<int>(node & 0xF);
  unsigned l = node >> 4 & 0xF;
  if (keyboard >= sim::Model().Keyboards() || kind >= sim::kKinds || l > 2) return false;
  level = static_cast<sim::NodeLevel>(l);
  return true;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags) {
  bool hid = classGuid && (flags & DIGCF_DEVICEINTERFACE) && !(flags & DIGCF_ALLCLASSES) &&
             std::memcmp(classGuid, &kHidInterface, sizeof(GUID)) == 0;
  return NewSet(hid ? sim::Model().Attached() : std::vector<sim::CollectionRef>());
}

HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID*, HWND) { return NewSet({}); }

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  std::lock_guard<std::mutex> guard(g_lock);
  auto* s = static_cast<DeviceSet*>(set);
  if (!g_sets.erase(s)) return Fail(ERROR_INVALID_HANDLE);
  delete s;
  return TRUE;
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* guid, DWORD index,
                                        PSP_DEVICE_INTERFACE_DATA data) {
  DeviceSet* s = Known(set);
  if (!s) return Fail(ERROR_INVALID_HANDLE);
  if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (device || !guid || std::memcmp(guid, &kHidInterface, sizeof(GUID)) != 0 || index >= s->collections.size())
    return Fail(ERROR_NO_MORE_ITEMS);
  data->InterfaceClassGuid = kHidInterface;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index + 1;
  return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                             PSP_DEVINFO_DATA device) {
  DeviceSet* s = Known(set);
  if (!s) return Fail(ERROR_INVALID_HANDLE);
  if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
      data->Reserved > s->collections.size())
    return Fail(ERROR_INVALID_PARAMETER);
  const sim::CollectionRef& c = s->collections[data->Reserved - 1];
  std::wstring path = hidsim::InterfacePath(c);
  DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                    (path.size() + 1) * sizeof(wchar_t));
  if (required) *required = needed;
  if (!detail && size) return Fail(ERROR_INVALID_USER_BUFFER);
  if (!detail || size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
  if (device && device->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
  std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  if (device) {
    device->ClassGuid = kHidClass;
    device->DevInst = NodeOf(c.keyboard, c.kind, sim::NodeLevel::kCollection);
    device->Reserved = 0;
  }
  return TRUE;
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD, PSP_DEVINFO_DATA) {
  return Fail(Known(set) ? ERROR_NO_MORE_ITEMS : ERROR_INVALID_HANDLE);
}

BOOL WINAPI SetupDiOpenDeviceInfoW(HDEVINFO set, PCWSTR, HWND, DWORD, PSP_DEVINFO_DATA) {
  return Fail(Known(set) ? ERROR_NO_SUCH_DEVINST : ERROR_INVALID_HANDLE);
}

BOOL WINAPI SetupDiGetDevicePropertyW(HDEVINFO set, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, DWORD,
                                      PDWORD, DWORD) {
  return Fail(Known(set) ? ERROR_NO_SUCH_DEVINST : ERROR_INVALID_HANDLE);
}

CONFIGRET WINAPI CM_Get_Parent(PDEVINST parent, DEVINST node, ULONG) {
  if (!parent) return CR_INVALID_POINTER;
  *parent = 0;
  int keyboard = 0, kind = 0;
  sim::NodeLevel level;
  if (!ReadNode(node, keyboard, kind, level)) return CR_INVALID_DEVNODE;
  // The keyboard's device hangs from a hub the simulation does not show.
  if (level == sim::NodeLevel::kDevice) return CR_NO_SUCH_DEVNODE;
  *parent = level == sim::NodeLevel::kCollection ? NodeOf(keyboard, kind, sim::NodeLevel::kInterface)
                                                 : NodeOf(keyboard, 0, sim::NodeLevel::kDevice);
  return CR_SUCCESS;
}

CONFIGRET WINAPI CM_Get_Device_IDW(DEVINST node, PWCHAR buffer, ULONG length, ULONG) {
  if (!buffer) return CR_INVALID_POINTER;
  int keyboard = 0, kind = 0;
  sim::NodeLevel level;
  if (!ReadNode(node, keyboard, kind, level)) return CR_INVALID_DEVNODE;
  std::wstring id = sim::Model().NodeId(keyboard, kind, level);
  if (length < id.size()) return CR_BUFFER_SMALL;
  std::memcpy(buffer, id.c_str(), id.size() * sizeof(wchar_t));
  if (length > id.size()) buffer[id.size()] = 0;
  return CR_SUCCESS;
}

}  // extern "C"
