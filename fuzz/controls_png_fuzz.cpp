// Skin pictures are read from the program folder, where anyone can put a file: the PNG reader
// and its inflater see bytes of any length and content.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "controls/png_decode.h"
#include "controls/zlib_inflate.h"

namespace {

void Decode(const uint8_t* data, size_t size) {
  std::vector<uint32_t> pixels;
  const bool ok = ui::DecodePng(data, size, [&pixels](int width, int height) {
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > ui::kPngMaxPixels) std::abort();
    pixels.assign(size_t(width) * size_t(height), 0);
    return pixels.data();
  });
  if (!ok) return;
  // Premultiplied: no colour brighter than its alpha.
  for (uint32_t p : pixels) {
    const uint32_t a = p >> 24;
    if (((p >> 16) & 0xFF) > a || ((p >> 8) & 0xFF) > a || (p & 0xFF) > a) std::abort();
  }
}

// The same file with every chunk's CRC made right, so that changes to the picture data reach
// the inflater and the filters rather than stopping at the CRC.
void RepairCrcs(uint8_t* data, size_t size) {
  size_t pos = 8;
  while (pos + 12 <= size) {
    const size_t length = size_t(data[pos]) << 24 | size_t(data[pos + 1]) << 16 | size_t(data[pos + 2]) << 8 |
                          data[pos + 3];
    if (length > size - pos - 12) return;
    const uint32_t crc = ui::Crc32(data + pos + 4, length + 4);
    uint8_t* at = data + pos + 8 + length;
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(crc >> (24 - 8 * i));
    pos += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exact-size copies so that any read past the input is caught.
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  Decode(copy, size);
  RepairCrcs(copy, size);
  Decode(copy, size);

  // The input as a bare zlib stream, its last two bytes (ignored after the checksum) the size
  // it should make.
  const size_t outSize = size >= 2 ? size_t(data[size - 2]) << 8 | data[size - 1] : 0;
  uint8_t* out = static_cast<uint8_t*>(std::malloc(outSize ? outSize : 1));
  ui::ZlibInflate(data, size, out, outSize);
  std::free(out);
  std::free(copy);
  return 0;
}
