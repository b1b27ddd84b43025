// The key function picker window: the skinned modal dialog over KeyFunPicker. It captures keys
// on the combination page before anything else sees them, shows the macro library in a
// CTreeCtrlEx, the media functions in a CComboBtn and, in the per-key colour mode, a row of
// CColorBtnDlg swatches.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "controls/color_btn_dlg_win.h"
#include "controls/combo_btn_win.h"
#include "controls/gdi_win.h"
#include "controls/png_btn_win.h"
#include "controls/skin_image_win.h"
#include "controls/tree_ctrl_ex_win.h"
#include "controls/window_base_win.h"
#include "dialogs/key_fun_pick.h"

class CKeyFunPickDlg : public ui::WindowBase, private KeyFunPickView {
 public:
  CKeyFunPickDlg();
  ~CKeyFunPickDlg() override;

  // Builds the dialog for the request, centred over `parent`'s window, and runs it modally.
  KeyPickOutcome DoModal(HWND parent, const KeyPickRequest& request);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  // KeyFunPickView
  void ShowPage(int page) override;
  void SetComboCaption(const std::u16string& text) override;
  void SetMediaCaption(const std::u16string& text) override;
  void ShowNotice(const std::u16string& text) override;
  bool Confirm(const std::u16string& text) override;
  void Close(int modalResult) override;

  bool Build(HWND parent);
  void CreateControls();
  void CreatePageControl(int page);
  void CreateSwatches();
  void Draw(HDC dc, const RECT& client);
  void OnCommand(HWND from);
  void OnLeftDown(LPARAM lParam);

  CTreeCtrlEx m_tree;  // before the picker, which shows the library in its model
  KeyFunPicker m_picker;
  ui::SkinImage m_background;
  ui::Font m_font;
  ui::OffscreenBuffer m_buffer;
  CPngBtn m_tabs[3];
  CPngBtn m_ok;
  CPngBtn m_cancel;
  CPngBtn m_comboDisplay;
  CComboBtn m_media;
  std::vector<std::unique_ptr<CColorBtnDlg>> m_swatches;
};

// The picker for one key, as the main window opens it.
KeyPickOutcome RunKeyFunPickDlg(HWND parent, const KeyPickRequest& request);

// The skin pictures the picker shows, for a prefetch before the first key is clicked.
std::vector<std::u16string> KeyFunPickPictures();
