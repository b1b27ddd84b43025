// Colours for AlphaBlend, which takes each channel already multiplied by the alpha. Rounded to
// nearest, as GDI+ rounds, so our decoder and the system's give the same pixels.
#pragma once

#include <cstdint>

namespace ui {

// A colour with straight alpha (0xAARRGGBB) in premultiplied form.
inline uint32_t Premultiplied(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (channel((argb >> 16) & 0xFF) << 16) | (channel((argb >> 8) & 0xFF) << 8) |
         channel(argb & 0xFF);
}

}  // namespace ui
