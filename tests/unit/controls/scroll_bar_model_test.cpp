#include "controls/scroll_bar_model.h"

#include <gtest/gtest.h>

namespace {

// A 124-pixel bar with 12-pixel arrows: a 100-pixel track from 12 to 112.
ScrollBarModel MakeBar(int32_t count, int32_t page, int32_t position) {
  ScrollBarModel bar;
  bar.SetGeometry(124, 12);
  bar.SetRange(count, page, position);
  return bar;
}

TEST(ScrollBarThumb, LengthFollowsThePageAndStartTheRow) {
  struct Case { int32_t count, page, position, start, length, clamped; } cases[] = {
      {50, 10, 0, 12, 20, 0},
      {50, 10, 20, 52, 20, 20},
      {50, 10, 40, 92, 20, 40},      // the last page: the thumb ends where the track does
      {50, 10, 99, 92, 20, 40},      // past the end
      {50, 10, -3, 12, 20, 0},
      {10000, 10, 0, 12, 16, 0},     // never shorter than a grip
      {10000, 10, 9990, 96, 16, 9990},
      {5, 10, 3, 12, 100, 0},        // all rows fit: the thumb fills the track
  };
  for (const Case& c : cases) {
    const ScrollBarModel bar = MakeBar(c.count, c.page, c.position);
    EXPECT_EQ(c.start, bar.ThumbStart()) << c.count << " " << c.position;
    EXPECT_EQ(c.length, bar.ThumbLength()) << c.count << " " << c.position;
    EXPECT_EQ(c.clamped, bar.Position()) << c.count << " " << c.position;
  }
  EXPECT_FALSE(MakeBar(10, 10, 0).Scrollable());
  EXPECT_TRUE(MakeBar(11, 10, 0).Scrollable());

  // A bar too short for its arrows: they share it and there is no track to scroll on.
  ScrollBarModel stub = MakeBar(50, 10, 20);
  stub.SetGeometry(20, 12);
  EXPECT_EQ(10, stub.ArrowLength());
  EXPECT_EQ(0, stub.ThumbLength());
  EXPECT_FALSE(stub.Drag(15));
  EXPECT_EQ(ScrollPart::kLineDown, stub.HitTest(10));
}

TEST(ScrollBarHit, PartsAlongTheBar) {
  const ScrollBarModel bar = MakeBar(50, 10, 20);  // thumb 52..71
  struct Case { int32_t at; ScrollPart part; } cases[] = {
      {-1, ScrollPart::kNone},     {0, ScrollPart::kLineUp},   {11, ScrollPart::kLineUp},
      {12, ScrollPart::kPageUp},   {51, ScrollPart::kPageUp},  {52, ScrollPart::kThumb},
      {71, ScrollPart::kThumb},    {72, ScrollPart::kPageDown}, {111, ScrollPart::kPageDown},
      {112, ScrollPart::kLineDown}, {123, ScrollPart::kLineDown}, {124, ScrollPart::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(c.part, bar.HitTest(c.at)) << c.at;
  // Nothing to scroll: the track is no page step.
  EXPECT_EQ(ScrollPart::kNone, MakeBar(5, 10, 0).HitTest(60));
}

TEST(ScrollBarPress, ArrowsStepAndRepeatWhileHeldOverThem) {
  ScrollBarModel bar = MakeBar(50, 10, 39);
  EXPECT_TRUE(bar.Press(118));
  EXPECT_EQ(40, bar.Position());
  EXPECT_FALSE(bar.Repeat(118));  // at the end
  bar.Release();

  EXPECT_TRUE(bar.Press(5));
  EXPECT_EQ(39, bar.Position());
  EXPECT_TRUE(bar.Repeat(5));
  EXPECT_EQ(38, bar.Position());
  EXPECT_FALSE(bar.Repeat(60));  // the pointer slid off the arrow
  EXPECT_EQ(38, bar.Position());
  bar.Release();
  EXPECT_FALSE(bar.Repeat(5));  // released: the timer's last tick does nothing
  EXPECT_EQ(ScrollPart::kNone, bar.Pressed());
}

TEST(ScrollBarPress, TrackPagesTowardsThePointerUntilTheThumbReachesIt) {
  ScrollBarModel bar = MakeBar(50, 10, 0);
  EXPECT_TRUE(bar.Press(100));
  EXPECT_EQ(9, bar.Position());  // a page less one row
  int steps = 0;
  while (bar.Repeat(100)) ++steps;
  EXPECT_EQ(3, steps);
  EXPECT_EQ(36, bar.Position());
  EXPECT_EQ(ScrollPart::kThumb, bar.HitTest(100));
  bar.Release();

  EXPECT_TRUE(bar.Press(20));  // above the thumb
  EXPECT_EQ(27, bar.Position());
}

TEST(ScrollBarDrag, PositionFollowsThePointerWithinTheTrack) {
  ScrollBarModel bar = MakeBar(50, 10, 0);  // thumb 12..31
  EXPECT_FALSE(bar.Press(20));              // grabbed 8 pixels into the thumb
  ASSERT_TRUE(bar.Dragging());
  struct Case { int32_t at, position, thumb; } cases[] = {
      {60, 20, 52}, {61, 21, 53}, {1000, 40, 92}, {-100, 0, 12}, {59, 20, 51},
  };
  for (const Case& c : cases) {
    bar.Drag(c.at);
    EXPECT_EQ(c.position, bar.Position()) << c.at;
    EXPECT_EQ(c.thumb, bar.ThumbStart()) << c.at;
  }
  // The list grows under a held thumb (a scan filling in): the thumb stays under the pointer.
  bar.SetRange(90, 10, bar.Position());
  EXPECT_EQ(51, bar.ThumbStart());
  EXPECT_EQ(20, bar.Position());
  bar.Release();
  EXPECT_FALSE(bar.Dragging());
  EXPECT_EQ(33, bar.ThumbStart());  // back on its row of the longer list
  EXPECT_FALSE(bar.Drag(80));       // no drag once released
}

TEST(ScrollBarKeys, StepsPagesAndEnds) {
  struct Case { ScrollKey key; int32_t from, to; } cases[] = {
      {ScrollKey::kLineDown, 5, 6},  {ScrollKey::kLineUp, 5, 4},     {ScrollKey::kLineUp, 0, 0},
      {ScrollKey::kPageDown, 5, 14}, {ScrollKey::kPageDown, 38, 40}, {ScrollKey::kPageUp, 5, 0},
      {ScrollKey::kHome, 17, 0},     {ScrollKey::kEnd, 17, 40},      {ScrollKey::kLineDown, 40, 40},
  };
  for (const Case& c : cases) {
    ScrollBarModel bar = MakeBar(50, 10, c.from);
    EXPECT_EQ(c.from != c.to, bar.Key(c.key)) << c.from;
    EXPECT_EQ(c.to, bar.Position()) << c.from;
  }
  // A page of one row still moves.
  ScrollBarModel narrow = MakeBar(50, 1, 0);
  narrow.Key(ScrollKey::kPageDown);
  EXPECT_EQ(1, narrow.Position());
}

}  // namespace
