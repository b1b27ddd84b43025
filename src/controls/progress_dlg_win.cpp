#include "controls/progress_dlg_win.h"

#include "config/text_table.h"
#include "device/apply.h"
#include "log/log.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

const wchar_t kProgressClass[] = L"VelkorProgressDlg";
constexpr UINT kIdExit = 100;
// When the background picture is missing the dialog still shows (and can be closed) at this size.
constexpr int kFallbackWidth = 500;
constexpr int kFallbackHeight = 140;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

CProgressDlg::~CProgressDlg() { Destroy(); }

void CProgressDlg::SetImages(const char16_t* background, const char16_t* fill) {
  m_backgroundName = background ? background : u"";
  m_fillName = fill ? fill : u"";
}

void CProgressDlg::SetCaption(const std::u16string& text, const RECT& rect) {
  m_caption = text;
  m_captionRect = rect;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CProgressDlg::SetBarBounds(const RECT& bounds) {
  m_barLeft = bounds.left;
  m_barRight = bounds.right;
}

void CProgressDlg::SetRange(int minimum, int maximum) { m_model.SetRange(minimum, maximum); }

void CProgressDlg::SetPos(int64_t position) {
  m_model.SetPos(position);
  if (m_debug) plat::DebugOutput(u16::Format(u"CProgressDlg::OnSetPos = %d", m_model.Pos()));
  if (hwnd()) {
    // At once: the worker goes on sending while the user watches.
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
}

bool CProgressDlg::CreateDlg(HWND owner) {
  if (hwnd()) return true;
  if (!m_background.LoadSkin(m_backgroundName)) LogPrint(u"CProgressDlg: %s not loaded", m_backgroundName.c_str());
  m_fill.LoadSkin(m_fillName);
  const int width = m_background.empty() ? kFallbackWidth : m_background.width();
  const int height = m_background.empty() ? kFallbackHeight : m_background.height();

  RECT area;
  if (!(owner && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &area)))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;

  m_font.Reset(CreateFontW(-14, 0, 0, 0, FW_LIGHT, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  if (!Create(kProgressClass, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW, RECT{x, y, x + width, y + height}, owner,
              Wide(kProgressDlgTitle).c_str()))
    return false;
  m_exit.CreatePngBtn(hwnd(), &m_background, u"exit_nr.png", u"exit_ov.png", u"exit_ov.png", nullptr, false, u"",
                      false, width - 36, 10, kIdExit);
  return true;
}

void CProgressDlg::RunDlg(HWND owner) {
  if (!CreateDlg(owner)) return;
  RunModal(owner);
  Destroy();
}

void CProgressDlg::Draw(HDC dc, const RECT& client) {
  if (m_background.empty()) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  m_background.Draw(dc, client);
  int right = m_model.FillRight(m_barLeft, m_barRight);
  if (right > m_fill.width()) right = m_fill.width();
  if (right > 0) m_fill.Draw(dc, RECT{0, 0, right, m_fill.height()}, RECT{0, 0, right, m_fill.height()});
  if (!m_caption.empty()) {
    ui::Selected font(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    std::wstring text = Wide(m_caption);
    RECT r = m_captionRect;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, 0x8134);
  }
}

void CProgressDlg::OnPaint() {
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT& client) { Draw(dc, client); });
}

void CProgressDlg::OnSetPos(WPARAM position) {
  // Unsigned as posted: a huge wParam is far outside the range, never a negative position.
  SetPos(position > 0x7FFFFFFF ? int64_t{0x80000000} : static_cast<int64_t>(position));
}

void CProgressDlg::OnClose() {
  if (m_debug) plat::DebugOutput(u"CProgressDlg::DestroyWindow");
  EndModal(IDOK);
}

bool CProgressDlg::PreTranslateMessage(MSG& msg) {
  // The keyboard can neither close nor trigger the dialog while the keyboard is being written.
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
  return msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE || msg.wParam == VK_SPACE;
}

LRESULT CProgressDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PROGRESS_SETPOS: OnSetPos(wParam); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd(), &client);
      Draw(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: OnClose(); return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == m_exit.hwnd() && m_exit.hwnd()) OnClose();
      return 0;
    case WM_LBUTTONDOWN: ui::DragByBackground(hwnd(), lParam); return 0;
    default: return Default(msg, wParam, lParam);
  }
}

void RunApplyProgress(HWND owner, const std::function<void()>& start) {
  CProgressDlg dlg;
  dlg.SetImages(u"progress_nr.png", u"progress_ov.png");
  dlg.SetCaption(g_Texts.tc_msg12, RECT{15, 12, 455, 32});
  dlg.SetBarBounds(RECT{45, 101, 486, 123});
  dlg.SetRange(0, 100);
  dlg.SetPos(0);
  const bool shown = dlg.CreateDlg(owner);
  if (start) start();
  if (shown) dlg.RunDlg(owner);
}
