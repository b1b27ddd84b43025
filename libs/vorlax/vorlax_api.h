// The four exports of Vorlax.dll, the skinned pop-up menu library, shared by the library and the
// program that binds it at run time. No system header: windows and messages are passed as the
// system's own structures, declared here only by name, so a Windows caller passes its HWND and
// MSG unchanged and portable code can still name the pointer types.
//
// Call order:
//   1. LoadLibrary, bind all four exports (a library missing any of them is not used).
//   2. SetGdiInit(1) once on the user-interface thread: the library registers its window class
//      and makes its font. Optional, CreateVorlax does it on first use otherwise.
//   3. CreateVorlax(owner, ...) opens a menu; at most one is open at a time, a second call
//      closes the first without a pick. The menu never takes the activation from the owner.
//   4. The user picks an item: the menu closes itself, then posts WM_MENU_PICKED to the owner
//      (wParam = the item's value, lParam = the menu number). Esc, a click anywhere outside the
//      menu and the loss of the mouse close it without a post. A click on another window of the
//      owner's top-level window (a button beside a drop-down) closes the menu and then reaches
//      that window as if no menu had been open; any other click that closes a menu (on the owner
//      itself, on another top-level window) is swallowed together with its button release, so
//      that a second click on a drop-down closes it rather than opening it again.
//   5. DestroyVorlax(owner) closes the owner's menu, if one is open (harmless otherwise).
//   6. DllPreTranslateMessage(&msg) may be called by the owner's message loop for every message
//      before it is dispatched; the library also watches the thread's messages by itself while a
//      menu is open, so calling it is optional.
//   7. SetGdiInit(0) before FreeLibrary closes any menu and frees the drawing objects.
// Every export must be called on the thread that owns the owner window.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define VORLAX_CALL __stdcall
#else
#define VORLAX_CALL
#endif

struct HWND__;  // HWND
struct tagMSG;  // MSG

// Posted to the menu's owner when the user picks an item.
constexpr uint32_t WM_MENU_PICKED = 0x0477;

constexpr int32_t kVorlaxItemHeight = 20;
constexpr int32_t kVorlaxCaptionChars = 39;  // plus the terminator
constexpr int kVorlaxImageCount = 8;
// Item states. Anything else is drawn as a normal item.
constexpr uint32_t kVorlaxItemNormal = 255;
constexpr uint32_t kVorlaxItemSub = 254;  // indented, drawn with the sub-item images
// A line between groups of items, kVorlaxSeparatorHeight high whatever the item height; never
// highlighted or picked. Its value and caption are not used.
constexpr uint32_t kVorlaxItemSeparator = 253;
constexpr int32_t kVorlaxSeparatorHeight = 9;

// The window class of the pop-up (tests find the open menu by it).
constexpr char16_t kVorlaxMenuClass[] = u"VorlaxMenu";

// One menu item as the program hands it over: 88 bytes, little-endian.
struct VorlaxItem {
  uint32_t dwState;                           // kVorlaxItemNormal
  uint32_t dwValue;                           // posted back in WM_MENU_PICKED's wParam
  char16_t szText[kVorlaxCaptionChars + 1];   // the caption; read up to the terminator or 39 units
};
static_assert(sizeof(VorlaxItem) == 88, "menu item record");
static_assert(offsetof(VorlaxItem, dwState) == 0, "menu item record");
static_assert(offsetof(VorlaxItem, dwValue) == 4, "menu item record");
static_assert(offsetof(VorlaxItem, szText) == 8, "menu item record");

// Opens a menu of `count` items (`itemHeight` pixels each but separators, `width` wide) with its top-left
// corner at the screen point (x, y); a menu that would leave the screen at the right is moved
// left. Text colours are 0x00BBGGRR: normal, under the mouse, while the button is held.
// `imagePaths` holds eight bitmap files: normal, hover, down and disabled item backgrounds,
// then the same four for sub-items; a file that cannot be loaded is drawn in flat colours.
// `frameColour` (may be null: none) is the colour of the one-pixel frame round the menu.
// Returns 1 when the menu is shown, 0 when an argument is unusable (no owner window, no items,
// a size below 1) or the window could not be made.
typedef int32_t(VORLAX_CALL* PFN_CreateVorlax)(HWND__* owner, int32_t itemHeight, int32_t width,
                                               int32_t x, int32_t y, uint32_t textNormal,
                                               uint32_t textHover, uint32_t textDown,
                                               const char16_t* const* imagePaths,
                                               uint32_t menuNumber, const uint32_t* frameColour,
                                               const VorlaxItem* items, int32_t count);
// Closes the menu of `owner` (null: whichever is open) without a pick; 1 when one was open.
typedef int32_t(VORLAX_CALL* PFN_DestroyVorlax)(HWND__* owner);
// Shows the library a message the owner's loop is about to dispatch. While a menu is open: Esc
// closes it, Up and Down move the highlight, Enter picks the highlighted item, and a button
// press on any other window closes it; those messages are consumed (the result is 1 and the
// caller must not dispatch them). Everything else gives 0.
typedef int32_t(VORLAX_CALL* PFN_DllPreTranslateMessage)(const tagMSG* msg);
// 1: make the shared drawing objects now; 0: close any menu and free them. Returns 1.
typedef int32_t(VORLAX_CALL* PFN_SetGdiInit)(int32_t init);

// The exports themselves; only the library defines VORLAX_EXPORTS.
#ifdef VORLAX_EXPORTS
extern "C" {
int32_t VORLAX_CALL CreateVorlax(HWND__* owner, int32_t itemHeight, int32_t width, int32_t x,
                                 int32_t y, uint32_t textNormal, uint32_t textHover,
                                 uint32_t textDown, const char16_t* const* imagePaths,
                                 uint32_t menuNumber, const uint32_t* frameColour,
                                 const VorlaxItem* items, int32_t count);
int32_t VORLAX_CALL DestroyVorlax(HWND__* owner);
int32_t VORLAX_CALL DllPreTranslateMessage(const tagMSG* msg);
int32_t VORLAX_CALL SetGdiInit(int32_t init);
}
#endif
