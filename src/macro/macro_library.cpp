#include "macro/macro_library.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/settings.h"
#include "log/log.h"
#include "macro/macro_files.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"

namespace {

constexpr uint32_t kIdMask = 0xFFFFFF;
constexpr size_t kMaxPathItems = 20;

// What each scan learnt about a valid file: its identifier, under the size and write time the
// listing showed then. A later scan that finds the file unchanged, with its record still in
// MacroList, has nothing to learn from reading it again: under Wine every open is a trip to the
// server, and the editor and the picker scan the whole library each time they show it.
struct KnownFile {
  int64_t size;
  uint64_t writeTime;
  uint32_t id;
};
std::unordered_map<std::u16string, KnownFile>& KnownFiles() {
  static std::unordered_map<std::u16string, KnownFile> known;
  return known;
}

// One load: the identifiers MacroList holds, gathered once so that a library of thousands of
// macros is not searched once per file.
struct Scan {
  MacroScanParams params;
  std::unordered_set<uint32_t> held;
};

void ScanFolder(const std::u16string& path, bool recursive, MacroNode* parent, Scan& scan);

void ScanSubFolder(const std::u16string& folder, const plat::DirEntry& entry, bool recursive,
                   MacroNode* parent, Scan& scan) {
  if (entry.isLink || IsSkippedFolderName(entry.name)) return;
  MacroTreeModel* tree = scan.params.tree;
  if (!tree) {
    if (scan.params.folders && recursive) ScanFolder(folder + entry.name + u"\\", true, nullptr, scan);
    return;
  }
  if (!scan.params.folders) return;
  const std::u16string image = u16::Format(u"%s%s\\%s.png", folder.c_str(), entry.name.c_str(),
                                           entry.name.c_str());
  MacroNode* item = tree->InsertFolder(parent, entry.name,
                                       plat::PathExists(image) ? image : std::u16string(), false);
  if (recursive) ScanFolder(folder + entry.name + u"\\", true, item, scan);
}

void InsertMacroItem(const plat::DirEntry& entry, MacroNode* parent, uint32_t id, Scan& scan) {
  if (!scan.params.tree) return;
  std::u16string name = entry.name;
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  scan.params.tree->InsertMacro(parent, name, id, false);
}

// True when the file is as the last scan saw it and its record is in MacroList.
bool KnownAndHeld(const std::u16string& path, const plat::DirEntry& entry, const Scan& scan, uint32_t* id) {
  if (scan.params.freshIds) return false;  // every record is new and must be read
  auto it = KnownFiles().find(path);
  if (it == KnownFiles().end() || it->second.size != entry.size || it->second.writeTime != entry.writeTime)
    return false;
  *id = it->second.id;
  return scan.held.count(*id) != 0;
}

void ScanFile(const std::u16string& folder, const plat::DirEntry& entry, MacroNode* parent, Scan& scan) {
  if (IsFlushTempName(entry.name)) return;
  const std::u16string path = folder + entry.name;
  uint32_t knownId = 0;
  if (KnownAndHeld(path, entry, scan, &knownId)) {
    InsertMacroItem(entry, parent, knownId, scan);
    return;
  }
  StMacro record;
  if (ReadMacroFile(path, MacroReadMode::LibraryScan, static_cast<uint32_t>(g_Settings.MacroHasMsKey), &record) !=
      MacroReadResult::Ok) {
    KnownFiles().erase(path);
    return;
  }
  // A fresh-identifier scan's record no longer matches the file until the flush rewrites it.
  if (scan.params.freshIds) KnownFiles().erase(path);
  else KnownFiles()[path] = KnownFile{entry.size, entry.writeTime, record.dwMacroId};
  if (scan.params.freshIds) {
    record.dwMacroId = MakeProfileId();
    record.dwDirtyFlags |= kMacroDirtyOptions;
  }
  if (!scan.held.insert(record.dwMacroId).second && !scan.params.freshIds) {
    // Loaded before: the record in memory (perhaps changed since) stays the one.
  } else {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return;
  }
  InsertMacroItem(entry, parent, record.dwMacroId, scan);
}

void ScanFolder(const std::u16string& path, bool recursive, MacroNode* parent, Scan& scan) {
  if (path.size() >= kMacroMaxFolderChars) return;
  std::u16string folder = path;
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return;  // no library yet
  for (const plat::DirEntry& entry : entries) {
    if (entry.isDirectory)
      ScanSubFolder(folder, entry, recursive, parent, scan);
    else
      ScanFile(folder, entry, parent, scan);
  }
}

}  // namespace

void ForgetKnownMacroFiles() { KnownFiles().clear(); }

std::recursive_mutex& ProfileDataMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::u16string MacroFolderPath(const std::u16string& appDataFolder) {
  return u16::Format(u"%sMac", appDataFolder.c_str());
}

bool LoadMacroFolder(const std::u16string& path, bool recursive, const MacroScanParams& params) {
  Scan scan;
  scan.params = params;
  scan.held.reserve(MacroList.GetCount() * 2 + 64);
  for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos))
    scan.held.insert(CMyList<StMacro>::GetAt(pos)->dwMacroId);
  ScanFolder(path, recursive, params.parent, scan);
  return true;
}

bool LoadMacroLibrary(const std::u16string& appDataFolder, MacroTreeModel* tree, bool foldersFlag) {
  MacroScanParams params;
  params.tree = tree;
  params.parent = tree ? tree->Root() : nullptr;
  params.folders = foldersFlag;
  return LoadMacroFolder(MacroFolderPath(appDataFolder), true, params);
}

bool LoadMacroLibrary(const std::u16string& appDataFolder, bool foldersFlag) {
  return LoadMacroLibrary(appDataFolder, nullptr, foldersFlag);
}

bool LoadMacroFolder(const std::u16string& path, bool recursive, bool foldersFlag) {
  MacroScanParams params;
  params.folders = foldersFlag;
  return LoadMacroFolder(path, recursive, params);
}

bool TreeItem_To_FilePath(const MacroNode* item, const MacroTreeModel* tree,
                          const std::u16string& appDataFolder, std::u16string* path) {
  if (!item || !tree || !path || item->kind == MacroNodeKind::Root || !tree->Contains(item))
    return false;
  std::vector<const MacroNode*> chain;
  for (const MacroNode* n = item; n && n->kind != MacroNodeKind::Root; n = n->parent) {
    if (chain.size() == kMaxPathItems) return false;
    chain.push_back(n);
  }
  std::u16string out = MacroFolderPath(appDataFolder);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    out += u'\\';
    out += (*it)->text;
    if ((*it)->IsMacro()) out += u".mck";
  }
  if (out.size() > kMacroMaxPathChars) {
    plat::SetLastError(plat::kErrFilenameTooLong);
    return false;
  }
  *path = out;
  return true;
}

std::u16string FlushTempPath(const std::u16string& path) {
  // Same length as the file it stands in for, so it fits wherever that file's path fits.
  std::u16string temp = path;
  if (!temp.empty()) temp.back() = u'~';
  return temp;
}

bool IsFlushTempName(const std::u16string& name) {
  return name.size() >= 4 && u16::EqualNoCase(name.c_str() + name.size() - 4, u".mc~", 4);
}

int Flush_Dirty_Macro(MacroNode* item, MacroTreeModel* tree, const std::u16string& appDataFolder) {
  if (!tree || !item) {
    LogPrint(u"Flush_Dirty_Macro: pItem=0x%0x(%s) error",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(item)), item ? item->text.c_str() : u"");
    return 0;
  }
  if (!item->IsMacro()) return 0;
  std::u16string path;
  if (!TreeItem_To_FilePath(item, tree, appDataFolder, &path)) {
    LogPrint(u"Flush_Dirty_Macro: TreeItem_To_FilePath failed");
    return 0;
  }
  StMacro* record = FindMacroById(item->value & kIdMask);
  if (!record || !(record->dwDirtyFlags & kMacroDirtyBits)) return 0;

  const std::u16string temp = FlushTempPath(path);
  plat::File file = MyCreateFile(temp);
  if (!file) return 0;
  const uint32_t dirty = record->dwDirtyFlags & kMacroDirtyBits;
  bool ok = WriteMacroRecord(file, *record) && plat::FlushBytes(file);
  uint32_t err = plat::LastError();
  plat::CloseFile(file);
  if (ok && !plat::MoveReplace(temp, path)) {
    ok = false;
    err = plat::LastError();
  }
  if (!ok) {
    LogPrint(u"Flush_Dirty_Macro: WriteFile err=0x%x, %s", err, path.c_str());
    plat::RemoveFile(temp);
    record->dwDirtyFlags |= dirty;  // not on disk: the next flush tries again
  }
  return 0;
}

void FlushMacroTree(MacroTreeModel* tree, MacroNode* parent, const std::u16string& appDataFolder) {
  if (!tree) return;
  tree->Walk(parent ? parent : tree->Root(), [&](MacroNode* node) {
    return Flush_Dirty_Macro(node, tree, appDataFolder) != 0;
  }, true);
}
