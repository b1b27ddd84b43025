#include "controls/color_swatch.h"

const uint32_t kSwatchColours[kSwatchColourCount] = {0x0000FF, 0xFF0000, 0x00FF00, 0x00FFFF,
                                                     0xFF00FF, 0xFFFF00, 0xFFFFFF, 0x000000};

SwatchPaint ColorSwatch::Paint(int width, int height) const {
  SwatchPaint paint;
  paint.window = {0, 0, width, height};
  if (noneMark) {
    paint.crossed = true;
    paint.lineFromX = 1;
    paint.lineFromY = height - 1;
    paint.lineToX = width - 1;
    paint.lineToY = 1;
  } else {
    paint.filled = true;
    paint.fill = {3, 3, width - 3, height - 3};
    paint.fillColour = colour;
  }
  paint.frameColour = selected ? selectedBorder : normalBorder;
  return paint;
}

SwatchRow::SwatchRow(const uint32_t* colours, int count, int noneIndex) {
  for (int i = 0; i < count; ++i) {
    ColorSwatch swatch;
    swatch.colour = colours[i];
    swatch.index = i;
    swatch.noneMark = i == noneIndex ? 1 : 0;
    m_swatches.push_back(swatch);
  }
}

void SwatchRow::UnselectAll() {
  for (ColorSwatch& swatch : m_swatches) swatch.selected = 0;
}

bool SwatchRow::SelectOnly(int64_t index) {
  UnselectAll();
  ColorSwatch* swatch = At(index);
  if (!swatch) return false;
  swatch->selected = 1;
  return true;
}

int SwatchRow::SelectedIndex() const {
  for (const ColorSwatch& swatch : m_swatches)
    if (swatch.selected) return swatch.index;
  return -1;
}

PixelRect SwatchRow::Place(const PixelRect& first, int gap, int index) {
  const int step = first.Width() + gap;
  return {first.left + index * step, first.top, first.right + index * step, first.bottom};
}
