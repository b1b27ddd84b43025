// A library scan's files are read on a thread of their own while the user-interface thread goes
// on with the library: scanning it again, changing MacroList under ProfileDataMutex, and giving
// up a scan half way. ThreadSanitizer must see no race, and every macro must come in once.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "config/settings.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "macro/macro_scan.h"
#include "platform/u16.h"
#include "tsan_check.h"

namespace {

void WriteLibrary(const std::string& root, int count) {
  std::system(("rm -rf '" + root + "' && mkdir -p '" + root + "/Mac/Sub'").c_str());
  for (int i = 0; i < count; ++i) {
    StMacro m;
    std::memset(&m, 0, sizeof m);
    m.dwMagicNumber = kMacroMagic;
    m.dwMacroId = 0x1000u + static_cast<uint32_t>(i);
    m.wLoopCount = 1;
    const std::string rel = (i % 2 ? "/Mac/Sub/m" : "/Mac/m") + std::to_string(i) + ".mck";
    CHECK(WriteMacroFile(u16::FromUtf8(root + rel), m));
  }
}

bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 20000 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return flag;
}

}  // namespace

int main() {
  constexpr int kMacros = 400;
  const std::string root = "/tmp/velkor-tsan-scan-" + std::to_string(getpid());
  const std::u16string appData = u16::FromUtf8(root + "/");
  std::memset(&g_Settings, 0, sizeof g_Settings);
  WriteLibrary(root, kMacros);

  for (int round = 0; round < 3; ++round) {
    MacroList.RemoveAll();
    ForgetKnownMacroFiles();
    MacroTreeModel tree;
    std::atomic<bool> landed{false};
    MacroLibraryScan scan;
    scan.Start(appData, &tree, true, [&] { landed = true; });

    // Meanwhile: a half-way scan given up, another listing, and MacroList changing.
    {
      MacroTreeModel other;
      MacroLibraryScan dropped;
      dropped.Start(appData, &other, true, [] {});
      dropped.Stop();
    }
    for (int i = 0; i < 50; ++i) {
      std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
      StMacro extra;
      std::memset(&extra, 0, sizeof extra);
      extra.dwMagicNumber = kMacroMagic;
      extra.dwMacroId = 0x900000u + static_cast<uint32_t>(i);
      AppendMacroCopy(extra);
      RemoveMacroById(extra.dwMacroId);
    }

    CHECK(WaitFor(landed));
    CHECK(scan.Land());
    CHECK(MacroList.GetCount() == static_cast<size_t>(kMacros));
    CHECK(tree.Count() == static_cast<size_t>(kMacros) + 1);  // and the folder
  }
  MacroList.RemoveAll();
  std::system(("rm -rf '" + root + "'").c_str());
  if (g_failures) return 1;
  std::printf("macro scan race: %d macros read beside the user-interface thread, 3 rounds\n", kMacros);
  return 0;
}
