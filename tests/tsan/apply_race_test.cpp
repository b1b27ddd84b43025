// The apply worker runs while the user-interface thread keeps rewriting the current profile and
// the macro list under ProfileDataMutex, and then while the macro editor changes, saves and
// writes the macro the profile's keys use. ThreadSanitizer must see no race, and every matrix
// that reaches the keyboard must come from one whole version of the profile, never from a mix.
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "device/apply.h"
#include "device/usb_driver.h"
#include "config/text_table.h"
#include "macro/macro_editor.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "tsan_check.h"

namespace {

std::mutex g_sentMutex;
std::vector<std::vector<uint8_t>> g_matrices;
uint8_t LODREX_CALL FakeSet(uint32_t handle, const uint8_t* buffer, uint32_t length) {
  if (!handle) return 0;
  std::lock_guard<std::mutex> lock(g_sentMutex);
  if (buffer[0] == 9) g_matrices.emplace_back(buffer + 1, buffer + length);
  return 1;
}

// Version v: every key sends the letter A + v and carries macro 0x100 + v on slot 0.
void Rewrite(PROFILEINFO& profile, int version) {
  for (int i = 1; i < 100; ++i) {
    profile.KeyInfo[i].bType = 2;
    profile.KeyInfo[i].bVk = static_cast<uint8_t>(0x41 + version);
  }
  profile.KeyInfo[0].bType = 5;
  profile.KeyInfo[0].dwMacroId = 0x100 + static_cast<uint32_t>(version);
  profile.LedParam[2].nColor = static_cast<uint32_t>(version);
}

StMacro MakeMacro(uint32_t id) {
  StMacro m;
  std::memset(&m, 0, sizeof m);
  m.dwMagicNumber = kMacroMagic;
  m.dwMacroId = id;
  m.wLoopCount = static_cast<uint16_t>(id & 0xFF);
  m.Events[0] = MACROEVENT{0x41, 1, 10};
  return m;
}

// Every matrix sent so far comes from one whole version of the rewritten profile.
void CheckWhole() {
  for (const std::vector<uint8_t>& m : g_matrices) {
    // Word 1..99: byte 2 is the usage of the version's letter; word 0 the version's macro.
    uint8_t usage = m[1 * 4 + 2];
    int version = usage - 0x04;
    bool whole = version >= 0 && version < 20;
    for (int p = 1; p < 100; ++p) whole = whole && m[p * 4 + 2] == usage;
    uint32_t macroWord = m[0] | (m[1] << 8) | (m[2] << 16) | (static_cast<uint32_t>(m[3]) << 24);
    whole = whole && macroWord == (0x00010002u | (static_cast<uint32_t>(0x100 + version) & 0xFF) << 24);
    CHECK(whole);
    if (!whole) std::fprintf(stderr, "usage %02x word0 %08x word1 %08x word50 %08x\n", usage, macroWord,
                             m[4] | (m[5] << 8) | (m[6] << 16) | (static_cast<uint32_t>(m[7]) << 24),
                             m[200] | (m[201] << 8) | (m[202] << 16) | (static_cast<uint32_t>(m[203]) << 24));
  }
}

// The editor's questions answered at once: every delay asked for is 100 ms.
class QuietUi : public MacroUi {
 public:
  void ShowMessage(const std::u16string&) override {}
  bool Confirm(const std::u16string&) override { return true; }
  bool AskText(const std::u16string&, std::u16string*) override { return false; }
  bool AskNumber(const std::u16string&, uint32_t* value) override {
    *value = 100;
    return true;
  }
  bool AskKey(const std::u16string&, CapturedKey*) override { return false; }
  bool AskSavePath(const std::u16string&, std::u16string*) override { return false; }
  bool AskOpenPath(std::u16string*) override { return false; }
  bool ChooseFolder(std::u16string*) override { return false; }
};

// The editor's way of changing a record: options and events on screen, then Save, which stores
// them into the record and writes its file; the profile's key 0 plays that macro meanwhile.
void EditWhileApplying(PROFILEINFO& profile) {
  char folder[] = "/tmp/velkor-tsan-XXXXXX";
  if (!mkdtemp(folder)) {
    CHECK(false);
    return;
  }
  const std::u16string appData = u16::FromUtf8(std::string(folder) + "/");
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    MacroList.RemoveAll();
  }
  std::thread ui([&] {
    QuietUi answers;
    MacroTreeModel tree;
    MacroEditorConfig config;
    config.appDataFolder = appData;
    MacroEditor editor(tree, answers, config);
    editor.Open();
    tree.Select(nullptr);
    StMacro record;
    NewMacro(u"Raced", &record);
    {
      std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
      AppendMacroCopy(record);
      profile.KeyInfo[0].dwMacroId = record.dwMacroId;
    }
    MacroNode* item = tree.InsertMacro(tree.Root(), u"Raced", record.dwMacroId, true);
    for (int i = 0; i < 60; ++i) {
      editor.OnLibraryClick(item);
      if (i % 2) editor.OnMode0(); else editor.OnMode2();
      editor.OnRecordButton();  // a recording started and stopped marks both parts changed
      editor.OnRecordButton();
      editor.OnMacroKey(0x41, false, 0);
      editor.OnMenuPicked((kInsertDelay << 16) | 0x80, kMenuInsert);
      editor.OnSave();
      RequestApply(APPLY_MATRIX);
    }
    editor.Close();
  });
  ui.join();
  CHECK(plat::PathExists(appData + u"Mac/Raced.mck"));
  plat::RemoveFile(appData + u"Mac/Raced.mck");
  plat::RemoveDirectory(appData + u"Mac");
  plat::RemoveDirectory(appData);
}

}  // namespace

int main() {
  g_Debug = 1;
  std::atomic<int> logLines{0};
  plat::TestHooks().debugOutput = [&](const std::u16string&) { ++logLines; };
  plat::TestHooks().sleep = [](uint32_t) { std::this_thread::yield(); };
  plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) {
    return plat::kIdOk;
  };
  for (int i = 0; i < kKeySlots; ++i) DefaultKeyTable[i].nMatrix = i;
  g_KeyCount = kKeySlots;

  CUSBDriver driver;
  driver.SetFeature = FakeSet;
  driver.m_hMatrix = 1;
  driver.m_hLed = 2;
  driver.m_hColor = 3;
  driver.m_hMacro = 4;

  static PROFILEINFO profile;
  profile.dwMagic = kProfileMagic;
  profile.dwId = 0x42;
  profile.nCurLedMode = 2;
  Rewrite(profile, 0);
  AppendMacroCopy(MakeMacro(0x100));

  StartApplyWorker(&driver, [] { return &profile; });
  constexpr int kEdits = 300;
  std::thread ui([&] {
    for (int v = 1; v <= kEdits; ++v) {
      {
        std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
        Rewrite(profile, v % 20);
        RemoveMacroById(0x100 + static_cast<uint32_t>((v - 1) % 20));
        AppendMacroCopy(MakeMacro(0x100 + static_cast<uint32_t>(v % 20)));
      }
      RequestApply(APPLY_MATRIX | APPLY_LED);
      // A removal and re-arrival under the worker: its sends fail until the handles are back.
      if (v % 50 == 0) {
        driver.ClearHandle();
        driver.m_hMatrix = 1;
        driver.m_hLed = 2;
        driver.m_hColor = 3;
        driver.m_hMacro = 4;
      }
      if (v % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  });
  ui.join();
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard<std::mutex> lock(g_sentMutex);
      if (!g_matrices.empty() && TheApplyRequest().flags.load() == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }

  size_t whole = 0;
  {
    std::lock_guard<std::mutex> lock(g_sentMutex);
    CHECK(!g_matrices.empty());
    CheckWhole();
    whole = g_matrices.size();
    g_matrices.clear();
  }
  EditWhileApplying(profile);
  for (int i = 0; i < 500 && TheApplyRequest().flags.load() != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  StopApplyWorker();
  std::lock_guard<std::mutex> lock(g_sentMutex);
  CHECK(!g_matrices.empty());
  std::printf("%zu matrices from %d edits, all whole; %zu while the editor saved; %d log lines\n", whole, kEdits,
              g_matrices.size(), logLines.load());
  MacroList.RemoveAll();
  return g_failures ? 1 : 0;
}
