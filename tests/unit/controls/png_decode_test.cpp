#include "controls/png_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "controls/zlib_inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(Bytes& out, const char* type, const Bytes& body) {
  Put32(out, static_cast<uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  Put32(out, ui::Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored blocks, each at most `block` bytes.
Bytes StoredZlib(const Bytes& raw, size_t block) {
  Bytes out = {0x78, 0x01};
  size_t pos = 0;
  do {
    const size_t n = std::min(block, raw.size() - pos);
    out.push_back(pos + n == raw.size() ? 1 : 0);
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(~n));
    out.push_back(static_cast<uint8_t>(~n >> 8));
    out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  Put32(out, ui::Adler32(raw.data(), raw.size()));
  return out;
}

// A PNG file around filtered scanlines, its IDAT data split into chunks of `idatSize` bytes.
struct PngFile {
  uint32_t width = 2;
  uint32_t height = 1;
  uint8_t depth = 8;
  uint8_t colour = 2;
  uint8_t interlace = 0;
  Bytes scanlines;
  size_t idatSize = 1 << 20;
  std::vector<std::pair<const char*, Bytes>> extra;  // chunks before the data

  Bytes Make() const {
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    Bytes header;
    Put32(header, width);
    Put32(header, height);
    header.insert(header.end(), {depth, colour, 0, 0, interlace});
    PutChunk(out, "IHDR", header);
    for (const auto& chunk : extra) PutChunk(out, chunk.first, chunk.second);
    const Bytes z = StoredZlib(scanlines, 7);
    for (size_t pos = 0; pos < z.size(); pos += idatSize)
      PutChunk(out, "IDAT", Bytes(z.begin() + pos, z.begin() + std::min(z.size(), pos + idatSize)));
    PutChunk(out, "IEND", {});
    return out;
  }
};

struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

Decoded Decode(const Bytes& file, ui::PngAlpha alpha = ui::PngAlpha::kPremultiplied) {
  Decoded d;
  d.ok = ui::DecodePng(
      file.data(), file.size(),
      [&d](int width, int height) {
        d.width = width;
        d.height = height;
        d.pixels.assign(static_cast<size_t>(width) * height, 0xDEADBEEF);
        return d.pixels.data();
      },
      alpha);
  return d;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// `rows` (straight bytes, `step` per pixel) filtered as an encoder would, row y with filter
// filters[y].
Bytes Filter(const std::vector<Bytes>& rows, const std::vector<uint8_t>& filters, size_t step) {
  Bytes out;
  Bytes above(rows[0].size(), 0);
  for (size_t y = 0; y < rows.size(); ++y) {
    const Bytes& row = rows[y];
    out.push_back(filters[y]);
    for (size_t i = 0; i < row.size(); ++i) {
      const int a = i >= step ? row[i - step] : 0, b = above[i], c = i >= step ? above[i - step] : 0;
      const int predicted = filters[y] == 1 ? a : filters[y] == 2 ? b : filters[y] == 3 ? (a + b) / 2
                            : filters[y] == 4 ? Paeth(a, b, c) : 0;
      out.push_back(static_cast<uint8_t>(row[i] - predicted));
    }
    above = row;
  }
  return out;
}

// Rows of three RGB pixels whose bytes make every filter's prediction wrap and differ.
const std::vector<Bytes> kRgbRows = {
    {10, 200, 30, 250, 5, 60, 70, 80, 255},
    {0, 1, 2, 255, 254, 253, 128, 127, 126},
    {90, 9, 190, 19, 240, 24, 77, 177, 7},
    {255, 255, 255, 0, 0, 0, 255, 0, 255},
    {10, 10, 10, 20, 5, 20, 231, 8, 41},
    {5, 20, 5, 25, 12, 6, 3, 1, 0},  // Paeth ties at its second pixel: above over upper-left, left over upper-left
};

std::vector<uint32_t> Opaque(const std::vector<Bytes>& rows) {
  std::vector<uint32_t> pixels;
  for (const Bytes& row : rows)
    for (size_t i = 0; i < row.size(); i += 3)
      pixels.push_back(0xFF000000u | uint32_t{row[i]} << 16 | uint32_t{row[i + 1]} << 8 | row[i + 2]);
  return pixels;
}

PngFile RgbPicture(const std::vector<uint8_t>& filters) {
  PngFile png;
  png.width = 3;
  png.height = static_cast<uint32_t>(kRgbRows.size());
  png.scanlines = Filter(kRgbRows, filters, 3);
  return png;
}

TEST(PngDecode, EveryFilterAndEveryOrderOfThemGivesThePictureBack) {
  // Each filter on every row (the first row sees zeros above), then all five mixed, the data
  // in stored blocks of 7 bytes across IDAT chunks of 5.
  std::vector<std::vector<uint8_t>> cases;
  for (uint8_t f = 0; f <= 4; ++f) cases.push_back(std::vector<uint8_t>(kRgbRows.size(), f));
  cases.push_back({0, 1, 2, 3, 4, 4});
  cases.push_back({4, 3, 2, 1, 0, 3});
  for (const auto& filters : cases) {
    PngFile png = RgbPicture(filters);
    png.idatSize = 5;
    const Decoded d = Decode(png.Make());
    ASSERT_TRUE(d.ok) << int(filters[0]) << int(filters[1]);
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 6);
    EXPECT_EQ(d.pixels, Opaque(kRgbRows)) << int(filters[0]) << int(filters[1]);
  }
  // One pixel wide, where each row of pixels ends right where the next scanline starts.
  std::vector<Bytes> column;
  for (const Bytes& row : kRgbRows) column.push_back(Bytes(row.begin(), row.begin() + 3));
  PngFile png;
  png.height = static_cast<uint32_t>(column.size());
  png.width = 1;
  png.scanlines = Filter(column, {0, 1, 2, 3, 4, 2}, 3);
  const Decoded d = Decode(png.Make());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, Opaque(column));
}

TEST(PngDecode, RgbaIsPremultipliedRoundedToNearestOrLeftStraight) {
  const std::vector<Bytes> rows = {
      {200, 100, 1, 128, 255, 255, 255, 0, 12, 34, 56, 255},
      {255, 128, 2, 1, 255, 128, 3, 254, 0, 0, 0, 0},
  };
  PngFile png;
  png.width = 3;
  png.height = 2;
  png.colour = 6;
  png.scanlines = Filter(rows, {1, 4}, 4);
  const Decoded d = Decode(png.Make());
  ASSERT_TRUE(d.ok);
  // 200 * 128 / 255 = 100.39, 100 * 128 / 255 = 50.2, 1 * 128 / 255 = 0.502: rounds up.
  // 128 * 254 / 255 = 127.498 rounds down, 3 * 254 / 255 = 2.988 up.
  const std::vector<uint32_t> expected = {0x80643201, 0x00000000, 0xFF0C2238,
                                          0x01010100, 0xFEFE7F03, 0x00000000};
  EXPECT_EQ(d.pixels, expected);

  // Straight, each pixel keeps the colour the file gives it, transparent or not: a mask's
  // transparent white is white, not the black its premultiplied form makes of it.
  const Decoded straight = Decode(png.Make(), ui::PngAlpha::kStraight);
  ASSERT_TRUE(straight.ok);
  const std::vector<uint32_t> asStored = {0x80C86401, 0x00FFFFFF, 0xFF0C2238,
                                          0x01FF8002, 0xFEFF8003, 0x00000000};
  EXPECT_EQ(straight.pixels, asStored);
}

TEST(PngDecode, FormsOtherThanEightBitRgbAndRgbaAreRefused) {
  struct Case {
    const char* what;
    uint8_t depth, colour, interlace;
    const char* chunk;
  };
  const Case cases[] = {
      {"palette", 8, 3, 0, "PLTE"}, {"grey", 8, 0, 0, nullptr},        {"grey alpha", 8, 4, 0, nullptr},
      {"16-bit", 16, 2, 0, nullptr}, {"interlaced", 8, 2, 1, nullptr}, {"transparent colour", 8, 2, 0, "tRNS"},
      {"gamma", 8, 2, 0, "gAMA"},     {"unknown critical", 8, 2, 0, "ZZZZ"},
  };
  for (const Case& c : cases) {
    PngFile png = RgbPicture({0, 0, 0, 0, 0, 0});
    png.depth = c.depth;
    png.colour = c.colour;
    png.interlace = c.interlace;
    if (c.chunk) png.extra.push_back({c.chunk, Bytes(6, 0)});
    EXPECT_FALSE(Decode(png.Make()).ok) << c.what;
  }
  // Ancillary chunks, and a suggested palette in an RGB picture, change nothing.
  PngFile png = RgbPicture({0, 0, 0, 0, 0, 0});
  png.extra = {{"tEXt", Bytes(5, 'x')}, {"PLTE", Bytes(6, 0)}, {"pHYs", Bytes(9, 1)}};
  EXPECT_TRUE(Decode(png.Make()).ok);
}

TEST(PngDecode, DamagedTruncatedOrOversizedFilesAreRefused) {
  const Bytes good = RgbPicture({1, 2, 3, 4, 0, 1}).Make();
  ASSERT_TRUE(Decode(good).ok);
  for (size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + size)).ok) << size;
  // One bit flipped anywhere after the signature: a CRC (or the header check) catches it.
  for (size_t i = 8; i < good.size(); ++i) {
    Bytes bad = good;
    bad[i] ^= 0x10;
    EXPECT_FALSE(Decode(bad).ok) << i;
  }

  // Damage under valid CRCs: a filter type out of range, an Adler-32 that does not match, a
  // picture larger than its data, and one larger than we allocate for.
  PngFile png = RgbPicture({0, 0, 0, 0, 0, 0});
  png.scanlines[10] = 5;
  EXPECT_FALSE(Decode(png.Make()).ok);
  png = RgbPicture({0, 0, 0, 0, 0, 0});
  png.height = 5;  // the data holds six rows
  EXPECT_FALSE(Decode(png.Make()).ok);
  png.height = 7;
  EXPECT_FALSE(Decode(png.Make()).ok);
  png.width = 1 << 13;
  png.height = 1 << 12;
  EXPECT_FALSE(Decode(png.Make()).ok);

  Bytes z = StoredZlib(Bytes(10, 1), 64);
  z.back() ^= 1;
  Bytes raw(10);
  EXPECT_FALSE(ui::ZlibInflate(z.data(), z.size(), raw.data(), raw.size()));

  // The caller can give up once it knows the size.
  EXPECT_FALSE(ui::DecodePng(good.data(), good.size(), [](int, int) { return nullptr; }));
}

TEST(ZlibInflate, FixedAndDynamicHuffmanBlocks) {
  // "abc" repeated: a fixed-code block whose match overlaps what it copies.
  const Bytes fixed = {0x78, 0xDA, 0x4B, 0x4C, 0x4A, 0x4E, 0xC4, 0x86, 0x22, 0x00, 0x7C, 0x69, 0x09, 0x89};
  const std::string fixedText = "abcabcabcabcabcabcabcabcX";
  // Skewed letters: a block with its own code lengths.
  const Bytes dynamic = {0x78, 0xDA, 0x35, 0x8B, 0x81, 0x09, 0xC0, 0x00, 0x08, 0xC3, 0x6E, 0x4D, 0x3B, 0xFF,
                         0x7F, 0x61, 0xE9, 0x60, 0x60, 0xA5, 0xC4, 0x08, 0x39, 0xB8, 0x98, 0x2B, 0xB0, 0x10,
                         0x61, 0xDB, 0xC7, 0x22, 0x27, 0x4D, 0x9D, 0xE1, 0x91, 0x7C, 0xB2, 0x4D, 0xD7, 0xC3,
                         0x9E, 0x86, 0xE6, 0xFE, 0xD5, 0xD5, 0x17, 0x21, 0xC1, 0x22, 0x73};
  const std::string dynamicText =
      "aabeaaebaaeecaaacaaaababecccdabaaaeabcbccbcabababaabbaaeeabacaabccaaacbbaabaaaaacbbaabbbac";
  const std::pair<const Bytes*, const std::string*> cases[] = {{&fixed, &fixedText}, {&dynamic, &dynamicText}};
  for (const auto& c : cases) {
    const Bytes& z = *c.first;
    const std::string& text = *c.second;
    std::string out(text.size(), '\0');
    auto* to = reinterpret_cast<uint8_t*>(&out[0]);
    ASSERT_TRUE(ui::ZlibInflate(z.data(), z.size(), to, out.size()));
    EXPECT_EQ(out, text);
    // Too little or too much room, or a stream cut anywhere, is refused.
    EXPECT_FALSE(ui::ZlibInflate(z.data(), z.size(), to, out.size() - 1));
    std::string more(text.size() + 1, '\0');
    EXPECT_FALSE(ui::ZlibInflate(z.data(), z.size(), reinterpret_cast<uint8_t*>(&more[0]), more.size()));
    for (size_t size = 0; size < z.size(); ++size) EXPECT_FALSE(ui::ZlibInflate(z.data(), size, to, out.size()));
  }
}

}  // namespace
