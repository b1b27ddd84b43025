#include "controls/png_slider_bar_win.h"

#include "platform/platform.h"

namespace {

const wchar_t kTrackClass[] = L"VelkorSliderTrack";

}  // namespace

bool CPngSliderBar::Create(HWND parent, int32_t id, const std::u16string& thumbImage,
                           const std::u16string& trackImage, const RECT& rect,
                           const ui::SkinImage* parentBackground, bool vertical) {
  m_id = id;
  if (!trackImage.empty()) m_track.LoadSkin(trackImage);
  if (parentBackground) m_background.CropFrom(*parentBackground, rect);
  bool made = WindowBase::Create(kTrackClass, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, rect, parent, L"",
                                 static_cast<UINT_PTR>(id)) &&
              m_thumb.Create(this, id, thumbImage);
  if (!made) {
    plat::ShowMessageBox(u"Create slider failed", u"Warrning", plat::kMbOk);
    return false;
  }
  const ui::SkinImage& thumb = m_thumb.Image();
  const LONG length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  m_thumb.Model().SetGeometry(length, vertical ? thumb.height() : thumb.width(), vertical);
  m_thumb.Place();
  return true;
}

void CPngSliderBar::SetRange(int32_t minimum, int32_t maximum) {
  m_thumb.Model().SetRange(minimum, maximum);
  m_thumb.Place();
}

bool CPngSliderBar::SetScale(int count, const int32_t* positions) {
  bool matches = m_thumb.Model().SetScale(count, positions);
  m_thumb.Place();
  return matches;
}

void CPngSliderBar::SetValueTable(int count, const int32_t* values) { m_thumb.Model().SetValueTable(count, values); }

void CPngSliderBar::SetPosition(int32_t value, bool notify) {
  SliderReport report = m_thumb.Model().SetPosition(value, notify);
  m_thumb.Place();
  if (report) Forward(report.message, static_cast<WPARAM>(report.value));
}

void CPngSliderBar::DrawUnder(HDC dc, int x, int y) const {
  if (!m_background.empty()) m_background.Draw(dc, x, y);
  m_track.Draw(dc, x, y);
}

void CPngSliderBar::Forward(UINT msg, WPARAM value) const {
  if (HWND parent = GetParent(hwnd())) PostMessageW(parent, msg, value, m_id);
}

void CPngSliderBar::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT& client) {
    if (m_background.empty()) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawUnder(dc, 0, 0);
  });
}

void CPngSliderBar::OnButtonUp(LPARAM lParam) {
  if (!m_pressed) return;
  m_pressed = false;
  ReleaseCapture();
  POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  RECT client;
  GetClientRect(hwnd(), &client);
  if (!PtInRect(&client, pt)) return;
  SliderModel& model = m_thumb.Model();
  SliderReport report = model.ClickTrack(model.Vertical() ? pt.y : pt.x);
  m_thumb.Place();
  if (report) Forward(report.message, static_cast<WPARAM>(report.value));
}

LRESULT CPngSliderBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
      m_pressed = true;
      SetCapture(hwnd());
      return 0;
    case WM_LBUTTONUP: OnButtonUp(lParam); return 0;
    case WM_CAPTURECHANGED: m_pressed = false; return 0;
    case WM_SLIDER_SET:
    case WM_SLIDER_TRACK: Forward(msg, wParam); return 0;
    default: return Default(msg, wParam, lParam);
  }
}
