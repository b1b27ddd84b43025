// A skin picture (PNG with alpha, or BMP) decoded once into a 32-bit premultiplied bitmap with its
// own memory context, so every later draw is one AlphaBlend and nothing is decoded or allocated
// while painting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/gdi_win.h"

namespace ui {

class SkinImage {
 public:
  SkinImage() = default;
  ~SkinImage() { Reset(); }
  SkinImage(const SkinImage&) = delete;
  SkinImage& operator=(const SkinImage&) = delete;
  SkinImage(SkinImage&& other) noexcept;
  SkinImage& operator=(SkinImage&& other) noexcept;

  // Decodes a file; false (and an empty image) when it cannot be read. The 8-bit RGB and RGBA
  // PNG pictures our skins are made of are read by our own decoder; any other form needs GDI+
  // started.
  bool Load(const std::wstring& path);
  // As Load, but takes the pixels SkinPrefetch decoded ahead (or that another thread is decoding
  // right now) instead of decoding again; the bitmap made from them is then the only copy, so the
  // next load of that file decodes it again. A file that cannot be read is not remembered.
  bool LoadShared(const std::wstring& path);
  // "<program folder>skins\<name>", through LoadShared.
  bool LoadSkin(const std::u16string& name);
  // Decodes `path` into the store LoadShared copies from, making no image: for SkinPrefetch.
  static void DecodeShared(const std::wstring& path);
  // A copy of the part of `source` inside `part`; false (and empty) when that part is empty or
  // not wholly inside the source.
  bool CropFrom(const SkinImage& source, const RECT& part);
  void Reset();

  int width() const { return m_width; }
  int height() const { return m_height; }
  bool empty() const { return m_width == 0 || m_height == 0; }
  // Premultiplied 0xAARRGGBB pixels, rows top-down, width() per row.
  const uint32_t* pixels() const { return m_pixels; }
  // The pixel as the file holds it (not premultiplied), 0xAARRGGBB; 0 outside the image.
  uint32_t StraightPixel(int x, int y) const;
  HBITMAP bitmap() const { return m_context.bitmap(); }

  // At its own size with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y) const;
  // The whole image scaled into `target`.
  void Draw(HDC dc, const RECT& target) const;
  // The `source` part of the image scaled into `target`.
  void Draw(HDC dc, const RECT& target, const RECT& source) const;

 private:
  bool Allocate(int width, int height);
  bool CopyPixels(const uint32_t* pixels, int width, int height);

  BitmapContext m_context;
  uint32_t* m_pixels = nullptr;
  int m_width = 0;
  int m_height = 0;
};

// A skin picture as decoded once per process: the pixels only, never GDI objects (a bitmap can be
// selected into one context at a time and a context used by one thread at a time, so every image
// keeps its own and copies from here). Premultiplied 0xAARRGGBB, rows top-down.
struct SkinPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};
// The shared decode of "<program folder>skins\<name>" that LoadSkin copies from; null when the
// file cannot be decoded.
std::shared_ptr<const SkinPixels> DecodedSkin(const std::u16string& name);
// Lets go of every decode no image took yet: what a prefetch made for windows that were not
// opened.
void ForgetDecodedSkins();
// A fresh decode of "<program folder>skins\<name>" with straight alpha (0xAARRGGBB as the file
// holds them), for reading colours the premultiplied form loses under transparency; null when
// the file cannot be decoded.
std::shared_ptr<const SkinPixels> DecodeSkinStraight(const std::u16string& name);

// "<program folder>skins\<name>" as a wide path.
std::wstring SkinPath(const std::u16string& name);

}  // namespace ui
