#include "controls/mask_region.h"

namespace {
bool IsWhite(uint32_t argb) { return (argb & 0x00FFFFFFu) == 0x00FFFFFFu; }
}  // namespace

std::vector<RECT32> MaskRuns(const uint32_t* pixels, int width, int height) {
  std::vector<RECT32> runs;
  if (!pixels || width <= 0 || height <= 0) return runs;
  // The runs of the row above, as indices into `runs`: a row that repeats them exactly makes
  // them a row taller instead of adding its own.
  std::vector<size_t> above, row;
  std::vector<RECT32> found;
  for (int y = 0; y < height; ++y) {
    const uint32_t* line = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    found.clear();
    int x = 0;
    while (x < width) {
      while (x < width && IsWhite(line[x])) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && !IsWhite(line[x])) ++x;
      found.push_back(RECT32{start, y, x, y + 1});
    }
    bool repeats = found.size() == above.size();
    for (size_t i = 0; repeats && i < found.size(); ++i)
      repeats = runs[above[i]].left == found[i].left && runs[above[i]].right == found[i].right;
    if (repeats) {
      for (size_t index : above) runs[index].bottom = y + 1;
      continue;
    }
    row.clear();
    for (const RECT32& run : found) {
      row.push_back(runs.size());
      runs.push_back(run);
    }
    above.swap(row);
  }
  return runs;
}
