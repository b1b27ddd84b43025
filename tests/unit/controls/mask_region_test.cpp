#include "controls/mask_region.h"

#include <gtest/gtest.h>

namespace {

bool operator==(const RECT32& a, const RECT32& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(MaskRegion, RunsOfNonWhitePixelsPerRowWhateverTheirAlpha) {
  const uint32_t W = 0xFFFFFFFF, w = 0x00FFFFFF, k = 0xFF000000, g = 0xFFFEFFFF, t = 0x00000000;
  const uint32_t pixels[] = {
      W, k, k, W, g,  // two runs, the second at the edge: 254 red is not white
      W, W, W, W, W,  // none
      t, W, w, k, k,  // transparent black counts, transparent white does not
  };
  const std::vector<RECT32> runs = MaskRuns(pixels, 5, 3);
  const std::vector<RECT32> expected = {{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 2, 1, 3}, {3, 2, 5, 3}};
  ASSERT_EQ(runs.size(), expected.size());
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_TRUE(runs[i] == expected[i]) << i;
  EXPECT_TRUE(MaskRuns(nullptr, 5, 3).empty());
  EXPECT_TRUE(MaskRuns(pixels, 0, 3).empty());
}

TEST(MaskRegion, RowsThatRepeatTheRowAboveLengthenItsRectangles) {
  const uint32_t W = 0xFFFFFFFF, k = 0xFF000000;
  const uint32_t pixels[] = {
      W, k, k, W,  // a rounded top: one run
      k, k, k, k,  // the sides: repeated for three rows
      k, k, k, k,  //
      k, k, k, k,  //
      k, W, W, k,  // a hole: two runs, twice
      k, W, W, k,  //
      W, W, W, W,  // a white row ends everything above
      k, k, k, k,  // the same as rows 1-3, but not adjoining them
  };
  const std::vector<RECT32> runs = MaskRuns(pixels, 4, 8);
  const std::vector<RECT32> expected = {{1, 0, 3, 1}, {0, 1, 4, 4}, {0, 4, 1, 6}, {3, 4, 4, 6}, {0, 7, 4, 8}};
  ASSERT_EQ(runs.size(), expected.size());
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_TRUE(runs[i] == expected[i]) << i;
}

}  // namespace
