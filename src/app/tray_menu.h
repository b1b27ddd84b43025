// The tray icon's menu: open the window, a line, end the program. It is one of our skinned
// menus, owned by the main window, so a pick comes back to it as WM_MENU_PICKED with the menu
// number below and the command in wParam, the command the tray's plain menu used to send.
#pragma once

#include <cstdint>
#include <vector>

#include "vorlax/vorlax_api.h"

constexpr uint32_t kTrayMenuNumber = 0x6000;
constexpr uint32_t kTrayCommandOpen = 0x6000;
constexpr uint32_t kTrayCommandExit = 0x6001;

std::vector<VorlaxItem> TrayMenuItems();

// The command a pick stands for, 0 for a pick of another menu or of no command of ours (any
// program can post one).
uint32_t TrayMenuCommand(uintptr_t value, uintptr_t menuNumber);
