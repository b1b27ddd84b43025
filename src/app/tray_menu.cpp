#include "app/tray_menu.h"

#include "config/text_table.h"
#include "controls/menu_library.h"

std::vector<VorlaxItem> TrayMenuItems() {
  return {controls::MenuItem(kTrayCommandOpen, g_Texts.tc_config), controls::MenuSeparator(),
          controls::MenuItem(kTrayCommandExit, g_Texts.tc_exit)};
}

uint32_t TrayMenuCommand(uintptr_t value, uintptr_t menuNumber) {
  if (menuNumber != kTrayMenuNumber) return 0;
  return value == kTrayCommandOpen || value == kTrayCommandExit ? static_cast<uint32_t>(value) : 0;
}
