// The skinned pop-up menu library (Vorlax.dll), loaded from the program folder at start-up. Its
// absence is no error: combo buttons then simply open no menu.
#pragma once

#include <string>

struct MenuLibrary {
  void* module = nullptr;
  void* CreateVorlax = nullptr;
  void* DestroyVorlax = nullptr;
  void* DllPreTranslateMessage = nullptr;
  void* SetGdiInit = nullptr;
  // True only when all four exports were found.
  bool bound = false;
};

extern MenuLibrary g_MenuLibrary;

bool BindMenuLibrary(const std::u16string& programFolder);
void UnbindMenuLibrary();
