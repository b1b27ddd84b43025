// The few window, handle, event and read operations the device link needs from the system,
// behind one seam so that the apply sequence, the device-change handling and the listener run
// in native tests.
#pragma once

#include <cstdint>
#include <functional>

// A window handle (HWND) as portable code carries it.
using WindowRef = void*;
// An automatic-reset event: a system event (HANDLE) in the Windows build, a portable one
// elsewhere.
using EventRef = void*;

namespace oslink {

bool IsWindowAlive(WindowRef window);
// PostMessageW.
bool PostToWindow(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// A top-level window with exactly this title, or null (FindWindowW without a class).
WindowRef FindTopLevelWindow(const char16_t* title);
// CloseHandle on a device handle that Lodrex.dll gave out.
void CloseDeviceHandle(uint32_t handle);

// Automatic reset, not signalled at first. Null when the system has none to give.
EventRef CreateAutoEvent();
void SignalEvent(EventRef event);
void CloseEvent(EventRef event);
// True when `event` was signalled within `ms` (which resets it).
bool WaitForEvent(EventRef event, uint32_t ms);

// How an overlapped read began.
struct ReadStart {
  enum Kind { kCompleted, kPending, kFailed } kind;
  uint32_t bytes;  // kCompleted
  uint32_t error;  // kFailed: the Windows error code (never 997, which is kPending)
};

// How the wait for a pending read ended.
struct ReadWait {
  enum Kind {
    kCompleted,   // the read finished with `bytes` in the buffer
    kReadFailed,  // the read finished without data (`error`), e.g. the device went away
    kStopped,     // the stop event came first; the read is still pending
    kWaitFailed,  // the wait itself failed (`error`); the read is still pending
  } kind;
  uint32_t bytes;
  uint32_t error;
};

// One overlapped read of a device handle into the caller's buffer. A pending read writes into
// that buffer whenever it finishes, so the destructor cancels a read still pending and waits
// until the system has let go of the buffer: declare the buffer before this object.
class DeviceRead {
 public:
  // `completion` is the event the system signals when the read finishes.
  DeviceRead(uint32_t handle, EventRef completion) : handle_(handle), completion_(completion) {}
  ~DeviceRead();
  DeviceRead(const DeviceRead&) = delete;
  DeviceRead& operator=(const DeviceRead&) = delete;

  // ReadFile of `length` bytes. A closed (null) handle fails at once with error 6.
  ReadStart Start(uint8_t* buffer, uint32_t length);
  // For a pending read: waits, without time-out, for it to finish or for `stop`.
  ReadWait WaitOrStop(EventRef stop);

 private:
  uint32_t handle_;
  EventRef completion_;
  void* system_ = nullptr;  // the Windows half's OVERLAPPED while a read is in flight
  bool pending_ = false;
};

// Test seam: every hook left empty uses the system (the native build has no windows: none is
// alive, nothing is found, posts go nowhere; it has no device to read from: every read fails).
struct Hooks {
  std::function<bool(WindowRef)> isWindow;
  std::function<void(WindowRef, uint32_t message, uintptr_t wParam, intptr_t lParam)> post;
  std::function<WindowRef(const char16_t* title)> findWindow;
  std::function<void(uint32_t handle)> closeHandle;
  // The three steps of a DeviceRead; a pending read keeps the buffer it was started with.
  std::function<ReadStart(uint32_t handle, uint8_t* buffer, uint32_t length)> startRead;
  std::function<ReadWait(uint32_t handle, EventRef stop)> waitRead;
  std::function<void(uint32_t handle)> cancelRead;
};
Hooks& TestHooks();
void ResetTestHooks();

}  // namespace oslink
