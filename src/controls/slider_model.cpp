#include "controls/slider_model.h"

#include <algorithm>
#include <cstdlib>

namespace {

int32_t ClampCount(int count) { return std::clamp(count, 0, kSliderTableMax); }

int64_t Distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

}  // namespace

void SliderModel::SetRange(int32_t minimum, int32_t maximum) {
  m_min = minimum;
  m_max = std::max(minimum, maximum);
  if (m_index < m_min || m_index > m_max) m_index = m_min;
  if (!m_dragging) PlaceAt(m_index);
}

bool SliderModel::SetScale(int count, const int32_t* positions) {
  m_scaleCount = positions ? ClampCount(count) : 0;
  std::copy(positions, positions + m_scaleCount, m_scale);
  if (!m_dragging) PlaceAt(m_index);
  return ScaleMatchesRange();
}

bool SliderModel::ScaleMatchesRange() const {
  return static_cast<int64_t>(m_scaleCount) == static_cast<int64_t>(m_max) - m_min + 1;
}

void SliderModel::SetValueTable(int count, const int32_t* values) {
  m_tableCount = values ? ClampCount(count) : 0;
  std::copy(values, values + m_tableCount, m_table);
}

void SliderModel::SetGeometry(int32_t trackLength, int32_t thumbLength, bool vertical) {
  m_trackLength = std::max(trackLength, 0);
  m_thumbLength = std::max(thumbLength, 0);
  m_vertical = vertical;
  if (!m_dragging) PlaceAt(m_index);
}

// The indexes the scale gives a position for: never more than the range holds.
int32_t SliderModel::CoveredCount() const {
  int64_t span = static_cast<int64_t>(m_max) - m_min + 1;
  return static_cast<int32_t>(std::min<int64_t>(m_scaleCount, span));
}

// Evenly spaced steps of track length / (maximum - minimum) pixels. A range of one value or
// a track of no length has nothing to divide: the minimum.
int32_t SliderModel::EvenIndexAt(int32_t coordinate) const {
  int64_t span = static_cast<int64_t>(m_max) - m_min;
  if (span <= 0 || m_trackLength <= 0) return m_min;
  int64_t step = m_trackLength / span;
  int64_t k = span * coordinate / m_trackLength;
  if (step > 0) {
    int64_t own = step * k, next = step * (k + 1);
    if (next - coordinate < coordinate - own) ++k;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(m_min + k, m_min, m_max));
}

int32_t SliderModel::EvenCentreOf(int32_t index) const {
  int64_t span = static_cast<int64_t>(m_max) - m_min;
  if (span <= 0 || m_trackLength <= 0) return 0;
  return static_cast<int32_t>((m_trackLength / span) * (static_cast<int64_t>(index) - m_min));
}

int32_t SliderModel::IndexAt(int32_t coordinate) const {
  int32_t covered = CoveredCount();
  if (covered == 0) return EvenIndexAt(coordinate);
  // Nearest scale position; on equal distance the later index.
  int32_t best = 0;
  int64_t bestDistance = Distance(m_scale[0], coordinate);
  for (int32_t i = 1; i < covered; ++i) {
    int64_t d = Distance(m_scale[i], coordinate);
    if (d <= bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  int32_t index = m_min + best;
  int64_t span = static_cast<int64_t>(m_max) - m_min + 1;
  if (covered < span) {
    // Indexes past the scale's end are spaced evenly; the nearest of them competes too.
    int32_t even = std::max(EvenIndexAt(coordinate), m_min + covered);
    if (Distance(EvenCentreOf(even), coordinate) <= bestDistance) index = even;
  }
  return index;
}

int32_t SliderModel::CentreOf(int32_t index) const {
  int64_t offset = static_cast<int64_t>(index) - m_min;
  if (offset >= 0 && offset < CoveredCount()) return m_scale[offset];
  return EvenCentreOf(index);
}

int32_t SliderModel::ValueOf(int32_t index) const {
  if (m_tableCount == 0) return index;
  int64_t offset = static_cast<int64_t>(index) - m_min;
  if (index < m_min || index > m_max || offset >= m_tableCount) return 0;
  return m_table[offset];
}

void SliderModel::PlaceAt(int32_t index) {
  m_index = index;
  m_thumbOffset = CentreOf(index) - m_thumbLength / 2;
}

SliderReport SliderModel::Report(uint32_t message) const {
  SliderReport r;
  r.message = message;
  r.value = Value();
  r.id = m_id;
  return r;
}

SliderReport SliderModel::SetPosition(int32_t value, bool notify) {
  int64_t index = value;
  if (m_tableCount > 0) {
    const int32_t* end = m_table + m_tableCount;
    const int32_t* found = std::find(static_cast<const int32_t*>(m_table), end, value);
    if (found == end) return {};
    index = static_cast<int64_t>(m_min) + (found - m_table);
  }
  if (index < m_min || index > m_max) index = m_min;
  m_dragging = false;
  PlaceAt(static_cast<int32_t>(index));
  return notify ? Report(WM_SLIDER_SET) : SliderReport{};
}

// A horizontal thumb stays on the track; a vertical one may stick out by half its height at
// either end.
int32_t SliderModel::ClampThumbOffset(int32_t offset) const {
  int32_t low = 0, high = m_trackLength - m_thumbLength;
  if (m_vertical) {
    low = -(m_thumbLength / 2);
    high = m_trackLength - m_thumbLength + m_thumbLength / 2;
  }
  return std::max(low, std::min(offset, high));
}

bool SliderModel::Press(int32_t coordinate) {
  if (!m_draggable || m_disabled) return false;
  m_dragging = true;
  m_grab = coordinate - m_thumbOffset;
  return true;
}

// The index while dragging and on release comes from the thumb's centre, where the user sees
// it, so the number shown during the drag is the one the release settles on.
SliderReport SliderModel::Drag(int32_t coordinate, bool* moved) {
  if (moved) *moved = false;
  if (!m_dragging) return {};
  int32_t offset = ClampThumbOffset(coordinate - m_grab);
  if (offset == m_thumbOffset) return {};
  m_thumbOffset = offset;
  if (moved) *moved = true;
  if (!m_live) return {};
  SliderReport r;
  r.message = WM_SLIDER_TRACK;
  r.value = ValueOf(IndexAt(m_thumbOffset + m_thumbLength / 2));
  r.id = m_id;
  return r;
}

SliderReport SliderModel::Release(int32_t coordinate) {
  if (!m_dragging) return {};
  m_thumbOffset = ClampThumbOffset(coordinate - m_grab);
  m_dragging = false;
  PlaceAt(IndexAt(m_thumbOffset + m_thumbLength / 2));
  return Report(WM_SLIDER_SET);
}

void SliderModel::CancelDrag() {
  if (!m_dragging) return;
  m_dragging = false;
  PlaceAt(m_index);
}

SliderReport SliderModel::ClickTrack(int32_t coordinate) {
  if (m_disabled) return {};
  m_dragging = false;
  PlaceAt(IndexAt(coordinate));
  return Report(WM_SLIDER_SET);
}
