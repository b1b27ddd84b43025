// What the skinned-window tests share: GDI+ running, a program folder of their own whose skin
// folder holds plain-coloured pictures written by the test, a message pump with a deadline, and
// a look at what a window draws.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "config/folders.h"

namespace skintest {

class Gdiplus {
 public:
  Gdiplus() {
    ::Gdiplus::GdiplusStartupInput input;
    ::Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
  }
  ~Gdiplus() { ::Gdiplus::GdiplusShutdown(m_token); }

 private:
  ULONG_PTR m_token = 0;
};

// A program folder under the temporary folder; g_ProgramFolder points at it while it lives.
class ProgramFolder {
 public:
  ProgramFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    m_folder = std::wstring(temp) + L"velkor-skin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++serial) + L"\\";
    CreateDirectoryW(m_folder.c_str(), nullptr);
    CreateDirectoryW((m_folder + L"skins").c_str(), nullptr);
    m_saved = g_ProgramFolder;
    g_ProgramFolder.assign(m_folder.begin(), m_folder.end());
  }
  ~ProgramFolder() {
    for (const std::wstring& f : m_files) DeleteFileW(f.c_str());
    RemoveDirectoryW((m_folder + L"skins").c_str());
    RemoveDirectoryW(m_folder.c_str());
    g_ProgramFolder = m_saved;
  }

  // skins\<name> as an opaque picture of one colour (0xRRGGBB).
  void Picture(const wchar_t* name, int width, int height, uint32_t rgb) {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD pixelBytes = static_cast<DWORD>(width) * height * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xFF000000u | rgb);
    std::wstring path = m_folder + L"skins\\" + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, &file, sizeof file, &written, nullptr);
    WriteFile(h, &info, sizeof info, &written, nullptr);
    WriteFile(h, pixels.data(), pixelBytes, &written, nullptr);
    CloseHandle(h);
    m_files.push_back(path);
  }

  // skins\<name> as a PNG one pixel high, of 0xAARRGGBB pixels with straight alpha (GDI+ running).
  void PngRow(const wchar_t* name, const std::vector<uint32_t>& argb) {
    ::Gdiplus::Bitmap row(static_cast<INT>(argb.size()), 1, PixelFormat32bppARGB);
    for (size_t x = 0; x < argb.size(); ++x) row.SetPixel(static_cast<INT>(x), 0, ::Gdiplus::Color(argb[x]));
    UINT count = 0, bytes = 0;
    ::Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<uint8_t> buffer(bytes);
    auto* encoders = reinterpret_cast<::Gdiplus::ImageCodecInfo*>(buffer.data());
    ::Gdiplus::GetImageEncoders(count, bytes, encoders);
    const std::wstring path = m_folder + L"skins\\" + name;
    for (UINT i = 0; i < count; ++i)
      if (std::wstring(encoders[i].MimeType) == L"image/png") {
        ASSERT_EQ(row.Save(path.c_str(), &encoders[i].Clsid, nullptr), ::Gdiplus::Ok);
        m_files.push_back(path);
        return;
      }
    FAIL() << "no PNG encoder";
  }

 private:
  std::wstring m_folder;
  std::u16string m_saved;
  std::vector<std::wstring> m_files;
};

// With VELKOR_SHOT_DIR: waits (up to 20 s) for an outside script to take a screenshot.
inline void ShotPoint(const char* name) {
  const char* dir = std::getenv("VELKOR_SHOT_DIR");
  if (!dir || !*dir) return;
  const std::string marker = std::string(dir) + "\\" + name + ".ready";
  HANDLE h = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  CloseHandle(h);
  for (int i = 0; i < 1000 && GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
}

// Checks `done` every 20 ms (the window under test runs on another thread); false after five
// seconds.
inline bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 250; ++i) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

// The first visible top-level window of the class, waited for up to five seconds; null if none.
inline HWND WaitForVisibleWindow(const wchar_t* className) {
  HWND found = nullptr;
  WaitFor([&] {
    found = FindWindowW(className, nullptr);
    return found && IsWindowVisible(found);
  });
  return found && IsWindowVisible(found) ? found : nullptr;
}

// A skinned button of a dialog, found by its caption (its window text).
inline HWND ButtonByCaption(HWND dialog, const std::u16string& caption) {
  const std::wstring text(caption.begin(), caption.end());
  return FindWindowExW(dialog, nullptr, L"VelkorPngBtn", text.c_str());
}

// Dispatches this thread's messages until `done` holds; false when `timeoutMs` passed first.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// What the window draws into its client area, through WM_PRINTCLIENT.
struct Drawing {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  // 0xRRGGBB at (x, y).
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

inline Drawing Capture(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  Drawing drawing;
  drawing.width = client.right;
  drawing.height = client.bottom;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const uint32_t* first = static_cast<const uint32_t*>(bits);
  drawing.pixels.assign(first, first + static_cast<size_t>(client.right) * client.bottom);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return drawing;
}

inline uint32_t DrawnPixel(HWND hwnd, int x, int y) { return Capture(hwnd).At(x, y); }

// Real mouse input, as the system delivers it from the display.
inline void MouseTo(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  SetCursorPos(p.x, p.y);
}

inline void MouseButton(bool down) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
}

}  // namespace skintest
