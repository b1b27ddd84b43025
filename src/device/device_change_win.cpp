#include "device/device_change_win.h"

#include <dbt.h>

LRESULT OnDeviceChangeMessage(CUSBDriver* driver, WPARAM event, LPARAM data, const DeviceChangeUi& ui) {
  const char16_t* name = nullptr;
  auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    auto* iface = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    name = reinterpret_cast<const char16_t*>(iface->dbcc_name);
  }
  return OnDeviceChange(driver, static_cast<uint32_t>(event), name, ui);
}
