// The program's one top-level window: the skinned, mask-shaped main window with the keyboard
// picture, the profile buttons, the tray icon, the device-change registration and the game-watch
// timer. It translates messages into MainPresenter calls and draws; the presenter decides.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_host_win.h"
#include "app/main_presenter.h"
#include "controls/gdi_win.h"
#include "app/tray_menu.h"
#include "controls/png_btn_win.h"
#include "controls/skin_image_win.h"
#include "controls/skin_prefetch_win.h"
#include "controls/window_base_win.h"
#include "dialogs/kb_color_link_win.h"
#include "dialogs/led_dlg_win.h"
#include "device/usb_driver.h"
#include "dialogs/kb_color_dlg_win.h"

constexpr UINT ID_TRAY_OPEN = kTrayCommandOpen;
constexpr UINT ID_TRAY_EXIT = kTrayCommandExit;
constexpr UINT_PTR TIMER_GAME_WATCH = 0x0240;
constexpr UINT kGameWatchPeriodMs = 1300;
// Looks whether the open profile menu has closed without a pick (the menu library tells only picks).
constexpr UINT_PTR TIMER_PROFILE_MENU = 0x0241;
constexpr UINT kProfileMenuWatchMs = 100;

// Control identifiers of the main window's children (the end-to-end tests find them by these).
enum MainControlId : UINT {
  kIdMinimise = 1000,
  kIdClose,
  kIdProfile1,
  kIdProfile2,
  kIdProfile3,
  kIdMacros,
  kIdRestore,
  kIdOk,
  kIdCancel,
  kIdApply,
  kIdKeyboard = 1100,
};

class CVelkorDlg : public ui::WindowBase, private MainView, private LedPanelMenuOwner {
 public:
  CVelkorDlg();
  ~CVelkorDlg() override;

  // Creates the window, runs it until it is closed, and tears it down.
  void Run();
  // The pictures the window loads as it starts, in the order it needs them.
  static std::vector<std::u16string> StartupPictures();
  // Makes the window's shape from the skin ahead of the window (on the prefetch thread).
  static void PrepareStartupShape();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  static constexpr int kButtons = kIdApply - kIdMinimise + 1;

  // Building the window.
  bool OnInitDialog();
  void AddAboutItem();
  void LoadWindowIcon();
  bool BuildSkin();
  void ApplyShape();
  void PlaceWindow();
  void CreateButtons();
  void CreateKeyboardView();
  void CreateLightingPanel();
  void RegisterForDevices();
  void TearDown();

  // Messages.
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void DrawTexts(HDC dc);
  void OnCommand(WPARAM wParam, LPARAM lParam);
  void OnTrayNotify(LPARAM lParam);
  void OnTimer(WPARAM id);
  LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
  void OnWindowPosChanging(WINDOWPOS* pos);
  void ShowTrayMenu();
  void RemoveTrayIcon();
  void OnContextMenu(WPARAM from, LPARAM at);
  // The profile menu for profile button 0..2 (-1: the lighting panel) at a screen point.
  void OpenProfileMenu(int button, POINT at);
  void WatchProfileMenu();

  // LedPanelMenuOwner.
  void OnPanelRightClick(POINT at) override { OpenProfileMenu(-1, at); }
  void OnPanelMenuPicked(WPARAM value, LPARAM menuNumber) override;

  // MainView.
  void ShowNotice(const std::u16string& text) override;
  bool Confirm(const std::u16string& text) override;
  void RunApplyProgress(const std::function<void()>& started) override;
  void RunMacroEditor() override;
  void EditKey(int slot) override;
  bool OtherLoopRunning() const override;
  void AddTrayIcon() override;
  void ShowBalloon(const std::u16string& text) override;
  bool ShownFlag() const override { return m_shown; }
  bool IsVisible() const override;
  void ShowWindow() override;
  void BringForward() override;
  void HideWindow() override;
  void PostClose() override;
  void ShowPressedProfile(int button) override;
  void ShowKeys(const uint32_t* marks, const uint32_t* colors) override;
  void MarkKey(int slot, bool marked) override;
  void ShowLighting(PROFILEINFO* profile) override;
  void ShowProfileTip(int button, const std::u16string& tip) override;
  bool AskProfileFileToSave(const std::u16string& proposed, std::u16string* path) override;
  bool AskProfileFileToOpen(std::u16string* path) override;
  bool AskProgramFile(std::u16string* path) override;

  CUSBDriver m_driver;
  MainHostWin m_host;
  MainPresenter m_presenter;

  ui::SkinImage m_background;
  HICON m_icon = nullptr;
  bool m_ownIcon = false;
  ui::Font m_font;
  ui::OffscreenBuffer m_buffer;
  CPngBtn m_buttons[kButtons];
  CKBColorDlg m_keyboard;
  KeyboardViewLink m_keyboardLink{m_keyboard};
  CLedDlg m_lighting;
  // The lighting panel's place (left 19, top 244, 242 x 252): until the panel exists the
  // background shows there.
  NOTIFYICONDATAW m_tray{};
  bool m_trayShown = false;
  // Whether the window may become visible: clear at start with TrayIcon 1 until it is opened.
  bool m_shown = true;
  HDEVNOTIFY m_deviceNotify = nullptr;
  bool m_skinLoaded = false;
  std::wstring m_version;
  std::wstring m_hint;
  // The key function picker's pictures, decoded while the user has not clicked a key yet.
  ui::SkinPrefetch m_prefetch;
  // The open profile menu's window, while TIMER_PROFILE_MENU watches it.
  HWND m_profileMenu = nullptr;
};
