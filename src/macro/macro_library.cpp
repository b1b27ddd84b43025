#include "macro/macro_library.h"

#include <vector>

#include "log/log.h"
#include "config/settings.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"

namespace {
constexpr size_t kMaxFolderPathUnits = 257;
}

std::recursive_mutex& ProfileDataMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::u16string MacroFolderPath(const std::u16string& appDataFolder) {
  return u16::Format(u"%sMac", appDataFolder.c_str());
}

bool LoadMacroFolder(const std::u16string& path, bool recursive, const MacroScanParams& params) {
  if (path.size() >= kMaxFolderPathUnits) return true;
  std::u16string folder = path;
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return true;  // no library yet
  for (const plat::DirEntry& entry : entries) {
    if (entry.isDirectory) {
      if (entry.name.empty() || entry.name[0] == u'.' || entry.name[0] == u'$') continue;
      if (!params.foldersFlag) continue;
      const std::u16string inner = folder + entry.name + u"\\";
      MacroScanParams innerParams = params;
      innerParams.parent = 0;
      if (params.tree)
        innerParams.parent =
            params.tree->InsertFolder(params.parent, entry.name, inner + entry.name + u".png");
      if (!recursive) continue;
      if (!LoadMacroFolder(inner, recursive, innerParams)) return false;
      continue;
    }
    StMacro record;
    if (ReadMacroFile(folder + entry.name, MacroReadMode::LibraryScan,
                      static_cast<uint32_t>(g_Settings.MacroHasMsKey),
                      &record) != MacroReadResult::Ok)
      continue;
    if (params.freshIds) {
      record.dwMacroId = MakeProfileId();
      record.dwDirtyFlags |= kMacroDirtyOptions;
    }
    {
      std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
      // The record already in the list is the one keys, the editor and applies use.
      if (!FindMacroById(record.dwMacroId) && !AppendMacroCopy(record)) continue;
    }
    if (params.tree) {
      const size_t dot = entry.name.rfind(u'.');
      params.tree->InsertMacro(params.parent, entry.name.substr(0, dot), record.dwMacroId);
    }
  }
  return true;
}

bool LoadMacroFolder(const std::u16string& path, bool recursive, bool foldersFlag) {
  MacroScanParams params;
  params.foldersFlag = foldersFlag;
  return LoadMacroFolder(path, recursive, params);
}

bool LoadMacroLibrary(const std::u16string& appDataFolder, bool foldersFlag) {
  return LoadMacroFolder(MacroFolderPath(appDataFolder), true, foldersFlag);
}
