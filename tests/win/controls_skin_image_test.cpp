// Skin pictures are decoded once per process: later loads of the same file copy the first
// decode into an image of their own, and a file that could not be read is tried again.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/skin_image_win.h"
#include "controls/skin_prefetch_win.h"
#include "controls/skin_shape_win.h"
#include "skin_fixture_win.h"

namespace {

constexpr uint32_t kFirst = 0xC00000, kSecond = 0x00C000;

uint32_t Colour(const ui::SkinImage& image) { return image.StraightPixel(1, 1) & 0xFFFFFF; }

// A decode is held only until an image takes it: the bitmap is then the one copy, and a later
// load reads the file again.
TEST(SkinImageShared, AnImageTakesTheDecodeAndEveryLoadGetsItsOwnBitmap) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  folder.Picture(L"pic.bmp", 8, 6, kFirst);
  ASSERT_NE(ui::DecodedSkin(u"pic.bmp"), nullptr);
  folder.Picture(L"pic.bmp", 4, 4, kSecond);
  ui::SkinImage first, second;
  ASSERT_TRUE(first.LoadSkin(u"pic.bmp"));
  EXPECT_EQ(first.width(), 8);
  EXPECT_EQ(Colour(first), kFirst);
  ASSERT_TRUE(second.LoadSkin(u"pic.bmp"));
  EXPECT_EQ(second.width(), 4);
  EXPECT_EQ(Colour(second), kSecond);
  // A bitmap lives in one memory context at a time: sharing one would break the other's draws.
  EXPECT_NE(first.bitmap(), second.bitmap());
  first.Reset();
  EXPECT_EQ(Colour(second), kSecond);
}

TEST(SkinImageShared, AFileThatCouldNotBeReadIsTriedAgain) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  ui::SkinImage image;
  EXPECT_FALSE(image.LoadSkin(u"late.bmp"));
  EXPECT_TRUE(image.empty());
  folder.Picture(L"late.bmp", 5, 5, kSecond);
  ASSERT_TRUE(image.LoadSkin(u"late.bmp"));
  EXPECT_EQ(Colour(image), kSecond);
}

// Loads copy what a prefetch decoded, waiting for a picture still under way rather than decoding
// it a second time.
TEST(SkinImageShared, LoadsTakeWhatAPrefetchDecodedUntilItIsForgotten) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  folder.Picture(L"big.bmp", 640, 480, kFirst);
  folder.Picture(L"small.bmp", 4, 4, kFirst);
  {
    ui::SkinPrefetch prefetch;
    prefetch.Start({u"big.bmp", u"small.bmp"}, ui::SkinPrefetch::Urgency::kNeededSoon);
    ui::SkinImage big;
    ASSERT_TRUE(big.LoadSkin(u"big.bmp"));
    EXPECT_EQ(big.width(), 640);
    EXPECT_EQ(Colour(big), kFirst);
    // Leaving the scope would stop the prefetch, perhaps before it reached the small picture.
    prefetch.Finish();
  }
  folder.Picture(L"small.bmp", 2, 2, kSecond);
  ui::SkinImage small;
  ASSERT_TRUE(small.LoadSkin(u"small.bmp"));
  EXPECT_EQ(Colour(small), kFirst);

  // What no image took is let go: the load after reads the file as it is now.
  ASSERT_NE(ui::DecodedSkin(u"big.bmp"), nullptr);
  folder.Picture(L"big.bmp", 4, 4, kSecond);
  ui::ForgetDecodedSkins();
  ui::SkinImage again;
  ASSERT_TRUE(again.LoadSkin(u"big.bmp"));
  EXPECT_EQ(again.width(), 4);
  EXPECT_EQ(Colour(again), kSecond);
}

// A window's shape is its mask's non-white pixels, or its background's without a mask; it is made
// once (here by a prefetch) and every caller gets a region of its own to hand to the system.
TEST(SkinShape, MadeOnceFromTheMaskOrElseTheBackgroundAndCopiedForEachCaller) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  folder.Picture(L"mask.bmp", 6, 4, 0x000000);
  {
    ui::SkinPrefetch prefetch;
    prefetch.Start({}, ui::SkinPrefetch::Urgency::kNeededSoon, [] { ui::PrepareSkinShape(u"mask.bmp", u"none.bmp"); });
  }
  folder.Picture(L"mask.bmp", 3, 2, 0xFFFFFF);  // too late: the shape was made
  // and the mask's pixels were let go with it.
  const auto mask = ui::DecodedSkin(u"mask.bmp");
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->width, 3);
  HRGN first = ui::SkinShape(u"mask.bmp", u"none.bmp");
  HRGN second = ui::SkinShape(u"mask.bmp", u"none.bmp");
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  DeleteObject(first);
  RECT box = {};
  EXPECT_EQ(GetRgnBox(second, &box), SIMPLEREGION);
  EXPECT_TRUE(box.left == 0 && box.top == 0 && box.right == 6 && box.bottom == 4);
  DeleteObject(second);

  // No mask: the background's pure white is outside, so an all-white one leaves nothing.
  folder.Picture(L"white.bmp", 5, 5, 0xFFFFFF);
  HRGN fallback = ui::SkinShape(u"missing.bmp", u"white.bmp");
  ASSERT_TRUE(fallback);
  EXPECT_EQ(GetRgnBox(fallback, &box), NULLREGION);
  DeleteObject(fallback);
  EXPECT_EQ(ui::SkinShape(u"missing.bmp", u"gone.bmp"), nullptr);
}

// A mask saved with transparency: its white is outside the window however transparent it is, and
// every other colour inside, as the colours say.
TEST(SkinShape, TransparentWhiteOfAMaskIsOutsideItsShape) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  folder.PngRow(L"alpha-mask.png", {0xFF000000, 0x00FFFFFF, 0x80FFFFFF, 0x01000000, 0xFFFFFFFF});
  HRGN shape = ui::SkinShape(u"alpha-mask.png", u"none.png");
  ASSERT_TRUE(shape);
  const bool inside[] = {true, false, false, true, false};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(PtInRegion(shape, x, 0) != FALSE, inside[x]) << x;
  DeleteObject(shape);
}

}  // namespace
