#include "dialogs/key_fun_pick_dlg_win.h"

#include <windowsx.h>

#include <string>
#include <utility>

#include "config/settings.h"
#include "config/text_table.h"
#include "controls/msg_dlg_win.h"
#include "log/log.h"

namespace {

const wchar_t kPickerClass[] = L"VelkorKeyFunPick";
enum : UINT { kIdTab1 = 200, kIdOk = 210, kIdCancel = 211, kIdCombo = 212, kIdMedia = 213, kIdTree = 214 };
constexpr int kSwatchSide = 22;
constexpr UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
constexpr COLORREF kTreeSelectedText = 0x000000;
constexpr COLORREF kTreeNormalText = 0xDCDCDC;
constexpr COLORREF kTreeFrame = 0x646464;
constexpr uint32_t kTreeFill = 0xFF000000;
constexpr uint32_t kTreeSelectionFill = 0x96FFFFFF;
// Posted by the macro page's scan once the files it had to read are read.
constexpr UINT kScanLanded = WM_APP + 0x31;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

}  // namespace

CKeyFunPickDlg::CKeyFunPickDlg() : m_picker(*this, m_tree.Model()) {}

CKeyFunPickDlg::~CKeyFunPickDlg() { Destroy(); }

KeyPickOutcome CKeyFunPickDlg::DoModal(HWND parent, const KeyPickRequest& request) {
  m_picker.Open(request);
  if (!Build(parent)) return m_picker.Outcome(kPickCancel);
  const int result = RunModal(parent);
  Destroy();
  return m_picker.Outcome(result == kPickOk ? kPickOk : kPickCancel);
}

bool CKeyFunPickDlg::Build(HWND parent) {
  if (!m_background.LoadSkin(u"pickfundlg.png")) {
    LogPrint(u"CKeyFunPickDlg: pickfundlg.png not loaded");
    return false;
  }
  const int width = m_background.width();
  const int height = m_background.height();
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (parent) GetWindowRect(parent, &around);
  const int left = around.left + ((around.right - around.left) - width) / 2;
  const int top = around.top + ((around.bottom - around.top) - height) / 2;

  m_font.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  const std::wstring title = Wide(m_picker.Texts()[0].text);
  if (!Create(kPickerClass, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
              RECT{left, top, left + width, top + height}, parent, title.c_str()))
    return false;
  if (m_picker.HasColourRow()) CreateSwatches();
  CreateControls();
  m_picker.SetScanLanded([window = hwnd()] { PostMessageW(window, kScanLanded, 0, 0); });
  return true;
}

void CKeyFunPickDlg::CreateSwatches() {
  using namespace picker_layout;
  const SwatchRow& row = m_picker.Swatches();
  for (int i = 0; i < row.Count(); ++i) {
    auto swatch = std::make_unique<CColorBtnDlg>();
    const PixelRect place = SwatchRow::Place(kFirstSwatch, kSwatchGap, i);
    swatch->CreateSwatch(hwnd(), RECT{place.left, place.top, place.left + kSwatchSide, place.top + kSwatchSide},
                         *row.At(i));
    m_swatches.push_back(std::move(swatch));
  }
}

void CKeyFunPickDlg::CreateControls() {
  using namespace picker_layout;
  const bool tips = false;
  const std::u16string* tabTexts[3] = {&g_Texts.tc_page1, &g_Texts.tc_page2, &g_Texts.tc_page3};
  for (int i = 0; i < 3; ++i) {
    m_tabs[i].CreatePngBtn(hwnd(), &m_background, u"btn2_nr.png", u"btn2_ov.png", u"btn2_dn.png", nullptr, false,
                           *tabTexts[i], tips, kTabLeft, kTabTops[i], kIdTab1 + i);
    m_tabs[i].SetFont(m_font.get());
  }
  m_ok.CreatePngBtn(hwnd(), &m_background, u"btn_nr.png", u"btn_ov.png", u"btn_nr.png", nullptr, false,
                    g_Texts.tc_ok, tips, kOkLeft, kButtonTop, kIdOk);
  m_cancel.CreatePngBtn(hwnd(), &m_background, u"btn_nr.png", u"btn_ov.png", u"btn_nr.png", nullptr, false,
                        g_Texts.tc_cancel, tips, kCancelLeft, kButtonTop, kIdCancel);
  m_ok.SetFont(m_font.get());
  m_cancel.SetFont(m_font.get());
}

// Each page's control is made when its page first shows: a picker opened to change one key
// seldom visits all three, and every child window and its bitmaps add to the wait for the first.
void CKeyFunPickDlg::CreatePageControl(int page) {
  using namespace picker_layout;
  const bool tips = false;
  if (page == kPickPageMedia && !m_media.hwnd()) {
    m_media.CreatePngBtn(hwnd(), &m_background, u"combo_nr.png", u"combo_ov.png", u"combo_ov.png", nullptr, false,
                       u"", tips, kPageControlLeft, kPageControlTop, kIdMedia);
    m_media.SetFont(m_font.get());
    for (const MediaRow& row : m_picker.Media()) m_media.AddItem(0, row.value, row.text);
  } else if (page == kPickPageCombo && !m_comboDisplay.hwnd()) {
    m_comboDisplay.CreatePngBtn(hwnd(), &m_background, u"button_nr.png", u"button_nr.png", u"button_nr.png",
                                nullptr, false, u"", tips, kPageControlLeft, kPageControlTop, kIdCombo);
    m_comboDisplay.SetFont(m_font.get());
  } else if (page == kPickPageMacro && !m_tree.hwnd()) {
    m_tree.SetColours(kTreeFill, kTreeSelectionFill, kTreeSelectedText, kTreeNormalText, kTreeFrame);
    m_tree.CreateSkinned(hwnd(), kIdTree, &m_background, u"open.png", u"close.png", ToRect(kTree));
  }
}

void CKeyFunPickDlg::ShowPage(int page) {
  CreatePageControl(page);
  for (int i = 0; i < 3; ++i) m_tabs[i].SetForcedDown(i + 1 == page);
  const std::pair<HWND, int> controls[] = {
      {m_comboDisplay.hwnd(), kPickPageCombo}, {m_tree.hwnd(), kPickPageMacro}, {m_media.hwnd(), kPickPageMedia}};
  for (const auto& control : controls)
    if (control.first) ShowWindow(control.first, page == control.second ? SW_SHOW : SW_HIDE);
  // Keys go to the dialog itself, never to a control that is hidden now.
  if (page != kPickPageMacro) SetFocus(hwnd());
  const RECT area = ToRect(picker_layout::kPageArea);
  InvalidateRect(hwnd(), &area, FALSE);
}

void CKeyFunPickDlg::SetComboCaption(const std::u16string& text) { m_comboDisplay.SetCaption(text); }

void CKeyFunPickDlg::SetMediaCaption(const std::u16string& text) { m_media.SetCaption(text, 5); }

void CKeyFunPickDlg::ShowNotice(const std::u16string& text) { ::ShowNotice(hwnd(), text); }

bool CKeyFunPickDlg::Confirm(const std::u16string& text) { return ShowConfirm(hwnd(), text); }

void CKeyFunPickDlg::Close(int modalResult) { EndModal(modalResult); }

void CKeyFunPickDlg::Draw(HDC dc, const RECT& client) {
  m_background.Draw(dc, client);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, picker_layout::kTextColour);
  ui::Selected font(dc, m_font.get());
  for (const PickerText& text : m_picker.Texts()) {
    const std::wstring wide = Wide(text.text);
    RECT r = ToRect(text.rect);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, kTextFormat);
  }
}

void CKeyFunPickDlg::OnCommand(HWND from) {
  if (!from) return;
  for (int i = 0; i < 3; ++i) {
    if (from == m_tabs[i].hwnd()) m_picker.OnTab(i + 1);
  }
  if (from == m_ok.hwnd()) m_picker.OnOk();
  else if (from == m_cancel.hwnd()) m_picker.OnCancel();
  else if (from == m_media.hwnd()) m_picker.OnMediaPicked(static_cast<uint32_t>(m_media.SelectedValue()));
}

void CKeyFunPickDlg::OnLeftDown(LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  if (picker_layout::kCloseHotSpot.Contains(x, y)) m_picker.OnCancel();
  else if (picker_layout::kRestoreHotSpot.Contains(x, y)) m_picker.OnRestoreDefault();
  else ui::DragByBackground(hwnd(), lParam);
}

bool CKeyFunPickDlg::PreTranslateMessage(MSG& msg) {
  if (!IsKeyMessage(msg.message)) return false;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (m_picker.OnKeyMessage(up, static_cast<uint32_t>(msg.wParam), static_cast<uint32_t>(msg.lParam)))
    return true;
  // Elsewhere the keyboard works as in any dialog: Esc cancels, Enter is OK.
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_ESCAPE) m_picker.OnCancel();
  else if (msg.wParam == VK_RETURN) m_picker.OnOk();
  else return false;
  return true;
}

LRESULT CKeyFunPickDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT painted = 0;
  if (ui::HandlePaintMessage(hwnd(), m_buffer, msg, wParam, painted,
                             [this](HDC dc, const RECT& client) { Draw(dc, client); }))
    return painted;
  switch (msg) {
    case WM_COMMAND: OnCommand(reinterpret_cast<HWND>(lParam)); return 0;
    case WM_SWATCH_CLICKED: m_picker.OnSwatchClicked(static_cast<int64_t>(lParam)); return 0;
    case kScanLanded:
      // The notice of an empty library may go now that its macros are in.
      if (m_picker.OnScanLanded()) InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: OnLeftDown(lParam); return 0;
    case WM_CLOSE: m_picker.OnCancel(); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd());
      return 0;
    default: return Default(msg, wParam, lParam);
  }
}

KeyPickOutcome RunKeyFunPickDlg(HWND parent, const KeyPickRequest& request) {
  CKeyFunPickDlg dialog;
  return dialog.DoModal(parent, request);
}

std::vector<std::u16string> KeyFunPickPictures() {
  return {u"pickfundlg.png", u"btn2_nr.png", u"btn2_ov.png", u"btn2_dn.png", u"button_nr.png", u"btn_nr.png",
          u"btn_ov.png",     u"combo_nr.png", u"combo_ov.png", u"open.png",   u"close.png"};
}
