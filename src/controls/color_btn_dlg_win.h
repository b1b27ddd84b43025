// The colour swatch window: one square of colour (or the none mark) in a border that shows
// whether it is the selected one. A release of the left button over it posts WM_SWATCH_CLICKED
// to the parent; the parent decides what that means and which swatch is selected.
#pragma once

#include <windows.h>

#include "controls/color_swatch.h"
#include "controls/gdi_win.h"
#include "controls/window_base_win.h"

class CColorBtnDlg : public ui::WindowBase {
 public:
  // Creates the swatch as a visible child of `parent` at `rect` showing `state`.
  bool CreateSwatch(HWND parent, const RECT& rect, const ColorSwatch& state);

  const ColorSwatch& State() const { return m_state; }
  void SetSelected(bool selected);
  void SetColour(uint32_t colour);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void MakeBrushes();
  void Draw(HDC dc, const RECT& client);
  void OnLeftUp(LPARAM lParam);
  void Repaint();

  ColorSwatch m_state;
  ui::Brush m_background;
  ui::Brush m_fill;
  ui::Brush m_selectedBorder;
  ui::Brush m_normalBorder;
  ui::Pen m_nonePen;
  ui::OffscreenBuffer m_buffer;
};
