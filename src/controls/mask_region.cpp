#include "controls/mask_region.h"

namespace {
bool IsWhite(uint32_t argb) { return (argb & 0x00FFFFFFu) == 0x00FFFFFFu; }
}  // namespace

std::vector<RECT32> MaskRuns(const uint32_t* pixels, int width, int height) {
  std::vector<RECT32> runs;
  if (!pixels || width <= 0 || height <= 0) return runs;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    int x = 0;
    while (x < width) {
      while (x < width && IsWhite(row[x])) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && !IsWhite(row[x])) ++x;
      runs.push_back(RECT32{start, y, x, y + 1});
    }
  }
  return runs;
}
