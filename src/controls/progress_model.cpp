#include "controls/progress_model.h"

#include <cstdint>

namespace ui {

void ProgressModel::SetRange(int minimum, int maximum) {
  m_min = minimum;
  m_max = maximum;
  SetPos(m_pos);
}

void ProgressModel::SetPos(int64_t position) {
  m_pos = position >= m_min && position <= m_max ? static_cast<int>(position) : m_min;
}

int ProgressModel::FillRight(int left, int right) const {
  if (m_max <= m_min) return left;
  const int64_t span = static_cast<int64_t>(m_max) - m_min;
  return static_cast<int>((static_cast<int64_t>(m_pos) - m_min) * (static_cast<int64_t>(right) - left) / span + left);
}

}  // namespace ui
