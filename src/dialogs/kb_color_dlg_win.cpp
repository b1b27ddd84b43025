#include "dialogs/kb_color_dlg_win.h"

#include <windowsx.h>

namespace {

const wchar_t kClassName[] = L"VelkorKeyboardView";

COLORREF ToColorRef(uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

}  // namespace

CKBColorDlg::~CKBColorDlg() { Destroy(); }

bool CKBColorDlg::CreateView(HWND parent, const RECT& rect, UINT controlId) {
  m_keys.LoadSkin(kKeysPicture);
  SetMarkColor(0x0000FF);
  SetHoverColor(0x0000FF);
  return Create(kClassName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, rect, parent, L"", controlId);
}

HPEN CKBColorDlg::PenFor(uint32_t argb) {
  if (argb == m_markArgb) return m_markPen.get();
  if (argb == m_clickedArgb) return m_clickedPen.get();
  return m_hoverPen.get();
}

void CKBColorDlg::SetHoverColor(uint32_t bgr) {
  m_model.SetHoverColor(bgr);
  m_hoverArgb = ColorToArgb(bgr, kOutlineAlpha);
  m_hoverPen.Reset(CreatePen(PS_SOLID, 1, ToColorRef(m_hoverArgb)));
}

void CKBColorDlg::SetMarkColor(uint32_t bgr) {
  m_model.SetMarkColor(bgr);
  m_markArgb = ColorToArgb(bgr, kOutlineAlpha);
  m_markPen.Reset(CreatePen(PS_SOLID, 1, ToColorRef(m_markArgb)));
}

void CKBColorDlg::SetClickedColor(uint32_t bgr) {
  m_model.SetClickedColor(bgr);
  m_clickedArgb = ColorToArgb(bgr, kOutlineAlpha);
  m_clickedPen.Reset(CreatePen(PS_SOLID, 1, ToColorRef(m_clickedArgb)));
}

void CKBColorDlg::SetKeys(const RECT32* rects, int count) {
  m_model.SetKeys(rects, count);
  Repaint();
}

void CKBColorDlg::SetBackground(const ui::SkinImage& source, const RECT& part) {
  if (!m_background.CropFrom(source, part)) m_background.Reset();
  Repaint();
}

void CKBColorDlg::SetShape(int key, const POINT32* points, int count) {
  if (!m_model.SetShape(key, points, count)) return;
  POINT pts[kMaxPolygonPoints];
  const int n = m_model.ShapePointCount();
  for (int i = 0; i < n; ++i) pts[i] = POINT{m_model.ShapePoints()[i].x, m_model.ShapePoints()[i].y};
  m_shapeRegion.Reset(CreatePolygonRgn(pts, n, ALTERNATE));
  Repaint();
}

void CKBColorDlg::MarkKey(int key, uint32_t value) {
  if (m_model.MarkKey(key, value)) Repaint();
}

void CKBColorDlg::SetAllMarks(const uint32_t* marks) {
  m_model.SetAllMarks(marks);
  Repaint();
}

void CKBColorDlg::SetAllKeyColors(const uint32_t* colors) {
  m_model.SetAllKeyColors(colors);
  Repaint();
}

void CKBColorDlg::SetKeyColor(int key, uint32_t bgr) {
  if (m_model.SetKeyColor(key, bgr)) Repaint();
}

void CKBColorDlg::Repaint() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT CKBColorDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_LBUTTONUP: OnButtonUp(lParam); return 0;
    default: return Default(msg, wParam, lParam);
  }
}

void CKBColorDlg::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CKBColorDlg::Draw(HDC dc, const RECT& client) {
  if (!m_background.empty())
    m_background.Draw(dc, client);
  else
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (!m_keys.empty()) m_keys.Draw(dc, client);
  ui::Selected brush(dc, GetStockObject(NULL_BRUSH));
  m_model.ForEachPaintStep([&](const KeyPaintStep& step) {
    if (step.kind == KeyPaintStep::kOutline)
      DrawOutline(dc, step.key, PenFor(step.argb));
    else
      DrawTint(dc, step.key, step.argb);
  });
}

void CKBColorDlg::DrawOutline(HDC dc, int key, HPEN pen) {
  ui::Selected selected(dc, pen);
  if (key == m_model.ShapedKey()) {
    POINT pts[kMaxPolygonPoints];
    const int n = m_model.ShapePointCount();
    for (int i = 0; i < n; ++i) pts[i] = POINT{m_model.ShapePoints()[i].x, m_model.ShapePoints()[i].y};
    Polyline(dc, pts, n);
    return;
  }
  // The lines lie on the outline rectangle's edges, right and bottom included.
  const RECT32 r = m_model.OutlineRect(key);
  Rectangle(dc, r.left, r.top, r.right + 1, r.bottom + 1);
}

void CKBColorDlg::DrawTint(HDC dc, int key, uint32_t argb) {
  m_tint.SetColor(argb);
  const RECT32& r = m_model.KeyRect(key);
  const bool shaped = key == m_model.ShapedKey() && m_shapeRegion;
  if (shaped) SelectClipRgn(dc, m_shapeRegion.get());
  m_tint.Fill(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (shaped) SelectClipRgn(dc, nullptr);
}

void CKBColorDlg::OnMouseMove(LPARAM lParam) {
  m_tracker.OnMouseMove(hwnd());
  if (m_model.MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) Repaint();
}

void CKBColorDlg::OnMouseLeave() {
  m_tracker.OnMouseLeave();
  if (m_model.MouseLeave()) Repaint();
}

void CKBColorDlg::OnButtonUp(LPARAM lParam) {
  if (m_model.ButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) Repaint();
  const int key = m_model.Clicked();
  if (key != KeyboardViewModel::kNone)
    PostMessageW(GetParent(hwnd()), WM_KEY_CLICKED, static_cast<WPARAM>(key), 0);
}
