#include "controls/slider_model.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kFive[] = {12, 51, 90, 129, 168};

// A horizontal 180-pixel track with an 18-pixel thumb.
SliderModel MakeSlider(int32_t min, int32_t max, int count = 0, const int32_t* scale = nullptr) {
  SliderModel s;
  s.SetId(148);
  s.SetGeometry(180, 18, false);
  s.SetRange(min, max);
  s.SetScale(count, scale);
  return s;
}

TEST(SliderIndex, ScaleNearestWithTiesToTheLaterIndex) {
  SliderModel s = MakeSlider(0, 4, 5, kFive);
  struct Case { int32_t coordinate, index; } cases[] = {
      {70, 1}, {-50, 0}, {31, 0}, {32, 1}, {71, 2}, {168, 4}, {900, 4}};
  for (auto c : cases) EXPECT_EQ(c.index, s.IndexAt(c.coordinate)) << c.coordinate;

  const int32_t two[] = {12, 50};
  SliderModel t = MakeSlider(0, 1, 2, two);
  EXPECT_EQ(1, t.IndexAt(31));  // 19 pixels from each
  SliderModel offset = MakeSlider(1, 5, 5, kFive);
  EXPECT_EQ(2, offset.IndexAt(70));
}

TEST(SliderIndex, StepRuleWithoutScale) {
  // Range 0..4 over 180 pixels: steps of 45.
  SliderModel s = MakeSlider(0, 4);
  struct Case { int32_t coordinate, index; } cases[] = {
      {0, 0}, {22, 0}, {23, 1}, {45, 1}, {67, 1}, {68, 2}, {179, 4}, {180, 4}, {-10, 0}, {500, 4}};
  for (auto c : cases) EXPECT_EQ(c.index, s.IndexAt(c.coordinate)) << c.coordinate;
}

TEST(SliderIndex, NothingToDivideGivesTheMinimum) {
  SliderModel one = MakeSlider(3, 3);
  EXPECT_EQ(3, one.IndexAt(100));
  EXPECT_EQ(3, one.SetPosition(3, true).value);
  EXPECT_EQ(-9, one.ThumbOffset());  // centred on the track's start

  SliderModel flat = MakeSlider(0, 4);
  flat.SetGeometry(0, 18, false);
  EXPECT_EQ(0, flat.IndexAt(50));
  flat.SetPosition(4, false);
  EXPECT_EQ(-9, flat.ThumbOffset());
  EXPECT_EQ(0, flat.ClickTrack(10).value);

  SliderModel reversed = MakeSlider(5, 1);
  EXPECT_EQ(5, reversed.Maximum());
  EXPECT_EQ(5, reversed.IndexAt(170));
}

TEST(SliderScale, CountIsCappedAndAMismatchIsToldAndSafe) {
  int32_t many[150];
  for (int i = 0; i < 150; ++i) many[i] = i;
  SliderModel s = MakeSlider(0, 149);
  EXPECT_FALSE(s.SetScale(150, many));  // 100 kept, 150 indexes
  EXPECT_EQ(99, s.CentreOf(99));
  EXPECT_EQ(100, s.CentreOf(100));  // evenly spaced: 180 / 149 = 1 pixel per step
  EXPECT_EQ(99, s.IndexAt(99));
  EXPECT_LT(99, s.IndexAt(130));  // past the scale's end, nearer an even position

  // More positions than indexes: those past the range are never used.
  SliderModel wide = MakeSlider(1, 3, 5, kFive);
  EXPECT_FALSE(wide.ScaleMatchesRange());
  EXPECT_EQ(3, wide.IndexAt(170));

  // Fewer: the first indexes from the scale, the rest evenly spaced (45 pixels a step).
  SliderModel narrow = MakeSlider(0, 4, 2, kFive);
  EXPECT_EQ(51, narrow.CentreOf(1));
  EXPECT_EQ(90, narrow.CentreOf(2));
  EXPECT_EQ(135, narrow.CentreOf(3));
  EXPECT_EQ(3, narrow.IndexAt(130));
  EXPECT_EQ(1, narrow.IndexAt(60));

  EXPECT_TRUE(MakeSlider(1, 5, 5, kFive).ScaleMatchesRange());
  EXPECT_FALSE(s.SetScale(-3, many));
  EXPECT_EQ(0, s.IndexAt(0));
}

TEST(SliderPosition, ClampsAndPlacesTheThumbCentred) {
  SliderModel s = MakeSlider(1, 5, 5, kFive);
  s.SetPosition(3, false);
  EXPECT_EQ(3, s.Index());
  EXPECT_EQ(90 - 9, s.ThumbOffset());
  for (int32_t outside : {0, 6, -100}) {
    s.SetPosition(3, false);
    s.SetPosition(outside, false);
    EXPECT_EQ(1, s.Index()) << outside;
    EXPECT_EQ(12 - 9, s.ThumbOffset());
  }
  EXPECT_FALSE(s.SetPosition(4, false));
  SliderReport r = s.SetPosition(4, true);
  EXPECT_EQ(WM_SLIDER_SET, r.message);
  EXPECT_EQ(4, r.value);
  EXPECT_EQ(148, r.id);

  // Evenly spaced: (180 / 4) * (index - minimum).
  SliderModel even = MakeSlider(0, 4);
  even.SetPosition(2, false);
  EXPECT_EQ(90 - 9, even.ThumbOffset());
}

TEST(SliderValueTable, LookupReportAndBounds) {
  const int32_t dpi[] = {400, 800, 1600, 3200};
  SliderModel s = MakeSlider(0, 4, 5, kFive);
  s.SetValueTable(4, dpi);
  s.SetPosition(1600, false);
  EXPECT_EQ(2, s.Index());
  EXPECT_EQ(1600, s.Value());
  EXPECT_FALSE(s.SetPosition(1000, true));  // not in the table: nothing changes
  EXPECT_EQ(2, s.Index());
  EXPECT_EQ(3200, s.ClickTrack(129).value);
  EXPECT_EQ(0, s.ClickTrack(168).value);  // index 4 has no table entry
  EXPECT_EQ(0, s.ValueOf(-1));
  EXPECT_EQ(0, s.ValueOf(5));

  int32_t big[120];
  for (int i = 0; i < 120; ++i) big[i] = 1000 + i;
  SliderModel t = MakeSlider(0, 119);
  t.SetValueTable(120, big);
  EXPECT_EQ(1099, t.ValueOf(99));
  EXPECT_EQ(0, t.ValueOf(100));
  EXPECT_FALSE(t.SetPosition(1110, true));  // past the kept entries
}

TEST(SliderDrag, FollowsTheAxisWithinTheTrackAndSettlesOnRelease) {
  SliderModel s = MakeSlider(1, 5, 5, kFive);
  s.SetLive(true);
  s.SetPosition(1, false);  // thumb 3..21
  ASSERT_TRUE(s.Press(10));  // grabbed 7 px into the thumb
  bool moved = false;
  SliderReport r = s.Drag(80, &moved);  // thumb 73..91, centre 82
  EXPECT_TRUE(moved);
  EXPECT_EQ(73, s.ThumbOffset());
  EXPECT_EQ(WM_SLIDER_TRACK, r.message);
  EXPECT_EQ(3, r.value);
  EXPECT_EQ(1, s.Index());  // nothing is set while dragging

  EXPECT_FALSE(s.Drag(80, &moved));
  EXPECT_FALSE(moved);
  s.Drag(-300, &moved);
  EXPECT_EQ(0, s.ThumbOffset());
  s.Drag(900, &moved);
  EXPECT_EQ(180 - 18, s.ThumbOffset());

  r = s.Release(63);  // thumb centre 65: nearest 51
  EXPECT_EQ(WM_SLIDER_SET, r.message);
  EXPECT_EQ(2, r.value);
  EXPECT_EQ(2, s.Index());
  EXPECT_EQ(51 - 9, s.ThumbOffset());
  EXPECT_FALSE(s.Dragging());
  EXPECT_FALSE(s.Release(63));  // one set per drag
}

TEST(SliderDrag, TrackedValueIsTheReleasedOneWhereverTheThumbWasGrabbed) {
  for (int32_t grab : {0, 9, 17}) {
    SliderModel s = MakeSlider(1, 5, 5, kFive);
    s.SetLive(true);
    s.SetPosition(1, false);
    s.Press(3 + grab);
    for (int32_t x = 0; x <= 180; x += 7) {
      SliderReport track = s.Drag(x, nullptr);
      if (!track) continue;
      SliderModel copy = s;
      EXPECT_EQ(track.value, copy.Release(x).value) << grab << " " << x;
    }
  }
}

TEST(SliderDrag, VerticalOverhangsByHalfTheThumbQuietWithoutLiveAndGatedByFlags) {
  SliderModel v;
  v.SetGeometry(100, 20, true);
  v.SetRange(0, 10);
  v.SetPosition(5, false);  // centre 50
  ASSERT_TRUE(v.Press(45));
  bool moved = false;
  EXPECT_FALSE(v.Drag(-500, &moved));  // not live: no track report
  EXPECT_TRUE(moved);
  EXPECT_EQ(-10, v.ThumbOffset());
  v.Drag(500, nullptr);
  EXPECT_EQ(90, v.ThumbOffset());
  v.CancelDrag();
  EXPECT_EQ(40, v.ThumbOffset());  // back on index 5

  SliderModel fixed = MakeSlider(1, 5, 5, kFive);
  fixed.SetDraggable(false);
  EXPECT_FALSE(fixed.Press(10));
  SliderModel off = MakeSlider(1, 5, 5, kFive);
  off.SetDisabled(true);
  EXPECT_FALSE(off.Press(10));
  EXPECT_FALSE(off.ClickTrack(168));
  EXPECT_EQ(1, off.Index());
}

TEST(SliderTrackClick, SetsTheIndexAtTheClickAndReportsOnce) {
  SliderModel s = MakeSlider(1, 5, 5, kFive);
  SliderReport r = s.ClickTrack(120);
  EXPECT_EQ(WM_SLIDER_SET, r.message);
  EXPECT_EQ(4, r.value);
  EXPECT_EQ(4, s.Index());
  EXPECT_EQ(129 - 9, s.ThumbOffset());
}

}  // namespace
