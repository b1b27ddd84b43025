// The profile menu: what a right click on a profile button or on the lighting panel offers. The
// menu belongs to the lighting panel's window, so every pick comes back to it as WM_MENU_PICKED
// with the menu number below and the command in wParam; export and import keep the numbers the
// panel has always answered to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/profile_record.h"
#include "vorlax/vorlax_api.h"

constexpr uint32_t kProfileMenuNumber = 2;

enum ProfileMenuCommand : uint32_t {
  kProfileMenuExport = 3,
  kProfileMenuImport = 4,
  kProfileMenuLink = 5,
  kProfileMenuUnlink = 6,
};

// Export, import and link always; "Remove link" only while the profile names a program.
std::vector<VorlaxItem> ProfileMenuItems(const PROFILEINFO& profile);

// What the profile's button says about its linked program when the pointer rests on it; empty
// when it has none.
std::u16string LinkedProgramTip(const PROFILEINFO& profile);

// The last part of a path: the name the game watch looks for among the running programs.
std::u16string ProgramFileName(const std::u16string& path);
