#include "controls/scroll_bar_win.h"

#include <windowsx.h>

namespace {

const wchar_t kScrollBarClass[] = L"VelkorScrollBar";
constexpr UINT_PTR kRepeatTimer = 1;
// As the system's own bar: a pause before a held button repeats, then a steady pace.
constexpr UINT kRepeatDelayMs = 350;
constexpr UINT kRepeatPeriodMs = 50;
constexpr int kThumbInset = 2;
constexpr int kGlyphHalfWidth = 4;
constexpr int kGlyphHeight = 4;

// The skin's colours: the panel's dark, its lines, and the accent on whatever is held down.
constexpr COLORREF kTrack = RGB(0x13, 0x16, 0x1B);
constexpr COLORREF kEdge = RGB(0x26, 0x2A, 0x33);
constexpr COLORREF kThumb = RGB(0x3B, 0x41, 0x4D);
constexpr COLORREF kThumbHover = RGB(0x58, 0x60, 0x70);
constexpr COLORREF kAccent = RGB(0x00, 0xAA, 0xFF);
constexpr COLORREF kGlyph = RGB(0x7A, 0x80, 0x8C);
constexpr COLORREF kGlyphHover = RGB(0xD9, 0xDC, 0xE3);
constexpr COLORREF kGlyphIdle = RGB(0x33, 0x38, 0x42);  // at the end it points to

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

}  // namespace

CSkinScrollBar::~CSkinScrollBar() { Destroy(); }

bool CSkinScrollBar::Create(HWND parent, ScrollCallback onScroll) {
  m_onScroll = std::move(onScroll);
  return WindowBase::Create(kScrollBarClass, WS_CHILD | WS_CLIPSIBLINGS, 0, RECT{0, 0, kSkinScrollBarWidth, 0},
                            parent);
}

void CSkinScrollBar::Place(const RECT& rect, bool shown) {
  if (!hwnd()) return;
  const bool visible = shown && m_model.Scrollable();
  RECT now{};
  GetWindowRect(hwnd(), &now);
  MapWindowPoints(nullptr, GetParent(hwnd()), reinterpret_cast<POINT*>(&now), 2);
  if (!EqualRect(&now, &rect))
    SetWindowPos(hwnd(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  const bool wasVisible = (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != wasVisible) ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE);
}

void CSkinScrollBar::SetRange(int32_t count, int32_t page, int32_t position) {
  if (count == m_model.Count() && page == m_model.Page() && position == m_model.Position()) return;
  m_model.SetRange(count, page, position);
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CSkinScrollBar::Moved(bool positionChanged) {
  InvalidateRect(hwnd(), nullptr, FALSE);
  if (positionChanged && m_onScroll) m_onScroll(m_model.Position());
}

void CSkinScrollBar::UpdateHover(int32_t at) {
  if (m_model.SetHover(m_model.HitTest(at))) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CSkinScrollBar::OnButtonDown(LPARAM lParam) {
  const int32_t at = GET_Y_LPARAM(lParam);
  // The keys scroll this list from now on, as they would a system bar's.
  SetFocus(hwnd());
  SetCapture(hwnd());
  const bool moved = m_model.Press(at);
  if (m_model.Pressed() != ScrollPart::kNone && !m_model.Dragging()) {
    m_repeating = false;
    SetTimer(hwnd(), kRepeatTimer, kRepeatDelayMs, nullptr);
  }
  Moved(moved);
}

void CSkinScrollBar::OnMouseMove(LPARAM lParam) {
  if (!m_tracking) {
    ui::TrackMouseLeave(hwnd());
    m_tracking = true;
  }
  const int32_t at = GET_Y_LPARAM(lParam);
  if (m_model.Dragging()) {
    Moved(m_model.Drag(at));
    return;
  }
  UpdateHover(at);
}

void CSkinScrollBar::OnButtonUp() {
  KillTimer(hwnd(), kRepeatTimer);
  if (m_model.Pressed() == ScrollPart::kNone) return;
  m_model.Release();
  if (GetCapture() == hwnd()) ReleaseCapture();
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CSkinScrollBar::OnTimer() {
  if (!m_repeating) {
    m_repeating = true;
    SetTimer(hwnd(), kRepeatTimer, kRepeatPeriodMs, nullptr);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(hwnd(), &cursor);
  if (m_model.Repeat(cursor.y)) Moved(true);
}

bool CSkinScrollBar::OnKey(WPARAM key) {
  ScrollKey scroll;
  switch (key) {
    case VK_UP: scroll = ScrollKey::kLineUp; break;
    case VK_DOWN: scroll = ScrollKey::kLineDown; break;
    case VK_PRIOR: scroll = ScrollKey::kPageUp; break;
    case VK_NEXT: scroll = ScrollKey::kPageDown; break;
    case VK_HOME: scroll = ScrollKey::kHome; break;
    case VK_END: scroll = ScrollKey::kEnd; break;
    default: return false;
  }
  if (m_model.Key(scroll)) Moved(true);
  return true;
}

void CSkinScrollBar::DrawArrow(HDC dc, const RECT& box, bool up) const {
  const ScrollPart part = up ? ScrollPart::kLineUp : ScrollPart::kLineDown;
  const bool held = m_model.Pressed() == part;
  const bool hover = m_model.Hover() == part;
  if (hover || held) Fill(dc, box, kEdge);
  const bool atEnd = up ? m_model.Position() == 0 : m_model.Position() >= m_model.MaxPosition();
  const COLORREF glyph = held ? kAccent : atEnd ? kGlyphIdle : hover ? kGlyphHover : kGlyph;
  const int cx = (box.left + box.right) / 2;
  const int top = (box.top + box.bottom - kGlyphHeight) / 2;
  POINT points[3];
  if (up) {
    points[0] = POINT{cx - kGlyphHalfWidth, top + kGlyphHeight};
    points[1] = POINT{cx + kGlyphHalfWidth, top + kGlyphHeight};
    points[2] = POINT{cx, top};
  } else {
    points[0] = POINT{cx - kGlyphHalfWidth, top};
    points[1] = POINT{cx + kGlyphHalfWidth, top};
    points[2] = POINT{cx, top + kGlyphHeight};
  }
  SetDCBrushColor(dc, glyph);
  SetDCPenColor(dc, glyph);
  ui::Selected brush(dc, GetStockObject(DC_BRUSH));
  ui::Selected pen(dc, GetStockObject(DC_PEN));
  Polygon(dc, points, 3);
}

void CSkinScrollBar::Draw(HDC dc, const RECT& client) const {
  Fill(dc, client, kTrack);
  Fill(dc, RECT{client.left, client.top, client.left + 1, client.bottom}, kEdge);
  const int arrow = m_model.ArrowLength();
  DrawArrow(dc, RECT{client.left + 1, client.top, client.right, client.top + arrow}, true);
  DrawArrow(dc, RECT{client.left + 1, client.bottom - arrow, client.right, client.bottom}, false);
  if (m_model.ThumbLength() <= 0) return;
  const ScrollPart thumb = ScrollPart::kThumb;
  const COLORREF colour = m_model.Dragging() ? kAccent : m_model.Hover() == thumb ? kThumbHover : kThumb;
  const int top = client.top + m_model.ThumbStart();
  Fill(dc, RECT{client.left + kThumbInset + 1, top, client.right - kThumbInset, top + m_model.ThumbLength()},
       colour);
}

LRESULT CSkinScrollBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT painted = 0;
  if (ui::HandlePaintMessage(hwnd(), m_buffer, msg, wParam, painted,
                             [this](HDC dc, const RECT& client) { Draw(dc, client); }))
    return painted;
  switch (msg) {
    case WM_SIZE:
      m_model.SetGeometry(HIWORD(lParam), LOWORD(lParam));  // square arrows, as wide as the bar
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: OnButtonDown(lParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(); return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd()) OnButtonUp();
      return 0;
    case WM_MOUSELEAVE:
      m_tracking = false;
      if (m_model.SetHover(ScrollPart::kNone)) InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer) OnTimer();
      return 0;
    case WM_KEYDOWN:
      if (OnKey(wParam)) return 0;
      return Default(msg, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return Default(msg, wParam, lParam);
  }
}
