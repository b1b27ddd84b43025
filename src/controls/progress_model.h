// The progress dialog's position and how much of its bar is filled, apart from any window.
#pragma once

#include <cstdint>

namespace ui {

class ProgressModel {
 public:
  void SetRange(int minimum, int maximum);
  // Takes `position` when it lies within the range, else the minimum.
  void SetPos(int64_t position);
  int Pos() const { return m_pos; }
  int Minimum() const { return m_min; }
  int Maximum() const { return m_max; }

  // The x where the fill image ends, for a bar from `left` to `right`: `left` at the minimum,
  // `right` at the maximum. A range with no width keeps the bar empty.
  int FillRight(int left, int right) const;

 private:
  int m_min = 0;
  int m_max = 10;
  int m_pos = 0;
};

}  // namespace ui
