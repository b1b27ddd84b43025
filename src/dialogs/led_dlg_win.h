// CLedDlg: the lighting panel, a child window of the main window for the main window's life. What
// it shows and what a click does are LedPanel's; this window creates the controls, turns their
// notifications into presenter calls, mirrors the presenter's state into the controls and paints
// the background and labels.
//
// The main window:
//   1. Create(mainWindow, {19, 244, 19 + 242, 244 + 252}, mainBackground) in its initialisation,
//      with its main_nr.png as drawn at its client origin;
//   2. SetKeyboardView(view) with the keyboard view;
//   3. Load(profile) whenever the current profile changes, is reloaded or reset (and Load(nullptr)
//      before the profile list it points into is emptied);
//   4. PickKeyColor(slot, colour) when the key function picker returns a colour for a key;
//   5. SetMenuOwner(owner) to offer a menu on a right click.
// With ApplyNow set the panel queues its own apply requests (2 after a slider, 6 after any other
// lighting change, 4 after a key colour).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/color_btn_dlg_win.h"
#include "controls/combo_btn_win.h"
#include "controls/gdi_win.h"
#include "controls/png_btn_win.h"
#include "controls/png_slider_bar_win.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"
#include "dialogs/led_panel.h"

// Whoever offers the menu a right click on the panel opens. The menu belongs to the panel's
// window (so do menus the owner opens for other windows on the panel's behalf), and what is
// picked in it comes back through the panel.
class LedPanelMenuOwner {
 public:
  virtual ~LedPanelMenuOwner() = default;
  virtual void OnPanelRightClick(POINT screen) = 0;
  virtual void OnPanelMenuPicked(WPARAM value, LPARAM menuNumber) = 0;
};

class CLedDlg : public ui::WindowBase {
 public:
  // `request` queues an apply run (RequestApply when empty).
  explicit CLedDlg(LedPanel::Requester request = nullptr);

  bool Create(HWND mainWindow, const RECT& rect, const ui::SkinImage& mainBackground);
  // The skin pictures Create loads, for decoding ahead of it.
  static std::vector<std::u16string> Pictures();
  void SetKeyboardView(LedKeyboardView* view) { m_panel.SetKeyboardView(view); }
  void SetMenuOwner(LedPanelMenuOwner* owner) { m_menuOwner = owner; }
  void Load(PROFILEINFO* profile);
  bool PickKeyColor(int slot, uint32_t color);
  bool Commit() { return m_panel.Commit(); }

  const LedPanel& Presenter() const { return m_panel; }
  // The presenter's state into the controls; repaints what changed.
  void Sync();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void CreateSlider(CPngSliderBar& slider, int32_t id, const RECT& rect);
  void CreateButton(CPngBtn& button, const char16_t* normal, const char16_t* hover, const char16_t* down, int x,
                    int y, UINT id);
  void CreateCombo(CComboBtn& combo, int x, int y, UINT id);
  void OnCommand(WPARAM wParam);
  void OnPaint();
  void DrawLabel(HDC dc, const std::u16string& text, const RECT& rect, COLORREF color, UINT format) const;
  void OnSlider(UINT msg, WPARAM value, LPARAM id);
  void OnBackgroundPress(LPARAM lParam);
  void OnContextMenu(LPARAM lParam);
  void OnMenuPicked(WPARAM value, LPARAM menuNumber);

  LedPanel m_panel;
  ui::SkinImage m_background;
  ui::OffscreenBuffer m_buffer;
  ui::Font m_font;
  CPngSliderBar m_brightness;
  CPngSliderBar m_speed;
  CPngBtn m_alwaysOn;
  CPngBtn m_random;
  CPngBtn m_left;
  CPngBtn m_right;
  CComboBtn m_mode;
  CComboBtn m_group;
  CColorBtnDlg m_swatches[kSwatchCount];
  LedPanelMenuOwner* m_menuOwner = nullptr;
  LedPanelState m_shown;  // what the controls and labels show now
  bool m_synced = false;
};
