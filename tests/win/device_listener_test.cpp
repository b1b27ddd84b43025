// The listener's overlapped read on a real handle: a pipe opened for overlapped reading stands
// in for the keyboard's input collection, so ReadFile, the completion event, the stop event and
// cancellation all go through the system.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "log/log.h"
#include "device/device_listener.h"
#include "device/os_link.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

using oslink::ReadStart;
using oslink::ReadWait;

class PipeReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    std::wstring name = L"\\\\.\\pipe\\velkor-listener-" + std::to_wstring(GetCurrentProcessId()) +
                        L"-" + std::to_wstring(++serial);
    server_ = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                               PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(server_, INVALID_HANDLE_VALUE);
    client_ = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(client_, INVALID_HANDLE_VALUE);
    readEvent_ = oslink::CreateAutoEvent();
    stopEvent_ = oslink::CreateAutoEvent();
    ASSERT_TRUE(readEvent_ && stopEvent_);
  }
  void TearDown() override {
    if (client_ != INVALID_HANDLE_VALUE) CloseHandle(client_);
    if (server_ != INVALID_HANDLE_VALUE) CloseHandle(server_);
    oslink::CloseEvent(readEvent_);
    oslink::CloseEvent(stopEvent_);
  }

  uint32_t Input() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(server_)); }
  void Write(std::vector<uint8_t> bytes) {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(client_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
  }

  HANDLE server_ = INVALID_HANDLE_VALUE;
  HANDLE client_ = INVALID_HANDLE_VALUE;
  EventRef readEvent_ = nullptr;
  EventRef stopEvent_ = nullptr;
};

TEST_F(PipeReadTest, ReadEndsAtOnceAfterWaitingOnStopOrOnAFailure) {
  const std::vector<uint8_t> report{7, 0x11, 0x22, 0x33, 0x44};
  {
    Write(report);
    uint8_t buffer[5] = {7};
    oslink::DeviceRead read(Input(), readEvent_);
    ReadStart start = read.Start(buffer, 5);
    EXPECT_EQ(start.kind, ReadStart::kCompleted);
    EXPECT_EQ(start.bytes, 5u);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), report);
  }
  {
    uint8_t buffer[5] = {7};
    oslink::DeviceRead read(Input(), readEvent_);
    ASSERT_EQ(read.Start(buffer, 5).kind, ReadStart::kPending);
    Write({7, 1, 2});
    ReadWait wait = read.WaitOrStop(stopEvent_);
    EXPECT_EQ(wait.kind, ReadWait::kCompleted);
    EXPECT_EQ(wait.bytes, 3u);
    EXPECT_EQ(buffer[2], 2);
  }
  // Stopped, and a wait that cannot even begin: either way the read is cancelled, so what the
  // device sends afterwards neither lands in the old buffer nor is lost.
  for (bool stop : {true, false}) {
    SCOPED_TRACE(stop);
    uint8_t old[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    {
      oslink::DeviceRead read(Input(), readEvent_);
      ASSERT_EQ(read.Start(old, 5).kind, ReadStart::kPending);
      if (stop) oslink::SignalEvent(stopEvent_);
      ReadWait wait = read.WaitOrStop(stop ? stopEvent_ : nullptr);
      EXPECT_EQ(wait.kind, stop ? ReadWait::kStopped : ReadWait::kWaitFailed);
      if (!stop) {
        EXPECT_EQ(wait.error, static_cast<uint32_t>(ERROR_INVALID_HANDLE));
      }
    }
    Write(report);
    uint8_t buffer[5] = {7};
    oslink::DeviceRead read(Input(), readEvent_);
    EXPECT_EQ(read.Start(buffer, 5).kind, ReadStart::kCompleted);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), report);
    EXPECT_EQ(std::vector<uint8_t>(old, old + 5), std::vector<uint8_t>(5, 0xEE));
  }
  {
    // The other end goes away under a pending read, then before the next one.
    uint8_t buffer[5] = {7};
    oslink::DeviceRead pending(Input(), readEvent_);
    ASSERT_EQ(pending.Start(buffer, 5).kind, ReadStart::kPending);
    CloseHandle(client_);
    client_ = INVALID_HANDLE_VALUE;
    ReadWait wait = pending.WaitOrStop(stopEvent_);
    EXPECT_EQ(wait.kind, ReadWait::kReadFailed);
    EXPECT_EQ(wait.error, static_cast<uint32_t>(ERROR_BROKEN_PIPE));
    oslink::DeviceRead next(Input(), readEvent_);
    ReadStart start = next.Start(buffer, 5);
    EXPECT_EQ(start.kind, ReadStart::kFailed);
    EXPECT_EQ(start.error, static_cast<uint32_t>(ERROR_BROKEN_PIPE));
  }
}

TEST_F(PipeReadTest, ListenerPostsWhatArrivesAndStopsPromptly) {
  std::vector<std::string> lines;
  g_Debug = 1;
  plat::ResetTestHooks();
  plat::TestHooks().debugOutput = [&](const std::u16string& l) { lines.push_back(u16::ToUtf8(l)); };
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  Listener().mainWindow = window;
  Listener().inputHandle = Input();

  Write({7, 0x11, 0x22, 0x33, 0x44});
  StartDeviceListener(nullptr);
  MSG msg{};
  bool got = false;
  for (DWORD start = GetTickCount(); !got && GetTickCount() - start < 5000;) {
    if (PeekMessageW(&msg, window, WM_DEVICE_INPUT, WM_DEVICE_INPUT, PM_REMOVE))
      got = true;
    else
      Sleep(5);
  }
  // The next read is pending by now or soon; the stop event must end it without a time-out.
  DWORD before = GetTickCount();
  StopDeviceListener();
  EXPECT_LT(GetTickCount() - before, 1000u);

  Listener().inputHandle = 0;
  Listener().mainWindow = nullptr;
  DestroyWindow(window);
  plat::ResetTestHooks();
  g_Debug = 0;

  ASSERT_TRUE(got);
  EXPECT_EQ(msg.wParam, 0x44332211u);
  EXPECT_EQ(msg.lParam, 0);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Thread Start...");
  EXPECT_EQ(lines[1], "2 Buffer= 11 22 33 44, NumberOfBytesRead=5");
  EXPECT_EQ(lines.back(), "Thread exit!\n");
}

}  // namespace
