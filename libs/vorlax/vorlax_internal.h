// The library's state, shared by its two halves: the exports with the message filter
// (vorlax.cpp) and the pop-up window with its painting (vorlax_window.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "vorlax/vorlax_api.h"

namespace vorlax {

// The skin's bitmaps, kept loaded between menus: a menu that names the same files as the last
// one reuses them.
struct SkinImages {
  std::wstring paths[kVorlaxImageCount];
  HBITMAP bitmaps[kVorlaxImageCount] = {};
};

enum TextState { kTextNormal, kTextHover, kTextDown, kTextStates };

// The one open menu. `window` is null when none is open.
struct Menu {
  HWND window = nullptr;
  HWND owner = nullptr;
  int itemHeight = kVorlaxItemHeight;
  int width = 0;
  COLORREF text[kTextStates] = {};
  bool framed = false;
  COLORREF frame = 0;
  uint32_t number = 0;
  std::vector<VorlaxItem> items;
  int hover = -1;    // item under the mouse or chosen with the arrow keys
  int pressed = -1;  // item a button went down on
  // The off-screen picture every paint is composed in, made once per menu.
  HDC backDc = nullptr;
  HBITMAP backBitmap = nullptr;
  HGDIOBJ backOld = nullptr;
  HDC imageDc = nullptr;
};

extern HINSTANCE g_Instance;
extern Menu g_Menu;
extern SkinImages g_Skin;
extern HFONT g_Font;

// vorlax_window.cpp
bool RegisterMenuClass();
void UnregisterMenuClass();
bool MakeFont();
void FreeFont();
void LoadSkinImages(const char16_t* const* paths);
void FreeSkinImages();
// Makes the pop-up window of g_Menu (already filled in) at (x, y) and shows it without
// activating it. False when the window could not be made.
bool OpenMenuWindow(int x, int y);
void FreeMenuWindow();
// The item at a client point, -1 for none or a separator.
int ItemAt(int x, int y);
bool IsSeparator(int index);
int RowHeight(int index);
int MenuHeight();
void Repaint();

// vorlax.cpp
void CloseMenu();
// The menu's window went with its owner: only the library's side is left to tidy.
void ForgetMenu();
void PickItem(int index);
// A button went down outside the menu, on the window `under` (may be null): close it. A press on
// another window of the owner's own top-level window (a button beside a drop-down) is then for
// that window, as if no menu had been open (true); any other is swallowed with the release that
// follows (false).
bool PressOutside(UINT downMessage, HWND under);

}  // namespace vorlax
