#include "dialogs/keyboard_view.h"

#include <cstring>

uint32_t ColorToArgb(uint32_t bgr, uint8_t alpha) {
  const uint32_t r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
  return (static_cast<uint32_t>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

void KeyboardViewModel::SetKeys(const RECT32* rects, int count) {
  if (count < 0) count = 0;
  if (count > kKeySlots) count = kKeySlots;
  std::memset(rects_, 0, sizeof rects_);
  if (count) std::memcpy(rects_, rects, sizeof(RECT32) * static_cast<size_t>(count));
  keyCount_ = count;
  // Keys that no longer exist can be neither hovered nor clicked.
  if (hover_ >= keyCount_) hover_ = kNone;
  if (clicked_ >= keyCount_) clicked_ = kNone;
}

bool KeyboardViewModel::SetShape(int key, const POINT32* points, int count) {
  if (key < 0 || key >= kKeySlots || count < 3 || !points) return false;
  if (count > kMaxPolygonPoints) count = kMaxPolygonPoints;
  shapedKey_ = key;
  std::memcpy(shape_, points, sizeof(POINT32) * static_cast<size_t>(count));
  shapePoints_ = count;
  return true;
}

int KeyboardViewModel::HitTest(int x, int y) const {
  return HitTestRects(rects_, keyCount_, shapedKey_, shape_, shapePoints_, x, y);
}

bool KeyboardViewModel::MouseMove(int x, int y) {
  const int key = HitTest(x, y);
  if (key == hover_) return false;
  hover_ = key;
  return true;
}

bool KeyboardViewModel::MouseLeave() {
  if (hover_ == kNone) return false;
  hover_ = kNone;
  return true;
}

bool KeyboardViewModel::ButtonUp(int x, int y) {
  const int key = HitTest(x, y);
  if (key == clicked_) return false;
  clicked_ = key;
  return true;
}

bool KeyboardViewModel::MarkKey(int key, uint32_t value) {
  if (key < 0) key = clicked_;
  if (key < 0 || key >= kKeySlots) return false;
  marks_[key] = value;
  return true;
}

bool KeyboardViewModel::SetKeyColor(int key, uint32_t bgr) {
  if (key < 0 || key >= kKeySlots) return false;
  colors_[key] = bgr;
  return true;
}

void KeyboardViewModel::SetAllKeyColors(const uint32_t* colors) {
  std::memcpy(colors_, colors, sizeof colors_);
  clicked_ = kNone;
}

void KeyboardViewModel::SetAllMarks(const uint32_t* marks) { std::memcpy(marks_, marks, sizeof marks_); }

RECT32 KeyboardViewModel::OutlineRect(int key) const {
  const RECT32& r = rects_[key];
  return RECT32{r.left - kOutlineGap, r.top - kOutlineGap, r.right + kOutlineGap, r.bottom + kOutlineGap};
}
