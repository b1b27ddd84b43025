// The PNG pictures our skins are made of, decoded without the system's codecs: 8-bit RGB or RGBA,
// not interlaced. Anything else (palette, grey, 16-bit, interlaced, a transparent colour) and
// any damaged or truncated file is refused, so that the caller can decode it another way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace ui {

// Refused above this many pixels, so that a hostile header cannot make us allocate gigabytes.
constexpr uint64_t kPngMaxPixels = uint64_t{1} << 24;

// Where the pixels go: width * height of them, or null to give up.
using PngTarget = std::function<uint32_t*(int width, int height)>;

// How the pixels carry their alpha: premultiplied for drawing, straight (as the file holds
// them) for reading their colours whatever their transparency, as a window's mask is read.
enum class PngAlpha { kPremultiplied, kStraight };

// Decodes `data` into the pixels `target` returns: rows top-down, 0xAARRGGBB, premultiplied by
// alpha (rounded to nearest) unless asked for straight. False when the file is not of the form
// above or is damaged; the target may then hold part of a picture.
bool DecodePng(const uint8_t* data, size_t size, const PngTarget& target,
               PngAlpha alpha = PngAlpha::kPremultiplied);

// The CRC-32 of PNG chunks.
uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace ui
