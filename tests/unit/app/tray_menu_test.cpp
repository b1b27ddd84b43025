#include "app/tray_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "config/text_table.h"
#include "controls/menu_library.h"

namespace {

TEST(TrayMenu, OpenALineAndExitAndOnlyItsOwnPicksAct) {
  g_Texts.tc_config = u"Open Settings";
  g_Texts.tc_exit = u"Exit";
  const std::vector<VorlaxItem> items = TrayMenuItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(std::u16string(items[0].szText), u"Open Settings");
  EXPECT_EQ(items[1].dwState, kVorlaxItemSeparator);
  EXPECT_EQ(std::u16string(items[2].szText), u"Exit");
  EXPECT_EQ(controls::SkinnedMenuHeight(items.data(), 3), 2 * kVorlaxItemHeight + kVorlaxSeparatorHeight);

  EXPECT_EQ(TrayMenuCommand(items[0].dwValue, kTrayMenuNumber), kTrayCommandOpen);
  EXPECT_EQ(TrayMenuCommand(items[2].dwValue, kTrayMenuNumber), kTrayCommandExit);
  // Another menu's number, a separator's value, or anything posted from outside: nothing.
  const struct { uintptr_t value, number; } ignored[] = {
      {kTrayCommandExit, 2}, {items[1].dwValue, kTrayMenuNumber}, {0x6002, kTrayMenuNumber}, {~uintptr_t{0}, ~uintptr_t{0}}};
  for (const auto& pick : ignored) EXPECT_EQ(TrayMenuCommand(pick.value, pick.number), 0u) << pick.value;
  ClearTextTable();
}

}  // namespace
