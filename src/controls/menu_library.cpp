#include "controls/menu_library.h"

#include <algorithm>

#include "config/settings.h"
#include "platform/platform.h"

MenuLibrary g_MenuLibrary;

namespace {

// Normal, hover, down and disabled backgrounds of an item, then of a sub-item.
const char16_t* const kMenuImages[kVorlaxImageCount] = {
    u"menu_nr.bmp",    u"menu_ov.bmp",    u"menu_ov.bmp",    u"menu_nr.bmp",
    u"menusub_nr.bmp", u"menusub_ov.bmp", u"menusub_ov.bmp", u"menusub_nr.bmp"};

template <typename Fn>
Fn Bind(void* module, const char* name) {
  return reinterpret_cast<Fn>(plat::FindSymbol(module, name));
}

}  // namespace

bool BindMenuLibrary(const std::u16string& programFolder) {
  UnbindMenuLibrary();
  void* module = plat::LoadDynamicLibrary(programFolder + u"Vorlax.dll");
  if (!module) return false;
  MenuLibrary lib;
  lib.module = module;
  lib.CreateVorlax = Bind<PFN_CreateVorlax>(module, "CreateVorlax");
  lib.DestroyVorlax = Bind<PFN_DestroyVorlax>(module, "DestroyVorlax");
  lib.DllPreTranslateMessage = Bind<PFN_DllPreTranslateMessage>(module, "DllPreTranslateMessage");
  lib.SetGdiInit = Bind<PFN_SetGdiInit>(module, "SetGdiInit");
  lib.bound = lib.CreateVorlax && lib.DestroyVorlax && lib.DllPreTranslateMessage && lib.SetGdiInit;
  if (!lib.bound) {
    // A library with only some of the exports is not used at all.
    plat::FreeDynamicLibrary(module);
    return false;
  }
  for (int i = 0; i < kVorlaxImageCount; ++i) lib.imagePaths[i] = programFolder + u"skins\\" + kMenuImages[i];
  lib.SetGdiInit(1);
  g_MenuLibrary = lib;
  return true;
}

void UnbindMenuLibrary() {
  if (g_MenuLibrary.SetGdiInit) g_MenuLibrary.SetGdiInit(0);
  plat::FreeDynamicLibrary(g_MenuLibrary.module);
  g_MenuLibrary = MenuLibrary();
}

namespace controls {

bool OpenSkinnedMenu(HWND__* owner, int32_t x, int32_t y, int32_t width, uint32_t menuNumber,
                     const VorlaxItem* items, int32_t count) {
  if (!g_MenuLibrary.CreateVorlax) return false;
  const char16_t* paths[kVorlaxImageCount];
  for (int i = 0; i < kVorlaxImageCount; ++i) paths[i] = g_MenuLibrary.imagePaths[i].c_str();
  static const uint32_t frame = kMenuFrameColour;
  return g_MenuLibrary.CreateVorlax(owner, kVorlaxItemHeight, width, x, y, g_Settings.Menu_txt_clr_nr,
                                    g_Settings.Menu_txt_clr_ov, g_Settings.Menu_txt_clr_dn, paths,
                                    menuNumber, &frame, items, count) != 0;
}

void CloseSkinnedMenu(HWND__* owner) {
  if (g_MenuLibrary.DestroyVorlax) g_MenuLibrary.DestroyVorlax(owner);
}

VorlaxItem MenuItem(uint32_t value, const std::u16string& caption) {
  VorlaxItem item{kVorlaxItemNormal, value, {}};
  const size_t n = std::min(caption.size(), static_cast<size_t>(kVorlaxCaptionChars));
  std::copy(caption.begin(), caption.begin() + static_cast<std::ptrdiff_t>(n), item.szText);
  return item;
}

VorlaxItem MenuSeparator() { return VorlaxItem{kVorlaxItemSeparator, 0, {}}; }

int32_t SkinnedMenuHeight(const VorlaxItem* items, int32_t count) {
  int32_t height = 0;
  for (int32_t i = 0; i < count; ++i)
    height += items[i].dwState == kVorlaxItemSeparator ? kVorlaxSeparatorHeight : kVorlaxItemHeight;
  return height;
}

}  // namespace controls
