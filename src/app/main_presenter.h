// The main window's behaviour without the window: start-up after the device search, opening,
// the profile buttons, Apply, OK, Cancel, Restore, key clicks and the game watch. CVelkorDlg
// turns messages into these calls and implements MainView; MainHost is the device and the
// system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/main_model.h"
#include "records/profile_record.h"
#include "vorlax/vorlax_api.h"

class MainView {
 public:
  virtual ~MainView() = default;
  // Our own modal dialogs: a notice (one text, OK) and a confirmation (OK and Cancel).
  virtual void ShowNotice(const std::u16string& text) = 0;
  virtual bool Confirm(const std::u16string& text) = 0;
  // Creates the progress dialog, calls `started` once the apply worker can find it, and runs it
  // until the worker closes it.
  virtual void RunApplyProgress(const std::function<void()>& started) = 0;
  // The macro editor (modal).
  virtual void RunMacroEditor() = 0;
  // Editing the function of a key that was clicked (modal).
  virtual void EditKey(int slot) = 0;
  // A modal loop of ours besides the main window's own runs (whoever opened the dialog).
  virtual bool OtherLoopRunning() const = 0;

  virtual void AddTrayIcon() = 0;
  // A balloon on the tray icon; nothing without one.
  virtual void ShowBalloon(const std::u16string& text) = 0;
  // Whether the window may become visible (clear at start with TrayIcon 1 until first opened).
  virtual bool ShownFlag() const = 0;
  virtual bool IsVisible() const = 0;
  // Sets the shown flag, shows the window and brings it forward.
  virtual void ShowWindow() = 0;
  virtual void BringForward() = 0;
  virtual void HideWindow() = 0;
  virtual void PostClose() = 0;

  // Presses the profile button 0..2 and releases the others (-1: none pressed).
  virtual void ShowPressedProfile(int button) = 0;
  // The keyboard picture's marks and colours (144 each); the clicked key is forgotten.
  virtual void ShowKeys(const uint32_t* marks, const uint32_t* colors) = 0;
  virtual void MarkKey(int slot, bool marked) = 0;
  // The lighting panel shows this profile's lighting mode and settings.
  virtual void ShowLighting(PROFILEINFO* profile) = 0;
  // The tool tip of profile button 0..2 (empty: none).
  virtual void ShowProfileTip(int button, const std::u16string& tip) = 0;

  // The system's save and open dialogs for a profile file and its open dialog for a program;
  // false when the user cancelled.
  virtual bool AskProfileFileToSave(const std::u16string& proposed, std::u16string* path) = 0;
  virtual bool AskProfileFileToOpen(std::u16string* path) = 0;
  virtual bool AskProgramFile(std::u16string* path) = 0;
};

class MainHost {
 public:
  virtual ~MainHost() = default;
  virtual bool DeviceOpen() = 0;
  virtual int CountDevices() = 0;
  virtual void StartApplyWorker() = 0;
  // Queues a run of the worker: `flags` as a key edit or Restore asks for.
  virtual void RequestApply(uint32_t flags) = 0;
  // Queues the Apply command's run (0x8007), which drives the progress dialog.
  virtual void QueueFullApply() = 0;
  // Sends a profile on this thread, without a progress window, unless another send holds the
  // device.
  enum class SendResult { kDone, kFailed, kDeviceBusy };
  virtual SendResult ApplyNow(const PROFILEINFO& profile) = 0;
  virtual std::vector<RunningProcess> RunningProcesses() = 0;
};

class MainPresenter {
 public:
  MainPresenter(MainView& view, MainHost& host, std::u16string appDataFolder)
      : view_(view), host_(host), appData_(std::move(appDataFolder)) {}

  // After the device library is bound and the keyboard looked for. False when the program ends
  // (no keyboard and Suwnd 0).
  bool Start();
  // Tray double click, the tray menu's first item, a second copy's signal.
  void Open();
  void OnProfileButton(int button);
  // Cancel and the close box.
  void OnCancel();
  // The commands below, and the profile menu's, open a dialog of ours and do nothing while one is
  // open: any process can post us a key click or a pick, and a second click can be queued before
  // a dialog disables the window.
  // Apply (thenHide false) and OK (thenHide true).
  void OnApply(bool thenHide);
  void OnRestore();
  void OnMacros();
  // WM_KEY_CLICKED; wParam comes from any process that can post to us.
  void OnKeyClicked(uintptr_t wParam, int keyCount);
  void OnGameWatchTick();

  // Makes the profile with this identifier current and shows it; nothing when absent.
  void SelectProfile(uint32_t id);

  // A right click on profile button 0..2, or on the lighting panel (-1): the items of the menu to
  // open there, none when there is no profile. What is picked in it acts on the button's own
  // profile, current or not (the panel's is the current one).
  std::vector<VorlaxItem> OpenProfileMenu(int button);
  // WM_MENU_PICKED at the lighting panel. A pick that no menu of ours asked for (another process
  // can post one) acts on the current profile.
  void OnProfileMenuPicked(uintptr_t value, uintptr_t menuNumber);
  // The profile menu closed without a pick: a later stray pick acts on the current profile.
  void OnProfileMenuClosed();

  // While one of these lives, a dialog of ours or an Apply runs: the game watch leaves the
  // current profile alone and opening only brings the window forward. Message loops inside a
  // dialog still deliver timers, tray clicks and a second copy's signal to the main window.
  class Busy {
   public:
    explicit Busy(MainPresenter& p) : p_(p) { ++p_.busy_; }
    ~Busy() { --p_.busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    MainPresenter& p_;
  };
  bool IsBusy() const { return busy_ > 0 || view_.OtherLoopRunning(); }

 private:
  void Notice(const std::u16string& text);
  void ReloadProfiles();
  void ShowCurrent();
  void ShowLinks();
  void ExportProfile(uint32_t id);
  void ImportProfile(uint32_t id);
  void LinkProgram(uint32_t id);
  void Unlink(uint32_t id);

  MainView& view_;
  MainHost& host_;
  std::u16string appData_;
  int busy_ = 0;
  GameWatchRetry retry_;
  uint32_t menuTarget_ = 0;  // the profile the open profile menu acts on
};
