#include "device/device_listener.h"

#include <chrono>
#include <thread>

#include "config/text_table.h"
#include "unit/device/fake_device.h"

namespace {

class DeviceChangeTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ui.hideMainWindow = [this] { ++hidden; };
    ui.showInfoBalloon = [this](const std::u16string& text, const std::u16string& title) {
      balloons.push_back(u16::ToUtf8(title) + ": " + u16::ToUtf8(text));
    };
  }
  DeviceChangeUi ui;
  int hidden = 0;
  std::vector<std::string> balloons;
};

const char16_t kOurName[] = u"\\\\?\\USB#VID_1A2C&PID_00E4#6&2a&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST_F(DeviceChangeTest, ArrivalRetriesTheSearchUntilItSucceeds) {
  fake.collections = {577, 42, 146};  // not ready yet
  int searches = 0;
  plat::TestHooks().sleep = [&](uint32_t ms) {
    sleeps.push_back(ms);
    if (++searches == 2) fake.collections = {577, 42, 146, 961};
  };
  EXPECT_EQ(OnDeviceChange(&driver, kDbtDeviceArrival, kOurName, ui), 0);
  EXPECT_TRUE(Logged("Device IN"));
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{100, 100}));  // the third search is not made
  EXPECT_TRUE(driver.IsOpen());
}

TEST_F(DeviceChangeTest, ArrivalGivesUpAfterThreeSearches) {
  fake.collections = {42};
  OnDeviceChange(&driver, kDbtDeviceArrival, kOurName, ui);
  EXPECT_EQ(sleeps.size(), 3u);
  EXPECT_FALSE(driver.IsOpen());
}

TEST_F(DeviceChangeTest, RemovalOfOurKeyboardClosesItAndTellsTheUser) {
  g_Texts.tc_msg15 = u"Keyboard removed";
  for (uint16_t tray : {1, 2, 3}) {
    SCOPED_TRACE(tray);
    g_Settings.TrayIcon = tray;
    OpenAll();
    hidden = 0;
    balloons.clear();
    OnDeviceChange(&driver, kDbtDeviceRemoveComplete, u"\\\\?\\usb#vid_1a2c&pid_00e4#x", ui);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(hidden, tray == 1 ? 1 : 0);
    EXPECT_EQ(balloons.size(), tray == 1 ? 0u : 1u);
  }
  EXPECT_EQ(balloons[0], "Info: Keyboard removed");
  EXPECT_TRUE(Logged("Device OUT"));
}

TEST_F(DeviceChangeTest, OtherDevicesAndEventsChangeNothing) {
  OpenAll();
  OnDeviceChange(&driver, kDbtDeviceRemoveComplete, u"\\\\?\\USB#VID_1A2C&PID_00E5#x", ui);
  OnDeviceChange(&driver, kDbtDeviceRemoveComplete, u"\\\\?\\USB#VID_1A2D&PID_00E4#x", ui);
  OnDeviceChange(&driver, kDbtDeviceRemoveComplete, nullptr, ui);
  OnDeviceChange(&driver, 0x0007, kOurName, ui);
  EXPECT_TRUE(driver.IsOpen());
  EXPECT_TRUE(closed.empty());
  EXPECT_EQ(hidden, 0);
  EXPECT_TRUE(balloons.empty());
}

TEST_F(DeviceChangeTest, ListenerPostsInputReportContentLittleEndian) {
  WindowRef mainWindow = reinterpret_cast<WindowRef>(0x42);
  liveWindow = mainWindow;
  Listener().mainWindow = mainWindow;
  Listener().inputHandle = 0x31;
  fake.inputReport = {7, 0x11, 0x22, 0x33, 0x44};
  std::mutex seen;
  std::vector<Posted> got;
  oslink::TestHooks().post = [&](WindowRef w, uint32_t m, uintptr_t wp, intptr_t) {
    std::lock_guard<std::mutex> lock(seen);
    got.push_back({w, m, wp});
  };
  StartDeviceListener(&driver);
  for (int i = 0; i < 300; ++i) {
    {
      std::lock_guard<std::mutex> lock(seen);
      if (!got.empty()) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  StopDeviceListener();
  Listener().inputHandle = 0;
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0].window, mainWindow);
  EXPECT_EQ(got[0].message, WM_DEVICE_INPUT);
  EXPECT_EQ(got[0].wParam, 0x44332211u);
  EXPECT_FALSE(Listener().thread.joinable());
  EXPECT_EQ(Listener().stopEvent, nullptr);
  // Stopping during the pause between reads is no pending read ended by the stop event.
  EXPECT_TRUE(Logged("Thread exit!\n"));
  EXPECT_FALSE(Logged("hObject[1] is signal"));
}

}  // namespace
