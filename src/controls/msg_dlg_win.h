// The skinned message box: notice, confirmation, text box, number box and key-capture box in
// one window drawn over the skin's msg_nr.png. It runs modally and ends with kMsgOk or
// kMsgCancel (ui/msg_box_model.h); the results are read afterwards.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/gdi_win.h"
#include "controls/msg_box_model.h"
#include "controls/png_btn_win.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"

class CMsgDlg : public ui::WindowBase {
 public:
  CMsgDlg();
  ~CMsgDlg() override;

  void SetType(int type) { m_model.type = type; }
  void SetTitle(const std::u16string& title) { m_model.title = title; }
  void SetMessage(const std::u16string& message) { m_model.message = message; }
  // Capture box: each key replaces the capture; with `ignoreModifiers` modifier keys are not taken.
  void SetSingleKey(bool singleKey, bool ignoreModifiers = false);

  // Shows the box centred over `owner` (the screen when it has none or it is hidden) and waits
  // for OK or Cancel. Without msg_nr.png the box cannot show and ends as Cancel at once.
  int DoModal(HWND owner);

  // After OK: the typed text (type 2), number (type 3) or combination (type 4).
  const std::u16string& Text() const { return m_model.text; }
  int32_t Number() const { return m_model.number; }
  uint8_t Modifiers() const { return m_model.capture.modifiers; }
  uint8_t Key1() const { return m_model.capture.key1; }
  uint8_t Key2() const { return m_model.capture.key2; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  bool Build(HWND owner);
  void CreateButtons(const ui::MsgBoxLayout& layout);
  void CreateField(const ui::MsgBoxLayout& layout);
  void OnPaint();
  void Draw(HDC dc);
  void OnCommand(HWND from);
  void OnOk();
  LRESULT OnFieldColour(HDC dc);
  void Act(ui::MsgKeyAction action);
  void ShowCapture();

  ui::MsgBoxModel m_model;
  ui::MsgBoxLayout m_layout;
  ui::SkinImage m_background;
  ui::SkinImage m_icon;
  ui::Font m_textFont;
  ui::Font m_titleFont;
  ui::Brush m_fieldBrush;
  ui::OffscreenBuffer m_buffer;
  CPngBtn m_exit;
  CPngBtn m_ok;
  CPngBtn m_cancel;
  HWND m_field = nullptr;
};

// A notice (type 1) with `text`; true when it ended with OK.
bool ShowNotice(HWND owner, const std::u16string& text, const std::u16string& title = u"");
// A confirmation (type 5, OK and Cancel); true only when the user pressed OK.
bool ShowConfirm(HWND owner, const std::u16string& text, const std::u16string& title = u"");
