// Vorlax.dll: the exports, the life of the one open menu and the message filter that lets the
// menu see Esc and clicks elsewhere without ever taking the activation from its owner.
#define VORLAX_EXPORTS
#include "vorlax_internal.h"

#include <cwchar>

namespace vorlax {

HINSTANCE g_Instance = nullptr;
Menu g_Menu;
SkinImages g_Skin;
HFONT g_Font = nullptr;

namespace {

// While a menu is open (and until the release of a press that closed it) the library watches
// every message its thread takes from the queue, whatever loop takes it: a modal dialog's own
// loop never calls DllPreTranslateMessage.
HHOOK g_Hook = nullptr;
// And the messages sent to the thread's windows, to close the menu when the owner's program
// loses the activation (where the mouse capture does not reach, e.g. a click on another
// program under a window manager that does not pass it through).
HHOOK g_SentHook = nullptr;
UINT g_SwallowRelease = 0;

bool IsButtonPress(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

UINT ReleaseOf(UINT press) {
  switch (press) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: return WM_LBUTTONUP;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: return WM_RBUTTONUP;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: return WM_MBUTTONUP;
    default: return 0;  // presses on a frame or caption bring no client release
  }
}

void Unhook() {
  if (g_Hook) UnhookWindowsHookEx(g_Hook);
  if (g_SentHook) UnhookWindowsHookEx(g_SentHook);
  g_Hook = nullptr;
  g_SentHook = nullptr;
}

void UnhookWhenIdle() {
  if (!g_Menu.window && !g_SwallowRelease) Unhook();
}

bool MoveHighlight(int step) {
  int count = static_cast<int>(g_Menu.items.size());
  int next = g_Menu.hover < 0 ? (step > 0 ? 0 : count - 1) : (g_Menu.hover + step + count) % count;
  // Over the lines between groups; a menu of nothing else keeps no highlight.
  for (int tries = 0; IsSeparator(next) && tries < count; ++tries) next = (next + step + count) % count;
  g_Menu.hover = IsSeparator(next) ? -1 : next;
  Repaint();
  return true;
}

bool OnKey(UINT message, WPARAM key) {
  if (message == WM_SYSKEYDOWN) {  // Alt and system keys belong to the owner; the menu goes
    CloseMenu();
    return false;
  }
  switch (key) {
    case VK_ESCAPE:
      CloseMenu();
      return true;
    case VK_UP:
      return MoveHighlight(-1);
    case VK_DOWN:
      return MoveHighlight(1);
    case VK_RETURN:
      if (g_Menu.hover >= 0) PickItem(g_Menu.hover);
      else CloseMenu();
      return true;
    default:
      return false;
  }
}

// True when the message was used up and must not reach its window.
bool Filter(const MSG& msg) {
  if (g_SwallowRelease) {
    if (msg.message == g_SwallowRelease) {
      g_SwallowRelease = 0;
      UnhookWhenIdle();
      return true;
    }
    // The release went to another program; whatever comes next is a new gesture.
    bool buttonsUp = msg.message == WM_MOUSEMOVE && !(msg.wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON));
    if (buttonsUp || IsButtonPress(msg.message) || msg.message == WM_KEYDOWN) {
      g_SwallowRelease = 0;
      UnhookWhenIdle();
    }
  }
  if (!g_Menu.window || msg.hwnd == g_Menu.window) return false;
  if (IsButtonPress(msg.message)) {
    return !PressOutside(msg.message, msg.hwnd);
  }
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) return OnKey(msg.message, msg.wParam);
  return false;
}

LRESULT CALLBACK WatchThreadMessages(int code, WPARAM removal, LPARAM message) {
  if (code == HC_ACTION && removal == PM_REMOVE) {
    MSG* msg = reinterpret_cast<MSG*>(message);
    if (Filter(*msg)) msg->message = WM_NULL;
  }
  return CallNextHookEx(g_Hook, code, removal, message);
}

LRESULT CALLBACK WatchSentMessages(int code, WPARAM fromThread, LPARAM message) {
  if (code == HC_ACTION && g_Menu.window) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(message);
    bool programLeft = sent->message == WM_ACTIVATEAPP && !sent->wParam;
    bool ownerLeft = sent->message == WM_ACTIVATE && LOWORD(sent->wParam) == WA_INACTIVE &&
                     sent->hwnd == GetAncestor(g_Menu.owner, GA_ROOT);
    if (programLeft || ownerLeft) CloseMenu();
  }
  return CallNextHookEx(g_SentHook, code, fromThread, message);
}

bool Prepare() { return RegisterMenuClass() && MakeFont(); }

void FreeEverything() {
  CloseMenu();
  g_SwallowRelease = 0;
  Unhook();
  FreeSkinImages();
  FreeFont();
  UnregisterMenuClass();
}

}  // namespace

void CloseMenu() {
  if (!g_Menu.window) return;
  // Cleared first: destroying the window gives up the capture, which would close it again.
  HWND window = g_Menu.window;
  g_Menu.window = nullptr;
  if (GetCapture() == window) ReleaseCapture();
  DestroyWindow(window);
  ForgetMenu();
}

void ForgetMenu() {
  g_Menu.window = nullptr;
  FreeMenuWindow();
  g_Menu.items.clear();
  g_Menu.owner = nullptr;
  UnhookWhenIdle();
}

void PickItem(int index) {
  if (!g_Menu.window || index < 0 || index >= static_cast<int>(g_Menu.items.size()) || IsSeparator(index)) return;
  HWND owner = g_Menu.owner;
  WPARAM value = g_Menu.items[index].dwValue;
  LPARAM number = static_cast<LPARAM>(g_Menu.number);
  CloseMenu();
  PostMessageW(owner, WM_MENU_PICKED, value, number);
}

namespace {

// A window of the owner's top-level window other than the owner itself: a press there closes the
// menu and acts. A press on the owner (the drop-down's own button, the dialog's background) only
// closes it, so a second click on a drop-down closes what the first opened.
bool TakesPressThrough(HWND target) {
  if (!target || !g_Menu.owner || target == g_Menu.owner || target == g_Menu.window) return false;
  HWND root = GetAncestor(g_Menu.owner, GA_ROOT);
  return root && GetAncestor(target, GA_ROOT) == root && IsWindowEnabled(target);
}

}  // namespace

bool PressOutside(UINT press, HWND under) {
  const bool through = ReleaseOf(press) != 0 && TakesPressThrough(under);
  g_SwallowRelease = through ? 0 : ReleaseOf(press);
  CloseMenu();
  return through;
}

}  // namespace vorlax

using namespace vorlax;

extern "C" {

int32_t VORLAX_CALL CreateVorlax(HWND__* owner, int32_t itemHeight, int32_t width, int32_t x,
                                 int32_t y, uint32_t textNormal, uint32_t textHover,
                                 uint32_t textDown, const char16_t* const* imagePaths,
                                 uint32_t menuNumber, const uint32_t* frameColour,
                                 const VorlaxItem* items, int32_t count) {
  CloseMenu();
  g_SwallowRelease = 0;
  if (!owner || !IsWindow(owner) || !items || count < 1 || itemHeight < 1 || width < 1) return 0;
  // A menu taller than any screen is of no use and its height would overflow.
  if (count > 32767 / (itemHeight > kVorlaxSeparatorHeight ? itemHeight : kVorlaxSeparatorHeight)) return 0;
  if (!Prepare()) return 0;
  if (imagePaths) LoadSkinImages(imagePaths);

  g_Menu.owner = owner;
  g_Menu.itemHeight = itemHeight;
  g_Menu.width = width;
  g_Menu.text[kTextNormal] = textNormal;
  g_Menu.text[kTextHover] = textHover;
  g_Menu.text[kTextDown] = textDown;
  g_Menu.framed = frameColour != nullptr;
  g_Menu.frame = frameColour ? *frameColour : 0;
  g_Menu.number = menuNumber;
  g_Menu.items.assign(items, items + count);
  g_Menu.hover = -1;
  g_Menu.pressed = -1;
  if (!OpenMenuWindow(x, y)) {
    g_Menu.items.clear();
    g_Menu.owner = nullptr;
    return 0;
  }
  if (!g_Hook) g_Hook = SetWindowsHookExW(WH_GETMESSAGE, WatchThreadMessages, nullptr, GetCurrentThreadId());
  if (!g_SentHook) g_SentHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchSentMessages, nullptr, GetCurrentThreadId());
  return 1;
}

int32_t VORLAX_CALL DestroyVorlax(HWND__* owner) {
  if (!g_Menu.window || (owner && owner != g_Menu.owner)) return 0;
  CloseMenu();
  return 1;
}

int32_t VORLAX_CALL DllPreTranslateMessage(const tagMSG* msg) {
  return msg && Filter(*msg) ? 1 : 0;
}

int32_t VORLAX_CALL SetGdiInit(int32_t init) {
  if (!init) {
    FreeEverything();
    return 1;
  }
  return Prepare() ? 1 : 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID processEnding) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_Instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && !processEnding) {
    // FreeLibrary without SetGdiInit(0): no window may keep a procedure that is about to go.
    FreeEverything();
  }
  return TRUE;
}

}  // extern "C"
