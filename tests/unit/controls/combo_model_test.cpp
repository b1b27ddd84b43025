#include "controls/combo_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace controls {
namespace {

std::u16string Caption(int n) { return u"Item " + std::u16string(1, static_cast<char16_t>(u'A' + n)); }

// List 3 holds 20 items with values 100, 101, ...; list 0 two others.
class ComboModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(combo_.AddItem(3, 100 + i, Caption(i)));
    combo_.AddItem(0, 7, u"Seven");
    combo_.AddItem(0, 100, u"Hundred");
    ASSERT_TRUE(combo_.SetActiveList(3));
  }
  ComboModel combo_;
};

TEST_F(ComboModelTest, MenuShowsTheFirstFifteenItemsOnly) {
  VorlaxItem items[kComboMenuItems];
  ASSERT_EQ(combo_.BuildMenuItems(items), 15);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(items[i].dwState, kVorlaxItemNormal);
    EXPECT_EQ(items[i].dwValue, 100u + i);
    EXPECT_EQ(std::u16string(items[i].szText), Caption(i));
  }
  // Selecting by value sees the same 15.
  EXPECT_TRUE(combo_.SelectByValue(114));
  EXPECT_FALSE(combo_.SelectByValue(115));
  EXPECT_EQ(combo_.SelectedValue(), 114);
  EXPECT_EQ(combo_.SelectedIndex(), 14);
  EXPECT_EQ(combo_.Caption(), Caption(14));

  ASSERT_TRUE(combo_.SetActiveList(5));
  EXPECT_EQ(combo_.BuildMenuItems(items), 0);
}

TEST_F(ComboModelTest, LongCaptionKeepsNineteenCharacters) {
  combo_.ClearList(3);
  ASSERT_TRUE(combo_.AddItem(3, 1, u"abcdefghijklmnopqrstuvwxyz"));
  VorlaxItem items[kComboMenuItems];
  std::fill(std::begin(items[0].szText), std::end(items[0].szText), u'#');
  ASSERT_EQ(combo_.BuildMenuItems(items), 1);
  EXPECT_EQ(std::u16string(items[0].szText), u"abcdefghijklmnopqrs");
  for (int i = 19; i < 40; ++i) EXPECT_EQ(items[0].szText[i], 0) << i;  // no stale units after the caption
  combo_.SelectByIndex(0);
  EXPECT_EQ(combo_.Caption(), u"abcdefghijklmnopqrs");
}

TEST_F(ComboModelTest, SelectByIndex) {
  combo_.SelectByIndex(19);  // beyond the 15 shown, still an item of the list
  EXPECT_EQ(combo_.SelectedValue(), 119);
  combo_.SelectByIndex(20);  // past the end: nothing changes
  EXPECT_EQ(combo_.SelectedValue(), 119);
  EXPECT_EQ(combo_.SelectedIndex(), 19);
  EXPECT_EQ(combo_.Caption(), Caption(19));
  combo_.SelectByIndex(-1);
  EXPECT_EQ(combo_.SelectedValue(), kComboNoValue);
  EXPECT_EQ(combo_.SelectedIndex(), -1);
  EXPECT_EQ(combo_.Caption(), u"");
}

TEST_F(ComboModelTest, MenuPickNotifiesOnlyForAnItemOfTheShownList) {
  combo_.SelectByValue(102);
  struct Case {
    uintptr_t value;
    intptr_t menu;
    bool notify;
    int32_t selected;
  } cases[] = {
      {999, 3, false, 102},  // the list changed while the menu was open
      {115, 3, false, 102},  // not among the 15 shown
      {100, 0, false, 102},  // picked from list 0's menu, list 3 is active now
      {100, -1, false, 102},
      {105, 3, true, 105},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(combo_.OnMenuPicked(c.value, c.menu), c.notify) << c.value << " menu " << c.menu;
    EXPECT_EQ(combo_.SelectedValue(), c.selected) << c.value << " menu " << c.menu;
  }
  if (sizeof(uintptr_t) > 4) {  // a value must fit the item's 32 bits, not match its low half
    uintptr_t wide = (static_cast<uintptr_t>(1) << 32) + 101;
    EXPECT_FALSE(combo_.OnMenuPicked(wide, 3));
    EXPECT_EQ(combo_.SelectedValue(), 105);
  }
}

TEST_F(ComboModelTest, ListNumbersOutOfRangeChangeNothing) {
  EXPECT_FALSE(combo_.AddItem(24, 1, u"x"));
  EXPECT_FALSE(combo_.AddItem(-1, 1, u"x"));
  EXPECT_FALSE(combo_.SetActiveList(24));
  EXPECT_FALSE(combo_.SetActiveList(-1));
  EXPECT_EQ(combo_.ActiveList(), 3);
  EXPECT_EQ(combo_.ItemCount(23), 0u);
  EXPECT_EQ(combo_.ItemCount(24), 0u);
}

TEST(ComboMenuPlacement, BelowUnlessTheItemsWouldPassTheScreenBottom) {
  const RECT32 button{100, 500, 220, 524};
  struct Case {
    int items;
    int32_t screen;
    ScreenPoint at;
  } cases[] = {
      {5, 768, {102, 524}},             // 524 + 100 fits
      {12, 764, {102, 524}},            // ends exactly at the bottom
      {12, 763, {102, 500 - 240}},      // one pixel too far: above
      {15, 768, {102, 500 - 300}},
  };
  for (const Case& c : cases) {
    ScreenPoint at = PlaceComboMenu(button, c.items, c.screen);
    EXPECT_EQ(at.x, c.at.x) << c.items << " items, screen " << c.screen;
    EXPECT_EQ(at.y, c.at.y) << c.items << " items, screen " << c.screen;
  }
}

TEST(ComboMenuWidth, FixedWidthOrButtonWidthLessFour) {
  ComboModel combo;
  EXPECT_EQ(combo.MenuWidth(120), 116);
  combo.SetMenuWidth(150);
  EXPECT_EQ(combo.MenuWidth(120), 150);
  combo.SetMenuWidth(0);
  EXPECT_EQ(combo.MenuWidth(120), 116);
}

}  // namespace
}  // namespace controls
