// Owners for GDI objects, the off-screen buffer every paint goes through, and hover tracking.
// Windows make their fonts, brushes and buffers once and keep them; nothing here allocates per
// paint once the window has its size.
#pragma once

#include <windows.h>

#include <cstdint>

#include "controls/premultiplied.h"

namespace ui {

// Deletes a pen, brush, font, bitmap or region when it goes.
template <class Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle h) : m_handle(h) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : m_handle(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void Reset(Handle h = nullptr) {
    if (m_handle) DeleteObject(m_handle);
    m_handle = h;
  }
  Handle Release() {
    Handle h = m_handle;
    m_handle = nullptr;
    return h;
  }

 private:
  Handle m_handle = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// A 32-bit top-down bitmap whose pixels (0xAARRGGBB, row after row) the caller writes directly.
inline HBITMAP CreatePixelBitmap(int width, int height, uint32_t** pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = static_cast<uint32_t*>(bits);
  if (bitmap && !bits) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

// A bitmap selected into a memory context of its own; the two are freed together.
class BitmapContext {
 public:
  BitmapContext() = default;
  ~BitmapContext() { Free(); }
  BitmapContext(const BitmapContext&) = delete;
  BitmapContext& operator=(const BitmapContext&) = delete;
  BitmapContext(BitmapContext&& other) noexcept { *this = static_cast<BitmapContext&&>(other); }
  BitmapContext& operator=(BitmapContext&& other) noexcept {
    if (this != &other) {
      Free();
      m_bitmap = other.m_bitmap;
      m_dc = other.m_dc;
      m_old = other.m_old;
      other.m_bitmap = nullptr;
      other.m_dc = nullptr;
      other.m_old = nullptr;
    }
    return *this;
  }

  // Takes `bitmap` (freed here even when this fails) into a context compatible with `like` (null:
  // the screen). False when either is missing.
  bool Hold(HDC like, HBITMAP bitmap) {
    Free();
    m_bitmap = bitmap;
    m_dc = CreateCompatibleDC(like);
    if (!m_bitmap || !m_dc) {
      Free();
      return false;
    }
    m_old = SelectObject(m_dc, m_bitmap);
    return true;
  }
  void Free() {
    if (m_dc) {
      if (m_old) SelectObject(m_dc, m_old);
      DeleteDC(m_dc);
    }
    if (m_bitmap) DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_dc = nullptr;
    m_old = nullptr;
  }
  HDC dc() const { return m_dc; }
  HBITMAP bitmap() const { return m_bitmap; }

 private:
  HBITMAP m_bitmap = nullptr;
  HDC m_dc = nullptr;
  HGDIOBJ m_old = nullptr;
};

// One 32-bit pixel in a memory context of its own, which AlphaBlend stretches over a rectangle to
// lay a translucent colour on it: no brush can.
class TranslucentFill {
 public:
  TranslucentFill() {
    uint32_t* pixel = nullptr;
    if (m_context.Hold(nullptr, CreatePixelBitmap(1, 1, &pixel))) m_pixel = pixel;
  }

  // `argb` with straight alpha.
  void SetColor(uint32_t argb) {
    if (!m_pixel) return;
    *m_pixel = Premultiplied(argb);
    GdiFlush();  // the pixel is read through the context from here on
  }
  void Fill(HDC dc, int x, int y, int width, int height) const {
    if (!m_pixel) return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width, height, m_context.dc(), 0, 0, 1, 1, blend);
  }

 private:
  BitmapContext m_context;
  uint32_t* m_pixel = nullptr;
};

// Puts an object into a device context for a scope and restores the previous one.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(m_dc, m_old); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// A memory device context with a bitmap the size of the window, kept between paints and made
// again only when the window grows. A paint draws everything into it and presents it in one
// transfer, so nothing on the screen is ever half drawn.
class OffscreenBuffer {
 public:
  OffscreenBuffer() = default;
  OffscreenBuffer(const OffscreenBuffer&) = delete;
  OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

  // The memory context to draw into, or null when it could not be made.
  HDC Begin(HDC screen, int width, int height) {
    m_width = width;
    m_height = height;
    if (!m_context.dc() || width > m_capacityWidth || height > m_capacityHeight) {
      m_capacityWidth = m_capacityHeight = 0;
      if (!m_context.Hold(screen, CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1)))
        return nullptr;
      m_capacityWidth = width;
      m_capacityHeight = height;
    }
    return m_context.dc();
  }
  void Present(HDC screen, int x = 0, int y = 0) const {
    if (m_context.dc()) BitBlt(screen, x, y, m_width, m_height, m_context.dc(), 0, 0, SRCCOPY);
  }

 private:
  BitmapContext m_context;
  int m_width = 0;
  int m_height = 0;
  int m_capacityWidth = 0;
  int m_capacityHeight = 0;
};

// Paints a window through its off-screen buffer: Begin/End paint around a draw into the buffer.
template <class Draw>
void PaintBuffered(HWND hwnd, OffscreenBuffer& buffer, Draw draw) {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  if (HDC dc = buffer.Begin(screen, client.right, client.bottom)) {
    draw(dc, client);
    buffer.Present(screen);
  }
  EndPaint(hwnd, &ps);
}

// Draws a window into a context someone else gives (WM_PRINTCLIENT: captures, tests).
template <class Draw>
void PrintClient(HWND hwnd, HDC dc, Draw draw) {
  RECT client;
  GetClientRect(hwnd, &client);
  draw(dc, client);
}

// The three paint messages of a window drawn whole by `draw`: WM_PAINT through the off-screen
// buffer, WM_PRINTCLIENT into the given context, WM_ERASEBKGND refused (the paint covers it all,
// and an erase first would flicker). True, with the message's result, when `msg` was one of them.
template <class Draw>
bool HandlePaintMessage(HWND hwnd, OffscreenBuffer& buffer, UINT msg, WPARAM wParam, LRESULT& result, Draw draw) {
  switch (msg) {
    case WM_PAINT: PaintBuffered(hwnd, buffer, draw); result = 0; return true;
    case WM_PRINTCLIENT: PrintClient(hwnd, reinterpret_cast<HDC>(wParam), draw); result = 0; return true;
    case WM_ERASEBKGND: result = 1; return true;
    default: return false;
  }
}

// Asks the system for a WM_MOUSELEAVE once the mouse leaves `hwnd`.
inline void TrackMouseLeave(HWND hwnd) {
  TRACKMOUSEEVENT tme = {};
  tme.cbSize = sizeof tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = hwnd;
  TrackMouseEvent(&tme);
}

// Ends the mouse tracking of `topLevel` or any window inside it, and gives the tracked window its
// WM_MOUSELEAVE. Called when the window hides or shrinks to the task bar: Wine decides that the
// mouse left by looking inside the tracked window only, so a hidden button under the cursor would
// stay "hovered", and the system would wake the program every 400 ms to check, for as long as it
// sits in the tray.
inline void EndMouseTrackingWithin(HWND topLevel) {
  TRACKMOUSEEVENT query = {};
  query.cbSize = sizeof query;
  query.dwFlags = TME_QUERY;
  if (!TrackMouseEvent(&query) || !query.hwndTrack) return;
  if (query.hwndTrack != topLevel && !IsChild(topLevel, query.hwndTrack)) return;
  TRACKMOUSEEVENT cancel = {};
  cancel.cbSize = sizeof cancel;
  cancel.dwFlags = TME_CANCEL | (query.dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT));
  cancel.hwndTrack = query.hwndTrack;
  TrackMouseEvent(&cancel);
  if (query.dwFlags & TME_LEAVE) PostMessageW(query.hwndTrack, WM_MOUSELEAVE, 0, 0);
}

// Hover state of a window: the first move asks the system for a leave notification.
class MouseLeaveTracker {
 public:
  // True when the mouse has just entered (repaint then).
  bool OnMouseMove(HWND hwnd) {
    if (m_hovering) return false;
    TrackMouseLeave(hwnd);
    m_hovering = true;
    return true;
  }
  // On WM_MOUSELEAVE: true when the state changed.
  bool OnMouseLeave() {
    const bool was = m_hovering;
    m_hovering = false;
    return was;
  }
  bool hovering() const { return m_hovering; }

 private:
  bool m_hovering = false;
};

}  // namespace ui
