// The colour swatch (CColorBtnDlg) apart from its window: what it paints and what a click tells
// its parent; and a row of swatches as the key function picker and the lighting panel keep it,
// with the range checks that a swatch index arriving in a message or from a stored profile
// must pass before it selects anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "controls/pixel_rect.h"

// Posted to the parent on release of the left button: wParam = 1 when the swatch was not
// selected, 0 when it was; lParam = its index.
constexpr uint32_t WM_SWATCH_CLICKED = 0x043E;

constexpr uint32_t kSwatchBackground = 0x121212;
constexpr uint32_t kSwatchNoneLine = 0x0000FF;
constexpr uint32_t kSwatchBorderNormal = 0x969696;
constexpr uint32_t kSwatchBorderSelected = 0x1513BD;

// The keyboard's colours in row order (0x00BBGGRR): red, blue, green, yellow, magenta, cyan,
// white, and black, which as a key colour means unlit.
constexpr int kSwatchColourCount = 8;
extern const uint32_t kSwatchColours[kSwatchColourCount];

struct SwatchPaint {
  PixelRect window;  // filled with the background
  uint32_t background = kSwatchBackground;
  bool crossed = false;  // the none mark: one line instead of the colour
  int lineFromX = 0, lineFromY = 0, lineToX = 0, lineToY = 0;
  uint32_t lineColour = kSwatchNoneLine;
  bool filled = false;
  PixelRect fill;
  uint32_t fillColour = 0;
  uint32_t frameColour = 0;  // one pixel round the whole window
};

struct SwatchClick {
  uint32_t wParam = 0;
  int32_t lParam = 0;
};

struct ColorSwatch {
  uint32_t colour = 0;
  int selected = 0;
  uint32_t selectedBorder = kSwatchBorderSelected;
  uint32_t normalBorder = kSwatchBorderNormal;
  int index = 0;
  int noneMark = 0;

  SwatchPaint Paint(int width, int height) const;
  SwatchClick Click() const { return {selected ? 0u : 1u, index}; }
};

class SwatchRow {
 public:
  // Swatch i shows colours[i] and has index i; `noneIndex` (or -1) carries the none mark.
  SwatchRow(const uint32_t* colours, int count, int noneIndex = -1);

  int Count() const { return static_cast<int>(m_swatches.size()); }
  // Whether a value (from a message, a profile, ...) names a swatch of this row.
  bool IsIndex(int64_t index) const { return index >= 0 && index < Count(); }
  ColorSwatch* At(int64_t index) { return IsIndex(index) ? &m_swatches[static_cast<size_t>(index)] : nullptr; }
  const ColorSwatch* At(int64_t index) const {
    return IsIndex(index) ? &m_swatches[static_cast<size_t>(index)] : nullptr;
  }

  void UnselectAll();
  // Unselects every swatch, then selects `index` when it names one; false when it does not
  // (the row is then left with none selected).
  bool SelectOnly(int64_t index);
  // The first selected swatch, or -1.
  int SelectedIndex() const;

  // Place of swatch `index` when the first lies at `first` and each next one starts `gap`
  // pixels right of the previous one's right edge.
  static PixelRect Place(const PixelRect& first, int gap, int index);

 private:
  std::vector<ColorSwatch> m_swatches;
};
