#include "controls/menu_library.h"

#include "platform/platform.h"

MenuLibrary g_MenuLibrary;

bool BindMenuLibrary(const std::u16string& programFolder) {
  UnbindMenuLibrary();
  MenuLibrary lib;
  lib.module = plat::LoadDynamicLibrary(programFolder + u"Vorlax.dll");
  if (!lib.module) return false;
  lib.CreateVorlax = plat::FindSymbol(lib.module, "CreateVorlax");
  lib.DestroyVorlax = plat::FindSymbol(lib.module, "DestroyVorlax");
  lib.DllPreTranslateMessage = plat::FindSymbol(lib.module, "DllPreTranslateMessage");
  lib.SetGdiInit = plat::FindSymbol(lib.module, "SetGdiInit");
  lib.bound = lib.CreateVorlax && lib.DestroyVorlax && lib.DllPreTranslateMessage && lib.SetGdiInit;
  g_MenuLibrary = lib;
  return lib.bound;
}

void UnbindMenuLibrary() {
  plat::FreeDynamicLibrary(g_MenuLibrary.module);
  g_MenuLibrary = MenuLibrary();
}
