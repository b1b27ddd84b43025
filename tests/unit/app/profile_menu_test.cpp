#include "app/profile_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "config/text_table.h"
#include "platform/u16.h"
#include "profile/profile.h"

namespace {

// The tip's text comes from text.xml and is no format string: other % signs stay as they are.
TEST(ProfileMenu, LinkedProgramTipPutsTheNameAtTheFirstPercentS) {
  PROFILEINFO profile{};
  EXPECT_EQ(LinkedProgramTip(profile), u"");
  SetLinkedProgramName(profile, u"racer.exe");
  const struct {
    std::u16string text;
    std::u16string tip;
  } cases[] = {
      {u"runs with %s", u"runs with racer.exe"},
      {u"%d%% %s %s %n", u"%d%% racer.exe %s %n"},
      {u"linked", u"linked racer.exe"},
      {u"", u"racer.exe"},
  };
  for (const auto& c : cases) {
    g_Texts.tc_profile_linked = c.text;
    EXPECT_EQ(LinkedProgramTip(profile), c.tip) << u16::ToUtf8(c.text);
  }
  ClearTextTable();
}

TEST(ProfileMenu, ProgramFileNameIsThePathsLastPart) {
  EXPECT_EQ(ProgramFileName(u"C:\\Games\\Arena\\arena.exe"), u"arena.exe");
  EXPECT_EQ(ProgramFileName(u"Z:/opt/game.exe"), u"game.exe");
  EXPECT_EQ(ProgramFileName(u"game.exe"), u"game.exe");
  EXPECT_EQ(ProgramFileName(u"C:\\Games\\"), u"");
}

}  // namespace
