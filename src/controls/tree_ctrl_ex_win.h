// The skinned tree window: draws the items of its TreeModel completely (background, selected
// row, folder and item images, text), scrolls them with a skinned bar of its own, takes no
// keyboard input (the bar does, once clicked) and reports clicks
// to its parent as WM_TREE_CLICK and WM_TREE_RCLICK (wParam = its identifier, lParam = the item
// or 0). Everything it decides is the model's; the window only translates and paints.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/gdi_win.h"
#include "controls/scroll_bar_win.h"
#include "controls/skin_image_win.h"
#include "controls/tree_model.h"
#include "controls/window_base_win.h"

// A picture file decoded for tree items; null when it cannot be read. Images an owner hands to
// the tree (shared event icons) come from here.
ItemImageRef LoadTreeItemImage(const std::u16string& path);

class CTreeCtrlEx : public ui::WindowBase {
 public:
  CTreeCtrlEx();
  ~CTreeCtrlEx() override;

  TreeModel& Model() { return m_model; }
  const TreeModel& Model() const { return m_model; }

  // Creates the tree as a visible child of `parent` at `rect` (parent client pixels). Its
  // background is the part of `background` under it (none when null or that part is empty);
  // the two folder pictures come from the skin folder.
  bool CreateSkinned(HWND parent, UINT controlId, const ui::SkinImage* background,
                     const char16_t* openImage, const char16_t* closedImage, const RECT& rect);

  // Fills as 0xAARRGGBB, texts and frame as 0x00BBGGRR.
  void SetColours(uint32_t backgroundFill, uint32_t selectedFill, COLORREF selectedText,
                  COLORREF normalText, COLORREF frame);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void OnModelChanged();
  void UpdateScrollBar();
  // The bar inside the frame at the right while there is anything to scroll; the rows end at it.
  void LayOut();
  void OnWheel(WPARAM wParam);
  void OnMouseMove(LPARAM lParam);
  void Notify(UINT message, const TreeClick& click);
  void Draw(HDC dc, const RECT& client);
  void DrawRow(HDC dc, const TreeRowPaint& row);
  void CreateTooltip();

  TreeModel m_model;
  UINT m_id = 0;
  ui::SkinImage m_background;
  ui::SkinImage m_open;
  ui::SkinImage m_closed;
  uint32_t m_backgroundFill = 0xFF000000;
  uint32_t m_selectedFill = 0x96FFFFFF;
  COLORREF m_selectedText = 0x000000;
  COLORREF m_normalText = 0xDCDCDC;
  COLORREF m_frame = 0x646464;
  ui::Brush m_backgroundBrush;
  ui::Brush m_frameBrush;
  ui::TranslucentFill m_selectionFill;
  ui::Font m_selectedFont;
  ui::Font m_normalFont;
  ui::OffscreenBuffer m_buffer;
  HWND m_tooltip = nullptr;
  CSkinScrollBar m_scrollBar;
  bool m_scrollUpdatePending = false;
};
