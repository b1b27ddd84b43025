#include "device/os_link.h"

namespace oslink {

namespace {
Hooks g_hooks;
}

Hooks& TestHooks() { return g_hooks; }
void ResetTestHooks() { g_hooks = Hooks(); }

// The system halves: os_link_win.cpp in the Windows build, nothing to talk to elsewhere.
bool SystemIsWindow(WindowRef window);
bool SystemPost(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam);
WindowRef SystemFindWindow(const char16_t* title);
void SystemCloseHandle(uint32_t handle);

#ifndef _WIN32
bool SystemIsWindow(WindowRef) { return false; }
bool SystemPost(WindowRef, uint32_t, uintptr_t, intptr_t) { return false; }
WindowRef SystemFindWindow(const char16_t*) { return nullptr; }
void SystemCloseHandle(uint32_t) {}
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

}  // namespace oslink
