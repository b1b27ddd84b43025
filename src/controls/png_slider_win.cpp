#include "controls/png_slider_win.h"

#include "controls/png_slider_bar_win.h"

namespace {

const wchar_t kThumbClass[] = L"VelkorSliderThumb";

}  // namespace

bool CPngSlider::Create(CPngSliderBar* bar, int32_t id, const std::u16string& image) {
  m_bar = bar;
  if (!image.empty()) m_image.LoadSkin(image);
  m_model.SetId(id);
  RECT rect = {0, 0, m_image.width(), m_image.height()};
  return WindowBase::Create(kThumbClass, WS_CHILD | WS_VISIBLE, 0, rect, bar->hwnd(), L"",
                            static_cast<UINT_PTR>(id));
}

void CPngSlider::Place() {
  if (!hwnd() || !m_bar) return;
  RECT track;
  GetClientRect(m_bar->hwnd(), &track);
  int x, y;
  if (m_model.Vertical()) {
    x = (track.right - m_image.width()) / 2;
    y = m_model.ThumbOffset();
  } else {
    x = m_model.ThumbOffset();
    y = (track.bottom - m_image.height()) / 2;
  }
  RECT now;
  GetWindowRect(hwnd(), &now);
  MapWindowPoints(nullptr, m_bar->hwnd(), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == x && now.top == y) return;
  // The track repaints the strip the thumb leaves and the thumb paints itself, both from their
  // off-screen buffers and before anything else is drawn, so a drag never shows a gap.
  SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  UpdateWindow(m_bar->hwnd());
  UpdateWindow(hwnd());
}

int32_t CPngSlider::TrackCoordinate(LPARAM lParam) const {
  POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(hwnd(), m_bar->hwnd(), &pt, 1);
  return m_model.Vertical() ? pt.y : pt.x;
}

void CPngSlider::Post(const SliderReport& report) const {
  if (report && m_bar) PostMessageW(m_bar->hwnd(), report.message, static_cast<WPARAM>(report.value), report.id);
}

void CPngSlider::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT&) {
    POINT origin = {0, 0};
    MapWindowPoints(hwnd(), m_bar->hwnd(), &origin, 1);
    m_bar->DrawUnder(dc, -origin.x, -origin.y);
    m_image.Draw(dc, 0, 0);
  });
}

void CPngSlider::OnButtonDown(LPARAM lParam) {
  if (m_model.Press(TrackCoordinate(lParam))) SetCapture(hwnd());
}

void CPngSlider::OnMouseMove(LPARAM lParam) {
  if (!m_model.Dragging()) return;
  bool moved = false;
  SliderReport report = m_model.Drag(TrackCoordinate(lParam), &moved);
  if (moved) Place();
  Post(report);
}

void CPngSlider::OnButtonUp(LPARAM lParam) {
  if (!m_model.Dragging()) return;
  SliderReport report = m_model.Release(TrackCoordinate(lParam));
  // The drag is over before the capture goes, so losing it changes nothing.
  ReleaseCapture();
  Place();
  Post(report);
}

void CPngSlider::OnCaptureChanged() {
  if (!m_model.Dragging()) return;
  m_model.CancelDrag();
  Place();
}

LRESULT CPngSlider::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: OnButtonDown(lParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(lParam); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(); return 0;
    default: return Default(msg, wParam, lParam);
  }
}
