#include "controls/color_swatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ColorSwatchTest, PaintsItsColourInsideTheBorderOfItsSelection) {
  ColorSwatch swatch;
  swatch.colour = 0x00FF00;
  const SwatchPaint normal = swatch.Paint(22, 22);
  EXPECT_EQ(normal.window, (PixelRect{0, 0, 22, 22}));
  EXPECT_EQ(normal.background, 0x121212u);
  EXPECT_TRUE(normal.filled);
  EXPECT_FALSE(normal.crossed);
  EXPECT_EQ(normal.fill, (PixelRect{3, 3, 19, 19}));
  EXPECT_EQ(normal.fillColour, 0x00FF00u);
  EXPECT_EQ(normal.frameColour, 0x969696u);
  swatch.selected = 1;
  EXPECT_EQ(swatch.Paint(22, 22).frameColour, 0x1513BDu);
}

TEST(ColorSwatchTest, NoneMarkShowsARedLineAndNeverItsColour) {
  ColorSwatch swatch;
  swatch.colour = 0xFFFFFF;
  swatch.noneMark = 1;
  const SwatchPaint paint = swatch.Paint(20, 20);
  EXPECT_FALSE(paint.filled);
  EXPECT_TRUE(paint.crossed);
  EXPECT_EQ(paint.lineColour, 0x0000FFu);
  EXPECT_EQ((std::vector<int>{paint.lineFromX, paint.lineFromY, paint.lineToX, paint.lineToY}),
            (std::vector<int>{1, 19, 19, 1}));
}

TEST(ColorSwatchTest, ClickTellsWhetherItWasSelectedAndItsIndex) {
  ColorSwatch swatch;
  swatch.index = 5;
  EXPECT_EQ(swatch.Click().wParam, 1u);
  EXPECT_EQ(swatch.Click().lParam, 5);
  swatch.selected = 1;
  EXPECT_EQ(swatch.Click().wParam, 0u);  // still told, so the parent can act on it
}

TEST(SwatchRowTest, IndexesOutsideTheRowSelectNothing) {
  SwatchRow row(kSwatchColours, 7);
  EXPECT_TRUE(row.SelectOnly(6));
  EXPECT_EQ(row.SelectedIndex(), 6);
  for (int64_t bad : {int64_t{7}, int64_t{-1}, int64_t{0x100000000LL}, int64_t{255}}) {
    EXPECT_FALSE(row.SelectOnly(bad)) << bad;
    EXPECT_EQ(row.SelectedIndex(), -1) << bad;
    EXPECT_EQ(row.At(bad), nullptr);
  }
}

TEST(SwatchRowTest, RowsCarryTheKeyboardColoursAndTheNoneMark) {
  SwatchRow row(kSwatchColours, 8, 7);
  ASSERT_EQ(row.Count(), 8);
  EXPECT_EQ(row.At(0)->colour, 0x0000FFu);
  EXPECT_EQ(row.At(5)->colour, 0xFFFF00u);
  EXPECT_EQ(row.At(7)->colour, 0u);
  EXPECT_EQ(row.At(7)->noneMark, 1);
  EXPECT_EQ(row.At(6)->noneMark, 0);
  EXPECT_EQ(row.At(3)->index, 3);
}

TEST(SwatchRowTest, PlacesFollowTheFirstWithAFixedGap) {
  EXPECT_EQ(SwatchRow::Place({100, 50, 122, 72}, 20, 1), (PixelRect{142, 50, 164, 72}));
  EXPECT_EQ(SwatchRow::Place({15, 205, 35, 225}, 10, 6), (PixelRect{195, 205, 215, 225}));
}

}  // namespace
