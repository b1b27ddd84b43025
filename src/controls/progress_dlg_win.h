// The progress dialog of a long operation: a bar drawn from two skin pictures, driven from
// another thread by posted messages. Its window title is "MyProgressDlg..", by which the apply
// worker finds it, sends WM_PROGRESS_SETPOS (wParam the position) and closes it with WM_CLOSE.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "controls/gdi_win.h"
#include "controls/png_btn_win.h"
#include "controls/progress_model.h"
#include "controls/skin_image_win.h"
#include "controls/window_base_win.h"

class CProgressDlg : public ui::WindowBase {
 public:
  CProgressDlg() = default;
  ~CProgressDlg() override;

  // Background and fill pictures from the skin folder (the fill is the same picture with the
  // bar full).
  void SetImages(const char16_t* background, const char16_t* fill);
  void SetCaption(const std::u16string& text, const RECT& rect);
  // The bar's pixel bounds; only left and right decide how much of the fill shows.
  void SetBarBounds(const RECT& bounds);
  void SetRange(int minimum, int maximum);
  void SetPos(int64_t position);
  int Pos() const { return m_model.Pos(); }
  // Writes every position change and the closing to the system's debug output.
  void SetDebug(bool on) { m_debug = on; }

  // Creates the window (hidden) centred over `owner`; false when it cannot be made.
  bool CreateDlg(HWND owner);
  // Shows it and waits until it is closed (WM_CLOSE or the exit button).
  void RunDlg(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  void OnPaint();
  void Draw(HDC dc, const RECT& client);
  void OnSetPos(WPARAM position);
  void OnClose();

  ui::ProgressModel m_model;
  std::u16string m_backgroundName = u"progress_nr.png";
  std::u16string m_fillName = u"progress_ov.png";
  ui::SkinImage m_background;
  ui::SkinImage m_fill;
  std::u16string m_caption;
  RECT m_captionRect{0, 0, 0, 0};
  int m_barLeft = 0;
  int m_barRight = 0;
  bool m_debug = false;
  ui::Font m_font;
  ui::OffscreenBuffer m_buffer;
  CPngBtn m_exit;
};

// The progress dialog of the Apply command, set up as the main window shows it: the skin's
// progress pictures, tc_msg12 as caption, range 0..100 at 0. `start` runs once the window
// exists (queue the work there, so the worker finds the window at its first look); returns
// when the worker (or the user) has closed it.
void RunApplyProgress(HWND owner, const std::function<void()>& start);
