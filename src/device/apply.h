// The apply sequence: the worker thread that takes apply requests, and ApplySetting, which
// encodes a profile into the keyboard's tables and sends them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "device/os_link.h"
#include "records/profile_record.h"

class CUSBDriver;

enum : uint32_t {
  APPLY_MATRIX = 0x0001,
  APPLY_LED = 0x0002,
  APPLY_COLOR = 0x0004,
  APPLY_WAIT_PROGRESS = 0x8000,
};

constexpr uint32_t WM_PROGRESS_SETPOS = 0x042B;
constexpr uint32_t kWmClose = 0x0010;
constexpr char16_t kProgressDlgTitle[] = u"MyProgressDlg..";

constexpr uint8_t kCmdMatrix = 9;
constexpr uint8_t kCmdLed = 10;
constexpr uint8_t kCmdColor = 11;
constexpr uint8_t kCmdMacro = 12;
constexpr uint32_t kLedBlockBytes = 41;
constexpr uint32_t kColorBlockBytes = 145;
constexpr uint32_t kMatrixBytes = 576;
constexpr uint32_t kLedModeColorPerKey = 3;

constexpr int kApplySemaphoreMax = 100;

// A counting semaphore with a ceiling, as the request queue needs it.
class RequestSemaphore {
 public:
  // False when the count is already at its maximum (the request is not queued).
  bool Release();
  // Waits for a count or for `stop`; true when a count was taken, false when stopped.
  bool Acquire(const std::atomic<bool>& stop);
  void Wake();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int count_ = 0;
};

// The block shared by requesters and the worker.
struct ApplyRequest {
  const char16_t* progressTitle = kProgressDlgTitle;
  CUSBDriver* driver = nullptr;
  RequestSemaphore semaphore;
  std::atomic<bool> stop{false};
  std::atomic<uint32_t> flags{0};
  uint32_t message = WM_PROGRESS_SETPOS;
  // The current profile, read under ProfileDataMutex() at the start of each run.
  std::function<const PROFILEINFO*()> currentProfile;
  std::thread worker;
};
ApplyRequest& TheApplyRequest();

// Starts the worker for the life of the process (until StopApplyWorker).
bool StartApplyWorker(CUSBDriver* driver, std::function<const PROFILEINFO*()> currentProfile);
// Queues a run with these flags (bit 15 cleared).
void RequestApply(uint32_t flags);
// Queues a run with the flags as given: the Apply command's 0x8007.
void QueueApply(uint32_t flags);
// Signals the stop event and waits for the worker (up to a run in progress).
void StopApplyWorker();

// Encodes `profile` and sends lighting (10), per-key colours (11, lighting mode 3), macro bank
// (12) and key matrix (9) as `flags` say, posting progress 20, 70 and 100 to `progressWindow`
// when it is a live window. 1 when the sequence finished, 0 when it stopped on an error.
int ApplySetting(WindowRef progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
                 uint32_t message, uint32_t flags);

// Held for every run of sends to the keyboard, whoever makes it: two threads sending at once
// would interleave their reports on the wire.
std::mutex& DeviceSendMutex();
constexpr int kApplyDeviceBusy = -1;
// ApplySetting, unless another send holds the device: then nothing is sent and the result is
// kApplyDeviceBusy.
int TryApplySetting(WindowRef progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
                    uint32_t message, uint32_t flags);

// One run of the worker for the flags present now (what happens after each semaphore count).
void RunApplyRequest(ApplyRequest& request);
