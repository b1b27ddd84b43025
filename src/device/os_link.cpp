#include "device/os_link.h"

#ifndef _WIN32
#include <chrono>
#include <condition_variable>
#include <mutex>
#endif

namespace oslink {

namespace {
Hooks g_hooks;
constexpr uint32_t kErrInvalidHandle = 6;
}

Hooks& TestHooks() { return g_hooks; }
void ResetTestHooks() { g_hooks = Hooks(); }

// The system halves: os_link_win.cpp in the Windows build, nothing to talk to elsewhere.
bool SystemIsWindow(WindowRef window);
bool SystemPost(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam);
WindowRef SystemFindWindow(const char16_t* title);
void SystemCloseHandle(uint32_t handle);
// `system` holds the read's bookkeeping from a pending start until the read is over.
ReadStart SystemStartRead(uint32_t handle, EventRef completion, uint8_t* buffer, uint32_t length,
                          void*& system);
ReadWait SystemWaitRead(uint32_t handle, EventRef completion, EventRef stop, void*& system);
// Cancels the pending read and returns once it is over.
void SystemCancelRead(uint32_t handle, void*& system);

#ifndef _WIN32
namespace {
struct PortableEvent {
  std::mutex mutex;
  std::condition_variable cv;
  bool signalled = false;
};
}  // namespace

EventRef CreateAutoEvent() { return new PortableEvent; }

void SignalEvent(EventRef event) {
  if (!event) return;
  PortableEvent& e = *static_cast<PortableEvent*>(event);
  std::lock_guard<std::mutex> lock(e.mutex);
  e.signalled = true;
  e.cv.notify_one();
}

void CloseEvent(EventRef event) { delete static_cast<PortableEvent*>(event); }

bool WaitForEvent(EventRef event, uint32_t ms) {
  if (!event) return false;
  PortableEvent& e = *static_cast<PortableEvent*>(event);
  std::unique_lock<std::mutex> lock(e.mutex);
  if (!e.cv.wait_for(lock, std::chrono::milliseconds(ms), [&e] { return e.signalled; })) return false;
  e.signalled = false;
  return true;
}

bool SystemIsWindow(WindowRef) { return false; }
bool SystemPost(WindowRef, uint32_t, uintptr_t, intptr_t) { return false; }
WindowRef SystemFindWindow(const char16_t*) { return nullptr; }
void SystemCloseHandle(uint32_t) {}
ReadStart SystemStartRead(uint32_t, EventRef, uint8_t*, uint32_t, void*&) {
  return {ReadStart::kFailed, 0, kErrInvalidHandle};
}
ReadWait SystemWaitRead(uint32_t, EventRef, EventRef, void*&) {
  return {ReadWait::kWaitFailed, 0, kErrInvalidHandle};
}
void SystemCancelRead(uint32_t, void*&) {}
#endif

bool IsWindowAlive(WindowRef window) {
  if (g_hooks.isWindow) return g_hooks.isWindow(window);
  return window && SystemIsWindow(window);
}

bool PostToWindow(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (g_hooks.post) {
    g_hooks.post(window, message, wParam, lParam);
    return true;
  }
  return SystemPost(window, message, wParam, lParam);
}

WindowRef FindTopLevelWindow(const char16_t* title) {
  if (g_hooks.findWindow) return g_hooks.findWindow(title);
  return SystemFindWindow(title);
}

void CloseDeviceHandle(uint32_t handle) {
  if (g_hooks.closeHandle) return g_hooks.closeHandle(handle);
  SystemCloseHandle(handle);
}

ReadStart DeviceRead::Start(uint8_t* buffer, uint32_t length) {
  if (pending_) return {ReadStart::kFailed, 0, kErrInvalidHandle};  // one read at a time
  if (!handle_) return {ReadStart::kFailed, 0, kErrInvalidHandle};
  ReadStart start = g_hooks.startRead ? g_hooks.startRead(handle_, buffer, length)
                                      : SystemStartRead(handle_, completion_, buffer, length, system_);
  pending_ = start.kind == ReadStart::kPending;
  return start;
}

ReadWait DeviceRead::WaitOrStop(EventRef stop) {
  if (!pending_) return {ReadWait::kWaitFailed, 0, kErrInvalidHandle};
  ReadWait wait = g_hooks.waitRead ? g_hooks.waitRead(handle_, stop)
                                   : SystemWaitRead(handle_, completion_, stop, system_);
  pending_ = wait.kind == ReadWait::kStopped || wait.kind == ReadWait::kWaitFailed;
  return wait;
}

DeviceRead::~DeviceRead() {
  if (!pending_) return;
  if (g_hooks.cancelRead)
    g_hooks.cancelRead(handle_);
  else
    SystemCancelRead(handle_, system_);
}

}  // namespace oslink
