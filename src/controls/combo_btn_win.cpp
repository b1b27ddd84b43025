#include "controls/combo_btn_win.h"

#include "controls/menu_library.h"

namespace {

// The caption sits at the left like a drop-down list's, not centred like a push button's.
constexpr int kCaptionLeft = 5;

}  // namespace

void CComboBtn::SelectByIndex(int index) {
  m_combo.SelectByIndex(index);
  ShowSelection();
}

bool CComboBtn::SelectByValue(uint32_t value) {
  bool found = m_combo.SelectByValue(value);
  if (found) ShowSelection();
  return found;
}

void CComboBtn::ShowSelection() { SetCaption(m_combo.Caption(), kCaptionLeft); }

bool CComboBtn::OpenMenu() {
  VorlaxItem items[controls::kComboMenuItems];
  int count = m_combo.BuildMenuItems(items);
  if (count == 0) return false;
  RECT rc;
  GetWindowRect(hwnd(), &rc);
  controls::ScreenPoint at =
      controls::PlaceComboMenu(RECT32{rc.left, rc.top, rc.right, rc.bottom}, count, GetSystemMetrics(SM_CYSCREEN));
  return controls::OpenSkinnedMenu(hwnd(), at.x, at.y, m_combo.MenuWidth(rc.right - rc.left),
                                   static_cast<uint32_t>(m_combo.ActiveList()), items, count);
}

void CComboBtn::OnMenuPicked(WPARAM value, LPARAM menuNumber) {
  controls::CloseSkinnedMenu(hwnd());
  if (!m_combo.OnMenuPicked(value, menuNumber)) return;
  ShowSelection();
  HWND self = hwnd();
  SendMessageW(GetParent(self), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(self), BN_CLICKED), reinterpret_cast<LPARAM>(self));
}

LRESULT CComboBtn::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    // The press neither shows the button down nor clicks: the release opens the menu.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONUP:
      OpenMenu();
      return 0;
    case WM_MENU_PICKED:
      OnMenuPicked(wParam, lParam);
      return 0;
    case WM_DESTROY:
      controls::CloseSkinnedMenu(hwnd());
      return CPngBtn::HandleMessage(msg, wParam, lParam);
    default:
      return CPngBtn::HandleMessage(msg, wParam, lParam);
  }
}
