// The keyboard picture in the main window: draws the keys over the background piece, outlines
// marked, clicked and hovered keys, tints keys in their colours, and posts WM_KEY_CLICKED to its
// parent when a key is released on. Everything it shows comes from KeyboardViewModel.
#pragma once

#include <windows.h>

#include <cstdint>

#include "controls/gdi_win.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"
#include "dialogs/keyboard_view.h"

class CKBColorDlg : public ui::WindowBase {
 public:
  // The picture of the keys as they light up, drawn over the main window's background.
  static constexpr const char16_t* kKeysPicture = u"keyimg.png";

  CKBColorDlg() = default;
  ~CKBColorDlg() override;

  // Creates the view as a visible child of `parent` on `rect` (parent client pixels) and loads
  // kKeysPicture. False when the window cannot be made.
  bool CreateView(HWND parent, const RECT& rect, UINT controlId);

  // Colours are 0x00BBGGRR.
  void SetHoverColor(uint32_t bgr);
  void SetMarkColor(uint32_t bgr);
  void SetClickedColor(uint32_t bgr);
  void SetKeys(const RECT32* rects, int count);
  // The part `part` of the main window's background under the view (none when it cannot be cut).
  void SetBackground(const ui::SkinImage& source, const RECT& part);
  void SetShape(int key, const POINT32* points, int count);

  void MarkKey(int key, uint32_t value);
  void SetAllMarks(const uint32_t* marks);
  void SetAllKeyColors(const uint32_t* colors);
  void SetKeyColor(int key, uint32_t bgr);
  int ClickedKey() const { return m_model.Clicked(); }
  const uint32_t* KeyColors() const { return m_model.KeyColors(); }
  int KeyCount() const { return m_model.KeyCount(); }
  const KeyboardViewModel& Model() const { return m_model; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void Draw(HDC dc, const RECT& client);
  void DrawOutline(HDC dc, int key, HPEN pen);
  void DrawTint(HDC dc, int key, uint32_t argb);
  HPEN PenFor(uint32_t argb);
  void OnMouseMove(LPARAM lParam);
  void OnMouseLeave();
  void OnButtonUp(LPARAM lParam);
  void Repaint();

  KeyboardViewModel m_model;
  ui::SkinImage m_keys;
  ui::SkinImage m_background;
  ui::OffscreenBuffer m_buffer;
  ui::MouseLeaveTracker m_tracker;
  // One pen per outline colour, made when the colour is set.
  ui::Pen m_markPen;
  ui::Pen m_hoverPen;
  ui::Pen m_clickedPen;
  uint32_t m_markArgb = 0;
  uint32_t m_hoverArgb = 0;
  uint32_t m_clickedArgb = 0;
  // Takes each tint in turn: tints cost no allocation.
  ui::TranslucentFill m_tint;
  // The shaped key's outline as a region, made when the shape is set.
  ui::Region m_shapeRegion;
};
