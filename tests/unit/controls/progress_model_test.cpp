#include "controls/progress_model.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressModel, APositionOutsideTheRangeGoesToTheMinimum) {
  ui::ProgressModel p;
  p.SetPos(7);
  EXPECT_EQ(p.Pos(), 7);
  p.SetPos(12);
  EXPECT_EQ(p.Pos(), 0);
  EXPECT_EQ(p.FillRight(45, 486), 45);
  p.SetRange(0, 100);
  for (int pos : {20, 70, 100}) {
    p.SetPos(pos);
    EXPECT_EQ(p.Pos(), pos);
  }
  p.SetPos(-1);
  EXPECT_EQ(p.Pos(), 0);
  p.SetPos(50);
  p.SetPos(int64_t{1} << 32 | 50);
  EXPECT_EQ(p.Pos(), 0) << "a posted value past the int range is not cut down into the range";
}

TEST(ProgressModel, TheFillRunsFromTheLeftBoundToTheRightBound) {
  ui::ProgressModel p;
  p.SetRange(0, 100);
  struct Case {
    int pos, right;
  } cases[] = {{0, 45}, {20, 133}, {70, 353}, {100, 486}};
  for (const Case& c : cases) {
    p.SetPos(c.pos);
    EXPECT_EQ(p.FillRight(45, 486), c.right) << c.pos;
  }
  p.SetRange(10, 20);
  p.SetPos(15);
  EXPECT_EQ(p.FillRight(0, 100), 50);
}

TEST(ProgressModel, ARangeWithoutWidthLeavesTheBarEmpty) {
  ui::ProgressModel p;
  for (int max : {5, 4}) {
    p.SetRange(5, max);
    p.SetPos(5);
    EXPECT_EQ(p.FillRight(45, 486), 45) << max;
  }
}

}  // namespace
