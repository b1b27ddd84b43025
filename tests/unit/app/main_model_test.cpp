#include "app/main_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "config/layout.h"
#include "profile/profile.h"
#include "platform/u16.h"
#include "unit/app/three_key_layout.h"

namespace {

class LayoutFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadThreeKeyLayout();
    ForgetIssuedIds();
  }
  void TearDown() override { ClearLayout(); }

  static std::unique_ptr<PROFILEINFO> Profile(uint32_t id, const std::u16string& linked = u"") {
    auto p = std::make_unique<PROFILEINFO>();
    std::memset(p.get(), 0, sizeof(PROFILEINFO));
    p->dwId = id;
    std::memcpy(p->KeyInfo, DefaultKeyTable, sizeof p->KeyInfo);
    SetLinkedProgramName(*p, linked);
    return p;
  }
};

TEST_F(LayoutFixture, MarksFollowCodeWordModifierAndBothKeyBytes) {
  auto p = Profile(1);
  uint32_t marks[kKeySlots];
  ProfileKeyMarks(*p, marks);
  EXPECT_EQ(marks[0] + marks[1] + marks[2], 0u);

  p->KeyInfo[0].bModifier = 1;
  p->KeyInfo[1].bVk2 = 0x43;
  p->KeyInfo[2].rcKey.left = 99;  // geometry is not a function
  p->KeyInfo[2].nMatrix = 99;
  ProfileKeyMarks(*p, marks);
  EXPECT_EQ(marks[0], 1u);
  EXPECT_EQ(marks[1], 1u);
  EXPECT_EQ(marks[2], 0u);
  p->KeyInfo[2].bType = 3;
  ProfileKeyMarks(*p, marks);
  EXPECT_EQ(marks[2], 1u);

  // A table index from disk that points outside the record marks nothing.
  p->nCurKeyTable = 7;
  ProfileKeyMarks(*p, marks);
  EXPECT_EQ(marks[0] + marks[1] + marks[2], 0u);
}

TEST_F(LayoutFixture, ColoursOnlyInPerKeyModeFromTheGroupByMatrixPosition) {
  auto p = Profile(1);
  p->dwKeyColor[1][11] = 0xFF;
  p->dwKeyColor[4][12] = 0xFF00;
  p->nCurGameGroup = 1;
  uint32_t colors[kKeySlots];
  p->nCurLedMode = 2;
  ProfileKeyColors(*p, colors);
  EXPECT_EQ(colors[1], 0u);
  p->nCurLedMode = 3;
  ProfileKeyColors(*p, colors);
  EXPECT_EQ(colors[1], 0xFFu);
  EXPECT_EQ(colors[0], 0u);
  // A group from disk beyond the five is shown as the last one, never read past the table.
  p->nCurGameGroup = 0xFFFF;
  ProfileKeyColors(*p, colors);
  EXPECT_EQ(colors[2], 0xFF00u);
  EXPECT_EQ(DisplayLedMode(200), 9u);
  EXPECT_EQ(DisplayLedMode(3), 3u);
}

TEST_F(LayoutFixture, SamePlainKeyComparesModifierAndBothKeys) {
  KEYINFO cur = DefaultKeyTable[0];
  KEYINFO picked = cur;
  EXPECT_TRUE(SamePlainKey(picked, cur));
  picked.bVk2 = 0x42;
  EXPECT_FALSE(SamePlainKey(picked, cur));
  picked = cur;
  picked.bModifier = 2;
  EXPECT_FALSE(SamePlainKey(picked, cur));
  picked = cur;
  cur.bType = 5;
  EXPECT_FALSE(SamePlainKey(picked, cur));
}

TEST(MainModel, KeySlotParameterOutsideTheLayoutIsRefused) {
  EXPECT_EQ(KeySlotFromParam(0, 104), 0);
  EXPECT_EQ(KeySlotFromParam(103, 104), 103);
  EXPECT_EQ(KeySlotFromParam(104, 104), -1);
  EXPECT_EQ(KeySlotFromParam(static_cast<uintptr_t>(-1), 104), -1);
  EXPECT_EQ(KeySlotFromParam(150, 200), -1);  // never past the 144 slots
  EXPECT_EQ(KeySlotFromParam(0, 0), -1);
}

TEST(MainModel, CentringFallsBackToTenWhenTheImageDoesNotFit) {
  EXPECT_EQ(CentredOrigin(1024, 980), 22);
  EXPECT_EQ(CentredOrigin(1024, 1023), 10);
  EXPECT_EQ(CentredOrigin(1024, 1022), 1);
  EXPECT_EQ(CentredOrigin(800, 980), 10);
  EXPECT_EQ(CentredOrigin(0, 0), 10);
}

TEST_F(LayoutFixture, TopUpFillsToThreeNamedByButtonAndKeepsLongerLists) {
  ProfileList list;
  EXPECT_EQ(TopUpProfiles(list, u"Profile "), 3);
  ASSERT_EQ(list.size(), 3u);
  int n = 1;
  for (const auto& p : list) {
    EXPECT_EQ(std::u16string(p->szName), u16::Format(u"Profile %d", n++));
    EXPECT_NE(p->dwId, 0u);
    EXPECT_EQ(p->dwMagic, kProfileMagic);
  }
  EXPECT_EQ(TopUpProfiles(list, u"Profile "), 0);

  ProfileList one;
  one.push_back(Profile(0x42));
  EXPECT_EQ(TopUpProfiles(one, u"P"), 2);
  EXPECT_EQ(one.front()->dwId, 0x42u);
  EXPECT_EQ(std::u16string(one.back()->szName), u"P3");

  ProfileList four;
  for (uint32_t id = 1; id <= 4; ++id) four.push_back(Profile(id));
  EXPECT_EQ(TopUpProfiles(four, u"P"), 0);
  EXPECT_EQ(ProfileButtonOf(four, 3), 2);
  EXPECT_EQ(ProfileButtonOf(four, 4), -1);
  EXPECT_EQ(ProfileButtonOf(four, 0), -1);
  EXPECT_EQ(ProfileOnButton(four, 3), nullptr);
}

TEST_F(LayoutFixture, LinkedNameNeverReadsPastItsField) {
  auto p = Profile(1);
  std::memset(p->abReserved1, 'a', sizeof p->abReserved1);  // no terminating zero
  p->szName[0] = u'X';
  const std::u16string name = LinkedProgramName(*p);
  EXPECT_EQ(name.size(), 260u);
  EXPECT_EQ(name.find(u'X'), std::u16string::npos);
}

TEST_F(LayoutFixture, EarlierLinkedProfileWinsAndMatchesIgnoreCaseInsideTheName) {
  ProfileList list;
  list.push_back(Profile(1));
  list.push_back(Profile(2, u"shooter"));
  list.push_back(Profile(3, u"racer.exe"));
  const std::vector<RunningProcess> none = {{4, u"explorer.exe"}};
  EXPECT_EQ(ChooseLinkedProfile(list, none).profile, nullptr);

  const std::vector<RunningProcess> both = {{9, u"RACER.EXE"}, {7, u"MyShooter2.exe"}, {4, u"explorer.exe"}};
  LinkedChoice choice = ChooseLinkedProfile(list, both);
  ASSERT_NE(choice.profile, nullptr);
  EXPECT_EQ(choice.profile->dwId, 2u);
  EXPECT_EQ(choice.matchingPids, (std::vector<uint32_t>{7, 9}));
}

TEST_F(LayoutFixture, FailedSwitchWaitsForTheMatchingProcessesToChange) {
  ProfileList list;
  list.push_back(Profile(2, u"game"));
  GameWatchRetry retry;
  LinkedChoice first = ChooseLinkedProfile(list, {{7, u"game.exe"}});
  EXPECT_TRUE(retry.ShouldTry(first));
  retry.Failed(first);
  EXPECT_FALSE(retry.ShouldTry(ChooseLinkedProfile(list, {{7, u"game.exe"}, {8, u"other.exe"}})));
  EXPECT_TRUE(retry.ShouldTry(ChooseLinkedProfile(list, {{7, u"game.exe"}, {8, u"game2.exe"}})));
  EXPECT_TRUE(retry.ShouldTry(ChooseLinkedProfile(list, {{11, u"game.exe"}})));  // restarted
  retry.Succeeded();
  EXPECT_TRUE(retry.ShouldTry(first));
  EXPECT_FALSE(retry.ShouldTry(LinkedChoice{}));
}

TEST(MainModel, ProcessListIsReadAgainWhenItsLengthChangesOrAfterTheLastReuse) {
  ProcessListReuse reuse;
  EXPECT_TRUE(reuse.MustRead(4096));  // nothing read yet
  reuse.Read(4096);
  for (int tick = 0; tick < ProcessListReuse::kMaxReuses; ++tick) {
    ASSERT_FALSE(reuse.MustRead(4096)) << tick;
    reuse.Reused();
  }
  EXPECT_TRUE(reuse.MustRead(4096));  // two changes may have cancelled out: read now and then
  reuse.Read(4096);
  EXPECT_TRUE(reuse.MustRead(4352));  // a process started or ended
  EXPECT_TRUE(reuse.MustRead(0));     // the system gave no length
  reuse.Read(0);                      // a listing that failed is never reused
  EXPECT_TRUE(reuse.MustRead(4096));
}

}  // namespace
