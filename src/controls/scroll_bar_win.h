// CSkinScrollBar: a vertical scroll bar drawn in the skin's dark colours, with the accent on the
// part held down, for lists that would otherwise show the system's light one. A small child
// window over ScrollBarModel: arrows and track clicks step (and repeat while held), the thumb is
// dragged, and Up, Down, Page Up, Page Down, Home and End scroll once a click gave it the focus.
// The owner hears every new position through its callback and hands the range back.
#pragma once

#include <windows.h>

#include <functional>

#include "controls/gdi_win.h"
#include "controls/scroll_bar_model.h"
#include "controls/window_base_win.h"

constexpr int kSkinScrollBarWidth = 12;

class CSkinScrollBar : public ui::WindowBase {
 public:
  using ScrollCallback = std::function<void(int32_t position)>;

  ~CSkinScrollBar() override;

  // A hidden child of `parent`; Place shows it.
  bool Create(HWND parent, ScrollCallback onScroll);
  // Moves the bar to `rect` (parent client pixels); shown only while `shown` and there is
  // something to scroll.
  void Place(const RECT& rect, bool shown);
  // The rows, how many fit and the first one shown, as the owner has them now.
  void SetRange(int32_t count, int32_t page, int32_t position);

  const ScrollBarModel& Model() const { return m_model; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnButtonDown(LPARAM lParam);
  void OnMouseMove(LPARAM lParam);
  void OnButtonUp();
  void OnTimer();
  bool OnKey(WPARAM key);
  void Moved(bool positionChanged);
  void UpdateHover(int32_t at);
  void Draw(HDC dc, const RECT& client) const;
  void DrawArrow(HDC dc, const RECT& box, bool up) const;

  ScrollBarModel m_model;
  ScrollCallback m_onScroll;
  ui::OffscreenBuffer m_buffer;
  bool m_tracking = false;  // a leave notification was asked for
  bool m_repeating = false;
};
