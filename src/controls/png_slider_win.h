// CPngSlider: the thumb of a skinned slider, a small child window of its track (CPngSliderBar)
// that draws the thumb image over what lies under it and is dragged along the track. Its state
// and arithmetic are SliderModel's; this window turns mouse messages into model calls, moves
// itself where the model says and posts the model's reports to the track.
#pragma once

#include <windows.h>

#include <string>

#include "controls/gdi_win.h"
#include "controls/skin_image_win.h"
#include "controls/slider_model.h"
#include "controls/window_base_win.h"

class CPngSliderBar;

class CPngSlider : public ui::WindowBase {
 public:
  // Creates the thumb inside `bar`, sized to the skin image `image` (an empty name or a file that
  // cannot be read gives an empty thumb).
  bool Create(CPngSliderBar* bar, int32_t id, const std::u16string& image);

  SliderModel& Model() { return m_model; }
  const SliderModel& Model() const { return m_model; }
  const ui::SkinImage& Image() const { return m_image; }

  // Moves the window to where the model puts the thumb and repaints at once.
  void Place();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void OnButtonDown(LPARAM lParam);
  void OnMouseMove(LPARAM lParam);
  void OnButtonUp(LPARAM lParam);
  void OnCaptureChanged();
  // A point of a mouse message, along the track's axis in the track's coordinates.
  int32_t TrackCoordinate(LPARAM lParam) const;
  void Post(const SliderReport& report) const;

  CPngSliderBar* m_bar = nullptr;
  SliderModel m_model;
  ui::SkinImage m_image;
  ui::OffscreenBuffer m_buffer;
};
