#include "controls/png_decode.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "controls/premultiplied.h"
#include "controls/zlib_inflate.h"

namespace ui {

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// One byte of DEFLATE data makes at most this many bytes (a 258-byte match in two bits).
constexpr size_t kMaxInflateRatio = 1032;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool IsType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

struct Header {
  uint32_t width = 0;
  uint32_t height = 0;
  int channels = 0;
};

bool ReadHeader(const uint8_t* body, uint32_t length, Header* header) {
  if (length != 13) return false;
  header->width = BigEndian32(body);
  header->height = BigEndian32(body + 4);
  const uint8_t depth = body[8], colour = body[9], compression = body[10], filter = body[11],
                interlace = body[12];
  if (header->width == 0 || header->height == 0 ||
      uint64_t{header->width} * header->height > kPngMaxPixels)
    return false;
  if (depth != 8 || (colour != 2 && colour != 6) || compression != 0 || filter != 0 || interlace != 0)
    return false;
  header->channels = colour == 6 ? 4 : 3;
  return true;
}

// The picture's compressed data: one IDAT in place, several joined.
class Compressed {
 public:
  void Add(const uint8_t* data, size_t size) {
    if (m_parts++ == 0) {
      m_data = data;
      m_size = size;
      return;
    }
    if (m_parts == 2) m_joined.assign(m_data, m_data + m_size);
    m_joined.insert(m_joined.end(), data, data + size);
    m_data = m_joined.data();
    m_size = m_joined.size();
  }
  const uint8_t* data() const { return m_data; }
  size_t size() const { return m_size; }

 private:
  int m_parts = 0;
  const uint8_t* m_data = nullptr;
  size_t m_size = 0;
  std::vector<uint8_t> m_joined;
};

// Walks the chunks from the signature to IEND, checking each one's CRC: a damaged file is left
// to the system's decoder rather than shown as noise.
bool ReadChunks(const uint8_t* data, size_t size, Header* header, Compressed* compressed) {
  if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) return false;
  size_t pos = sizeof kSignature;
  bool first = true;
  for (;;) {
    if (size - pos < 12) return false;
    const uint32_t length = BigEndian32(data + pos);
    if (length > size - pos - 12) return false;
    const uint8_t* type = data + pos + 4;
    const uint8_t* body = type + 4;
    if (BigEndian32(body + length) != Crc32(type, size_t{length} + 4)) return false;
    pos += 12 + size_t{length};

    const bool isHeader = IsType(type, "IHDR");
    if (isHeader != first) return false;
    first = false;
    if (isHeader) {
      if (!ReadHeader(body, length, header)) return false;
    } else if (IsType(type, "IDAT")) {
      compressed->Add(body, length);
    } else if (IsType(type, "IEND")) {
      return compressed->size() > 0;
    } else if (IsType(type, "tRNS") || IsType(type, "gAMA") || IsType(type, "cHRM") || IsType(type, "iCCP")) {
      // A transparent colour, or colours other readers would correct: not the plain form.
      return false;
    } else if (!(type[0] & 0x20) && !IsType(type, "PLTE")) {
      // A critical chunk we do not know changes what the picture means. (A palette in an RGB
      // picture is only a suggestion for small displays.)
      return false;
    }
  }
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes one row's filter in place; `above` is the previous row already unfiltered (zeros for
// the first row).
bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* above, size_t bytes, size_t step) {
  switch (filter) {
    case 0:
      return true;
    case 1:
      for (size_t i = step; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - step]);
      return true;
    case 2:
      for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      return true;
    case 3:
      for (size_t i = 0; i < step; ++i) row[i] = static_cast<uint8_t>(row[i] + (above[i] >> 1));
      for (size_t i = step; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - step] + above[i]) >> 1));
      return true;
    case 4:
      for (size_t i = 0; i < step; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      for (size_t i = step; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - step], above[i], above[i - step]));
      return true;
    default:
      return false;
  }
}

void ToPixels(const uint8_t* row, size_t width, int channels, PngAlpha alpha, uint32_t* pixels) {
  if (channels == 3) {
    for (size_t x = 0; x < width; ++x, row += 3)
      pixels[x] = 0xFF000000u | uint32_t{row[0]} << 16 | uint32_t{row[1]} << 8 | row[2];
    return;
  }
  for (size_t x = 0; x < width; ++x, row += 4) {
    const uint32_t argb = uint32_t{row[3]} << 24 | uint32_t{row[0]} << 16 | uint32_t{row[1]} << 8 | row[2];
    pixels[x] = row[3] == 255 || alpha == PngAlpha::kStraight ? argb : Premultiplied(argb);
  }
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(256);
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

bool DecodePng(const uint8_t* data, size_t size, const PngTarget& target, PngAlpha alpha) {
  if (!data) return false;
  Header header;
  Compressed compressed;
  if (!ReadChunks(data, size, &header, &compressed)) return false;
  const size_t width = header.width, height = header.height;
  const size_t rowBytes = width * header.channels;
  const size_t rawSize = (rowBytes + 1) * height;
  // Data too short to make the picture is refused before anything is allocated for it.
  if (rawSize / kMaxInflateRatio > compressed.size()) return false;
  uint32_t* pixels = target(static_cast<int>(width), static_cast<int>(height));
  if (!pixels) return false;

  // Fresh memory costs more on first touch than all the decoding, so an RGB picture's scanlines
  // are inflated into the tail of its own pixels (they are smaller) and made into pixels from the
  // front: pixel row y ends (width - 1) * (height - y - 1) bytes before scanline y + 1 starts.
  // RGBA scanlines are larger than their pixels and get a buffer of their own.
  std::unique_ptr<uint8_t[]> buffer;
  uint8_t* raw = nullptr;
  if (header.channels == 3) {
    raw = reinterpret_cast<uint8_t*>(pixels) + (width * height * 4 - rawSize);
  } else {
    buffer.reset(new (std::nothrow) uint8_t[rawSize]);
    if (!buffer) return false;
    raw = buffer.get();
  }
  if (!ZlibInflate(compressed.data(), compressed.size(), raw, rawSize)) return false;

  // The row above, unfiltered: the next row's filters need it after its pixels have been
  // written over it. Zeros above the first row.
  std::vector<uint8_t> above(rowBytes);
  for (size_t y = 0; y < height; ++y) {
    uint8_t* line = raw + y * (rowBytes + 1);
    if (!Unfilter(line[0], line + 1, above.data(), rowBytes, header.channels)) return false;
    std::memcpy(above.data(), line + 1, rowBytes);
    ToPixels(above.data(), width, header.channels, alpha, pixels + y * width);
  }
  return true;
}

}  // namespace ui
