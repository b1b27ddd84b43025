#include "controls/tree_ctrl_ex_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <string>

#include "controls/common_controls_win.h"

namespace {

const wchar_t kTreeClass[] = L"VelkorTreeCtrlEx";
constexpr UINT kUpdateScrollBar = WM_APP + 0x21;
constexpr UINT kTextFormat = 0x8134;  // single line, vertically centred, end ellipsis
constexpr int kWheelRows = 3;
constexpr UINT kTooltipDelayMs = 1000;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// An item's picture as the model sees it.
class SkinItemImage : public ItemImage {
 public:
  int Width() const override { return image.width(); }
  int Height() const override { return image.height(); }
  ui::SkinImage image;
};

HFONT MakeTreeFont() {
  return CreateFontW(-15, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
}

COLORREF Opaque(uint32_t argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace

ItemImageRef LoadTreeItemImage(const std::u16string& path) {
  auto loaded = std::make_shared<SkinItemImage>();
  if (!loaded->image.Load(Wide(path))) return nullptr;
  return loaded;
}

CTreeCtrlEx::CTreeCtrlEx() {
  m_model.SetImageLoader(LoadTreeItemImage);
  m_model.SetChangedCallback([this] { OnModelChanged(); });
}

CTreeCtrlEx::~CTreeCtrlEx() {
  m_model.SetChangedCallback(nullptr);
  if (m_tooltip) DestroyWindow(m_tooltip);
  Destroy();
}

bool CTreeCtrlEx::CreateSkinned(HWND parent, UINT controlId, const ui::SkinImage* background,
                                const char16_t* openImage, const char16_t* closedImage,
                                const RECT& rect) {
  m_id = controlId;
  if (background && !background->empty() && rect.right > rect.left)
    m_background.CropFrom(*background, rect);
  // A picture without width counts as none.
  if (!openImage || !m_open.LoadSkin(openImage)) m_open.Reset();
  if (!closedImage || !m_closed.LoadSkin(closedImage)) m_closed.Reset();
  m_selectedFont.Reset(MakeTreeFont());
  m_normalFont.Reset(MakeTreeFont());
  SetColours(m_backgroundFill, m_selectedFill, m_selectedText, m_normalText, m_frame);
  // No system scroll bar: its light face would stand out on the dark skin.
  if (!Create(kTreeClass, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, rect, parent, L"",
              controlId))
    return false;
  m_scrollBar.Create(hwnd(), [this](int32_t topRow) {
    m_model.ScrollTo(topRow);
    // A dragged thumb and the rows under it move together.
    UpdateWindow(hwnd());
  });
  LayOut();
  CreateTooltip();
  // The model may have been filled before there was a window to tell.
  if (!m_model.IsEmpty()) OnModelChanged();
  return true;
}

void CTreeCtrlEx::SetColours(uint32_t backgroundFill, uint32_t selectedFill, COLORREF selectedText,
                             COLORREF normalText, COLORREF frame) {
  m_backgroundFill = backgroundFill;
  m_selectedFill = selectedFill;
  m_selectedText = selectedText;
  m_normalText = normalText;
  m_frame = frame;
  m_backgroundBrush.Reset(CreateSolidBrush(Opaque(backgroundFill)));
  m_frameBrush.Reset(CreateSolidBrush(frame));
  m_selectionFill.SetColor(selectedFill);
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void CTreeCtrlEx::CreateTooltip() {
  m_tooltip = ui::CreateTooltipWindow(hwnd());
  if (!m_tooltip) return;
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = 1;
  GetClientRect(hwnd(), &tool.rect);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(m_tooltip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, kTooltipDelayMs);
  SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
}

void CTreeCtrlEx::OnModelChanged() {
  if (!hwnd()) return;
  InvalidateRect(hwnd(), nullptr, FALSE);
  // A fill of thousands of items changes the model thousands of times: the scroll bar follows
  // once, when the loop gets to it.
  if (!m_scrollUpdatePending) {
    m_scrollUpdatePending = true;
    PostMessageW(hwnd(), kUpdateScrollBar, 0, 0);
  }
}

void CTreeCtrlEx::UpdateScrollBar() {
  m_scrollUpdatePending = false;
  m_scrollBar.SetRange(m_model.RowCount(), m_model.PageRows(), m_model.TopRow());
  LayOut();
}

void CTreeCtrlEx::LayOut() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const bool bar = m_scrollBar.Model().Scrollable();
  m_scrollBar.Place(RECT{client.right - 1 - kSkinScrollBarWidth, 1, client.right - 1, client.bottom - 1}, true);
  const int width = bar ? client.right - 1 - kSkinScrollBarWidth : client.right;
  if (width != m_model.ClientWidth() || client.bottom != m_model.ClientHeight())
    m_model.SetClientSize(width, client.bottom);
}

void CTreeCtrlEx::OnWheel(WPARAM wParam) {
  const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  m_model.ScrollBy(-notches * kWheelRows);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CTreeCtrlEx::Notify(UINT message, const TreeClick& click) {
  if (click.takeFocus) SetFocus(hwnd());
  if (click.notify)
    PostMessageW(GetParent(hwnd()), message, m_id, static_cast<LPARAM>(click.item));
}

void CTreeCtrlEx::OnMouseMove(LPARAM lParam) {
  const TreeTooltip tip = m_model.OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  if (tip.trackLeave) ui::TrackMouseLeave(hwnd());
  if (!tip.changed || !m_tooltip) return;
  SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
  if (!tip.show) return;
  std::wstring text = Wide(tip.text);
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd();
  tool.uId = 1;
  tool.lpszText = &text[0];
  SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CTreeCtrlEx::DrawRow(HDC dc, const TreeRowPaint& row) {
  if (row.selected) m_selectionFill.Fill(dc, row.row.left, row.row.top, row.row.Width(), row.row.Height());
  if (row.hasFolderImage) {
    const ui::SkinImage& folder = row.folderOpen ? m_open : m_closed;
    if (!folder.empty()) folder.Draw(dc, ToRect(row.folderImage));
  }
  if (row.hasIcon) {
    if (const auto* icon = dynamic_cast<const SkinItemImage*>(row.record->image.get()))
      icon->image.Draw(dc, ToRect(row.icon));
  }
  ui::Selected font(dc, row.selected ? m_selectedFont.get() : m_normalFont.get());
  SetTextColor(dc, row.selected ? m_selectedText : m_normalText);
  std::wstring text = Wide(*row.text);
  RECT r = ToRect(row.textRect);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kTextFormat);
}

void CTreeCtrlEx::Draw(HDC dc, const RECT& client) {
  if (!m_background.empty()) m_background.Draw(dc, client);
  else FillRect(dc, &client, m_backgroundBrush.get());
  SetBkMode(dc, TRANSPARENT);
  for (const TreeRowPaint& row : m_model.PaintRows(m_open.width(), m_open.height())) DrawRow(dc, row);
  FrameRect(dc, &client, m_frameBrush.get());
}

bool CTreeCtrlEx::PreTranslateMessage(MSG& msg) {
  // The tree never reacts to the keyboard, and keys pressed while it has the focus stop here;
  // those of its scroll bar go on to it.
  return msg.hwnd == hwnd() && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP);
}

LRESULT CTreeCtrlEx::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  LRESULT painted = 0;
  if (ui::HandlePaintMessage(hwnd(), m_buffer, msg, wParam, painted,
                             [this](HDC dc, const RECT& client) { Draw(dc, client); }))
    return painted;
  switch (msg) {
    case WM_SIZE:
      if (m_scrollBar.hwnd()) LayOut();
      else m_model.SetClientSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case kUpdateScrollBar: UpdateScrollBar(); return 0;
    case WM_MOUSEWHEEL: OnWheel(wParam); return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: return 0;
    case WM_LBUTTONDOWN: Notify(WM_TREE_CLICK, m_model.OnLeftDown(x, y)); return 0;
    case WM_LBUTTONDBLCLK: Notify(WM_TREE_CLICK, m_model.OnDoubleClick(x, y)); return 0;
    case WM_RBUTTONUP: Notify(WM_TREE_RCLICK, m_model.OnRightUp(x, y)); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: return 0;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 0;
    case WM_MOUSELEAVE: m_model.OnMouseLeave(); return 0;
    default: return Default(msg, wParam, lParam);
  }
}
