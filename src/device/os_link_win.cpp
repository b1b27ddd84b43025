#include <windows.h>

#include "device/os_link.h"

namespace oslink {

namespace {
HANDLE ToHandle(uint32_t handle) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)); }

// Over once it has finished: frees the OVERLAPPED and forgets it.
void Forget(void*& system) {
  delete static_cast<OVERLAPPED*>(system);
  system = nullptr;
}
}  // namespace

bool SystemIsWindow(WindowRef window) { return ::IsWindow(static_cast<HWND>(window)) != FALSE; }

bool SystemPost(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::PostMessageW(static_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

WindowRef SystemFindWindow(const char16_t* title) {
  return ::FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(title));
}

void SystemCloseHandle(uint32_t handle) { ::CloseHandle(ToHandle(handle)); }

EventRef CreateAutoEvent() { return ::CreateEventW(nullptr, FALSE, FALSE, nullptr); }
void SignalEvent(EventRef event) { ::SetEvent(event); }
void CloseEvent(EventRef event) {
  if (event) ::CloseHandle(event);
}
bool WaitForEvent(EventRef event, uint32_t ms) {
  return ::WaitForSingleObject(event, ms) == WAIT_OBJECT_0;
}

ReadStart SystemStartRead(uint32_t handle, EventRef completion, uint8_t* buffer, uint32_t length,
                          void*& system) {
  // The OVERLAPPED lives on the heap: a pending read refers to it until it is over.
  OVERLAPPED* overlapped = new OVERLAPPED{};
  overlapped->hEvent = completion;
  system = overlapped;
  DWORD bytes = 0;
  if (::ReadFile(ToHandle(handle), buffer, length, nullptr, overlapped)) {
    // Done already; the count of an overlapped read is only reliable from here.
    ::GetOverlappedResult(ToHandle(handle), overlapped, &bytes, FALSE);
    Forget(system);
    return {ReadStart::kCompleted, bytes, 0};
  }
  DWORD error = ::GetLastError();
  if (error == ERROR_IO_PENDING) return {ReadStart::kPending, 0, 0};
  Forget(system);
  return {ReadStart::kFailed, 0, error};
}

ReadWait SystemWaitRead(uint32_t handle, EventRef completion, EventRef stop, void*& system) {
  HANDLE objects[2] = {completion, stop};
  DWORD which = ::WaitForMultipleObjects(2, objects, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0 + 1) return {ReadWait::kStopped, 0, 0};
  if (which != WAIT_OBJECT_0) return {ReadWait::kWaitFailed, 0, ::GetLastError()};
  DWORD bytes = 0;
  OVERLAPPED* overlapped = static_cast<OVERLAPPED*>(system);
  if (::GetOverlappedResult(ToHandle(handle), overlapped, &bytes, FALSE)) {
    Forget(system);
    return {ReadWait::kCompleted, bytes, 0};
  }
  DWORD error = ::GetLastError();
  if (error == ERROR_IO_INCOMPLETE) {
    // Someone else signalled the event; the read goes on and must still be cancelled.
    return {ReadWait::kWaitFailed, 0, error};
  }
  Forget(system);
  return {ReadWait::kReadFailed, 0, error};
}

void SystemCancelRead(uint32_t handle, void*& system) {
  OVERLAPPED* overlapped = static_cast<OVERLAPPED*>(system);
  if (!overlapped) return;
  ::CancelIo(ToHandle(handle));
  // Until the cancelled read is over the system may still write into the caller's buffer.
  DWORD bytes = 0;
  ::GetOverlappedResult(ToHandle(handle), overlapped, &bytes, TRUE);
  Forget(system);
}

}  // namespace oslink
