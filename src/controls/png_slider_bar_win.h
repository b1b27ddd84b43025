// CPngSliderBar: the track of a skinned slider. A child window that draws the crop of its
// parent's background under it and the track image, owns the thumb (CPngSlider), passes the
// thumb's reports on to its parent with its own identifier, and moves the thumb on a click.
//
// The parent hears WM_SLIDER_SET (wParam = value, lParam = identifier) once for each value set
// by the user (thumb released, track clicked, or SetPosition with notify) and WM_SLIDER_TRACK
// while the thumb is dragged, when the slider is live.
#pragma once

#include <windows.h>

#include <string>

#include "controls/gdi_win.h"
#include "controls/png_slider_win.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"

class CPngSliderBar : public ui::WindowBase {
 public:
  // `rect` in the parent's client coordinates; its width (its height when vertical) is the
  // track length. `parentBackground` is the parent's background as drawn at its client origin,
  // or null; the part under `rect` is cut out once here. Shows "Create slider failed" when a
  // window cannot be made.
  bool Create(HWND parent, int32_t id, const std::u16string& thumbImage, const std::u16string& trackImage,
              const RECT& rect, const ui::SkinImage* parentBackground, bool vertical = false);

  void SetRange(int32_t minimum, int32_t maximum);
  // Whether the scale gives one position per index of the range.
  bool SetScale(int count, const int32_t* positions);
  void SetValueTable(int count, const int32_t* values);
  void SetPosition(int32_t value, bool notify);
  int32_t Value() const { return m_thumb.Model().Value(); }
  void SetLive(bool live) { m_thumb.Model().SetLive(live); }
  void SetDisabled(bool disabled) { m_thumb.Model().SetDisabled(disabled); }
  int32_t Id() const { return m_id; }
  HWND ThumbWindow() const { return m_thumb.hwnd(); }

  // Draws the track's own picture (background crop, then track image) with its origin at
  // (x, y): the thumb paints what lies under it with this.
  void DrawUnder(HDC dc, int x, int y) const;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void OnButtonUp(LPARAM lParam);
  void Forward(UINT msg, WPARAM value) const;

  int32_t m_id = 0;
  CPngSlider m_thumb;
  ui::SkinImage m_track;
  ui::SkinImage m_background;
  ui::OffscreenBuffer m_buffer;
  bool m_pressed = false;
};
