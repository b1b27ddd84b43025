#include "app/main_presenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/profile_menu.h"
#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "device/apply.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/key_function.h"
#include "profile/profile.h"
#include "profile/profile_store.h"
#include "unit/app/three_key_layout.h"
#include "unit/moving_clock.h"
#include "unit/temp_folder.h"

namespace {

std::string N(const std::u16string& s) { return u16::ToUtf8(s); }

class FakeView : public MainView {
 public:
  std::vector<std::string> calls;
  bool confirm = true;
  bool shownFlag = true;
  bool visible = false;
  bool otherLoop = false;  // a dialog someone else opened
  int pressed = -2;
  uint32_t marks[kKeySlots] = {};
  std::function<void()> duringModal;  // what arrives while a dialog of ours runs

  void ShowNotice(const std::u16string& text) override {
    calls.push_back("notice " + N(text));
    if (duringModal) duringModal();
  }
  bool Confirm(const std::u16string& text) override {
    calls.push_back("confirm " + N(text));
    if (duringModal) duringModal();
    return confirm;
  }
  void RunApplyProgress(const std::function<void()>& started) override {
    calls.push_back("progress");
    started();
    if (duringModal) duringModal();
  }
  void RunMacroEditor() override { calls.push_back("macros"); }
  void EditKey(int slot) override { calls.push_back("edit " + std::to_string(slot)); }
  bool OtherLoopRunning() const override { return otherLoop; }
  void AddTrayIcon() override { calls.push_back("tray"); }
  void ShowBalloon(const std::u16string& text) override { calls.push_back("balloon " + N(text)); }
  bool ShownFlag() const override { return shownFlag; }
  bool IsVisible() const override { return visible; }
  void ShowWindow() override {
    calls.push_back("show");
    shownFlag = visible = true;
  }
  void BringForward() override { calls.push_back("forward"); }
  void HideWindow() override {
    calls.push_back("hide");
    visible = false;
  }
  void PostClose() override { calls.push_back("close"); }
  void ShowPressedProfile(int button) override { pressed = button; }
  void ShowKeys(const uint32_t* m, const uint32_t*) override { std::memcpy(marks, m, sizeof marks); }
  void MarkKey(int slot, bool marked) override { marks[slot] = marked; }
  void ShowLighting(PROFILEINFO*) override {}
  void ShowProfileTip(int button, const std::u16string& tip) override { tips[button] = N(tip); }
  bool AskProfileFileToSave(const std::u16string& proposed, std::u16string* path) override {
    return Answer("save " + N(proposed), path);
  }
  bool AskProfileFileToOpen(std::u16string* path) override { return Answer("open", path); }
  bool AskProgramFile(std::u16string* path) override { return Answer("program", path); }

  std::string tips[3];
  std::u16string answer;  // what the file dialogs give; empty: cancelled

 private:
  bool Answer(const std::string& call, std::u16string* path) {
    calls.push_back(call);
    if (duringModal) duringModal();
    *path = answer;
    return !answer.empty();
  }
};

class FakeHost : public MainHost {
 public:
  bool open = true;
  int count = 1;
  std::vector<std::string> calls;
  std::vector<RunningProcess> processes;
  SendResult sendResult = SendResult::kDone;
  std::vector<uint32_t> sentIds;

  bool DeviceOpen() override { return open; }
  int CountDevices() override { return count; }
  void StartApplyWorker() override { calls.push_back("worker"); }
  void RequestApply(uint32_t flags) override { calls.push_back("request " + std::to_string(flags)); }
  void QueueFullApply() override { calls.push_back("full apply"); }
  SendResult ApplyNow(const PROFILEINFO& profile) override {
    sentIds.push_back(profile.dwId);
    return sendResult;
  }
  std::vector<RunningProcess> RunningProcesses() override {
    ++snapshots;
    return processes;
  }
  int snapshots = 0;
};

class MainPresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.Suwnd = 1;
    g_Settings.TrayIcon = 3;
    ClearTextTable();
    g_Texts.tc_msg5 = u"restore?";
    g_Texts.tc_msg11 = u"two keyboards";
    g_Texts.tc_msg15 = u"no keyboard";
    g_Texts.tc_proname = u"Profile ";
    g_Texts.tc_profile_linked = u"linked: %s";
    plat::ResetTestHooks();
    UseMovingClock(ticks_);
    LoadThreeKeyLayout();
    ForgetIssuedIds();
    ClearProfileList();
    MacroList.RemoveAll();
  }
  void TearDown() override {
    plat::ResetTestHooks();
    ClearProfileList();
    MacroList.RemoveAll();
    ClearTextTable();
    ClearLayout();
  }

  // A stored list of three profiles with identifiers 0x11, 0x22, 0x33; the second links `linked`.
  void StoreThree(uint32_t current, const std::u16string& linked = u"", const std::u16string& linked3 = u"") {
    ClearProfileList();
    for (uint32_t id : {0x11u, 0x22u, 0x33u}) {
      auto p = std::make_unique<PROFILEINFO>();
      NewProfile(u"stored", p.get());
      p->dwId = id;
      if (id == 0x22) SetLinkedProgramName(*p, linked);
      if (id == 0x33) SetLinkedProgramName(*p, linked3);
      g_ProfileList.push_back(std::move(p));
    }
    g_pCurProfile = FindProfile(current);
    ASSERT_TRUE(SaveProfileStore(appData));
    if (current) ASSERT_TRUE(SaveCurrentProfileId(appData));
    ClearProfileList();
  }
  uint32_t CurrentId() const { return g_pCurProfile ? g_pCurProfile->dwId : 0; }

  TempFolder folder{"velkor-main"};
  std::u16string appData = folder.U16Path("/");
  FakeView view;
  FakeHost host;
  MainPresenter presenter{view, host, appData};
  int ticks_ = 0;

  // Opens the profile menu as a right click on `button` (-1: the panel) would and picks `command`.
  void Pick(int button, uint32_t command) {
    presenter.OpenProfileMenu(button);
    presenter.OnProfileMenuPicked(command, kProfileMenuNumber);
  }
  std::vector<uint32_t> MenuValues(int button) {
    std::vector<uint32_t> values;
    for (const VorlaxItem& item : presenter.OpenProfileMenu(button)) values.push_back(item.dwValue);
    return values;
  }
};

TEST_F(MainPresenterTest, StartOpensWithTheStoredCurrentProfile) {
  StoreThree(0x22);
  ASSERT_TRUE(presenter.Start());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"tray", "show"}));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"worker"}));
  EXPECT_EQ(CurrentId(), 0x22u);
  EXPECT_EQ(view.pressed, 1);
  EXPECT_EQ(g_ProfileList.size(), 3u);
}

TEST_F(MainPresenterTest, EmptyStoreGivesThreeDefaultsAndTheFirstIsCurrent) {
  ASSERT_TRUE(presenter.Start());
  ASSERT_EQ(g_ProfileList.size(), 3u);
  EXPECT_EQ(N(g_ProfileList.back()->szName), "Profile 3");
  EXPECT_EQ(g_pCurProfile, g_ProfileList.front().get());
  EXPECT_EQ(view.pressed, 0);
}

TEST_F(MainPresenterTest, StartWithoutKeyboardEndsOrGoesOnByTheSetting) {
  host.open = false;
  g_Settings.Suwnd = 0;
  EXPECT_FALSE(presenter.Start());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"notice no keyboard", "close"}));
  EXPECT_TRUE(host.calls.empty());

  view.calls.clear();
  g_Settings.Suwnd = 1;
  g_Settings.TrayIcon = 2;
  EXPECT_TRUE(presenter.Start());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"balloon no keyboard", "show"}));
}

TEST_F(MainPresenterTest, TrayOnlyStartStaysHiddenWithTheProfilesLoaded) {
  StoreThree(0x33);
  g_Settings.TrayIcon = 1;
  view.shownFlag = false;
  host.count = 2;
  ASSERT_TRUE(presenter.Start());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"notice two keyboards", "tray"}));
  EXPECT_EQ(CurrentId(), 0x33u);
}

TEST_F(MainPresenterTest, ReopeningReloadsTheStoreSoACancelledEditIsLost) {
  StoreThree(0x11);
  presenter.Start();
  g_pCurProfile->KeyInfo[0].bVk = 0x5A;
  presenter.OnCancel();
  EXPECT_EQ(view.calls.back(), "hide");
  presenter.Open();
  EXPECT_EQ(g_pCurProfile->KeyInfo[0].bVk, 0x41);

  // Already visible: only brought forward, nothing reloaded.
  g_pCurProfile->KeyInfo[0].bVk = 0x5A;
  presenter.Open();
  EXPECT_EQ(view.calls.back(), "forward");
  EXPECT_EQ(g_pCurProfile->KeyInfo[0].bVk, 0x5A);

  g_Settings.TrayIcon = 2;
  presenter.OnCancel();
  EXPECT_EQ(view.calls.back(), "close");
}

TEST_F(MainPresenterTest, OpeningDuringADialogOfOursDoesNotReload) {
  StoreThree(0x11);
  presenter.Start();
  presenter.OnCancel();
  PROFILEINFO* before = g_pCurProfile;
  view.confirm = false;
  view.duringModal = [&] { presenter.Open(); };
  presenter.OnRestore();
  EXPECT_EQ(g_pCurProfile, before);  // the records the dialog works on are still there
  EXPECT_TRUE(view.visible);
}

TEST_F(MainPresenterTest, ApplyQueuesTheFullRunThenSavesAndOkHides) {
  presenter.Start();
  presenter.OnProfileButton(2);
  view.calls.clear();
  presenter.OnApply(false);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"progress"}));
  EXPECT_EQ(host.calls.back(), "full apply");
  EXPECT_EQ(LoadCurrentProfileId(appData), CurrentId());
  std::vector<uint8_t> store;
  ASSERT_TRUE(plat::ReadWholeFile(appData + u"pro.dct", store, kStoreBytes + 1));
  EXPECT_EQ(store.size(), kStoreBytes);

  presenter.OnApply(true);
  EXPECT_EQ(view.calls.back(), "hide");
}

TEST_F(MainPresenterTest, ApplyRefusesWithoutKeyboardOrWithTwo) {
  presenter.Start();
  view.calls.clear();
  host.open = false;
  presenter.OnApply(true);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"notice no keyboard"}));

  g_Settings.GoWithNoDev = 1;
  host.count = 2;
  view.calls.clear();
  presenter.OnApply(true);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"notice two keyboards"}));
  EXPECT_FALSE(plat::PathExists(appData + u"pro.dct"));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"worker"}));
}

TEST_F(MainPresenterTest, RestoreAsksThenResetsAndSendsWithApplyNow) {
  presenter.Start();
  g_pCurProfile->KeyInfo[1].bVk = 0x5A;
  view.confirm = false;
  presenter.OnRestore();
  EXPECT_EQ(g_pCurProfile->KeyInfo[1].bVk, 0x5A);

  view.confirm = true;
  g_Settings.ApplyNow = 1;
  presenter.OnRestore();
  EXPECT_EQ(g_pCurProfile->KeyInfo[1].bVk, 0x42);
  EXPECT_EQ(view.marks[1], 0u);
  EXPECT_EQ(host.calls.back(), "request 7");
}

TEST_F(MainPresenterTest, RestoreDropsTheLinkAndItsTip) {
  StoreThree(0x22, u"shooter");
  presenter.Start();
  ASSERT_EQ(view.tips[1], "linked: shooter");
  presenter.OnRestore();
  EXPECT_EQ(N(LinkedProgramName(*g_pCurProfile)), "");
  EXPECT_EQ(view.tips[1], "");
}

// Any process can post a key click, and a second click can be queued before a dialog disables
// the window: while a dialog of ours is open, nothing opens another.
TEST_F(MainPresenterTest, CommandsThatOpenADialogDoNothingWhileOneIsOpen) {
  StoreThree(0x11);
  presenter.Start();
  const std::function<void()> commands[] = {
      [&] { presenter.OnKeyClicked(1, g_KeyCount); },
      [&] { presenter.OnApply(false); },
      [&] { presenter.OnRestore(); },
      [&] { presenter.OnMacros(); },
      [&] { Pick(1, kProfileMenuLink); },
      [&] { presenter.OnProfileMenuPicked(kProfileMenuExport, kProfileMenuNumber); },
  };
  view.answer = u"C:\\Games\\Racer.exe";
  host.open = false;  // Apply shows a notice: a dialog of ours
  for (const auto& command : commands) {
    view.calls.clear();
    view.duringModal = command;
    presenter.OnApply(false);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"notice no keyboard"}));
  }
  host.open = true;
  view.duringModal = nullptr;
  view.otherLoop = true;  // a dialog another part of the window opened (the picker's own)
  for (const auto& command : commands) {
    view.calls.clear();
    command();
    EXPECT_EQ(view.calls, std::vector<std::string>{});
  }
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x22))), "");
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "full apply"), 0);
}

TEST_F(MainPresenterTest, KeyClicksOutsideTheLayoutAreIgnored) {
  presenter.Start();
  view.calls.clear();
  presenter.OnKeyClicked(2, g_KeyCount);
  presenter.OnKeyClicked(3, g_KeyCount);
  presenter.OnKeyClicked(static_cast<uintptr_t>(-5), g_KeyCount);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"edit 2"}));
}

TEST_F(MainPresenterTest, GameWatchSwitchesToTheEarlierLinkedProfileAndSavesTheId) {
  StoreThree(0x11, u"shooter", u"racer");
  presenter.Start();
  host.processes = {{5, u"racer.exe"}, {6, u"shooter.exe"}};
  presenter.OnGameWatchTick();
  EXPECT_EQ(host.sentIds, (std::vector<uint32_t>{0x22}));
  EXPECT_EQ(CurrentId(), 0x22u);
  EXPECT_EQ(view.pressed, 1);
  EXPECT_EQ(LoadCurrentProfileId(appData), 0x22u);
  presenter.OnGameWatchTick();  // already current: nothing sent again
  EXPECT_EQ(host.sentIds.size(), 1u);
}

TEST_F(MainPresenterTest, GameWatchTakesNoSnapshotWhenNoProfileIsLinked) {
  StoreThree(0x11);
  presenter.Start();
  presenter.OnGameWatchTick();
  EXPECT_EQ(host.snapshots, 0);
}

TEST_F(MainPresenterTest, GameWatchLeavesTheProfileAloneWhileBusyOrWithoutKeyboard) {
  StoreThree(0x11, u"shooter");
  presenter.Start();
  host.processes = {{6, u"shooter.exe"}};
  view.confirm = false;
  view.duringModal = [&] { presenter.OnGameWatchTick(); };
  presenter.OnRestore();
  view.otherLoop = true;
  presenter.OnGameWatchTick();
  view.otherLoop = false;
  host.open = false;
  presenter.OnGameWatchTick();
  EXPECT_TRUE(host.sentIds.empty());
  EXPECT_EQ(CurrentId(), 0x11u);

  // A device held by another send: nothing changes, and the next tick tries again.
  host.open = true;
  host.sendResult = MainHost::SendResult::kDeviceBusy;
  presenter.OnGameWatchTick();
  EXPECT_EQ(CurrentId(), 0x11u);
  host.sendResult = MainHost::SendResult::kDone;
  presenter.OnGameWatchTick();
  EXPECT_EQ(CurrentId(), 0x22u);
}

TEST_F(MainPresenterTest, FailedGameWatchSendIsRetriedOnlyWhenTheProcessesChange) {
  StoreThree(0x11, u"shooter");
  presenter.Start();
  presenter.OnCancel();  // hidden: a switch only makes the profile current
  host.processes = {{6, u"shooter.exe"}};
  host.sendResult = MainHost::SendResult::kFailed;
  presenter.OnGameWatchTick();
  presenter.OnGameWatchTick();
  EXPECT_EQ(host.sentIds.size(), 1u);
  EXPECT_EQ(CurrentId(), 0x11u);
  EXPECT_EQ(LoadCurrentProfileId(appData), 0x11u);

  host.sendResult = MainHost::SendResult::kDone;
  host.processes = {{7, u"shooter.exe"}};
  presenter.OnGameWatchTick();
  EXPECT_EQ(host.sentIds.size(), 2u);
  EXPECT_EQ(CurrentId(), 0x22u);
  EXPECT_EQ(view.pressed, 0);  // hidden: the buttons are left for the next opening
}

TEST_F(MainPresenterTest, ProfileMenuLinksTheClickedButtonsProfileAndApplySavesIt) {
  StoreThree(0x11);
  presenter.Start();
  EXPECT_EQ(MenuValues(1), (std::vector<uint32_t>{3, 4, 5}));

  view.answer = u"C:\\Games\\Racer.exe";
  bool busyInDialog = false;
  view.duringModal = [&] { busyInDialog = presenter.IsBusy(); };
  Pick(1, kProfileMenuLink);
  EXPECT_TRUE(busyInDialog);  // the game watch keeps still while the dialog is open
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x22))), "Racer.exe");
  EXPECT_EQ(CurrentId(), 0x11u);
  EXPECT_EQ(view.tips[1], "linked: Racer.exe");
  EXPECT_EQ(view.tips[0], "");
  EXPECT_EQ(MenuValues(1), (std::vector<uint32_t>{3, 4, 5, 6}));

  presenter.OnApply(false);
  ClearProfileList();
  LoadProfileStore(appData);
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x22))), "Racer.exe");

  presenter.Open();  // hidden until now: reloads the store, tips with it
  EXPECT_EQ(view.tips[1], "linked: Racer.exe");
  Pick(1, kProfileMenuUnlink);
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x22))), "");
  EXPECT_EQ(view.tips[1], "");
}

TEST_F(MainPresenterTest, AProfileMenuClosedWithoutAPickLeavesNoTarget) {
  StoreThree(0x11);
  presenter.Start();
  view.answer = u"C:\\Games\\Racer.exe";
  presenter.OpenProfileMenu(2);
  presenter.OnProfileMenuClosed();
  presenter.OnProfileMenuPicked(kProfileMenuLink, kProfileMenuNumber);  // a stray pick later
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x11))), "Racer.exe");
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x33))), "");
}

TEST_F(MainPresenterTest, ProfileMenuPicksThatChangeNothing) {
  StoreThree(0x11);
  presenter.Start();
  view.calls.clear();
  Pick(2, kProfileMenuLink);  // cancelled dialog
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x33))), "");

  view.answer = u"C:\\Games\\Racer.exe";
  presenter.OpenProfileMenu(2);
  presenter.OnProfileMenuPicked(kProfileMenuLink, 0);  // a combo list's number
  presenter.OnProfileMenuPicked(99, kProfileMenuNumber);
  EXPECT_EQ(view.calls, (std::vector<std::string>{"program"}));
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x33))), "");

  // A pick no menu of ours asked for: the current profile, as the panel's own menu would.
  presenter.OnProfileMenuPicked(kProfileMenuLink, kProfileMenuNumber);
  EXPECT_EQ(N(LinkedProgramName(*FindProfile(0x11))), "Racer.exe");
}

TEST_F(MainPresenterTest, ExportedProfileImportsIntoAnotherWithItsMacroAndRefreshesOnlyTheCurrent) {
  StoreThree(0x11);
  presenter.Start();
  StMacro dash;
  NewMacro(u"Dash", &dash);
  dash.dwMacroId = 0x900;
  dash.Events[0] = MACROEVENT{0x41, 1, 30};
  ASSERT_TRUE(AppendMacroCopy(dash));
  g_pCurProfile->KeyInfo[0].bType = kKeyTypeMacro;
  g_pCurProfile->KeyInfo[0].dwMacroId = 0x900;
  SetLinkedProgramName(*g_pCurProfile, u"racer.exe");

  const std::u16string file = folder.U16Path("/out.kbp");
  view.answer = file;
  Pick(0, kProfileMenuExport);
  EXPECT_EQ(view.calls.back(), "save stored.kbp");

  presenter.OnProfileButton(1);
  ASSERT_EQ(view.marks[0], 0u);
  Pick(2, kProfileMenuImport);  // not the current profile: nothing shown changes
  EXPECT_EQ(view.marks[0], 0u);
  EXPECT_EQ(FindProfile(0x33)->KeyInfo[0].bType, kKeyTypeMacro);
  EXPECT_EQ(view.tips[2], "linked: racer.exe");

  Pick(-1, kProfileMenuImport);
  ASSERT_EQ(CurrentId(), 0x22u);
  EXPECT_EQ(view.marks[0], 1u);
  const KEYINFO& key = g_pCurProfile->KeyInfo[0];
  EXPECT_EQ(key.bType, kKeyTypeMacro);
  EXPECT_NE(key.dwMacroId, 0x900u);
  const StMacro* copy = FindMacroById(key.dwMacroId);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Events[0].wVk, 0x41);
  EXPECT_EQ(N(g_pCurProfile->szName), "stored");
}

TEST_F(MainPresenterTest, ProfileFileFailuresAreToldAndChangeNothing) {
  StoreThree(0x11);
  presenter.Start();
  const std::u16string empty = folder.U16Path("/empty.kbp");
  const std::u16string foreign = folder.U16Path("/foreign.kbp");
  std::ofstream(u16::ToUtf8(empty), std::ios::binary).flush();
  std::ofstream(u16::ToUtf8(foreign), std::ios::binary) << std::string(17196, '\x55');
  const PROFILEINFO before = *g_pCurProfile;
  const struct {
    uint32_t command;
    std::u16string path;
    std::string notice;
  } cases[] = {
      {kProfileMenuImport, folder.U16Path("/missing.kbp"), "notice Open profile failed"},
      {kProfileMenuImport, empty, "notice Open profile failed."},
      {kProfileMenuImport, foreign, "notice This is not a valid profile"},
      {kProfileMenuExport, folder.U16Path("/no such folder/out.kbp"), "notice Create profile failed."},
  };
  for (const auto& c : cases) {
    view.answer = c.path;
    Pick(-1, c.command);
    EXPECT_EQ(view.calls.back(), c.notice) << N(c.path);
  }
  EXPECT_EQ(std::memcmp(&before, g_pCurProfile, sizeof before), 0);
}

}  // namespace
