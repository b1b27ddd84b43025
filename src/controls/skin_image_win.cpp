#include "controls/skin_image_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "config/folders.h"
#include "controls/once_map.h"
#include "controls/png_decode.h"
#include "platform/platform.h"

namespace ui {

namespace {

using Picture = std::shared_ptr<const SkinPixels>;

// Decodes `path` with GDI+ into the premultiplied pixels `target(width, height)` provides (null
// when it cannot).
template <typename Target>
bool DecodeWithGdiplus(const std::wstring& path, Target target, PngAlpha alpha) {
  const Gdiplus::PixelFormat format = alpha == PngAlpha::kStraight ? PixelFormat32bppARGB : PixelFormat32bppPARGB;
  Gdiplus::Bitmap decoded(path.c_str());
  if (decoded.GetLastStatus() != Gdiplus::Ok) return false;
  const int width = static_cast<int>(decoded.GetWidth());
  const int height = static_cast<int>(decoded.GetHeight());
  if (width <= 0 || height <= 0) return false;
  uint32_t* pixels = target(width, height);
  if (!pixels) return false;
  Gdiplus::BitmapData data = {};
  data.Width = static_cast<UINT>(width);
  data.Height = static_cast<UINT>(height);
  data.Stride = width * 4;
  data.PixelFormat = format;
  data.Scan0 = pixels;
  Gdiplus::Rect all(0, 0, width, height);
  // Reads straight into the target, converted to the asked alpha form on the way.
  if (decoded.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, format, &data) !=
      Gdiplus::Ok)
    return false;
  decoded.UnlockBits(&data);
  return true;
}

// Larger than any skin picture; a file beyond it is left to GDI+ whole.
constexpr size_t kMaxOwnDecodeBytes = 64u << 20;

// Our skins' pictures (8-bit RGB or RGBA PNG) are decoded here in a few milliseconds; GDI+,
// which under Wine takes tens of milliseconds a picture and more to start its codecs, reads only
// the forms our decoder refuses.
template <typename Target>
bool DecodeInto(const std::wstring& path, Target target, PngAlpha alpha = PngAlpha::kPremultiplied) {
  std::vector<uint8_t> bytes;
  if (plat::ReadWholeFile(std::u16string(path.begin(), path.end()), bytes, kMaxOwnDecodeBytes) &&
      DecodePng(bytes.data(), bytes.size(), target, alpha))
    return true;
  return DecodeWithGdiplus(path, target, alpha);
}

Picture DecodePicture(const std::wstring& path, PngAlpha alpha = PngAlpha::kPremultiplied) {
  auto picture = std::make_shared<SkinPixels>();
  const bool decoded = DecodeInto(
      path,
      [&picture](int width, int height) {
        picture->width = width;
        picture->height = height;
        picture->pixels.resize(static_cast<size_t>(width) * height);
        return picture->pixels.data();
      },
      alpha);
  return decoded ? picture : nullptr;
}

// Never destroyed, so that no image loaded or released during static destruction finds it
// gone. It holds a picture only from its decode until an image takes it.
OnceMap<std::wstring, Picture>& Pictures() {
  static auto* cache = new OnceMap<std::wstring, Picture>;
  return *cache;
}

Picture Decoded(const std::wstring& path) {
  return Pictures().Get(path, [&path] { return DecodePicture(path); });
}

}  // namespace

std::shared_ptr<const SkinPixels> DecodedSkin(const std::u16string& name) { return Decoded(SkinPath(name)); }

void ForgetDecodedSkins() { Pictures().Clear(); }

std::shared_ptr<const SkinPixels> DecodeSkinStraight(const std::u16string& name) {
  return DecodePicture(SkinPath(name), PngAlpha::kStraight);
}

std::wstring SkinPath(const std::u16string& name) {
  std::u16string path = g_ProgramFolder + u"skins\\" + name;
  return std::wstring(path.begin(), path.end());
}

SkinImage::SkinImage(SkinImage&& other) noexcept { *this = std::move(other); }

SkinImage& SkinImage::operator=(SkinImage&& other) noexcept {
  if (this != &other) {
    Reset();
    m_context = std::move(other.m_context);
    std::swap(m_pixels, other.m_pixels);
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
  }
  return *this;
}

void SkinImage::Reset() {
  m_context.Free();
  m_pixels = nullptr;
  m_width = m_height = 0;
}

bool SkinImage::Allocate(int width, int height) {
  Reset();
  if (width <= 0 || height <= 0) return false;
  uint32_t* pixels = nullptr;
  if (!m_context.Hold(nullptr, CreatePixelBitmap(width, height, &pixels))) return false;
  m_pixels = pixels;
  m_width = width;
  m_height = height;
  return true;
}

bool SkinImage::Load(const std::wstring& path) {
  Reset();
  const bool decoded =
      DecodeInto(path, [this](int width, int height) { return Allocate(width, height) ? m_pixels : nullptr; });
  if (!decoded) {
    Reset();
    return false;
  }
  GdiFlush();
  return true;
}

bool SkinImage::LoadShared(const std::wstring& path) {
  const Picture picture = Decoded(path);
  Pictures().Erase(path);
  if (!picture) {
    Reset();
    return false;
  }
  return CopyPixels(picture->pixels.data(), picture->width, picture->height);
}

bool SkinImage::LoadSkin(const std::u16string& name) { return LoadShared(SkinPath(name)); }

bool SkinImage::CopyPixels(const uint32_t* pixels, int width, int height) {
  if (!Allocate(width, height)) return false;
  std::memcpy(m_pixels, pixels, static_cast<size_t>(width) * height * 4);
  return true;
}

bool SkinImage::CropFrom(const SkinImage& source, const RECT& part) {
  Reset();
  const int width = part.right - part.left;
  const int height = part.bottom - part.top;
  if (source.empty() || width <= 0 || height <= 0 || part.left < 0 || part.top < 0 ||
      part.right > source.m_width || part.bottom > source.m_height)
    return false;
  if (!Allocate(width, height)) return false;
  for (int row = 0; row < height; ++row)
    std::memcpy(m_pixels + static_cast<size_t>(row) * width,
                source.m_pixels + static_cast<size_t>(part.top + row) * source.m_width + part.left,
                static_cast<size_t>(width) * 4);
  return true;
}

void SkinImage::DecodeShared(const std::wstring& path) { Decoded(path); }

uint32_t SkinImage::StraightPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  const uint32_t p = m_pixels[static_cast<size_t>(y) * m_width + x];
  const uint32_t a = p >> 24;
  if (a == 0 || a == 255) return a == 0 ? 0 : p;
  auto straight = [a](uint32_t c) { return (c * 255 + a / 2) / a > 255 ? 255 : (c * 255 + a / 2) / a; };
  return (a << 24) | (straight((p >> 16) & 0xFF) << 16) | (straight((p >> 8) & 0xFF) << 8) | straight(p & 0xFF);
}

void SkinImage::Draw(HDC dc, int x, int y) const {
  Draw(dc, RECT{x, y, x + m_width, y + m_height}, RECT{0, 0, m_width, m_height});
}

void SkinImage::Draw(HDC dc, const RECT& target) const { Draw(dc, target, RECT{0, 0, m_width, m_height}); }

void SkinImage::Draw(HDC dc, const RECT& target, const RECT& source) const {
  if (empty() || !dc) return;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, m_context.dc(), source.left,
             source.top, source.right - source.left, source.bottom - source.top, blend);
}

}  // namespace ui
