// The skinned button: push button, check box or radio button drawn from skin pictures over the
// part of its parent's background it covers. A click reaches the parent as WM_COMMAND with
// BN_CLICKED, the control identifier and the button's window, like any system button.
#pragma once

#include <windows.h>

#include <string>

#include "controls/gdi_win.h"
#include "controls/png_btn_model.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"

class CPngBtn : public ui::WindowBase {
 public:
  CPngBtn() = default;
  ~CPngBtn() override;

  // Loads the three state pictures from the skin folder and creates the button as a visible
  // child of `parent` at (x, y): the normal picture's size, or `rect`'s size when given. Its
  // background is the part of `parentBackground` (may be null) under the button. Text colours
  // come from the settings; `tooltip` is the tool-tip switch (the BtnTips setting). False, with
  // nothing created, when a name is missing or the window cannot be made.
  bool CreatePngBtn(HWND parent, const ui::SkinImage* parentBackground, const char16_t* normal,
                    const char16_t* hover, const char16_t* down, const RECT* rect, bool checkBox,
                    const std::u16string& caption, bool tooltip, int x, int y, UINT controlId = 0);

  // Every state picture becomes the part `part` of the given sources (null leaves that state
  // without a picture).
  void SetImages(const RECT& part, const ui::SkinImage* normal, const ui::SkinImage* hover,
                 const ui::SkinImage* down);
  // An icon from the skin folder drawn at `left`, centred vertically; false when it cannot load.
  bool SetIcon(const char16_t* name, int left);

  void SetChecked(bool checked);
  bool IsChecked() const { return m_model.Checked(); }
  void SetAutoToggle(bool on) { m_model.autoToggle = on; }
  void SetPushOffset(bool on);
  void SetForcedDown(bool down);

  // Caption, its left offset, and optionally its own rectangle and format (0 for the default).
  void SetCaption(const std::u16string& text, int textLeft = 0, const RECT* textRect = nullptr,
                  UINT format = 0);
  const std::u16string& Caption() const { return m_model.caption; }
  void SetTextColors(COLORREF normal, COLORREF hover, COLORREF down);
  // A font owned by the caller, used instead of the button's own.
  void SetFont(HFONT font);
  // The button takes the region and draws only inside it.
  void SetClipRegion(HRGN region);

  // Tool-tip text (empty: no tip); does nothing when the button was created with tool tips off.
  void SetTooltip(const std::u16string& text);
  // Takes a shown tip away (a menu opening over the button must not lie under it).
  void HideTooltip();

  const ui::PngBtnModel& Model() const { return m_model; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPaint();
  void DestroyTooltip();
  // Draws into a context the caller gives (the system's or a test's capture of the window).
  void OnPrintClient(HDC dc);
  void Draw(HDC dc, const RECT& client);
  void OnMouseMove(LPARAM lParam);
  void OnButtonDown();
  void OnButtonUp(LPARAM lParam);
  // Repaints, asks for a leave notice and tells the parent of a click, as the model says.
  void Apply(const ui::BtnMouseEffect& effect);
  bool Inside(LPARAM lParam) const;
  void Repaint();
  const ui::SkinImage& ImageFor(ui::BtnImage image) const;

  ui::PngBtnModel m_model;
  ui::SkinImage m_normal;
  ui::SkinImage m_hover;
  ui::SkinImage m_down;
  ui::SkinImage m_disabled;
  ui::SkinImage m_icon;
  // The parent's background under the button, and where it starts inside the button (the button
  // may stick out of the picture).
  ui::SkinImage m_background;
  POINT m_backgroundAt{0, 0};
  ui::Font m_ownFont;
  HFONT m_font = nullptr;
  ui::Region m_clip;
  ui::OffscreenBuffer m_buffer;
  HWND m_tooltip = nullptr;
  bool m_tooltipsOn = false;
};
