#include "dialogs/led_panel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "config/layout.h"
#include "config/settings.h"

namespace {

// Three layout keys whose matrix positions differ from their slots.
constexpr int32_t kMatrixOf[] = {10, 20, 30};

class FakeKeyboardView : public LedKeyboardView {
 public:
  void SetKeyColors(const uint32_t* c, int count) override { colors.assign(c, c + count); }
  void GetKeyColors(uint32_t* c, int count) const override {
    for (int i = 0; i < count; ++i) c[i] = i < static_cast<int>(colors.size()) ? colors[i] : 0;
  }
  void ClearClickedKey() override { ++clears; }
  std::vector<uint32_t> colors;
  int clears = 0;
};

class LedPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
    for (int i = 0; i < 3; ++i) DefaultKeyTable[i].nMatrix = kMatrixOf[i];
    g_KeyCount = 3;
    g_Settings.ApplyNow = 1;
    profile = NewRecord();
    panel.SetKeyboardView(&view);
  }
  void TearDown() override {
    std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
    g_KeyCount = 0;
    g_Settings.ApplyNow = 0;
    g_Texts = TextSlots{};
  }

  // Allocated at its exact size, so that a read past the record is caught.
  static std::unique_ptr<PROFILEINFO> NewRecord() {
    auto p = std::make_unique<PROFILEINFO>();
    std::memset(p.get(), 0, sizeof(PROFILEINFO));
    for (int m = 0; m < kLedModes; ++m) p->LedParam[m] = LEDPARAM{3, 0, 2, 0, 1, 0};
    for (int g = 0; g < kGameGroups; ++g)
      for (int k = 0; k < kKeySlots; ++k) p->dwKeyColor[g][k] = 0x100u * g + k;
    return p;
  }

  void LoadMode(uint32_t mode) {
    profile->nCurLedMode = mode;
    panel.Load(profile.get());
  }

  std::unique_ptr<PROFILEINFO> profile;
  std::vector<uint32_t> requests;
  FakeKeyboardView view;
  LedPanel panel{[this](uint32_t flags) { requests.push_back(flags); }};
};

TEST_F(LedPanelTest, EachModeShowsItsControlsAndListText) {
  struct Row { int speed, bright, dir, swatches, random, group; } rows[kLedModes] = {
      {1, 1, 0, 7, 0, 0}, {1, 0, 0, 0, 0, 0}, {0, 1, 0, 7, 0, 0}, {0, 1, 0, 0, 0, 1},
      {1, 0, 0, 7, 1, 0}, {1, 1, 1, 0, 0, 0}, {1, 0, 0, 7, 1, 0}, {1, 0, 0, 7, 1, 0},
      {1, 0, 0, 7, 1, 0}, {1, 0, 0, 6, 1, 0}};
  g_Texts.tc_led_mode2 = u"Steady";
  g_Texts.tc_led_mode3 = u"Neon";
  for (uint32_t m = 0; m < kLedModes; ++m) {
    LoadMode(m);
    const LedPanelState& s = panel.State();
    EXPECT_EQ(m, s.mode);
    EXPECT_EQ(rows[m].speed, s.speedShown) << m;
    EXPECT_EQ(rows[m].bright, s.brightnessShown) << m;
    EXPECT_EQ(rows[m].dir, s.directionShown) << m;
    EXPECT_EQ(rows[m].swatches, s.swatchesShown) << m;
    EXPECT_EQ(rows[m].random, s.randomShown) << m;
    EXPECT_EQ(rows[m].group, s.gameGroupShown) << m;
    if (m == 1) EXPECT_EQ(u"Neon", panel.ModeCaption());
    if (m == 2) EXPECT_EQ(u"Steady", panel.ModeCaption());
  }
  EXPECT_TRUE(requests.empty());
}

TEST_F(LedPanelTest, CaptionsFollowTheirControls) {
  auto captions = [this](uint32_t mode) {
    LoadMode(mode);
    LedLabel labels[8];
    int n = LedPanelLabels(panel.State(), labels, 8);
    std::vector<std::u16string TextSlots::*> texts;
    for (int i = 0; i < n; ++i) texts.push_back(labels[i].text);
    return texts;
  };
  using T = TextSlots;
  EXPECT_EQ((std::vector<std::u16string T::*>{&T::tc_msg1, &T::tc_adv_str7, &T::tc_msg28}), captions(3));
  EXPECT_EQ((std::vector<std::u16string T::*>{&T::tc_msg1, &T::tc_adv_str19, &T::tc_adv_str12, &T::tc_adv_str14}),
            captions(4));
  EXPECT_EQ((std::vector<std::u16string T::*>{&T::tc_msg1, &T::tc_adv_str7, &T::tc_adv_str19, &T::tc_adv_str13}),
            captions(5));
  LedLabel one[1];
  EXPECT_EQ(1, LedPanelLabels(panel.State(), one, 1));
}

TEST_F(LedPanelTest, EveryCaptionHasALineOfTheFontToItself) {
  auto overlap = [](const RECT32& a, const RECT32& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  };
  // The skin's drop-down (combo_nr.png) and check box.
  const RECT32 modeCombo{kModeComboX, kModeComboY, kModeComboX + 137, kModeComboY + 24};
  const RECT32 alwaysOn{kAlwaysOnX, kAlwaysOnY, kAlwaysOnX + 16, kAlwaysOnY + 16};
  for (uint32_t mode = 0; mode < kLedModes; ++mode) {
    LoadMode(mode);
    LedLabel labels[8];
    const int n = LedPanelLabels(panel.State(), labels, 8);
    for (int i = 0; i < n; ++i) {
      const RECT32& r = labels[i].rect;
      EXPECT_GE(r.bottom - r.top, 16) << mode << " " << i;  // a line of the 14-pixel font
      EXPECT_FALSE(overlap(r, modeCombo)) << mode << " " << i;
      EXPECT_FALSE(overlap(r, alwaysOn)) << mode << " " << i;
      for (int j = i + 1; j < n; ++j) EXPECT_FALSE(overlap(r, labels[j].rect)) << mode << " " << i << " " << j;
    }
  }
  // "Keyboard lighting" and longer translations fit on the one line beside the box.
  EXPECT_GE(kAlwaysOnLabelRect.right - kAlwaysOnLabelRect.left, 180);
}

TEST_F(LedPanelTest, LoadShowsTheModesParametersAndWritesNothing) {
  profile->LedParam[0] = LEDPARAM{2, 1, 5, 0, 3, 1};
  profile->nCurGameGroup = 2;
  auto before = *profile;
  LoadMode(0);
  const LedPanelState& s = panel.State();
  EXPECT_EQ(2, s.speed);
  EXPECT_EQ(5, s.brightness);
  EXPECT_EQ(u"2", SpeedLabelText(s.speedLabel));
  EXPECT_EQ(u"100 %", BrightnessLabelText(s.brightnessLabel));
  EXPECT_EQ(u"20 %", BrightnessLabelText(1));
  EXPECT_TRUE(s.directionRight);
  for (int i = 0; i < kSwatchCount; ++i) EXPECT_EQ(i == 3, s.swatchSelected[i]) << i;
  EXPECT_EQ(std::vector<uint32_t>(3, 0), view.colors);  // no per-key colours outside mode 3
  EXPECT_EQ(1, view.clears);

  LoadMode(3);
  EXPECT_EQ((std::vector<uint32_t>{0x200 + 10, 0x200 + 20, 0x200 + 30}), view.colors);
  EXPECT_EQ(2, panel.State().gameGroup);
  before.nCurLedMode = 3;
  EXPECT_EQ(0, std::memcmp(&before, profile.get(), sizeof before));
  EXPECT_TRUE(requests.empty());
}

TEST_F(LedPanelTest, ValuesThePanelCannotShowAreClampedAndLeftOnDisk) {
  profile->nCurLedMode = 12;
  profile->nCurGameGroup = 7;
  profile->LedParam[9] = LEDPARAM{0, 4, 200, 0, 9, 0};
  profile->LedParam[0] = LEDPARAM{9, 0, 6, 0, 42, 0};
  profile->LedParam[3] = LEDPARAM{1, 0, 1, 0, 0, 0};
  auto before = *profile;
  panel.Load(profile.get());
  EXPECT_EQ(9u, panel.State().mode);
  EXPECT_EQ(1, panel.State().speed);
  EXPECT_EQ(1, panel.State().brightnessLabel);
  EXPECT_EQ(0, panel.State().gameGroup);

  profile->nCurLedMode = 0;
  before.nCurLedMode = 0;
  panel.Load(profile.get());
  EXPECT_TRUE(panel.State().swatchSelected[kSwatchCount - 1]);
  profile->nCurLedMode = 3;
  before.nCurLedMode = 3;
  panel.Load(profile.get());
  EXPECT_EQ((std::vector<uint32_t>{10, 20, 30}), view.colors);  // group 0's colours
  EXPECT_EQ(0, std::memcmp(&before, profile.get(), sizeof before));

  // The first change writes back what is shown.
  panel.ClickDirection(true);
  EXPECT_EQ(3u, profile->nCurLedMode);
  EXPECT_EQ(0, profile->nCurGameGroup);
  EXPECT_EQ(1, profile->LedParam[3].nDirect);
}

TEST_F(LedPanelTest, SliderDragStoresNothingUntilSet) {
  LoadMode(5);
  panel.SliderTracked(kBrightnessSliderId, 4);
  EXPECT_EQ(4, panel.State().brightnessLabel);
  EXPECT_EQ(2, panel.State().brightness);
  EXPECT_EQ(2, profile->LedParam[5].nLight);
  EXPECT_TRUE(requests.empty());

  panel.SliderSet(kBrightnessSliderId, 4);
  panel.SliderSet(kSpeedSliderId, 5);
  EXPECT_EQ(4, profile->LedParam[5].nLight);
  EXPECT_EQ(5, profile->LedParam[5].nSpeed);
  EXPECT_EQ(5u, profile->nCurLedMode);
  EXPECT_EQ((std::vector<uint32_t>{kRequestAfterSlider, kRequestAfterSlider}), requests);

  panel.SliderSet(kSpeedSliderId, 9);  // outside the range: stored as 0
  EXPECT_EQ(0, profile->LedParam[5].nSpeed);
  panel.SliderSet(150, 3);  // not one of the panel's sliders
  EXPECT_EQ(3u, requests.size());
}

TEST_F(LedPanelTest, ChoosingAModeShowsStoresMarksTheGroupAndRequests) {
  profile->nCurGameGroup = 1;
  LoadMode(0);
  panel.ChooseMode(9);
  EXPECT_EQ(6, panel.State().swatchesShown);
  EXPECT_EQ(9u, profile->nCurLedMode);
  EXPECT_EQ(1, profile->bGroupEdited[1]);
  panel.ChooseMode(3);
  EXPECT_FALSE(panel.State().speedShown);
  EXPECT_TRUE(panel.State().gameGroupShown);
  EXPECT_EQ((std::vector<uint32_t>{0x100 + 10, 0x100 + 20, 0x100 + 30}), view.colors);
  EXPECT_EQ((std::vector<uint32_t>{kRequestAfterChange, kRequestAfterChange}), requests);
  panel.ChooseMode(10);
  EXPECT_EQ(3u, profile->nCurLedMode);
  EXPECT_EQ(2u, requests.size());
}

TEST_F(LedPanelTest, RandomColourAndSwatchesExcludeEachOther) {
  profile->LedParam[4] = LEDPARAM{3, 0, 2, 0, 2, 0};
  LoadMode(4);
  panel.ClickSwatch(5);
  EXPECT_EQ(5u, profile->LedParam[4].nColor);
  panel.ClickRandom();
  EXPECT_TRUE(panel.State().randomChecked);
  for (bool selected : panel.State().swatchSelected) EXPECT_FALSE(selected);
  EXPECT_EQ(1u, profile->LedParam[4].bRandomColor);
  EXPECT_EQ(5u, profile->LedParam[4].nColor);  // kept
  panel.ClickSwatch(1);
  EXPECT_FALSE(panel.State().randomChecked);
  EXPECT_EQ(0u, profile->LedParam[4].bRandomColor);
  EXPECT_EQ(1u, profile->LedParam[4].nColor);
  panel.ClickSwatch(7);
  EXPECT_EQ(3u, requests.size());

  // Still on though hidden: mode 0 takes the box's state.
  panel.ClickRandom();
  panel.ChooseMode(0);
  EXPECT_EQ(1u, profile->LedParam[0].bRandomColor);
}

TEST_F(LedPanelTest, DirectionArrowsStoreZeroOrOne) {
  LoadMode(5);
  panel.ClickDirection(true);
  EXPECT_EQ(1, profile->LedParam[5].nDirect);
  EXPECT_TRUE(panel.State().directionRight);
  panel.ClickDirection(false);
  EXPECT_EQ(0, profile->LedParam[5].nDirect);
  profile->LedParam[5].nDirect = 7;
  panel.Load(profile.get());
  EXPECT_TRUE(panel.State().directionRight);
}

TEST_F(LedPanelTest, GameGroupChangeRecoloursTheViewAndStoresOnlyTheGroup) {
  LoadMode(3);
  auto before = *profile;
  panel.ChooseGameGroup(4);
  EXPECT_EQ((std::vector<uint32_t>{0x400 + 10, 0x400 + 20, 0x400 + 30}), view.colors);
  EXPECT_EQ(4, profile->nCurGameGroup);
  before.nCurGameGroup = 4;
  EXPECT_EQ(0, std::memcmp(&before, profile.get(), sizeof before));
  EXPECT_EQ(std::vector<uint32_t>{kRequestAfterChange}, requests);
  panel.ChooseGameGroup(5);
  EXPECT_EQ(4, profile->nCurGameGroup);
}

TEST_F(LedPanelTest, AChangeKeepsTheGroupOfTheProfileShown) {
  profile->nCurGameGroup = 2;
  LoadMode(3);
  auto other = NewRecord();
  other->nCurGameGroup = 4;
  other->nCurLedMode = 5;
  panel.Load(other.get());
  panel.SliderSet(kSpeedSliderId, 2);
  EXPECT_EQ(4, other->nCurGameGroup);
  EXPECT_EQ(2, profile->nCurGameGroup);
}

TEST_F(LedPanelTest, KeyColourGoesIntoTheCurrentGroupByMatrixPosition) {
  profile->nCurGameGroup = 1;
  LoadMode(3);
  EXPECT_TRUE(panel.PickKeyColor(1, 0x00FF00));
  EXPECT_EQ(0x00FF00u, profile->dwKeyColor[1][20]);
  EXPECT_EQ(0x100u + 10, profile->dwKeyColor[1][10]);
  EXPECT_EQ(20u, profile->dwKeyColor[0][20]);
  EXPECT_EQ(std::vector<uint32_t>{kRequestAfterKeyColor}, requests);
  EXPECT_FALSE(panel.PickKeyColor(3, 0xFF));  // past the layout
  EXPECT_FALSE(panel.PickKeyColor(-1, 0xFF));
}

TEST_F(LedPanelTest, WithoutApplyNowOrProfileNothingIsSent) {
  g_Settings.ApplyNow = 0;
  LoadMode(0);
  panel.ChooseMode(5);
  panel.SliderSet(kSpeedSliderId, 4);
  panel.ClickDirection(true);
  EXPECT_EQ(4, profile->LedParam[5].nSpeed);
  EXPECT_TRUE(requests.empty());

  g_Settings.ApplyNow = 1;
  LedPanel empty([this](uint32_t flags) { requests.push_back(flags); });
  EXPECT_FALSE(empty.Commit());
  empty.ChooseMode(3);
  empty.ClickSwatch(2);
  empty.ChooseGameGroup(2);
  empty.SliderSet(kSpeedSliderId, 3);
  EXPECT_TRUE(requests.empty());
}

}  // namespace
