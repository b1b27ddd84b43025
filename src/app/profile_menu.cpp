#include "app/profile_menu.h"

#include <algorithm>

#include "config/text_table.h"
#include "controls/menu_library.h"
#include "profile/profile.h"

using controls::MenuItem;

std::vector<VorlaxItem> ProfileMenuItems(const PROFILEINFO& profile) {
  std::vector<VorlaxItem> items = {MenuItem(kProfileMenuExport, g_Texts.tc_profile_export),
                                   MenuItem(kProfileMenuImport, g_Texts.tc_profile_import),
                                   MenuItem(kProfileMenuLink, g_Texts.tc_profile_link)};
  if (!LinkedProgramName(profile).empty()) items.push_back(MenuItem(kProfileMenuUnlink, g_Texts.tc_profile_unlink));
  return items;
}

std::u16string LinkedProgramTip(const PROFILEINFO& profile) {
  const std::u16string name = LinkedProgramName(profile);
  if (name.empty()) return name;
  // The text is no format string: a translation with other % signs must not read arguments that
  // are not there. Its first %s takes the name; without one the name follows the text.
  std::u16string tip = g_Texts.tc_profile_linked;
  const size_t at = tip.find(u"%s");
  if (at == std::u16string::npos) return tip.empty() ? name : tip + u" " + name;
  return tip.replace(at, 2, name);
}

std::u16string ProgramFileName(const std::u16string& path) {
  const size_t cut = path.find_last_of(u"\\/");
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}
