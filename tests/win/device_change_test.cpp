// Arrival and removal of the keyboard as the main window receives them: the system's own
// device-interface broadcast, built in memory as the system delivers it, handed to the handler
// with the simulated keyboard's Lodrex.dll bound.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "device/device_change_win.h"
#include "device/usb_driver.h"
#include "platform/platform.h"

namespace {

// A DEV_BROADCAST_DEVICEINTERFACE_W with its name stored behind the header, as broadcast.
std::vector<uint8_t> Broadcast(const std::wstring& name, DWORD type = DBT_DEVTYP_DEVICEINTERFACE) {
  std::vector<uint8_t> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + name.size() * sizeof(wchar_t));
  auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  b->dbcc_size = static_cast<DWORD>(bytes.size());
  b->dbcc_devicetype = type;
  std::memcpy(b->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
  return bytes;
}

const wchar_t kOurs[] = L"\\\\?\\USB#VID_1209&PID_0001#6&2c5d1a&0&3#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const wchar_t kOther[] = L"\\\\?\\USB#VID_046D&PID_C077#5&1a2b&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

class DeviceChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"LODREX_SIM_VID", L"0x1209");
    SetEnvironmentVariableW(L"LODREX_SIM_PID", L"0x0001");
    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.VID = 0x1209;
    g_Settings.PID = 0x0001;
    plat::ResetTestHooks();
    plat::TestHooks().sleep = [](uint32_t) {};
    ASSERT_EQ(BindDeviceLibraryFrom(&driver, nullptr, plat::ProgramFolder() + u"..\\sim\\Lodrex.dll"), 1);
    ASSERT_EQ(driver.FindDev(), 1);
    ui.hideMainWindow = [this] { ++hidden; };
    ui.showInfoBalloon = [this](const std::u16string& text, const std::u16string&) { balloons.push_back(text); };
  }
  void TearDown() override { plat::ResetTestHooks(); }

  LRESULT Deliver(WPARAM event, const std::vector<uint8_t>& broadcast) {
    return OnDeviceChangeMessage(&driver, event, reinterpret_cast<LPARAM>(broadcast.data()), ui);
  }

  CUSBDriver driver;
  DeviceChangeUi ui;
  int hidden = 0;
  std::vector<std::u16string> balloons;
};

TEST_F(DeviceChangeTest, RemovalClosesAndHidesOrTellsAndArrivalReopens) {
  // Other devices, other kinds of broadcast and other events leave the keyboard alone.
  Deliver(DBT_DEVICEREMOVECOMPLETE, Broadcast(kOther));
  Deliver(DBT_DEVICEREMOVECOMPLETE, Broadcast(kOurs, DBT_DEVTYP_VOLUME));
  Deliver(DBT_DEVNODES_CHANGED, Broadcast(kOurs));
  EXPECT_EQ(OnDeviceChangeMessage(&driver, DBT_DEVICEREMOVECOMPLETE, 0, ui), 0);
  EXPECT_TRUE(driver.IsOpen());

  g_Settings.TrayIcon = 1;
  Deliver(DBT_DEVICEREMOVECOMPLETE, Broadcast(kOurs));
  EXPECT_EQ(driver.m_hMatrix.load(), 0u);
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(balloons.empty());

  Deliver(DBT_DEVICEARRIVAL, Broadcast(kOurs));
  EXPECT_TRUE(driver.IsOpen());

  g_Settings.TrayIcon = 3;
  Deliver(DBT_DEVICEREMOVECOMPLETE, Broadcast(kOurs));
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(balloons.size(), 1u);
}

}  // namespace
