// The main window's stand-in until the full main window exists: a skinned top-level window
// titled with the program's title that comes forward when a second copy signals it and ends the
// program when closed.
#pragma once

#include <windows.h>

#include <string>

class CProvisionalWnd {
 public:
  explicit CProvisionalWnd(HINSTANCE instance) : instance_(instance) {}
  // Shows the window and runs its message loop until it is closed.
  void RunModal(const std::u16string& title, const std::u16string& version);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& client);
  RECT CloseBox() const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  std::wstring title_;
  std::wstring version_;
  bool closeHot_ = false;
  int width_ = 0;
  int height_ = 0;
};
