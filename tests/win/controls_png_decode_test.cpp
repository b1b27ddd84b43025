// Our PNG reader against GDI+ on every picture of the drawn skin (build/win/skins, beside the test
// program's folder): the same premultiplied pixels, and the main window's start-up pictures read
// without GDI+ and without loading the system's codecs. Prints the time each way for those.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/folders.h"
#include "controls/png_decode.h"
#include "controls/skin_image_win.h"
#include "platform/platform.h"
#include "skin_fixture_win.h"

namespace {

const char16_t* const kStartUpPictures[] = {u"main_nr.png", u"main_mask.png"};

std::u16string SkinFolder() { return plat::ProgramFolder() + u"..\\skins\\"; }

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

std::vector<uint8_t> FileBytes(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(plat::ReadWholeFile(path, bytes));
  return bytes;
}

bool OwnDecode(const std::vector<uint8_t>& bytes, Picture* picture) {
  return ui::DecodePng(bytes.data(), bytes.size(), [picture](int width, int height) {
    picture->width = width;
    picture->height = height;
    picture->pixels.resize(static_cast<size_t>(width) * height);
    return picture->pixels.data();
  });
}

// As the program read every skin picture before it had a reader of its own.
bool GdiplusDecode(const std::u16string& path, Picture* picture) {
  const std::wstring wide(path.begin(), path.end());
  Gdiplus::Bitmap bitmap(wide.c_str());
  if (bitmap.GetLastStatus() != Gdiplus::Ok) return false;
  picture->width = static_cast<int>(bitmap.GetWidth());
  picture->height = static_cast<int>(bitmap.GetHeight());
  picture->pixels.resize(static_cast<size_t>(picture->width) * picture->height);
  Gdiplus::BitmapData data = {};
  data.Width = static_cast<UINT>(picture->width);
  data.Height = static_cast<UINT>(picture->height);
  data.Stride = picture->width * 4;
  data.PixelFormat = PixelFormat32bppPARGB;
  data.Scan0 = picture->pixels.data();
  Gdiplus::Rect all(0, 0, picture->width, picture->height);
  if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppPARGB,
                      &data) != Gdiplus::Ok)
    return false;
  bitmap.UnlockBits(&data);
  return true;
}

// Pixels that are not the same: in a partly transparent pixel a channel may differ by one, where
// the two round the premultiplication apart; anything else counts.
struct Difference {
  int partlyTransparent = 0;
  int rounding = 0;
  int other = 0;
};

Difference Compare(const Picture& own, const Picture& gdiplus) {
  Difference d;
  for (size_t i = 0; i < own.pixels.size(); ++i) {
    const uint32_t a = own.pixels[i], b = gdiplus.pixels[i];
    const uint32_t alpha = a >> 24;
    if (alpha != 0 && alpha != 255) ++d.partlyTransparent;
    if (a == b) continue;
    bool withinOne = alpha == (b >> 24) && alpha != 0 && alpha != 255;
    for (int shift = 0; shift < 24 && withinOne; shift += 8)
      withinOne = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) <= 1;
    ++(withinOne ? d.rounding : d.other);
  }
  return d;
}

bool IsStartUpPicture(const std::u16string& name) {
  for (const char16_t* picture : kStartUpPictures)
    if (name == picture) return true;
  return false;
}

TEST(PngDecodeAgainstGdiplus, EverySkinPictureGivesTheSamePixelsBothWays) {
  skintest::Gdiplus gdiplus;
  std::vector<plat::DirEntry> entries;
  ASSERT_TRUE(plat::ListDirectory(SkinFolder(), entries));
  int compared = 0, refused = 0, partlyTransparent = 0, rounding = 0;
  for (const plat::DirEntry& entry : entries) {
    const std::u16string& name = entry.name;
    if (entry.isDirectory || name.size() < 4 || name.compare(name.size() - 4, 4, u".png") != 0) continue;
    const std::string shown(name.begin(), name.end());
    const std::u16string path = SkinFolder() + name;
    Picture own, reference;
    ASSERT_TRUE(GdiplusDecode(path, &reference)) << shown;
    if (!OwnDecode(FileBytes(path), &own)) {
      // Left to GDI+, which is slower but right; the start-up pictures must not be.
      EXPECT_FALSE(IsStartUpPicture(name)) << shown;
      ++refused;
      continue;
    }
    ++compared;
    ASSERT_EQ(own.width, reference.width) << shown;
    ASSERT_EQ(own.height, reference.height) << shown;
    const Difference d = Compare(own, reference);
    EXPECT_EQ(d.other, 0) << shown;
    partlyTransparent += d.partlyTransparent;
    rounding += d.rounding;
  }
  std::printf("skin pictures: %d read by both alike, %d left to GDI+; of %d partly transparent pixels %d "
              "a channel apart\n",
              compared, refused, partlyTransparent, rounding);
  EXPECT_GT(compared, 10);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The fastest of `runs` calls of `decode`, in milliseconds.
template <typename Decode>
double Fastest(int runs, Decode decode) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    decode();
    QueryPerformanceCounter(&end);
    best = std::min(best, Milliseconds(start, end));
  }
  return best;
}

TEST(PngDecodeAgainstGdiplus, StartUpPicturesLoadWithoutTheSystemCodecsAndFaster) {
  // Only a process of its own can tell (ctest runs each test so).
  if (GetModuleHandleW(L"windowscodecs.dll")) GTEST_SKIP() << "an earlier test has loaded the codecs";
  skintest::Gdiplus gdiplus;
  const std::u16string savedFolder = g_ProgramFolder;
  g_ProgramFolder = plat::ProgramFolder() + u"..\\";
  for (const char16_t* name : kStartUpPictures) {
    ui::SkinImage image;
    EXPECT_TRUE(image.LoadSkin(name));
    EXPECT_EQ(image.width(), 984);
    EXPECT_EQ(image.height(), 640);
  }
  g_ProgramFolder = savedFolder;
  EXPECT_EQ(GetModuleHandleW(L"windowscodecs.dll"), nullptr);

  for (const char16_t* name : kStartUpPictures) {
    const std::u16string path = SkinFolder() + name;
    Picture picture;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    GdiplusDecode(path, &picture);
    QueryPerformanceCounter(&end);
    const double first = Milliseconds(start, end);
    const double own = Fastest(5, [&] { OwnDecode(FileBytes(path), &picture); });
    const double system = Fastest(5, [&] { GdiplusDecode(path, &picture); });
    std::printf("%s: own reader %.2f ms (file read included), GDI+ %.2f ms (first call %.2f ms)\n",
                std::string(path.begin() + SkinFolder().size(), path.end()).c_str(), own, system, first);
  }
  // Else the look for the module above proves nothing.
  EXPECT_NE(GetModuleHandleW(L"windowscodecs.dll"), nullptr) << "GDI+ decoded without the codecs";
}

}  // namespace
