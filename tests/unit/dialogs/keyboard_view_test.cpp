#include "dialogs/keyboard_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Three keys: 0 and 1 overlap on x 20..29; key 2 is an L whose bounding box takes in key 3's
// notch.
const RECT32 kKeys[] = {{0, 0, 30, 10}, {20, 0, 50, 10}, {60, 0, 90, 30}, {60, 10, 70, 30}};
const POINT32 kL[] = {{60, 0}, {90, 0}, {90, 30}, {70, 30}, {70, 10}, {60, 10}, {60, 0}};

class KeyboardViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.SetKeys(kKeys, 4);
    ASSERT_TRUE(view.SetShape(2, kL, 7));
  }
  std::vector<KeyPaintStep> Steps() const {
    std::vector<KeyPaintStep> out;
    view.ForEachPaintStep([&](const KeyPaintStep& s) { out.push_back(s); });
    return out;
  }
  KeyboardViewModel view;
};

TEST_F(KeyboardViewTest, HitTestTakesTheLowerKeyAndThePolygonOverItsBox) {
  const struct {
    int x, y, key;
  } cases[] = {
      {0, 0, 0},    {25, 5, 0},  {29, 9, 0},   {30, 5, 1},  {49, 9, 1},  {50, 5, -1}, {5, 10, -1},
      {89, 29, 2},  {65, 5, 2},  {65, 15, 3},  {69, 29, 3}, {70, 10, 2}, {95, 5, -1}, {-1, 0, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(view.HitTest(c.x, c.y), c.key) << c.x << "," << c.y;
  // Keys past the count take no part.
  view.SetKeys(kKeys, 1);
  EXPECT_EQ(view.HitTest(40, 5), -1);
}

TEST_F(KeyboardViewTest, ShapeNeedsAKeyInRangeAndThreePoints) {
  KeyboardViewModel other;
  other.SetKeys(kKeys, 4);
  EXPECT_FALSE(other.SetShape(144, kL, 7));
  EXPECT_FALSE(other.SetShape(-1, kL, 7));
  EXPECT_FALSE(other.SetShape(2, kL, 2));
  EXPECT_EQ(other.ShapedKey(), -1);
  EXPECT_EQ(other.HitTest(65, 15), 2);  // still its rectangle
}

TEST_F(KeyboardViewTest, MouseFollowsHoverAndReleaseSetsOrClearsTheClickedKey) {
  EXPECT_TRUE(view.MouseMove(5, 5));
  EXPECT_FALSE(view.MouseMove(6, 6));  // same key: no repaint
  EXPECT_EQ(view.Hover(), 0);
  EXPECT_TRUE(view.MouseMove(55, 5));
  EXPECT_EQ(view.Hover(), -1);
  EXPECT_FALSE(view.MouseLeave());
  view.MouseMove(35, 5);
  EXPECT_TRUE(view.MouseLeave());
  EXPECT_EQ(view.Hover(), -1);

  EXPECT_TRUE(view.ButtonUp(35, 5));
  EXPECT_EQ(view.Clicked(), 1);
  EXPECT_FALSE(view.ButtonUp(36, 5));
  EXPECT_TRUE(view.ButtonUp(55, 5));
  EXPECT_EQ(view.Clicked(), -1);
}

TEST_F(KeyboardViewTest, MarkingANegativeKeyMarksTheClickedOneOrNothing) {
  EXPECT_FALSE(view.MarkKey(-1, 1));
  view.ButtonUp(35, 5);
  EXPECT_TRUE(view.MarkKey(-1, 1));
  EXPECT_EQ(view.Mark(1), 1u);
  EXPECT_TRUE(view.MarkKey(143, 1));
  EXPECT_FALSE(view.MarkKey(144, 1));
  uint32_t colors[kKeySlots] = {};
  view.SetAllKeyColors(colors);
  EXPECT_EQ(view.Clicked(), -1);
}

TEST_F(KeyboardViewTest, PaintingOrderMarksThenTintsPerKeyThenClickedThenHover) {
  view.SetMarkColor(0x0000FF);
  view.SetHoverColor(0x00AA00);
  view.SetClickedColor(0xFFFFFF);
  uint32_t colors[kKeySlots] = {};
  colors[1] = 0x123456;
  colors[3] = 0;  // black cannot be a tint
  view.SetAllKeyColors(colors);
  view.MarkKey(1, 1);
  view.MarkKey(3, 1);
  view.ButtonUp(5, 5);
  view.MouseMove(35, 5);
  const std::vector<KeyPaintStep> steps = Steps();
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0].kind, KeyPaintStep::kOutline);
  EXPECT_EQ(steps[0].key, 1);
  EXPECT_EQ(steps[0].argb, 0xFFFF0000u);
  EXPECT_EQ(steps[1].kind, KeyPaintStep::kTint);
  EXPECT_EQ(steps[1].argb, 0x78563412u);
  EXPECT_EQ(steps[2].key, 3);
  EXPECT_EQ(steps[2].kind, KeyPaintStep::kOutline);
  EXPECT_EQ(steps[3].key, 0);
  EXPECT_EQ(steps[3].argb, 0xFFFFFFFFu);
  EXPECT_EQ(steps[4].key, 1);
  EXPECT_EQ(steps[4].argb, 0xFF00AA00u);

  const RECT32 r = view.OutlineRect(0);
  EXPECT_EQ(r.left, -2);
  EXPECT_EQ(r.top, -2);
  EXPECT_EQ(r.right, 32);
  EXPECT_EQ(r.bottom, 12);
}

TEST_F(KeyboardViewTest, FewerKeysForgetAHoverOrClickBeyondThem) {
  view.MouseMove(65, 15);
  view.ButtonUp(65, 15);
  view.SetKeys(kKeys, 2);
  EXPECT_EQ(view.Hover(), -1);
  EXPECT_EQ(view.Clicked(), -1);
  EXPECT_TRUE(Steps().empty());
}

}  // namespace
