// The skinned scroll bar's arithmetic, apart from any window: where the thumb sits and how long
// it is for a range of rows, which part of the bar a point is on, and what a press, a held
// button, a drag or a key does to the position. Coordinates are pixels along the bar's axis from
// its top; positions are rows (the first row shown).
#pragma once

#include <cstdint>

enum class ScrollPart { kNone, kLineUp, kPageUp, kThumb, kPageDown, kLineDown };
enum class ScrollKey { kLineUp, kLineDown, kPageUp, kPageDown, kHome, kEnd };

// A thumb never gets shorter than this, however long the list, so it stays easy to grab.
constexpr int32_t kScrollMinThumb = 16;

class ScrollBarModel {
 public:
  // The bar's length and the length of the arrow button at each end. Arrows that would not
  // leave room for a track share the bar between them.
  void SetGeometry(int32_t length, int32_t arrowLength);
  int32_t Length() const { return m_length; }
  int32_t ArrowLength() const { return m_arrow; }

  // `count` rows of which `page` fit, the first shown being `position` (clamped). A drag under
  // way keeps its thumb where the pointer holds it.
  void SetRange(int32_t count, int32_t page, int32_t position);
  int32_t Count() const { return m_count; }
  int32_t Page() const { return m_page; }
  int32_t Position() const { return m_position; }
  int32_t MaxPosition() const;
  // Whether there is anything to scroll: more rows than fit.
  bool Scrollable() const { return m_count > m_page && m_page >= 0; }

  int32_t TrackStart() const { return m_arrow; }
  int32_t TrackLength() const;
  int32_t ThumbStart() const;
  int32_t ThumbLength() const;

  ScrollPart HitTest(int32_t at) const;

  // A left press at a point. Arrows step one row, the track a page towards the point, the thumb
  // starts a drag. True when the position changed.
  bool Press(int32_t at);
  // The button is still held (the repeat timer): an arrow or the track steps again while the
  // pointer is on the part it went down on; the track stops once the thumb has reached it.
  bool Repeat(int32_t at);
  // The pointer moved with the thumb held: the position follows it. True when it changed.
  bool Drag(int32_t at);
  // The button went up or the capture was lost.
  void Release();
  ScrollPart Pressed() const { return m_pressed; }
  bool Dragging() const { return m_pressed == ScrollPart::kThumb; }

  // The part under the pointer (kNone when it left); true when that changed.
  bool SetHover(ScrollPart part);
  ScrollPart Hover() const { return m_hover; }

  bool Key(ScrollKey key);
  // Rows a page step moves: one less than a page, so a row of the last page stays in sight.
  int32_t PageStep() const;

 private:
  bool MoveTo(int32_t position);
  int32_t ThumbTravel() const { return TrackLength() - ThumbLength(); }
  int32_t ThumbStartFor(int32_t position) const;

  int32_t m_length = 0;
  int32_t m_arrow = 0;
  int32_t m_count = 0;
  int32_t m_page = 0;
  int32_t m_position = 0;
  ScrollPart m_pressed = ScrollPart::kNone;
  ScrollPart m_hover = ScrollPart::kNone;
  int32_t m_grab = 0;         // press point minus the thumb's start
  int32_t m_dragStart = 0;    // the thumb's start while dragged
};
