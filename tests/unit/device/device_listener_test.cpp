#include "device/device_listener.h"

#include <algorithm>
#include <atomic>
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

// The listener run on the test's thread over a scripted input handle: each pass takes the next
// step; when none is left the stop flag is set, as teardown would, and the loop ends.
class ListenerTest : public DeviceTest {
 protected:
  struct Step {
    oslink::ReadStart start;
    oslink::ReadWait wait;  // a pending read's end
    std::vector<uint8_t> report;
  };

  void SetUp() override {
    DeviceTest::SetUp();
    liveWindow = kMainWindow;
    Listener().mainWindow = kMainWindow;
    Listener().inputHandle = kInput;
    Listener().stopFlag = 0;
    oslink::TestHooks().startRead = [this](uint32_t handle, uint8_t* buffer, uint32_t length) {
      EXPECT_EQ(handle, kInput);
      started.emplace_back(buffer, buffer + length);
      if (next == steps.size()) {
        Listener().stopFlag = 1;
        return oslink::ReadStart{oslink::ReadStart::kFailed, 0, 6};
      }
      const Step& step = steps[next];
      if (step.start.kind == oslink::ReadStart::kCompleted) Fill(buffer, step.report);
      if (step.start.kind == oslink::ReadStart::kPending)
        pendingBuffer = buffer;
      else
        ++next;
      return step.start;
    };
    oslink::TestHooks().waitRead = [this](uint32_t, EventRef) {
      const Step& step = steps[next++];
      if (step.wait.kind == oslink::ReadWait::kCompleted) Fill(pendingBuffer, step.report);
      if (step.wait.kind == oslink::ReadWait::kStopped) Listener().stopFlag = 1;
      return step.wait;
    };
    oslink::TestHooks().cancelRead = [this](uint32_t) { ++cancels; };
  }
  void TearDown() override {
    Listener().inputHandle = 0;
    Listener().mainWindow = nullptr;
    Listener().stopFlag = 0;
    DeviceTest::TearDown();
  }

  void Fill(uint8_t* buffer, const std::vector<uint8_t>& report) {
    std::copy(report.begin(), report.end(), buffer);
  }
  // What the listener logged between its start and exit lines.
  std::vector<std::string> Run() {
    EXPECT_EQ(DeviceListener(&driver), 0);
    EXPECT_GE(log.size(), 2u);
    EXPECT_EQ(log.front(), "Thread Start...");
    EXPECT_EQ(log.back(), "Thread exit!\n");
    if (log.size() < 2) return {};
    return std::vector<std::string>(log.begin() + 1, log.end() - 1);
  }

  static constexpr uint32_t kInput = 0x31;
  const WindowRef kMainWindow = reinterpret_cast<WindowRef>(0x42);
  std::vector<Step> steps;
  size_t next = 0;
  uint8_t* pendingBuffer = nullptr;
  std::vector<std::vector<uint8_t>> started;
  int cancels = 0;
};

using Start = oslink::ReadStart;
using Wait = oslink::ReadWait;

TEST_F(ListenerTest, EachWayAReadEndsIsLoggedAndForwardedOrNot) {
  const std::vector<uint8_t> report{7, 0x11, 0x22, 0x33, 0x44};
  const Wait noWait{Wait::kCompleted, 0, 0};
  struct Case {
    const char* name;
    Step step;
    std::vector<std::string> logged;
    bool posted;
    int cancels;
    size_t reads;  // the script's end is one more; a stop ends the loop without it
  } cases[] = {
      {"at once", {{Start::kCompleted, 5, 0}, noWait, report},
       {"2 Buffer= 11 22 33 44, NumberOfBytesRead=5"}, true, 0, 2},
      {"pending, then read", {{Start::kPending, 0, 0}, {Wait::kCompleted, 5, 0}, report},
       {"Buffer= 11 22 33 44, NumberOfBytesRead=5"}, true, 0, 2},
      {"fails", {{Start::kFailed, 0, 31}, noWait, report}, {}, false, 0, 2},
      {"pending, then stop", {{Start::kPending, 0, 0}, {Wait::kStopped, 0, 0}, report},
       {"hObject[1] is signal"}, false, 1, 1},
      {"pending, wait fails", {{Start::kPending, 0, 0}, {Wait::kWaitFailed, 0, 6}, report},
       {"GetLastError=6\n"}, false, 1, 2},
      {"pending, read ends without data",
       {{Start::kPending, 0, 0}, {Wait::kReadFailed, 0, 1167}, report}, {}, false, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    steps = {c.step};
    next = 0;
    cancels = 0;
    started.clear();
    log.clear();
    posts.clear();
    sleeps.clear();
    Listener().stopFlag = 0;
    EXPECT_EQ(Run(), c.logged);
    EXPECT_EQ(started.size(), c.reads);
    EXPECT_EQ(sleeps, std::vector<uint32_t>(c.reads, kListenerPassMs));  // the pause comes first
    EXPECT_EQ(cancels, c.cancels);
    if (c.posted) {
      ASSERT_EQ(posts.size(), 1u);
      EXPECT_EQ(posts[0].window, kMainWindow);
      EXPECT_EQ(posts[0].message, WM_DEVICE_INPUT);
      EXPECT_EQ(posts[0].wParam, 0x44332211u);  // byte 1 lowest
    } else {
      EXPECT_TRUE(posts.empty());
    }
  }
}

TEST_F(ListenerTest, EveryReadStartsFromAFreshReportAndShortReadsSayHowMuchCame) {
  steps = {{{Start::kCompleted, 5, 0}, {}, {7, 1, 2, 3, 4}},
           {{Start::kPending, 0, 0}, {Wait::kCompleted, 2, 0}, {7, 0xAB}}};
  std::vector<std::string> logged = Run();
  EXPECT_EQ(logged, (std::vector<std::string>{"2 Buffer= 1 2 3 4, NumberOfBytesRead=5",
                                              "Buffer= ab 0 0 0, NumberOfBytesRead=2"}));
  ASSERT_EQ(started.size(), 3u);
  for (const std::vector<uint8_t>& buffer : started)
    EXPECT_EQ(buffer, (std::vector<uint8_t>{7, 0, 0, 0, 0}));
  ASSERT_EQ(posts.size(), 2u);
  EXPECT_EQ(posts[0].wParam, 0x04030201u);
  EXPECT_EQ(posts[1].wParam, 0xABu);  // what the earlier report left is gone
}

TEST_F(ListenerTest, NothingIsPostedOnceTheMainWindowIsGone) {
  liveWindow = nullptr;
  steps = {{{Start::kCompleted, 5, 0}, {}, {7, 1, 2, 3, 4}},
           {{Start::kPending, 0, 0}, {Wait::kCompleted, 5, 0}, {7, 5, 6, 7, 8}}};
  EXPECT_EQ(Run().size(), 2u);  // still read and logged
  EXPECT_TRUE(posts.empty());
}

TEST_F(ListenerTest, ClosedInputHandleIdlesQuietly) {
  Listener().inputHandle = 0;
  plat::TestHooks().sleep = [this](uint32_t ms) {
    sleeps.push_back(ms);
    if (sleeps.size() == 3) Listener().stopFlag = 1;
  };
  EXPECT_TRUE(Run().empty());
  EXPECT_TRUE(started.empty());  // no read is even tried on a null handle
  EXPECT_EQ(sleeps.size(), 3u);
  EXPECT_TRUE(posts.empty());
}

// The thread as teardown meets it: a read pending on the keyboard, ended by the stop event.
TEST_F(ListenerTest, StopEndsAPendingReadAndTheThread) {
  std::atomic<int> reads{0};
  std::atomic<int> cancelled{0};
  oslink::TestHooks().startRead = [&](uint32_t, uint8_t*, uint32_t) {
    ++reads;
    return Start{Start::kPending, 0, 0};
  };
  oslink::TestHooks().waitRead = [](uint32_t, EventRef stop) {
    bool stopped = oslink::WaitForEvent(stop, 10000);
    return Wait{stopped ? Wait::kStopped : Wait::kWaitFailed, 0, 0};
  };
  oslink::TestHooks().cancelRead = [&](uint32_t) { ++cancelled; };
  StartDeviceListener(&driver);
  ASSERT_TRUE(Listener().thread.joinable());
  EXPECT_NE(Listener().readEvent, nullptr);
  for (int i = 0; i < 1000 && reads == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(reads, 1);
  StopDeviceListener();
  EXPECT_FALSE(Listener().thread.joinable());
  EXPECT_EQ(Listener().readEvent, nullptr);
  EXPECT_EQ(Listener().stopEvent, nullptr);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(cancelled, 1);
  EXPECT_EQ(log, (std::vector<std::string>{"Thread Start...", "hObject[1] is signal", "Thread exit!\n"}));
}

}  // namespace
