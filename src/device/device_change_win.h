// WM_DEVICECHANGE as the main window receives it.
#pragma once

#include <windows.h>

#include "device/device_listener.h"

// Pulls the device name out of a device-interface broadcast and hands it to OnDeviceChange.
LRESULT OnDeviceChangeMessage(CUSBDriver* driver, WPARAM event, LPARAM data, const DeviceChangeUi& ui);
