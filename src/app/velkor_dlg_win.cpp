#include "app/velkor_dlg_win.h"

#include <dbt.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "app/profile_menu.h"
#include "app/startup.h"
#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/combo_model.h"
#include "controls/file_dialog_win.h"
#include "controls/menu_library.h"
#include "controls/msg_dlg_win.h"
#include "controls/progress_dlg_win.h"
#include "controls/skin_shape_win.h"
#include "device/apply.h"
#include "device/device_change_win.h"
#include "device/device_listener.h"
#include "dialogs/key_edit.h"
#include "dialogs/key_fun_pick_dlg_win.h"
#include "dialogs/macro_dlg_win.h"
#include "log/log.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/u16.h"
#include "profile/profile_store.h"

namespace {

const wchar_t kClassName[] = L"VelkorMainWindow";
constexpr UINT kSysCommandAbout = 0x0010;
constexpr int kIconResource = 128;
// The width of the menu strip pictures: the longest item of the profile and tray menus fits.
constexpr int kProfileMenuWidth = 150;
constexpr int kTrayMenuWidth = 150;
// Single line, vertically centred, left aligned, no clipping, an ellipsis when too long.
constexpr UINT kTextFormat = DT_END_ELLIPSIS | DT_NOCLIP | DT_SINGLELINE | DT_WORDBREAK | DT_VCENTER;
// {A5DCBF10-6530-11D2-901F-00C04FB951ED}: USB devices.
const GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

template <size_t N>
void CopyField(wchar_t (&field)[N], const std::u16string& text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < n; ++i) field[i] = static_cast<wchar_t>(text[i]);
  field[n] = 0;
}

struct ButtonLook {
  const char16_t* normal;
  const char16_t* hover;
  const char16_t* down;
  RECT rect;
};

const char16_t kBackgroundPicture[] = u"main_nr.png";
const char16_t kMaskPicture[] = u"main_mask.png";

const ButtonLook kButtonLooks[] = {
    {u"min_nr.png", u"min_ov.png", u"min_ov.png", {912, 29, 928, 44}},
    {u"exit_nr.png", u"exit_ov.png", u"exit_ov.png", {933, 29, 949, 44}},
    {u"button_nr.png", u"button_nr.png", u"button_dn.png", {33, 49, 256, 74}},
    {u"button_nr.png", u"button_nr.png", u"button_dn.png", {33, 82, 256, 107}},
    {u"button_nr.png", u"button_nr.png", u"button_dn.png", {33, 115, 256, 140}},
    {u"button_nr.png", u"button_nr.png", u"button_dn.png", {33, 184, 256, 209}},
    {u"button_nr.png", u"button_nr.png", u"button_dn.png", {33, 541, 256, 566}},
    {u"btn_nr.png", u"btn_ov.png", u"btn_nr.png", {758, 581, 815, 611}},
    {u"btn_nr.png", u"btn_ov.png", u"btn_nr.png", {820, 581, 877, 611}},
    {u"btn_nr.png", u"btn_ov.png", u"btn_nr.png", {884, 581, 941, 611}},
};
static_assert(sizeof(kButtonLooks) / sizeof(kButtonLooks[0]) == kIdApply - kIdMinimise + 1, "one look a button");

std::u16string ButtonCaption(UINT id) {
  switch (id) {
    case kIdProfile1: case kIdProfile2: case kIdProfile3:
      return u16::Format(u"%s %d", g_Texts.tc_protitle.c_str(), static_cast<int>(id - kIdProfile1 + 1));
    case kIdMacros: return g_Texts.tc_page2;
    case kIdRestore: return g_Texts.tc_restore;
    case kIdOk: return g_Texts.tc_ok;
    case kIdCancel: return g_Texts.tc_cancel;
    case kIdApply: return g_Texts.tc_apply;
    default: return u"";
  }
}

bool IsFilteredKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_SYSKEYDOWN &&
      msg.message != WM_SYSKEYUP)
    return false;
  return msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE || msg.wParam == VK_SPACE || msg.wParam == VK_F1;
}

}  // namespace

CVelkorDlg::CVelkorDlg() : m_host(m_driver), m_presenter(*this, m_host, g_AppDataFolder) {
  m_shown = g_Settings.TrayIcon != 1;
}

CVelkorDlg::~CVelkorDlg() {
  Destroy();
  if (m_icon && m_ownIcon) DestroyIcon(m_icon);
}

void CVelkorDlg::Run() {
  // Created hidden at the origin; the skin gives it its size and place.
  const std::wstring title = Wide(g_Texts.tc_title);
  if (!Create(kClassName, WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_APPWINDOW,
              RECT{0, 0, 1, 1}, nullptr, title.c_str()))
    return;
  if (OnInitDialog()) RunModal(nullptr);
  TearDown();
}

std::vector<std::u16string> CVelkorDlg::StartupPictures() {
  // The mask is read for the shape alone, in a form of its own (PrepareStartupShape).
  std::vector<std::u16string> names = {kBackgroundPicture};
  for (const ButtonLook& look : kButtonLooks) names.insert(names.end(), {look.normal, look.hover, look.down});
  names.push_back(CKBColorDlg::kKeysPicture);
  const std::vector<std::u16string> panel = CLedDlg::Pictures();
  names.insert(names.end(), panel.begin(), panel.end());
  // A picture named twice would only be found decoded the second time; each once keeps it short.
  std::vector<std::u16string> once;
  for (const std::u16string& name : names)
    if (std::find(once.begin(), once.end(), name) == once.end()) once.push_back(name);
  return once;
}

bool CVelkorDlg::OnInitDialog() {
  AddAboutItem();
  LoadWindowIcon();
  if (!BuildSkin()) {
    m_shown = false;
    return false;
  }
  RegisterForDevices();
  SetTimer(hwnd(), TIMER_GAME_WATCH, kGameWatchPeriodMs, nullptr);
  BindDeviceLibrary(&m_driver, hwnd());
  m_driver.FindDev();
  // Without a keyboard (and Suwnd 0) the program ends; the window never shows.
  if (!m_presenter.Start()) m_shown = false;
  return true;
}

void CVelkorDlg::AddAboutItem() {
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kSysCommandAbout, L"&About Velkor...");
}

void CVelkorDlg::LoadWindowIcon() {
  const std::wstring path = Wide(g_ProgramFolder) + L"appico.ico";
  m_icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
  m_ownIcon = m_icon != nullptr;
  if (!m_icon) {
    LogPrint(u"Load Icon err=%x", static_cast<unsigned>(GetLastError()));
    m_icon = ::LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource));
  }
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
}

bool CVelkorDlg::BuildSkin() {
  if (!m_background.LoadSkin(kBackgroundPicture)) {
    MessageBoxW(hwnd(), L"Load skins failed.", L"Error", MB_OK);
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
    return false;
  }
  m_skinLoaded = true;
  ApplyShape();
  PlaceWindow();
  SetWindowTextW(hwnd(), Wide(g_Texts.tc_title).c_str());
  m_font.Reset(CreateFontW(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  m_version = Wide(g_Texts.tc_version);
  m_hint = Wide(g_Texts.tc_msg23);
  CreateButtons();
  CreateKeyboardView();
  CreateLightingPanel();
  return true;
}

void CVelkorDlg::ApplyShape() {
  // The start-up prefetch has usually made the shape by now (PrepareStartupShape).
  HRGN shape = ui::SkinShape(kMaskPicture, kBackgroundPicture);
  // The system owns the region from here on.
  if (shape) SetWindowRgn(hwnd(), shape, FALSE);
}

void CVelkorDlg::PrepareStartupShape() { ui::PrepareSkinShape(kMaskPicture, kBackgroundPicture); }

void CVelkorDlg::PlaceWindow() {
  const int left = CentredOrigin(GetSystemMetrics(SM_CXFULLSCREEN), m_background.width());
  const int top = CentredOrigin(GetSystemMetrics(SM_CYFULLSCREEN), m_background.height());
  SetWindowPos(hwnd(), nullptr, left, top, m_background.width(), m_background.height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CVelkorDlg::CreateButtons() {
  for (int i = 0; i < kButtons; ++i) {
    const ButtonLook& look = kButtonLooks[i];
    const UINT id = kIdMinimise + static_cast<UINT>(i);
    m_buttons[i].CreatePngBtn(hwnd(), &m_background, look.normal, look.hover, look.down, &look.rect, false,
                              ButtonCaption(id), g_Settings.BtnTips != 0, look.rect.left, look.rect.top, id);
  }
}

void CVelkorDlg::CreateKeyboardView() {
  const RECT32& kb = g_Settings.rcKB;
  const RECT rect{kb.left, kb.top, kb.right, kb.bottom};
  if (!m_keyboard.CreateView(hwnd(), rect, kIdKeyboard)) return;
  m_keyboard.SetHoverColor(g_Settings.ClrKeyOv);
  // The key being edited is outlined in the pressed colour; marks in the has-function colour.
  m_keyboard.SetClickedColor(g_Settings.ClrKeyDn);
  if (g_Settings.ClrKeyHasFunc) m_keyboard.SetMarkColor(g_Settings.ClrKeyHasFunc);
  RECT32 rects[kKeySlots] = {};
  const int count = g_KeyCount < kKeySlots ? g_KeyCount : kKeySlots;
  for (int slot = 0; slot < count; ++slot) rects[slot] = DefaultKeyTable[slot].rcKey;
  m_keyboard.SetKeys(rects, count);
  m_keyboard.SetBackground(m_background, rect);
  const int shaped = PolygonKeySlot();
  if (shaped >= 0) m_keyboard.SetShape(shaped, g_UnRectKey.pt, g_UnRectKey.nPoints);
}

void CVelkorDlg::CreateLightingPanel() {
  if (!m_lighting.Create(hwnd(), RECT{19, 244, 19 + 242, 244 + 252}, m_background)) return;
  m_lighting.SetKeyboardView(&m_keyboardLink);
  m_lighting.SetMenuOwner(this);
}

void CVelkorDlg::RegisterForDevices() {
  DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kUsbDeviceInterface;
  m_deviceNotify = RegisterDeviceNotificationW(hwnd(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void CVelkorDlg::TearDown() {
  if (hwnd()) KillTimer(hwnd(), TIMER_GAME_WATCH);
  if (hwnd()) KillTimer(hwnd(), TIMER_PROFILE_MENU);
  StopApplyWorker();
  m_lighting.Load(nullptr);
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    ClearProfileList();
    MacroList.RemoveAll();
  }
  RemoveTrayIcon();
  if (g_Settings.Pop) UnbindDeviceLibrary();
  if (m_deviceNotify) UnregisterDeviceNotification(m_deviceNotify);
  m_deviceNotify = nullptr;
  m_lighting.Destroy();
  m_keyboard.Destroy();
  for (CPngBtn& b : m_buttons) b.Destroy();
  Destroy();
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CVelkorDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam);
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_icon);
    case WM_LBUTTONDOWN: ui::DragByBackground(hwnd(), lParam); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); return 0;
    case WM_TRAY_NOTIFY: OnTrayNotify(lParam); return 0;
    case WM_COMMAND: OnCommand(wParam, lParam); return 0;
    case WM_DEVICECHANGE: return OnDeviceChange(wParam, lParam);
    case WM_DEVICE_INPUT: return 0;
    case WM_KEY_CLICKED: m_presenter.OnKeyClicked(wParam, m_keyboard.KeyCount()); return 0;
    case WM_HELP: return TRUE;
    case WM_TIMER: OnTimer(wParam); return Default(msg, wParam, lParam);
    case WM_CONTEXTMENU: OnContextMenu(wParam, lParam); return 0;
    case WM_MENU_PICKED:
      // The tray menu's pick, as the tray's commands come.
      if (const uint32_t command = TrayMenuCommand(wParam, static_cast<uintptr_t>(lParam))) OnCommand(command, 0);
      return 0;
    case WM_CLOSE: EndModal(IDCANCEL); return 0;
    default: return Default(msg, wParam, lParam);
  }
}

bool CVelkorDlg::PreTranslateMessage(MSG& msg) {
  // Enter, Esc, Space and F1 neither close the window nor press a button.
  return IsFilteredKey(msg);
}

LRESULT CVelkorDlg::OnSysCommand(WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFF0) == kSysCommandAbout) return 0;
  return Default(WM_SYSCOMMAND, wParam, lParam);
}

void CVelkorDlg::OnPaint() {
  if (IsIconic(hwnd())) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT client;
    GetClientRect(hwnd(), &client);
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, m_icon);
    EndPaint(hwnd(), &ps);
    return;
  }
  ui::PaintBuffered(hwnd(), m_buffer, [this](HDC dc, const RECT& client) {
    m_background.Draw(dc, client);
    DrawTexts(dc);
  });
}

void CVelkorDlg::DrawTexts(HDC dc) {
  ui::Selected font(dc, m_font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(g_Settings.Txt_clr));
  RECT version{55, 600, 255, 620};
  DrawTextW(dc, m_version.c_str(), -1, &version, kTextFormat);
  const RECT32& kb = g_Settings.rcKB;
  RECT hint{kb.left + 4, kb.bottom + 5, kb.left + 500, kb.bottom + 25};
  DrawTextW(dc, m_hint.c_str(), -1, &hint, kTextFormat);
}

void CVelkorDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  // Tray menu items carry no window; buttons are found by their window, not by the identifier
  // alone, since any process can post a command.
  if (!lParam) {
    if (id == ID_TRAY_OPEN) m_presenter.Open();
    if (id == ID_TRAY_EXIT) PostClose();
    return;
  }
  if (id < kIdMinimise || id > kIdApply || reinterpret_cast<HWND>(lParam) != m_buttons[id - kIdMinimise].hwnd())
    return;
  switch (id) {
    case kIdMinimise: ::ShowWindow(hwnd(), SW_MINIMIZE); break;
    case kIdClose: case kIdCancel: m_presenter.OnCancel(); break;
    case kIdProfile1: case kIdProfile2: case kIdProfile3:
      m_presenter.OnProfileButton(static_cast<int>(id - kIdProfile1));
      break;
    case kIdMacros: m_presenter.OnMacros(); break;
    case kIdRestore: m_presenter.OnRestore(); break;
    case kIdOk: m_presenter.OnApply(true); break;
    case kIdApply: m_presenter.OnApply(false); break;
    default: break;
  }
}

void CVelkorDlg::OnTrayNotify(LPARAM lParam) {
  if (lParam == WM_LBUTTONDBLCLK) m_presenter.Open();
  if (lParam == WM_RBUTTONUP) ShowTrayMenu();
}

void CVelkorDlg::OnTimer(WPARAM id) {
  if (id == TIMER_GAME_WATCH) m_presenter.OnGameWatchTick();
  if (id == TIMER_PROFILE_MENU) WatchProfileMenu();
}

LRESULT CVelkorDlg::OnDeviceChange(WPARAM wParam, LPARAM lParam) {
  DeviceChangeUi ui;
  ui.hideMainWindow = [this] { HideWindow(); };
  ui.showInfoBalloon = [this](const std::u16string& text, const std::u16string&) { ShowBalloon(text); };
  return OnDeviceChangeMessage(&m_driver, wParam, lParam, ui);
}

// A right click on a profile button reaches us as the button's context-menu request.
void CVelkorDlg::OnContextMenu(WPARAM from, LPARAM at) {
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (at == -1) GetCursorPos(&point);
  for (int button = 0; button < kProfileButtons; ++button)
    if (reinterpret_cast<HWND>(from) == m_buttons[kIdProfile1 - kIdMinimise + button].hwnd())
      OpenProfileMenu(button, point);
}

void CVelkorDlg::OpenProfileMenu(int button, POINT at) {
  const std::vector<VorlaxItem> items = m_presenter.OpenProfileMenu(button);
  if (items.empty() || !m_lighting.hwnd()) return;
  if (button >= 0) m_buttons[kIdProfile1 - kIdMinimise + button].HideTooltip();
  const int count = static_cast<int>(items.size());
  const controls::ScreenPoint origin =
      controls::PlaceComboMenu(RECT32{at.x, at.y, at.x, at.y}, count, GetSystemMetrics(SM_CYSCREEN));
  // The panel owns the menu: export and import are the panel's commands.
  if (!controls::OpenSkinnedMenu(m_lighting.hwnd(), origin.x, origin.y, kProfileMenuWidth, kProfileMenuNumber,
                                 items.data(), count)) {
    m_presenter.OnProfileMenuClosed();
    return;
  }
  m_profileMenu = ui::FindThreadWindow(reinterpret_cast<const wchar_t*>(kVorlaxMenuClass));
  SetTimer(hwnd(), TIMER_PROFILE_MENU, kProfileMenuWatchMs, nullptr);
}

// The library closes its menu and posts the pick in one go, so a menu found gone with no pick
// waiting in the queue was closed without one.
void CVelkorDlg::WatchProfileMenu() {
  if (m_profileMenu && IsWindow(m_profileMenu)) return;
  KillTimer(hwnd(), TIMER_PROFILE_MENU);
  m_profileMenu = nullptr;
  MSG pick;
  if (!PeekMessageW(&pick, m_lighting.hwnd(), WM_MENU_PICKED, WM_MENU_PICKED, PM_NOREMOVE))
    m_presenter.OnProfileMenuClosed();
}

void CVelkorDlg::OnPanelMenuPicked(WPARAM value, LPARAM menuNumber) {
  m_presenter.OnProfileMenuPicked(value, static_cast<uintptr_t>(menuNumber));
}

void CVelkorDlg::OnWindowPosChanging(WINDOWPOS* pos) {
  if (pos && !m_shown) pos->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
}

void CVelkorDlg::ShowTrayMenu() {
  // The menu sees the keyboard and a click elsewhere only while a window of ours is in front.
  SetForegroundWindow(GetLastActivePopup(hwnd()));
  const std::vector<VorlaxItem> items = TrayMenuItems();
  const int count = static_cast<int>(items.size());
  POINT at;
  GetCursorPos(&at);
  // A corner at the pointer, as the system's tray menus open: above it when below would leave the
  // screen, as for a task bar at the foot.
  const controls::ScreenPoint origin = controls::PlaceMenu(
      RECT32{at.x, at.y, at.x, at.y}, controls::SkinnedMenuHeight(items.data(), count), GetSystemMetrics(SM_CYSCREEN));
  controls::OpenSkinnedMenu(hwnd(), origin.x, origin.y, kTrayMenuWidth, kTrayMenuNumber, items.data(), count);
}

// ---------------------------------------------------------------------------------------------
// MainView

void CVelkorDlg::ShowNotice(const std::u16string& text) { ::ShowNotice(hwnd(), text); }

bool CVelkorDlg::Confirm(const std::u16string& text) { return ShowConfirm(hwnd(), text); }

void CVelkorDlg::RunApplyProgress(const std::function<void()>& started) { ::RunApplyProgress(hwnd(), started); }

void CVelkorDlg::RunMacroEditor() { RunMacroDlg(hwnd()); }

namespace {

// What the key edit needs of the main window: the picker over it, its keyboard view and the
// lighting panel, whose Commit takes the view's colours into the current game group.
class MainWindowKeyEdit : public KeyEditHost {
 public:
  MainWindowKeyEdit(HWND window, CKBColorDlg& keyboard, CLedDlg& lighting)
      : m_window(window), m_keyboard(keyboard), m_lighting(lighting) {}
  KeyPickOutcome RunPicker(const KeyPickRequest& request) override { return RunKeyFunPickDlg(m_window, request); }
  int SelectedKey() const override { return m_keyboard.ClickedKey(); }
  void SetKeyColour(int slot, uint32_t colour) override { m_keyboard.SetKeyColor(slot, colour); }
  void CommitLighting() override { m_lighting.Commit(); }
  void SetKeyMark(int slot, bool hasFunction) override { m_keyboard.MarkKey(slot, hasFunction ? 1 : 0); }
  void RedrawKeys() override { InvalidateRect(m_keyboard.hwnd(), nullptr, FALSE); }

 private:
  HWND m_window;
  CKBColorDlg& m_keyboard;
  CLedDlg& m_lighting;
};

}  // namespace

void CVelkorDlg::EditKey(int slot) {
  MainWindowKeyEdit host(hwnd(), m_keyboard, m_lighting);
  EditKeyFromPicker(g_pCurProfile, slot, g_AppDataFolder, host);
}

bool CVelkorDlg::OtherLoopRunning() const { return ui::ModalDepth() > 1; }

void CVelkorDlg::AddTrayIcon() {
  if (m_trayShown) return;
  m_tray = NOTIFYICONDATAW{};
  // The system's own record size: the fixed sizes of older systems would cut the record short.
  m_tray.cbSize = sizeof m_tray;
  m_tray.hWnd = hwnd();
  m_tray.uID = 0;
  m_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_tray.uCallbackMessage = WM_TRAY_NOTIFY;
  m_tray.hIcon = m_icon;
  CopyField(m_tray.szTip, g_Texts.tc_title);
  CopyField(m_tray.szInfo, g_Texts.tc_title);
  m_tray.dwInfoFlags = NIIF_INFO;
  m_tray.uTimeout = 5000;
  m_trayShown = Shell_NotifyIconW(NIM_ADD, &m_tray) != FALSE;
}

void CVelkorDlg::RemoveTrayIcon() {
  if (!m_trayShown) return;
  Shell_NotifyIconW(NIM_DELETE, &m_tray);
  m_trayShown = false;
}

void CVelkorDlg::ShowBalloon(const std::u16string& text) {
  if (!m_trayShown) return;
  m_tray.uFlags |= NIF_INFO;
  CopyField(m_tray.szInfoTitle, u"Info");
  CopyField(m_tray.szInfo, text);
  m_tray.dwInfoFlags = NIIF_INFO;
  m_tray.uTimeout = 3;
  Shell_NotifyIconW(NIM_MODIFY, &m_tray);
}

bool CVelkorDlg::IsVisible() const { return IsWindowVisible(hwnd()) != FALSE; }

void CVelkorDlg::ShowWindow() {
  m_shown = true;
  ::ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  BringForward();
  // The picker opens only from a shown window; decoding for it earlier would hold its pictures
  // in the tray.
  m_prefetch.Start(KeyFunPickPictures(), ui::SkinPrefetch::Urgency::kIdleTime);
}

void CVelkorDlg::BringForward() {
  if (IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
  SetForegroundWindow(hwnd());
  BringWindowToTop(hwnd());
}

void CVelkorDlg::HideWindow() {
  ::ShowWindow(hwnd(), SW_HIDE);
  // Pictures decoded ahead for dialogs that were not opened are not kept in the tray; the next
  // showing decodes them again.
  m_prefetch.Stop();
  ui::ForgetDecodedSkins();
}

void CVelkorDlg::PostClose() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

void CVelkorDlg::ShowPressedProfile(int button) {
  for (int i = 0; i < 3; ++i) m_buttons[kIdProfile1 - kIdMinimise + i].SetForcedDown(i == button);
}

void CVelkorDlg::ShowKeys(const uint32_t* marks, const uint32_t* colors) {
  m_keyboard.SetAllMarks(marks);
  m_keyboard.SetAllKeyColors(colors);
}

void CVelkorDlg::MarkKey(int slot, bool marked) { m_keyboard.MarkKey(slot, marked ? 1 : 0); }

void CVelkorDlg::ShowLighting(PROFILEINFO* profile) { m_lighting.Load(profile); }

void CVelkorDlg::ShowProfileTip(int button, const std::u16string& tip) {
  if (button >= 0 && button < kProfileButtons) m_buttons[kIdProfile1 - kIdMinimise + button].SetTooltip(tip);
}

namespace {

FileDialogRequest ProfileFileRequest(bool save, const std::u16string& proposed) {
  FileDialogRequest request;
  request.save = save;
  request.filter = FileFilter(u"kbp(*.kbp)", L"*.kbp");
  request.defaultExtension = L"kbp";
  request.proposedName = proposed;
  // A name that names no file gets our own notice, as any file that cannot be opened does.
  request.mustExist = false;
  return request;
}

}  // namespace

bool CVelkorDlg::AskProfileFileToSave(const std::u16string& proposed, std::u16string* path) {
  return AskFilePath(hwnd(), ProfileFileRequest(true, proposed), path);
}

bool CVelkorDlg::AskProfileFileToOpen(std::u16string* path) {
  return AskFilePath(hwnd(), ProfileFileRequest(false, u"*.kbp"), path);
}

bool CVelkorDlg::AskProgramFile(std::u16string* path) {
  FileDialogRequest request;
  request.filter = FileFilter(g_Texts.tc_profile_programs + u" (*.exe)", L"*.exe");
  request.defaultExtension = L"exe";
  return AskFilePath(hwnd(), request, path);
}
