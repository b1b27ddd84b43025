#include "dialogs/led_dlg_win.h"

#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

const wchar_t kPanelClass[] = L"VelkorLedPanel";

enum : UINT {
  kIdAlwaysOn = 1001,
  kIdRandom,
  kIdLeft,
  kIdRight,
  kIdMode,
  kIdGroup,
};

// The control's own visibility, not IsWindowVisible's: that is false for every control while the
// main window is hidden, and a control shown by mistake would stay so.
void ShowIf(HWND window, bool shown) {
  if (!window) return;
  const bool visible = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != shown) ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
}

RECT ToRect(const RECT32& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

bool IsSwallowedKey(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE || msg.wParam == VK_SPACE || msg.wParam == VK_F1;
    default:
      return false;
  }
}

}  // namespace

CLedDlg::CLedDlg(LedPanel::Requester request) : m_panel(std::move(request)) {}

std::vector<std::u16string> CLedDlg::Pictures() {
  return {u"check_nr.png", u"check_ov.png", u"check_dn.png", u"lbtn_nr.png", u"lbtn_ov.png", u"rbtn_nr.png",
          u"rbtn_ov.png",  u"slider.png",   u"dpi_bar.png",  u"combo_nr.png", u"combo_ov.png"};
}

bool CLedDlg::Create(HWND mainWindow, const RECT& rect, const ui::SkinImage& mainBackground) {
  m_background.CropFrom(mainBackground, rect);
  m_font.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  if (!WindowBase::Create(kPanelClass, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, rect,
                          mainWindow))
    return false;
  CreateSlider(m_brightness, kBrightnessSliderId, ToRect(kBrightnessSliderRect));
  CreateSlider(m_speed, kSpeedSliderId, ToRect(kSpeedSliderRect));
  CreateButton(m_alwaysOn, u"check_nr.png", u"check_ov.png", u"check_dn.png", kAlwaysOnX, kAlwaysOnY, kIdAlwaysOn);
  CreateButton(m_random, u"check_nr.png", u"check_ov.png", u"check_dn.png", kRandomX, kRandomY, kIdRandom);
  CreateButton(m_left, u"lbtn_nr.png", u"lbtn_ov.png", u"lbtn_ov.png", kLeftArrowX, kArrowY, kIdLeft);
  CreateButton(m_right, u"rbtn_nr.png", u"rbtn_ov.png", u"rbtn_ov.png", kRightArrowX, kArrowY, kIdRight);
  CreateCombo(m_mode, kModeComboX, kModeComboY, kIdMode);
  for (uint32_t m = 0; m < kLedModes; ++m) m_mode.AddItem(0, m, g_Texts.*kLedModeTable[m].listText);
  CreateCombo(m_group, kGroupComboX, kGroupComboY, kIdGroup);
  for (uint32_t g = 0; g < kGameGroups; ++g) m_group.AddItem(0, g, u16::Format(u"%u", g + 1));
  m_group.SelectByValue(0);
  for (int i = 0; i < kSwatchCount; ++i) {
    ColorSwatch swatch;
    swatch.colour = kSwatchColours[i];
    swatch.index = i;
    PixelRect at = SwatchRow::Place(PixelRect{kSwatchX, kSwatchY, kSwatchX + kSwatchSide, kSwatchY + kSwatchSide},
                                    kSwatchGap, i);
    m_swatches[i].CreateSwatch(hwnd(), RECT{at.left, at.top, at.right, at.bottom}, swatch);
  }
  Sync();
  ShowWindow(hwnd(), SW_SHOW);
  return true;
}

void CLedDlg::CreateSlider(CPngSliderBar& slider, int32_t id, const RECT& rect) {
  if (!slider.Create(hwnd(), id, u"slider.png", u"dpi_bar.png", rect, &m_background)) return;
  slider.SetRange(kLedLevelMin, kLedLevelMax);
  if (!slider.SetScale(kLedLevelCount, kLedSliderScale))
    plat::ShowMessageBox(u"CPngSlider::SetScalePos  dwScale and Range unmatch!", u"Warning", plat::kMbOk);
  slider.SetLive(true);
  slider.SetPosition(kLedLevelMin, false);
}

void CLedDlg::CreateButton(CPngBtn& button, const char16_t* normal, const char16_t* hover, const char16_t* down,
                           int x, int y, UINT id) {
  button.CreatePngBtn(hwnd(), &m_background, normal, hover, down, nullptr, true, u"", g_Settings.BtnTips != 0, x, y,
                      id);
}

void CLedDlg::CreateCombo(CComboBtn& combo, int x, int y, UINT id) {
  combo.CreatePngBtn(hwnd(), &m_background, u"combo_nr.png", u"combo_ov.png", u"combo_nr.png", nullptr, false, u"",
                     g_Settings.BtnTips != 0, x, y, id);
  combo.SetActiveList(0);
  combo.Combo().SetMenuWidth(kComboListWidth);
}

void CLedDlg::Load(PROFILEINFO* profile) {
  m_panel.Load(profile);
  Sync();
}

bool CLedDlg::PickKeyColor(int slot, uint32_t color) {
  bool stored = m_panel.PickKeyColor(slot, color);
  Sync();
  return stored;
}

void CLedDlg::Sync() {
  if (!hwnd()) return;
  const LedPanelState& s = m_panel.State();
  auto syncSlider = [](CPngSliderBar& slider, bool shown, int32_t value) {
    if (slider.hwnd() && slider.Value() != value) slider.SetPosition(value, false);
    ShowIf(slider.hwnd(), shown);
  };
  syncSlider(m_brightness, s.brightnessShown, s.brightness);
  syncSlider(m_speed, s.speedShown, s.speed);
  auto syncButton = [](CPngBtn& button, bool shown, bool checked) {
    if (button.hwnd()) button.SetChecked(checked);
    ShowIf(button.hwnd(), shown);
  };
  syncButton(m_alwaysOn, true, s.alwaysOn);
  syncButton(m_random, s.randomShown, s.randomChecked);
  syncButton(m_left, s.directionShown, !s.directionRight);
  syncButton(m_right, s.directionShown, s.directionRight);
  auto syncCombo = [](CComboBtn& combo, bool shown, int32_t value) {
    if (combo.hwnd() && combo.SelectedValue() != value) combo.SelectByValue(static_cast<uint32_t>(value));
    ShowIf(combo.hwnd(), shown);
  };
  syncCombo(m_mode, true, static_cast<int32_t>(s.mode));
  syncCombo(m_group, s.gameGroupShown, s.gameGroup);
  for (int i = 0; i < kSwatchCount; ++i) {
    if (m_swatches[i].hwnd()) m_swatches[i].SetSelected(s.swatchSelected[i]);
    ShowIf(m_swatches[i].hwnd(), i < s.swatchesShown);
  }

  // Only the value labels change while a thumb is dragged: repaint just them then.
  LedPanelState labelsOnly = m_shown;
  labelsOnly.speedLabel = s.speedLabel;
  labelsOnly.brightnessLabel = s.brightnessLabel;
  const bool onlyLabels = m_synced && labelsOnly == s;
  if (!m_synced || m_shown != s) {
    if (onlyLabels) {
      RECT client, speed = ToRect(kSpeedValueRect), brightness = ToRect(kBrightnessValueRect);
      GetClientRect(hwnd(), &client);
      speed.right = brightness.right = client.right;  // values may run past their boxes
      InvalidateRect(hwnd(), &speed, FALSE);
      InvalidateRect(hwnd(), &brightness, FALSE);
    } else {
      InvalidateRect(hwnd(), nullptr, FALSE);
    }
  }
  m_shown = s;
  m_synced = true;
}

void CLedDlg::DrawLabel(HDC dc, const std::u16string& text, const RECT& rect, COLORREF color, UINT format) const {
  SetTextColor(dc, color);
  RECT r = rect;
  std::wstring wide = Wide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_SINGLELINE | DT_VCENTER | format);
}

void CLedDlg::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT& client) {
    if (m_background.empty())
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    else
      m_background.Draw(dc, client);
    ui::Selected font(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    const LedPanelState& s = m_panel.State();
    LedLabel labels[8];
    int count = LedPanelLabels(s, labels, 8);
    for (int i = 0; i < count; ++i)
      DrawLabel(dc, g_Texts.*labels[i].text, ToRect(labels[i].rect), g_Settings.Txt_clr, DT_END_ELLIPSIS);
    // "100 %" is wider than its 30-pixel box and the panel ends 7 pixels past it: the value is
    // never cut short, it ends 3 pixels before the panel's edge and grows to the left.
    if (s.brightnessShown) {
      RECT box = ToRect(kBrightnessValueRect);
      box.right = client.right - 3;
      DrawLabel(dc, BrightnessLabelText(s.brightnessLabel), box, g_Settings.Btn_txt_clr_nr, DT_NOCLIP | DT_RIGHT);
    }
    if (s.speedShown)
      DrawLabel(dc, SpeedLabelText(s.speedLabel), ToRect(kSpeedValueRect), g_Settings.Btn_txt_clr_nr, DT_NOCLIP);
  });
}

void CLedDlg::OnSlider(UINT msg, WPARAM value, LPARAM id) {
  if (msg == WM_SLIDER_TRACK)
    m_panel.SliderTracked(static_cast<int32_t>(id), static_cast<int32_t>(value));
  else
    m_panel.SliderSet(static_cast<int32_t>(id), static_cast<int32_t>(value));
  Sync();
}

void CLedDlg::OnCommand(WPARAM wParam) {
  if (HIWORD(wParam) != BN_CLICKED) return;
  switch (LOWORD(wParam)) {
    case kIdAlwaysOn: m_panel.ClickAlwaysOn(); break;
    case kIdRandom: m_panel.ClickRandom(); break;
    case kIdLeft: m_panel.ClickDirection(false); break;
    case kIdRight: m_panel.ClickDirection(true); break;
    case kIdMode: m_panel.ChooseMode(static_cast<uint32_t>(m_mode.SelectedValue())); break;
    case kIdGroup: m_panel.ChooseGameGroup(m_group.SelectedValue()); break;
    default: return;
  }
  Sync();
}

// A press on the background drags the main window, as a press on its caption would.
void CLedDlg::OnBackgroundPress(LPARAM lParam) {
  HWND main = GetParent(hwnd());
  if (!main) return;
  POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(hwnd(), &pt);
  PostMessageW(main, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

// Right clicks on the panel's controls come here too: the system hands a context-menu request a
// child does not handle to its parent.
void CLedDlg::OnContextMenu(LPARAM lParam) {
  if (!m_menuOwner) return;
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (lParam == -1) GetCursorPos(&at);  // from the keyboard: no point of its own
  m_menuOwner->OnPanelRightClick(at);
}

void CLedDlg::OnMenuPicked(WPARAM value, LPARAM menuNumber) {
  controls::CloseSkinnedMenu(hwnd());
  if (m_menuOwner) m_menuOwner->OnPanelMenuPicked(value, menuNumber);
}

bool CLedDlg::PreTranslateMessage(MSG& msg) { return IsSwallowedKey(msg); }

LRESULT CLedDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: OnBackgroundPress(lParam); return 0;
    case WM_COMMAND: OnCommand(wParam); return 0;
    case WM_SWATCH_CLICKED:
      m_panel.ClickSwatch(static_cast<int>(lParam));
      Sync();
      return 0;
    case WM_SLIDER_SET:
    case WM_SLIDER_TRACK: OnSlider(msg, wParam, lParam); return 0;
    case WM_CONTEXTMENU: OnContextMenu(lParam); return 0;
    case WM_MENU_PICKED: OnMenuPicked(wParam, lParam); return 0;
    case WM_DESTROY:
      controls::CloseSkinnedMenu(hwnd());  // a menu must not outlive its owner
      return Default(msg, wParam, lParam);
    default: return Default(msg, wParam, lParam);
  }
}
