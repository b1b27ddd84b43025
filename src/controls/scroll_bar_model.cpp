#include "controls/scroll_bar_model.h"

#include <algorithm>

namespace {

// a * b / c rounded to the nearest, without overflow for any bar or list a person can make.
int32_t Scale(int32_t a, int32_t b, int32_t c) {
  if (c <= 0) return 0;
  const int64_t product = static_cast<int64_t>(a) * b;
  return static_cast<int32_t>((product + c / 2) / c);
}

}  // namespace

void ScrollBarModel::SetGeometry(int32_t length, int32_t arrowLength) {
  m_length = std::max<int32_t>(0, length);
  m_arrow = std::max<int32_t>(0, std::min(arrowLength, m_length / 2));
  if (Dragging()) m_dragStart = std::max(TrackStart(), std::min(m_dragStart, TrackStart() + ThumbTravel()));
}

void ScrollBarModel::SetRange(int32_t count, int32_t page, int32_t position) {
  m_count = std::max<int32_t>(0, count);
  m_page = std::max<int32_t>(0, page);
  m_position = std::max<int32_t>(0, std::min(position, MaxPosition()));
  if (Dragging()) m_dragStart = std::max(TrackStart(), std::min(m_dragStart, TrackStart() + ThumbTravel()));
}

int32_t ScrollBarModel::MaxPosition() const { return std::max<int32_t>(0, m_count - std::max<int32_t>(1, m_page)); }

int32_t ScrollBarModel::TrackLength() const { return std::max<int32_t>(0, m_length - 2 * m_arrow); }

int32_t ScrollBarModel::ThumbLength() const {
  const int32_t track = TrackLength();
  if (!Scrollable()) return track;
  const int32_t proportional = Scale(track, m_page, m_count);
  return std::min(track, std::max(proportional, std::min(kScrollMinThumb, track)));
}

int32_t ScrollBarModel::ThumbStartFor(int32_t position) const {
  return TrackStart() + Scale(ThumbTravel(), position, MaxPosition());
}

int32_t ScrollBarModel::ThumbStart() const { return Dragging() ? m_dragStart : ThumbStartFor(m_position); }

ScrollPart ScrollBarModel::HitTest(int32_t at) const {
  if (at < 0 || at >= m_length) return ScrollPart::kNone;
  if (at < m_arrow) return ScrollPart::kLineUp;
  if (at >= m_length - m_arrow) return ScrollPart::kLineDown;
  if (!Scrollable()) return ScrollPart::kNone;
  const int32_t thumb = ThumbStart();
  if (at < thumb) return ScrollPart::kPageUp;
  if (at < thumb + ThumbLength()) return ScrollPart::kThumb;
  return ScrollPart::kPageDown;
}

int32_t ScrollBarModel::PageStep() const { return std::max<int32_t>(1, m_page - 1); }

bool ScrollBarModel::MoveTo(int32_t position) {
  const int32_t clamped = std::max<int32_t>(0, std::min(position, MaxPosition()));
  if (clamped == m_position) return false;
  m_position = clamped;
  return true;
}

bool ScrollBarModel::Press(int32_t at) {
  m_pressed = HitTest(at);
  switch (m_pressed) {
    case ScrollPart::kThumb:
      m_dragStart = ThumbStartFor(m_position);
      m_grab = at - m_dragStart;
      return false;
    case ScrollPart::kNone: return false;
    default: return Repeat(at);
  }
}

bool ScrollBarModel::Repeat(int32_t at) {
  if (m_pressed == ScrollPart::kNone || m_pressed == ScrollPart::kThumb || HitTest(at) != m_pressed) return false;
  switch (m_pressed) {
    case ScrollPart::kLineUp: return MoveTo(m_position - 1);
    case ScrollPart::kLineDown: return MoveTo(m_position + 1);
    case ScrollPart::kPageUp: return MoveTo(m_position - PageStep());
    case ScrollPart::kPageDown: return MoveTo(m_position + PageStep());
    default: return false;
  }
}

bool ScrollBarModel::Drag(int32_t at) {
  if (!Dragging()) return false;
  if (ThumbTravel() <= 0) return false;  // the thumb fills the track: nowhere to drag it
  m_dragStart = std::max(TrackStart(), std::min(at - m_grab, TrackStart() + ThumbTravel()));
  return MoveTo(Scale(m_dragStart - TrackStart(), MaxPosition(), ThumbTravel()));
}

void ScrollBarModel::Release() { m_pressed = ScrollPart::kNone; }

bool ScrollBarModel::SetHover(ScrollPart part) {
  if (part == m_hover) return false;
  m_hover = part;
  return true;
}

bool ScrollBarModel::Key(ScrollKey key) {
  switch (key) {
    case ScrollKey::kLineUp: return MoveTo(m_position - 1);
    case ScrollKey::kLineDown: return MoveTo(m_position + 1);
    case ScrollKey::kPageUp: return MoveTo(m_position - PageStep());
    case ScrollKey::kPageDown: return MoveTo(m_position + PageStep());
    case ScrollKey::kHome: return MoveTo(0);
    case ScrollKey::kEnd: return MoveTo(MaxPosition());
  }
  return false;
}
