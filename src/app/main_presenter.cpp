#include "app/main_presenter.h"

#include <mutex>

#include "app/profile_file.h"
#include "app/profile_menu.h"
#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "device/apply.h"
#include "log/log.h"
#include "macro/macro_library.h"
#include "profile/profile.h"
#include "profile/profile_store.h"

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;
constexpr uint32_t kApplyAll = APPLY_MATRIX | APPLY_LED | APPLY_COLOR;
}  // namespace

void MainPresenter::Notice(const std::u16string& text) {
  Busy busy(*this);
  view_.ShowNotice(text);
}

bool MainPresenter::Start() {
  if (!host_.DeviceOpen() && !g_Settings.Suwnd) {
    Notice(g_Texts.tc_msg15);
    view_.PostClose();
    return false;
  }
  if (host_.CountDevices() > 1) Notice(g_Texts.tc_msg11);
  host_.StartApplyWorker();
  {
    Lock lock(ProfileDataMutex());
    LoadMacroLibrary(appData_, g_Settings.MacroDir != 0);
  }
  const int tray = TrayIconMode();
  if (tray == 1 || tray == 3) view_.AddTrayIcon();
  // The profiles are loaded even while the window stays in the tray, so that the game watch
  // has linked programs to look for from the start.
  if (view_.ShownFlag())
    Open();
  else
    ReloadProfiles();
  return true;
}

void MainPresenter::Open() {
  if (!host_.DeviceOpen()) {
    view_.ShowBalloon(g_Texts.tc_msg15);
    if (!g_Settings.Suwnd) return;
  }
  if (view_.IsVisible()) {
    view_.BringForward();
    return;
  }
  // A dialog of ours or an Apply works on the profiles as they are: no reload under it.
  if (!IsBusy()) ReloadProfiles();
  view_.ShowWindow();
}

void MainPresenter::ReloadProfiles() {
  uint32_t id;
  {
    Lock lock(ProfileDataMutex());
    LoadProfileStore(appData_);
    TopUpProfiles(g_ProfileList, g_Texts.tc_proname);
    id = LoadCurrentProfileId(appData_);
    if (!id || !FindProfile(id)) id = g_ProfileList.front()->dwId;
  }
  SelectProfile(id);
  ShowLinks();
}

void MainPresenter::ShowLinks() {
  for (int button = 0; button < kProfileButtons; ++button) {
    const PROFILEINFO* profile = ProfileOnButton(g_ProfileList, button);
    view_.ShowProfileTip(button, profile ? LinkedProgramTip(*profile) : std::u16string());
  }
}

void MainPresenter::SelectProfile(uint32_t id) {
  {
    Lock lock(ProfileDataMutex());
    PROFILEINFO* profile = FindProfile(id);
    if (!profile) return;
    g_pCurProfile = profile;
  }
  view_.ShowPressedProfile(ProfileButtonOf(g_ProfileList, id));
  ShowCurrent();
}

void MainPresenter::ShowCurrent() {
  uint32_t marks[kKeySlots] = {};
  uint32_t colors[kKeySlots] = {};
  if (g_pCurProfile) {
    ProfileKeyMarks(*g_pCurProfile, marks);
    ProfileKeyColors(*g_pCurProfile, colors);
  }
  view_.ShowKeys(marks, colors);
  view_.ShowLighting(g_pCurProfile);
}

void MainPresenter::OnProfileButton(int button) {
  const PROFILEINFO* profile = ProfileOnButton(g_ProfileList, button);
  if (profile) SelectProfile(profile->dwId);
}

void MainPresenter::OnApply(bool thenHide) {
  if (IsBusy()) return;
  if (!host_.DeviceOpen() && !g_Settings.GoWithNoDev) {
    Notice(g_Texts.tc_msg15);
    return;
  }
  if (host_.CountDevices() > 1) {
    Notice(g_Texts.tc_msg11);
    return;
  }
  {
    Busy busy(*this);
    view_.RunApplyProgress([this] { host_.QueueFullApply(); });
  }
  {
    Lock lock(ProfileDataMutex());
    SaveProfileStore(appData_);
    SaveCurrentProfileId(appData_);
  }
  if (thenHide) view_.HideWindow();
}

void MainPresenter::OnCancel() {
  const int tray = TrayIconMode();
  if (tray == 1 || tray == 3)
    view_.HideWindow();
  else
    view_.PostClose();
}

void MainPresenter::OnRestore() {
  if (IsBusy() || !g_pCurProfile) return;
  bool confirmed;
  {
    Busy busy(*this);
    confirmed = view_.Confirm(g_Texts.tc_msg5);
  }
  if (!confirmed || !g_pCurProfile) return;
  {
    Lock lock(ProfileDataMutex());
    ResetProfile(g_pCurProfile);
  }
  ShowCurrent();
  ShowLinks();  // the reset profile names no program any more
  if (g_Settings.ApplyNow) host_.RequestApply(kApplyAll);
}

void MainPresenter::OnMacros() {
  if (IsBusy()) return;
  Busy busy(*this);
  view_.RunMacroEditor();
}

void MainPresenter::OnKeyClicked(uintptr_t wParam, int keyCount) {
  const int slot = KeySlotFromParam(wParam, keyCount);
  if (slot < 0 || !g_pCurProfile || IsBusy()) return;
  Busy busy(*this);
  view_.EditKey(slot);
}

void MainPresenter::OnGameWatchTick() {
  if (IsBusy() || !host_.DeviceOpen() || !AnyLinkedProfile(g_ProfileList)) return;
  const LinkedChoice choice = ChooseLinkedProfile(g_ProfileList, host_.RunningProcesses());
  if (!choice.profile || choice.profile == g_pCurProfile || !retry_.ShouldTry(choice)) return;
  MainHost::SendResult result;
  {
    // The send may show a message box, whose loop delivers the next tick and tray clicks.
    Busy busy(*this);
    result = host_.ApplyNow(*choice.profile);
  }
  if (result == MainHost::SendResult::kDeviceBusy) return;  // the next tick tries again
  if (result == MainHost::SendResult::kFailed) {
    LogPrint(u"Game watch: apply of profile 0x%x failed", choice.profile->dwId);
    retry_.Failed(choice);
    return;
  }
  retry_.Succeeded();
  if (view_.IsVisible()) {
    SelectProfile(choice.profile->dwId);
  } else {
    Lock lock(ProfileDataMutex());
    g_pCurProfile = choice.profile;
  }
  Lock lock(ProfileDataMutex());
  SaveCurrentProfileId(appData_);
}

std::vector<VorlaxItem> MainPresenter::OpenProfileMenu(int button) {
  menuTarget_ = 0;
  if (IsBusy()) return {};
  const PROFILEINFO* profile = button < 0 ? g_pCurProfile : ProfileOnButton(g_ProfileList, button);
  menuTarget_ = profile ? profile->dwId : 0;
  if (!profile) return {};
  return ProfileMenuItems(*profile);
}

void MainPresenter::OnProfileMenuClosed() { menuTarget_ = 0; }

void MainPresenter::OnProfileMenuPicked(uintptr_t value, uintptr_t menuNumber) {
  if (menuNumber != kProfileMenuNumber) return;
  const uint32_t id = menuTarget_ ? menuTarget_ : g_pCurProfile ? g_pCurProfile->dwId : 0;
  menuTarget_ = 0;
  if (!id || IsBusy()) return;
  switch (value) {
    case kProfileMenuExport: ExportProfile(id); break;
    case kProfileMenuImport: ImportProfile(id); break;
    case kProfileMenuLink: LinkProgram(id); break;
    case kProfileMenuUnlink: Unlink(id); break;
    default: break;
  }
}

// Each command looks its profile up again after the system dialog: the dialog's own message loop
// runs while it is open, and the profile is named by identifier, never held across it.
void MainPresenter::ExportProfile(uint32_t id) {
  const PROFILEINFO* profile = FindProfile(id);
  if (!profile) return;
  std::u16string path;
  {
    Busy busy(*this);
    if (!view_.AskProfileFileToSave(ProposedProfileFileName(*profile), &path)) return;
  }
  profile = FindProfile(id);
  if (!profile) return;
  const ProfileFileError result = ExportProfileFile(*profile, path);
  if (result != ProfileFileError::None) Notice(ProfileFileNotice(result));
}

void MainPresenter::ImportProfile(uint32_t id) {
  if (!FindProfile(id)) return;
  std::u16string path;
  {
    Busy busy(*this);
    if (!view_.AskProfileFileToOpen(&path)) return;
  }
  PROFILEINFO* profile = FindProfile(id);
  if (!profile) return;
  std::vector<uint8_t> bytes;
  ProfileFileError result = ReadProfileFile(path, bytes);
  if (result == ProfileFileError::None)
    result = ImportProfileFile(bytes, appData_, g_Settings.MacroHasMsKey, *profile);
  if (result != ProfileFileError::None) {
    Notice(ProfileFileNotice(result));
    return;
  }
  // The file brings its own linked program along with the settings.
  if (profile == g_pCurProfile) ShowCurrent();
  ShowLinks();
}

void MainPresenter::LinkProgram(uint32_t id) {
  if (!FindProfile(id)) return;
  std::u16string path;
  {
    Busy busy(*this);
    if (!view_.AskProgramFile(&path)) return;
  }
  PROFILEINFO* profile = FindProfile(id);
  const std::u16string name = ProgramFileName(path);
  if (!profile || name.empty()) return;
  {
    Lock lock(ProfileDataMutex());
    SetLinkedProgramName(*profile, name);
  }
  ShowLinks();
}

void MainPresenter::Unlink(uint32_t id) {
  PROFILEINFO* profile = FindProfile(id);
  if (!profile) return;
  {
    Lock lock(ProfileDataMutex());
    SetLinkedProgramName(*profile, u"");
  }
  ShowLinks();
}
