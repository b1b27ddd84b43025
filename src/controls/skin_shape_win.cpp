#include "controls/skin_shape_win.h"

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "controls/mask_region.h"
#include "controls/once_map.h"
#include "controls/skin_image_win.h"

namespace ui {

namespace {

// The system builds a region from at most this many rectangles at a time.
constexpr DWORD kRegionBatch = 2000;

HRGN RegionFromRuns(const std::vector<RECT32>& runs, int width, int height) {
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  if (!shape) return nullptr;
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + sizeof(RECT) * kRegionBatch);
  for (size_t at = 0; at < runs.size(); at += kRegionBatch) {
    const DWORD count = static_cast<DWORD>(runs.size() - at < kRegionBatch ? runs.size() - at : kRegionBatch);
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    *header = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, count, 0, {0, 0, width, height}};
    auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
    for (DWORD i = 0; i < count; ++i) {
      const RECT32& r = runs[at + i];
      rects[i] = RECT{r.left, r.top, r.right, r.bottom};
    }
    HRGN batch = ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + sizeof(RECT) * count),
                                 reinterpret_cast<RGNDATA*>(data.data()));
    if (batch) {
      CombineRgn(shape, shape, batch, RGN_OR);
      DeleteObject(batch);
    }
  }
  return shape;
}

// Kept for the life of the process, like the decoded pictures: only copies leave it.
using Shape = std::shared_ptr<const std::remove_pointer_t<HRGN>>;

OnceMap<std::wstring, Shape>& Shapes() {
  static auto* shapes = new OnceMap<std::wstring, Shape>;
  return *shapes;
}

Shape MadeShape(const std::u16string& mask, const std::u16string& fallback) {
  return Shapes().Get(SkinPath(mask) + L'|' + SkinPath(fallback), [&]() -> Shape {
    // The colours as the file holds them: premultiplied, a transparent white would be black.
    std::shared_ptr<const SkinPixels> source = DecodeSkinStraight(mask);
    if (!source) source = DecodeSkinStraight(fallback);
    if (!source) return nullptr;
    const std::vector<RECT32> runs = MaskRuns(source->pixels.data(), source->width, source->height);
    HRGN region = RegionFromRuns(runs, source->width, source->height);
    return region ? Shape(region, [](HRGN) {}) : nullptr;
  });
}

}  // namespace

HRGN SkinShape(const std::u16string& mask, const std::u16string& fallback) {
  const Shape shape = MadeShape(mask, fallback);
  if (!shape) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, const_cast<HRGN>(shape.get()), nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

void PrepareSkinShape(const std::u16string& mask, const std::u16string& fallback) { MadeShape(mask, fallback); }

}  // namespace ui
