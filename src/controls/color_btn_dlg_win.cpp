#include "controls/color_btn_dlg_win.h"

#include <windowsx.h>

namespace {

const wchar_t kColorBtnClass[] = L"VelkorColorBtn";

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool CColorBtnDlg::CreateSwatch(HWND parent, const RECT& rect, const ColorSwatch& state) {
  m_state = state;
  MakeBrushes();
  m_nonePen.Reset(CreatePen(PS_SOLID, 1, kSwatchNoneLine));
  return Create(kColorBtnClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, rect, parent, L"",
                static_cast<UINT_PTR>(1000 + state.index));
}

void CColorBtnDlg::MakeBrushes() {
  m_background.Reset(CreateSolidBrush(kSwatchBackground));
  m_fill.Reset(CreateSolidBrush(m_state.colour));
  m_selectedBorder.Reset(CreateSolidBrush(m_state.selectedBorder));
  m_normalBorder.Reset(CreateSolidBrush(m_state.normalBorder));
}

void CColorBtnDlg::SetSelected(bool selected) {
  if ((m_state.selected != 0) == selected) return;
  m_state.selected = selected ? 1 : 0;
  Repaint();
}

void CColorBtnDlg::SetColour(uint32_t colour) {
  if (m_state.colour == colour) return;
  m_state.colour = colour;
  m_fill.Reset(CreateSolidBrush(colour));
  Repaint();
}

void CColorBtnDlg::Repaint() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CColorBtnDlg::Draw(HDC dc, const RECT& client) {
  const SwatchPaint paint = m_state.Paint(client.right, client.bottom);
  RECT window = ToRect(paint.window);
  FillRect(dc, &window, m_background.get());
  if (paint.crossed) {
    ui::Selected pen(dc, m_nonePen.get());
    MoveToEx(dc, paint.lineFromX, paint.lineFromY, nullptr);
    LineTo(dc, paint.lineToX, paint.lineToY);
  }
  if (paint.filled) {
    RECT fill = ToRect(paint.fill);
    FillRect(dc, &fill, m_fill.get());
  }
  FrameRect(dc, &window, m_state.selected ? m_selectedBorder.get() : m_normalBorder.get());
}

void CColorBtnDlg::OnLeftUp(LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd(), &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!PtInRect(&client, at)) return;
  const SwatchClick click = m_state.Click();
  PostMessageW(GetParent(hwnd()), WM_SWATCH_CLICKED, click.wParam, click.lParam);
}

LRESULT CColorBtnDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT painted = 0;
  if (ui::HandlePaintMessage(hwnd(), m_buffer, msg, wParam, painted,
                             [this](HDC dc, const RECT& client) { Draw(dc, client); }))
    return painted;
  switch (msg) {
    case WM_LBUTTONDOWN: SetCapture(hwnd()); return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd()) ReleaseCapture();
      OnLeftUp(lParam);
      return 0;
    case WM_LBUTTONDBLCLK: return 0;
    default: return Default(msg, wParam, lParam);
  }
}
