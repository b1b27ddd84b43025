// The few window and handle operations the device link needs from the system, behind one seam
// so that the apply sequence and the device-change handling run in native tests.
#pragma once

#include <cstdint>
#include <functional>

// A window handle (HWND) as portable code carries it.
using WindowRef = void*;

namespace oslink {

bool IsWindowAlive(WindowRef window);
// PostMessageW.
bool PostToWindow(WindowRef window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// A top-level window with exactly this title, or null (FindWindowW without a class).
WindowRef FindTopLevelWindow(const char16_t* title);
// CloseHandle on a device handle that Lodrex.dll gave out.
void CloseDeviceHandle(uint32_t handle);

// Test seam: every hook left empty uses the system (the native build has no windows: none is
// alive, nothing is found, posts go nowhere).
struct Hooks {
  std::function<bool(WindowRef)> isWindow;
  std::function<void(WindowRef, uint32_t message, uintptr_t wParam, intptr_t lParam)> post;
  std::function<WindowRef(const char16_t* title)> findWindow;
  std::function<void(uint32_t handle)> closeHandle;
};
Hooks& TestHooks();
void ResetTestHooks();

}  // namespace oslink
