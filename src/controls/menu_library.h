// The skinned pop-up menu library (Vorlax.dll), loaded from the program folder at start-up. Its
// absence is no error: combo buttons then simply open no menu.
#pragma once

#include <cstdint>
#include <string>

#include "vorlax/vorlax_api.h"

struct MenuLibrary {
  void* module = nullptr;
  PFN_CreateVorlax CreateVorlax = nullptr;
  PFN_DestroyVorlax DestroyVorlax = nullptr;
  PFN_DllPreTranslateMessage DllPreTranslateMessage = nullptr;
  PFN_SetGdiInit SetGdiInit = nullptr;
  // The skin's menu bitmaps in the order the library takes them, full paths; prepared only when
  // the library is bound.
  std::u16string imagePaths[kVorlaxImageCount];
  // True only when all four exports were found; otherwise every pointer is null.
  bool bound = false;
};

extern MenuLibrary g_MenuLibrary;

// Binds the four exports and, when all are there, prepares the image paths and lets the
// library make its drawing objects.
bool BindMenuLibrary(const std::u16string& programFolder);
void UnbindMenuLibrary();

namespace controls {

// The colour of the frame round every menu.
constexpr uint32_t kMenuFrameColour = 0x323232;

// Opens a skinned menu for `owner` at the screen point (x, y) with the settings' menu text
// colours. False (and nothing shown) when the library is not bound or refuses the menu.
bool OpenSkinnedMenu(HWND__* owner, int32_t x, int32_t y, int32_t width, uint32_t menuNumber,
                     const VorlaxItem* items, int32_t count);
// Closes the owner's menu, if the library is bound and one is open.
void CloseSkinnedMenu(HWND__* owner);

// An item with its caption cut to the 39 units the record holds.
VorlaxItem MenuItem(uint32_t value, const std::u16string& caption);
// A line between groups of items.
VorlaxItem MenuSeparator();
// How tall the library draws a menu of these items.
int32_t SkinnedMenuHeight(const VorlaxItem* items, int32_t count);

}  // namespace controls
