#include "controls/msg_dlg_win.h"

#include <windowsx.h>

#include "config/text_table.h"
#include "log/log.h"

namespace {

const wchar_t kMsgDlgClass[] = L"VelkorMsgDlg";
enum : UINT { kIdExit = 100, kIdOk = 101, kIdCancel = 102, kIdField = 103 };
constexpr COLORREF kFieldColour = 0x141414;
constexpr COLORREF kTitleColour = 0xFFFFFF;
constexpr COLORREF kMessageColour = 0xE6E6E6;
constexpr UINT kMessageFormat = DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

RECT ToRect(const RECT32& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

HFONT MakeFont(int height, int weight) {
  return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
}

}  // namespace

CMsgDlg::CMsgDlg() = default;

CMsgDlg::~CMsgDlg() { Destroy(); }

void CMsgDlg::SetSingleKey(bool singleKey, bool ignoreModifiers) {
  m_model.capture.singleKey = singleKey;
  m_model.capture.ignoreModifiers = ignoreModifiers;
}

int CMsgDlg::DoModal(HWND owner) {
  if (!Build(owner)) return ui::kMsgCancel;
  const int result = RunModal(owner);
  Destroy();
  return result == ui::kMsgOk ? ui::kMsgOk : ui::kMsgCancel;
}

bool CMsgDlg::Build(HWND owner) {
  if (!m_background.LoadSkin(u"msg_nr.png")) {
    // Without its picture the box cannot be shown, and an unseen question has no answer.
    LogPrint(u"CMsgDlg: msg_nr.png not loaded, the box ends as Cancel");
    return false;
  }
  m_icon.LoadSkin(u"msgico.png");
  const int width = m_background.width();
  const int height = m_background.height();
  m_layout = m_model.Layout(width, height, m_icon.width(), m_icon.height());

  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT ownerRect;
  const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &ownerRect);
  const RECT32 screen{work.left, work.top, work.right, work.bottom};
  const RECT32 ownerArea{ownerRect.left, ownerRect.top, ownerRect.right, ownerRect.bottom};
  const ui::MsgPoint at = ui::CentreOver(overOwner ? &ownerArea : nullptr, screen, width, height);

  m_textFont.Reset(MakeFont(14, FW_NORMAL));
  m_titleFont.Reset(MakeFont(16, FW_SEMIBOLD));
  m_fieldBrush.Reset(CreateSolidBrush(kFieldColour));

  // The window text is the title, or the message when there is none, so the box can be found by
  // what it says; it never takes the main window's title, by which a second copy finds the
  // main window.
  const bool ownTitle = !m_model.title.empty() && m_model.title != g_Texts.tc_title;
  const std::u16string& name = ownTitle ? m_model.title : m_model.message;
  if (!Create(kMsgDlgClass, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
              RECT{at.x, at.y, at.x + width, at.y + height}, owner, Wide(name).c_str()))
    return false;

  CreateButtons(m_layout);
  CreateField(m_layout);

  // The message is measured once, not on every paint.
  if (HDC dc = GetDC(hwnd())) {
    RECT measured = ToRect(m_layout.messageRect);
    ui::Selected font(dc, m_textFont.get());
    std::wstring text = Wide(m_model.message);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, kMessageFormat | DT_CALCRECT);
    ui::MsgBoxModel::CentreBody(m_layout, measured.bottom - measured.top);
    ReleaseDC(hwnd(), dc);
  }
  return true;
}

void CMsgDlg::CreateButtons(const ui::MsgBoxLayout& layout) {
  const bool tips = false;
  m_exit.CreatePngBtn(hwnd(), &m_background, u"exit_nr.png", u"exit_ov.png", u"exit_ov.png", nullptr, false, u"",
                      tips, layout.exit.x, layout.exit.y, kIdExit);
  m_ok.CreatePngBtn(hwnd(), &m_background, u"btn_nr.png", u"btn_ov.png", u"btn_ov.png", nullptr, false,
                    g_Texts.tc_ok, tips, layout.ok.x, layout.ok.y, kIdOk);
  m_ok.SetPushOffset(true);
  m_ok.SetFont(m_textFont.get());
  if (layout.cancelShown) {
    m_cancel.CreatePngBtn(hwnd(), &m_background, u"btn_nr.png", u"btn_ov.png", u"btn_ov.png", nullptr, false,
                          g_Texts.tc_cancel, tips, layout.cancel.x, layout.cancel.y, kIdCancel);
    m_cancel.SetPushOffset(true);
    m_cancel.SetFont(m_textFont.get());
  }
}

void CMsgDlg::CreateField(const ui::MsgBoxLayout& layout) {
  if (layout.edit == ui::MsgEdit::None) return;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
  if (layout.edit == ui::MsgEdit::Digits) style |= ES_NUMBER;
  if (layout.edit == ui::MsgEdit::Capture) style |= ES_READONLY | ES_CENTER;
  const RECT r = ToRect(layout.editRect);
  m_field = CreateWindowExW(0, L"EDIT", L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd(),
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kIdField)), GetModuleHandleW(nullptr),
                            nullptr);
  if (!m_field) return;
  SendMessageW(m_field, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont.get()), FALSE);
  if (layout.edit == ui::MsgEdit::Capture) ShowCapture();
}

void CMsgDlg::ShowCapture() {
  if (m_field) SetWindowTextW(m_field, Wide(m_model.CaptureText()).c_str());
}

void CMsgDlg::Draw(HDC dc) {
  m_background.Draw(dc, 0, 0);
  if (!m_icon.empty()) m_icon.Draw(dc, m_layout.iconRect.left, m_layout.iconRect.top);
  SetBkMode(dc, TRANSPARENT);
  {
    ui::Selected font(dc, m_titleFont.get());
    SetTextColor(dc, kTitleColour);
    const std::u16string& title = m_model.title.empty() ? g_Texts.tc_title : m_model.title;
    std::wstring text = Wide(title);
    RECT r = ToRect(m_layout.titleRect);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  ui::Selected font(dc, m_textFont.get());
  SetTextColor(dc, kMessageColour);
  std::wstring text = Wide(m_model.message);
  RECT r = ToRect(m_layout.messageRect);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kMessageFormat);
}

void CMsgDlg::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT&) { Draw(dc); });
}

void CMsgDlg::OnOk() {
  std::u16string typed;
  if (m_field) {
    const int length = GetWindowTextLengthW(m_field);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(m_field, &wide[0], length + 1);
    wide.resize(static_cast<size_t>(length));
    typed.assign(wide.begin(), wide.end());
  }
  EndModal(m_model.AcceptOk(typed));
}

void CMsgDlg::OnCommand(HWND from) {
  if (!from) return;
  if (from == m_ok.hwnd()) OnOk();
  else if (from == m_cancel.hwnd() || from == m_exit.hwnd()) EndModal(ui::kMsgCancel);
}

void CMsgDlg::Act(ui::MsgKeyAction action) {
  switch (action) {
    case ui::MsgKeyAction::Ok: OnOk(); break;
    case ui::MsgKeyAction::Cancel: EndModal(ui::kMsgCancel); break;
    case ui::MsgKeyAction::Capture: ShowCapture(); break;
    case ui::MsgKeyAction::Pass: break;
  }
}

LRESULT CMsgDlg::OnFieldColour(HDC dc) {
  SetTextColor(dc, kTitleColour);
  SetBkColor(dc, kFieldColour);
  return reinterpret_cast<LRESULT>(m_fieldBrush.get());
}

bool CMsgDlg::PreTranslateMessage(MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  const bool extended = (msg.lParam & (1 << 24)) != 0;
  const uint8_t scan = static_cast<uint8_t>((msg.lParam >> 16) & 0xFF);
  const ui::MsgKeyAction action = m_model.OnKey(static_cast<uint8_t>(msg.wParam), up, extended, scan);
  Act(action);
  return action != ui::MsgKeyAction::Pass;
}

LRESULT CMsgDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: Draw(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_COMMAND: OnCommand(reinterpret_cast<HWND>(lParam)); return 0;
    case WM_CLOSE: EndModal(ui::kMsgCancel); return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: return OnFieldColour(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN: ui::DragByBackground(hwnd(), lParam); return 0;
    case WM_ACTIVATE:
      // Keys go to the field when there is one, else to the box, whose filter sees them first.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(m_field ? m_field : hwnd());
      return 0;
    case WM_MACRO_KEY:
      Act(m_model.OnCapturedKey(static_cast<uint8_t>(wParam), (lParam & kMacroKeyRelease) != 0));
      return 0;
    default: return Default(msg, wParam, lParam);
  }
}

namespace {

bool ShowBox(HWND owner, int type, const std::u16string& text, const std::u16string& title) {
  CMsgDlg box;
  box.SetType(type);
  box.SetTitle(title);
  box.SetMessage(text);
  return box.DoModal(owner) == ui::kMsgOk;
}

}  // namespace

bool ShowNotice(HWND owner, const std::u16string& text, const std::u16string& title) {
  return ShowBox(owner, ui::kMsgNotice, text, title);
}

bool ShowConfirm(HWND owner, const std::u16string& text, const std::u16string& title) {
  return ShowBox(owner, ui::kMsgConfirm, text, title);
}
