// What the keyboard picture shows and what a mouse action on it means: key rectangles, the one
// polygon key, marks, per-key tints, the hovered and the clicked key, and the order in which
// outlines and tints are painted. CKBColorDlg only turns messages into these calls and paints
// what they say.
#pragma once

#include <cstdint>

#include "config/layout.h"
#include "records/profile_record.h"

// Posted to the parent when a key is released on; wParam = the key's slot.
constexpr uint32_t WM_KEY_CLICKED = 0x0481;

// 0x00BBGGRR (as stored) to 0xAARRGGBB (as drawn).
uint32_t ColorToArgb(uint32_t bgr, uint8_t alpha);

constexpr uint8_t kOutlineAlpha = 0xFF;
constexpr uint8_t kTintAlpha = 0x78;
// Outlines sit this many pixels outside a rectangular key.
constexpr int kOutlineGap = 2;

// One step of painting the keys, in painting order.
struct KeyPaintStep {
  enum Kind { kOutline, kTint } kind;
  int key;
  uint32_t argb;
};

class KeyboardViewModel {
 public:
  static constexpr int kNone = -1;

  // Rectangles of the first `count` keys (at most 144) in view pixels; the rest are emptied.
  void SetKeys(const RECT32* rects, int count);
  // Only for key 0..143 and at least three points; the points are taken as they come (the
  // layout's list ends where it starts, which closes the outline).
  bool SetShape(int key, const POINT32* points, int count);

  void SetMarkColor(uint32_t bgr) { markColor_ = bgr; }
  void SetHoverColor(uint32_t bgr) { hoverColor_ = bgr; }
  // The outline of the clicked key (the key being edited); 0 draws none.
  void SetClickedColor(uint32_t bgr) { clickedColor_ = bgr; }

  // The key under (x, y): the polygon key by its outline, the others by their half-open
  // rectangles, the lowest slot first; kNone for none.
  int HitTest(int x, int y) const;

  // Each returns whether the picture changed (a repaint is due).
  bool MouseMove(int x, int y);
  bool MouseLeave();
  // The release of the left button: the clicked key becomes the key under it (kNone when none).
  bool ButtonUp(int x, int y);
  // key 0..143, or a negative key for the clicked key (nothing when none is clicked).
  bool MarkKey(int key, uint32_t value);
  bool SetKeyColor(int key, uint32_t bgr);
  // Copies 144 colours in and forgets the clicked key.
  void SetAllKeyColors(const uint32_t* colors);
  void SetAllMarks(const uint32_t* marks);

  int KeyCount() const { return keyCount_; }
  int Hover() const { return hover_; }
  int Clicked() const { return clicked_; }
  int ShapedKey() const { return shapedKey_; }
  const POINT32* ShapePoints() const { return shape_; }
  int ShapePointCount() const { return shapePoints_; }
  const RECT32& KeyRect(int key) const { return rects_[key]; }
  uint32_t Mark(int key) const { return marks_[key]; }
  uint32_t KeyColor(int key) const { return colors_[key]; }
  const uint32_t* KeyColors() const { return colors_; }
  // The rectangle an outline of a rectangular key is drawn on: 2 pixels outside the key.
  RECT32 OutlineRect(int key) const;

  // Calls step(KeyPaintStep) for every outline and tint, in painting order: per key its mark,
  // then its tint; then the clicked key's outline; the hover outline last, over everything.
  template <typename Step>
  void ForEachPaintStep(Step step) const {
    for (int i = 0; i < keyCount_; ++i) {
      if (marks_[i]) step(KeyPaintStep{KeyPaintStep::kOutline, i, ColorToArgb(markColor_, kOutlineAlpha)});
      if (colors_[i]) step(KeyPaintStep{KeyPaintStep::kTint, i, ColorToArgb(colors_[i], kTintAlpha)});
    }
    if (clicked_ != kNone && clickedColor_)
      step(KeyPaintStep{KeyPaintStep::kOutline, clicked_, ColorToArgb(clickedColor_, kOutlineAlpha)});
    if (hover_ != kNone) step(KeyPaintStep{KeyPaintStep::kOutline, hover_, ColorToArgb(hoverColor_, kOutlineAlpha)});
  }

 private:
  int keyCount_ = 0;
  RECT32 rects_[kKeySlots] = {};
  uint32_t marks_[kKeySlots] = {};
  uint32_t colors_[kKeySlots] = {};
  int clicked_ = kNone;
  int hover_ = kNone;
  int shapedKey_ = kNone;
  POINT32 shape_[kMaxPolygonPoints] = {};
  int shapePoints_ = 0;
  uint32_t markColor_ = 0x0000FF;
  uint32_t hoverColor_ = 0x0000FF;
  uint32_t clickedColor_ = 0;
};
