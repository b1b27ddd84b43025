#include "controls/png_btn_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "config/settings.h"
#include "controls/common_controls_win.h"
#include "log/log.h"

namespace {

const wchar_t kPngBtnClass[] = L"VelkorPngBtn";
constexpr COLORREF kTipBackground = RGB(28, 32, 38);
constexpr int kTipMargin = 6;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

bool Named(const char16_t* name) { return name && *name; }

// A state picture that is missing stays empty: the button then shows its background and caption.
void LoadState(ui::SkinImage& image, const char16_t* name) {
  if (!image.LoadSkin(name)) LogPrint(u"CPngBtn: skin image %s not loaded", name);
}

}  // namespace

CPngBtn::~CPngBtn() { DestroyTooltip(); }

// The tool tip is a top-level window of its own, owned by the button's top-level window: it goes
// with that window (before the button does), but not with the button alone. Once the button's
// window is gone the handle is forgotten either way, since the system may give it to another
// window.
void CPngBtn::DestroyTooltip() {
  if (m_tooltip && IsWindow(m_tooltip)) DestroyWindow(m_tooltip);
  m_tooltip = nullptr;
}

bool CPngBtn::CreatePngBtn(HWND parent, const ui::SkinImage* parentBackground, const char16_t* normal,
                           const char16_t* hover, const char16_t* down, const RECT* rect, bool checkBox,
                           const std::u16string& caption, bool tooltip, int x, int y, UINT controlId) {
  if (!Named(normal) || !Named(hover) || !Named(down) || hwnd()) return false;
  LoadState(m_normal, normal);
  LoadState(m_hover, hover);
  LoadState(m_down, down);
  m_disabled.CropFrom(m_normal, RECT{0, 0, m_normal.width(), m_normal.height()});
  const int width = rect ? rect->right - rect->left : m_normal.width();
  const int height = rect ? rect->bottom - rect->top : m_normal.height();

  if (parentBackground && !parentBackground->empty()) {
    // Only the part of the button that lies on the picture can take its background from it.
    RECT part{x > 0 ? x : 0, y > 0 ? y : 0, x + width, y + height};
    if (part.right > parentBackground->width()) part.right = parentBackground->width();
    if (part.bottom > parentBackground->height()) part.bottom = parentBackground->height();
    if (m_background.CropFrom(*parentBackground, part)) m_backgroundAt = POINT{part.left - x, part.top - y};
  }

  m_model.checkBox = checkBox;
  m_model.caption = caption;
  m_model.colors = {g_Settings.Btn_txt_clr_nr, g_Settings.Btn_txt_clr_ov, g_Settings.Btn_txt_clr_dn};
  m_tooltipsOn = tooltip;
  m_ownFont.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  m_font = m_ownFont.get();

  // The window text carries the caption so that tests and assistive tools can find the button.
  if (!Create(kPngBtnClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, RECT{x, y, x + width, y + height}, parent,
              Wide(caption).c_str(), controlId))
    return false;
  return true;
}

void CPngBtn::SetImages(const RECT& part, const ui::SkinImage* normal, const ui::SkinImage* hover,
                        const ui::SkinImage* down) {
  auto crop = [&part](ui::SkinImage& target, const ui::SkinImage* source) {
    if (source) target.CropFrom(*source, part);
    else target.Reset();
  };
  crop(m_normal, normal);
  crop(m_hover, hover);
  crop(m_down, down);
  crop(m_disabled, normal);
  Repaint();
}

bool CPngBtn::SetIcon(const char16_t* name, int left) {
  m_model.iconLeft = left;
  const bool loaded = Named(name) && m_icon.LoadSkin(name);
  Repaint();
  return loaded;
}

void CPngBtn::SetChecked(bool checked) {
  if (m_model.SetChecked(checked)) Repaint();
}

void CPngBtn::SetPushOffset(bool on) {
  m_model.pushOffset = on;
  Repaint();
}

void CPngBtn::SetForcedDown(bool down) {
  if (m_model.forcedDown == down) return;
  m_model.forcedDown = down;
  Repaint();
}

void CPngBtn::SetCaption(const std::u16string& text, int textLeft, const RECT* textRect, UINT format) {
  m_model.caption = text;
  m_model.textLeft = textLeft;
  m_model.textRect = textRect ? RECT32{textRect->left, textRect->top, textRect->right, textRect->bottom}
                              : RECT32{0, 0, 0, 0};
  m_model.textFormat = format;
  if (hwnd()) SetWindowTextW(hwnd(), Wide(text).c_str());
  Repaint();
}

void CPngBtn::SetTextColors(COLORREF normal, COLORREF hover, COLORREF down) {
  m_model.colors = {normal, hover, down};
  Repaint();
}

void CPngBtn::SetFont(HFONT font) {
  m_font = font ? font : m_ownFont.get();
  Repaint();
}

void CPngBtn::SetClipRegion(HRGN region) {
  m_clip.Reset(region);
  Repaint();
}

void CPngBtn::SetTooltip(const std::u16string& text) {
  if (!m_tooltipsOn || !hwnd()) return;
  if (text.empty()) {
    // No text, no tip; the tool tip window stays for the next text.
    if (m_tooltip) SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
    return;
  }
  if (!m_tooltip) {
    m_tooltip = ui::CreateTooltipWindow(hwnd());
    if (!m_tooltip) return;
    // The skin's dark look and the button's own font; the system's pale tip would stand out, and
    // measured in its own font it cut the text short.
    SendMessageW(m_tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    SendMessageW(m_tooltip, TTM_SETTIPBKCOLOR, kTipBackground, 0);
    SendMessageW(m_tooltip, TTM_SETTIPTEXTCOLOR, static_cast<COLORREF>(g_Settings.Txt_clr), 0);
    RECT margin{kTipMargin, kTipMargin / 2, kTipMargin, kTipMargin / 2};
    SendMessageW(m_tooltip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
  }
  std::wstring wide = Wide(text);
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  // The tool tip watches the button's mouse messages itself, whichever loop dispatches them.
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = 1;
  GetClientRect(hwnd(), &tool.rect);
  tool.lpszText = &wide[0];
  if (SendMessageW(m_tooltip, TTM_GETTOOLCOUNT, 0, 0) == 0)
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  else
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CPngBtn::HideTooltip() {
  if (m_tooltip) SendMessageW(m_tooltip, TTM_POP, 0, 0);
}

void CPngBtn::Repaint() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

bool CPngBtn::Inside(LPARAM lParam) const {
  RECT client;
  GetClientRect(hwnd(), &client);
  POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&client, pt) != FALSE;
}

const ui::SkinImage& CPngBtn::ImageFor(ui::BtnImage image) const {
  switch (image) {
    case ui::BtnImage::Hover: return m_hover;
    case ui::BtnImage::Down: return m_down;
    case ui::BtnImage::Disabled: return m_disabled;
    case ui::BtnImage::Normal: break;
  }
  return m_normal;
}

void CPngBtn::Draw(HDC dc, const RECT& client) {
  // Where the picture does not reach, the button stays dark rather than showing stale pixels.
  if (m_background.width() < client.right || m_background.height() < client.bottom || m_backgroundAt.x ||
      m_backgroundAt.y)
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  m_background.Draw(dc, m_backgroundAt.x, m_backgroundAt.y);

  const ui::BtnLook look = m_model.Look(IsWindowEnabled(hwnd()) != FALSE);
  const int dx = look.shifted ? -1 : 0;
  const int dy = look.shifted ? 1 : 0;
  ImageFor(look.image).Draw(dc, dx, dy);
  if (!m_icon.empty()) {
    int x = 0, y = 0;
    m_model.IconOrigin(client.bottom, m_icon.height(), look, &x, &y);
    m_icon.Draw(dc, x, y);
  }
  if (!m_model.caption.empty()) {
    RECT32 r = m_model.CaptionRect(client.right, client.bottom, look);
    RECT target{r.left, r.top, r.right, r.bottom};
    std::wstring text = Wide(m_model.caption);
    ui::Selected font(dc, m_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look.textColor);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &target, m_model.CaptionFormat());
  }
}

void CPngBtn::OnPaint() {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(hwnd(), &ps);
  RECT client;
  GetClientRect(hwnd(), &client);
  if (HDC dc = m_buffer.Begin(screen, client.right, client.bottom)) {
    Draw(dc, client);
    if (m_clip) SelectClipRgn(screen, m_clip.get());
    m_buffer.Present(screen);
  }
  EndPaint(hwnd(), &ps);
}

void CPngBtn::OnPrintClient(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  Draw(dc, client);
}

void CPngBtn::Apply(const ui::BtnMouseEffect& effect) {
  if (effect.trackLeave) ui::TrackMouseLeave(hwnd());
  if (effect.repaint) Repaint();
  if (effect.clicked) {
    // Last: the parent may destroy the button while it handles the click.
    HWND self = hwnd();
    SendMessageW(GetParent(self), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(self), BN_CLICKED),
                 reinterpret_cast<LPARAM>(self));
  }
}

void CPngBtn::OnMouseMove(LPARAM lParam) { Apply(m_model.OnMouseMove(Inside(lParam))); }

void CPngBtn::OnButtonDown() {
  SetCapture(hwnd());
  Apply(m_model.OnButtonDown());
}

void CPngBtn::OnButtonUp(LPARAM lParam) {
  const ui::BtnMouseEffect effect = m_model.OnButtonUp(Inside(lParam));
  if (GetCapture() == hwnd()) ReleaseCapture();
  Apply(effect);
}

LRESULT CPngBtn::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_DESTROY: DestroyTooltip(); return Default(msg, wParam, lParam);
    case WM_PRINTCLIENT: OnPrintClient(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_MOUSELEAVE: Apply(m_model.OnMouseLeave()); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnButtonDown(); return 0;
    case WM_LBUTTONUP: OnButtonUp(lParam); return 0;
    case WM_CAPTURECHANGED: Apply(m_model.OnCaptureLost()); return 0;
    case WM_ENABLE:
      if (!wParam && GetCapture() == hwnd()) ReleaseCapture();
      Repaint();
      return 0;
    case BM_CLICK: Apply(m_model.Click()); return 0;
    case BM_GETCHECK: return m_model.Checked() ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: SetChecked(wParam == BST_CHECKED); return 0;
    case WM_SETFONT: SetFont(reinterpret_cast<HFONT>(wParam)); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    default: return Default(msg, wParam, lParam);
  }
}
