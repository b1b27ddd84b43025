// The skinned slider's state and arithmetic, apart from any window: the range and the current
// index, the scale (the thumb's centre for each index), the value table, the thumb's place on
// the track, dragging and track clicks, and the reports the windows post to their parents.
// Coordinates are pixels along the track's axis, in the track's own coordinates.
#pragma once

#include <cstdint>

constexpr uint32_t WM_SLIDER_SET = 0x0800;
constexpr uint32_t WM_SLIDER_TRACK = 0x0801;

// The most scale positions and table values a slider keeps.
constexpr int kSliderTableMax = 100;

// What the thumb tells its parent: message 0 means nothing to post.
struct SliderReport {
  uint32_t message = 0;
  int32_t value = 0;
  int32_t id = 0;
  explicit operator bool() const { return message != 0; }
};

class SliderModel {
 public:
  void SetId(int32_t id) { m_id = id; }
  int32_t Id() const { return m_id; }

  // A maximum below the minimum is taken as the minimum: a range of one value. The index
  // moves to the minimum when it falls outside.
  void SetRange(int32_t minimum, int32_t maximum);
  int32_t Minimum() const { return m_min; }
  int32_t Maximum() const { return m_max; }

  // Thumb centres for the indexes from the minimum on; at most kSliderTableMax are kept and
  // count 0 spaces the thumb evenly. Returns whether there is one position per index of the
  // range. A scale shorter than the range covers the first indexes and the rest are spaced
  // evenly; positions past the range are not used.
  bool SetScale(int count, const int32_t* positions);
  bool ScaleMatchesRange() const;

  // Values reported in place of indexes, entry i for index minimum + i; count 0 for none. At
  // most kSliderTableMax entries are kept.
  void SetValueTable(int count, const int32_t* values);

  // The track's length, the thumb's size along the axis, and whether the slider is vertical.
  void SetGeometry(int32_t trackLength, int32_t thumbLength, bool vertical);
  int32_t TrackLength() const { return m_trackLength; }
  int32_t ThumbLength() const { return m_thumbLength; }
  bool Vertical() const { return m_vertical; }

  void SetLive(bool live) { m_live = live; }                // track reports while dragging
  void SetDraggable(bool draggable) { m_draggable = draggable; }
  void SetDisabled(bool disabled) { m_disabled = disabled; }  // ignores presses and clicks

  // The index nearest to a coordinate on the track, within the range.
  int32_t IndexAt(int32_t coordinate) const;
  // The value reported for an index: the index itself, or its table entry (0 when the table
  // has none for it).
  int32_t ValueOf(int32_t index) const;
  // The thumb centre for an index.
  int32_t CentreOf(int32_t index) const;

  int32_t Index() const { return m_index; }
  int32_t Value() const { return ValueOf(m_index); }
  // The thumb's leading edge (left, or top when vertical) on the track.
  int32_t ThumbOffset() const { return m_thumbOffset; }
  bool Dragging() const { return m_dragging; }

  // Moves the thumb to a value (looked up in the value table when there is one; a value not in
  // it changes nothing). A value outside the range puts the thumb at the minimum. With notify
  // the set report comes back.
  SliderReport SetPosition(int32_t value, bool notify);

  // A left press on the thumb at a track coordinate: true when a drag began (capture the mouse).
  bool Press(int32_t coordinate);
  // The mouse moved while dragging. `moved` says whether the thumb moved (repaint); a track
  // report comes back when the slider is live and the thumb moved.
  SliderReport Drag(int32_t coordinate, bool* moved);
  // The button went up: the thumb settles on the index under its centre, and the set report
  // comes back. Nothing when no drag was under way.
  SliderReport Release(int32_t coordinate);
  // The drag ends without a choice (capture taken away): the thumb goes back to its index.
  void CancelDrag();
  // A left click on the track: the thumb moves to the index at the click and the set report
  // comes back, once, whether the thumb or the track sends it. Nothing while disabled.
  SliderReport ClickTrack(int32_t coordinate);

 private:
  int32_t CoveredCount() const;
  int32_t EvenIndexAt(int32_t coordinate) const;
  int32_t EvenCentreOf(int32_t index) const;
  void PlaceAt(int32_t index);
  int32_t ClampThumbOffset(int32_t offset) const;
  SliderReport Report(uint32_t message) const;

  int32_t m_id = 0;
  int32_t m_min = 0;
  int32_t m_max = 0;
  int32_t m_index = 0;
  int32_t m_scaleCount = 0;
  int32_t m_scale[kSliderTableMax] = {};
  int32_t m_tableCount = 0;
  int32_t m_table[kSliderTableMax] = {};
  int32_t m_trackLength = 0;
  int32_t m_thumbLength = 0;
  bool m_vertical = false;
  bool m_live = false;
  bool m_draggable = true;
  bool m_disabled = false;
  int32_t m_thumbOffset = 0;
  bool m_dragging = false;
  int32_t m_grab = 0;  // press point minus the thumb's leading edge
};
