#include <windows.h>

#include "device/os_link.h"

namespace oslink {

bool SystemIsWindow(WindowRef window) { return ::IsWindow(static_cast<HWND>(window)) != FALSE; }

bool SystemPost(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::PostMessageW(static_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

WindowRef SystemFindWindow(const char16_t* title) {
  return ::FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(title));
}

void SystemCloseHandle(uint32_t handle) {
  ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)));
}

}  // namespace oslink
