#include "macro/macro_library.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/settings.h"
#include "log/log.h"
#include "macro/macro_files.h"
#include "macro/macro_record.h"
#include "platform/file_names.h"
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

// The file each record was read from or last written to, by identifier: a scan that meets an
// identifier again tells the same file read once more from a copy of it made elsewhere.
std::unordered_map<uint32_t, std::u16string>& OwnerFiles() {
  static std::unordered_map<uint32_t, std::u16string> owners;
  return owners;
}

// True when the record `id` may stand for the file at `path`: it belongs to no file, to this
// one, or to one that is gone (moved in the file manager, or its folder renamed).
bool MayOwn(uint32_t id, const std::u16string& path) {
  auto it = OwnerFiles().find(id);
  return it == OwnerFiles().end() || plat::SameFileName(it->second, path) || !plat::PathExists(it->second);
}

// Writes the record into a file beside `path` and moves it there: over our own file when
// `replace`, else only where no file is yet, so nothing the library did not write is lost.
bool WriteRecordFile(const std::u16string& path, const StMacro& record, bool replace, uint32_t* err) {
  StMacro copy = record;
  const std::u16string temp = FlushTempPath(path);
  plat::File file = MyCreateFile(temp);
  if (!file) {
    *err = plat::LastError();
    return false;
  }
  bool ok = WriteMacroRecord(file, copy) && plat::FlushBytes(file);
  *err = plat::LastError();
  plat::CloseFile(file);
  if (ok && !(replace ? plat::MoveReplace(temp, path) : plat::MovePath(temp, path))) {
    ok = false;
    *err = plat::LastError();
  }
  if (!ok) plat::RemoveFile(temp);
  return ok;
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

// True when an item went in.
bool InsertMacroItem(const plat::DirEntry& entry, MacroNode* parent, uint32_t id, Scan& scan,
                     size_t position = SIZE_MAX) {
  if (!scan.params.tree) return false;
  std::u16string name = entry.name;
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  MacroNode* item = scan.params.tree->InsertMacroAt(parent, position, name, id);
  if (item) item->fileName = entry.name;
  return item != nullptr;
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

// A record read from `path`: into MacroList unless it holds it already (a copy of another
// file gets an identifier of its own) and, with a tree, an item at `position` under `parent`.
// True when an item went in.
bool TakeRecord(const std::u16string& path, const plat::DirEntry& entry, MacroNode* parent, StMacro& record,
                Scan& scan, size_t position);

void ScanFile(const std::u16string& folder, const plat::DirEntry& entry, MacroNode* parent, Scan& scan) {
  if (IsFlushTempName(entry.name)) return;
  const std::u16string path = folder + entry.name;
  uint32_t knownId = 0;
  if (KnownAndHeld(path, entry, scan, &knownId) && MayOwn(knownId, path)) {
    OwnerFiles()[knownId] = path;
    InsertMacroItem(entry, parent, knownId, scan);
    return;
  }
  if (scan.params.pending && scan.params.tree && !scan.params.freshIds) {
    PendingMacroFile file;
    file.item = parent != nullptr;
    for (const MacroNode* up = parent; up && up->kind != MacroNodeKind::Root; up = up->parent)
      file.folders.insert(file.folders.begin(), up->text);
    file.position = parent ? parent->children.size() : 0;
    file.entry = entry;
    file.path = path;
    scan.params.pending->push_back(std::move(file));
    return;
  }
  StMacro record;
  if (ReadMacroFile(path, MacroReadMode::LibraryScan, static_cast<uint32_t>(g_Settings.MacroHasMsKey), &record) !=
      MacroReadResult::Ok) {
    KnownFiles().erase(path);
    return;
  }
  TakeRecord(path, entry, parent, record, scan, SIZE_MAX);
}

bool TakeRecord(const std::u16string& path, const plat::DirEntry& entry, MacroNode* parent, StMacro& record,
                Scan& scan, size_t position) {
  bool append = true;
  if (scan.params.freshIds) {
    // The record no longer matches the file until the flush rewrites it. Many of these come in
    // a row (a folder import): no waiting for the clock between them.
    KnownFiles().erase(path);
    record.dwMacroId = MakeProfileIdNow();
    record.dwDirtyFlags |= kMacroDirtyOptions;
  } else if (scan.held.count(record.dwMacroId) && MayOwn(record.dwMacroId, path)) {
    append = false;  // loaded before: the record in memory (perhaps changed since) stays the one
    KnownFiles()[path] = KnownFile{entry.size, entry.writeTime, record.dwMacroId};
  } else if (scan.held.count(record.dwMacroId)) {
    // A copy of another file (made in the file manager): one record cannot stand for both, so
    // this file gets an identifier of its own, written at once so that it keeps it.
    const uint32_t was = record.dwMacroId;
    record.dwMacroId = MakeProfileIdNow();
    uint32_t err = 0;
    if (!WriteRecordFile(path, record, true, &err))
      LogPrint(u"LoadMacroFolder: %s holds the id 0x%x of another file; new id not written, err=0x%x",
               path.c_str(), was, err);
    KnownFiles().erase(path);
  } else {
    KnownFiles()[path] = KnownFile{entry.size, entry.writeTime, record.dwMacroId};
  }
  if (append) {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return false;
    scan.held.insert(record.dwMacroId);
  }
  OwnerFiles()[record.dwMacroId] = path;
  return InsertMacroItem(entry, parent, record.dwMacroId, scan, position);
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

void ForgetKnownMacroFiles() {
  KnownFiles().clear();
  OwnerFiles().clear();
}

void SetMacroFile(uint32_t id, const std::u16string& path) { OwnerFiles()[id] = path; }

std::u16string MacroFileOf(uint32_t id) {
  auto it = OwnerFiles().find(id);
  return it == OwnerFiles().end() ? std::u16string() : it->second;
}

void ForgetMacroFile(uint32_t id) { OwnerFiles().erase(id); }

void MoveMacroFiles(const std::u16string& from, const std::u16string& to) {
  for (auto& owner : OwnerFiles())
    if (IsSameOrBelow(owner.second, from) && owner.second.size() > from.size())
      owner.second = to + owner.second.substr(from.size());
}

std::recursive_mutex& ProfileDataMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::u16string MacroFolderPath(const std::u16string& appDataFolder) {
  return u16::Format(u"%sMac", appDataFolder.c_str());
}

namespace {

Scan StartScan(const MacroScanParams& params) {
  Scan scan;
  scan.params = params;
  scan.held.reserve(MacroList.GetCount() * 2 + 64);
  for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos))
    scan.held.insert(CMyList<StMacro>::GetAt(pos)->dwMacroId);
  return scan;
}

// The folder item a listed file goes under, found again by the names of its folders.
MacroNode* FolderOf(const PendingMacroFile& file, MacroTreeModel* tree) {
  MacroNode* node = tree->Root();
  for (const std::u16string& name : file.folders) {
    node = tree->FindChild(node, name);
    if (!node || !node->IsFolder()) return nullptr;
  }
  return node;
}

}  // namespace

bool LoadMacroFolder(const std::u16string& path, bool recursive, const MacroScanParams& params) {
  Scan scan = StartScan(params);
  ScanFolder(path, recursive, params.parent, scan);
  return true;
}

void ReadPendingMacroFile(PendingMacroFile& file, uint32_t mouseMask) {
  file.result = ReadMacroFile(file.path, MacroReadMode::LibraryScan, mouseMask, &file.record);
}

void AcceptPendingMacroFiles(std::vector<PendingMacroFile>& files, const MacroScanParams& params) {
  if (!params.tree) return;
  Scan scan = StartScan(params);
  scan.params.pending = nullptr;
  // Per folder: its item, and how many of its macros came in before this one, each a place
  // further down.
  struct Landing {
    MacroNode* folder;
    size_t landed;
  };
  std::unordered_map<std::u16string, Landing> folders;
  for (PendingMacroFile& file : files) {
    if (file.result != MacroReadResult::Ok) {
      KnownFiles().erase(file.path);
      continue;
    }
    MacroNode* parent = nullptr;
    Landing* landing = nullptr;
    if (file.item) {
      std::u16string key;
      for (const std::u16string& name : file.folders) key += name + u'\\';
      auto found = folders.find(key);
      if (found == folders.end()) found = folders.emplace(key, Landing{FolderOf(file, params.tree), 0}).first;
      landing = &found->second;
      parent = landing->folder;
      if (!parent) continue;  // its folder went or was renamed meanwhile
    }
    if (TakeRecord(file.path, file.entry, parent, file.record, scan, file.position + (landing ? landing->landed : 0)) &&
        landing)
      ++landing->landed;
  }
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
    const MacroNode* n = *it;
    out += n->IsMacro() && !n->fileName.empty() ? n->fileName : ItemFileName(n->text, n->IsMacro());
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

bool IsFlushTempName(const std::u16string& name) { return !name.empty() && name.back() == u'~'; }

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
  const uint32_t id = item->value & kIdMask;
  StMacro copy;
  uint32_t dirty = 0;
  {
    // The apply worker writes the buffer numbers and reads the events: the record is taken
    // whole, and its bits cleared, while it cannot.
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    StMacro* record = FindMacroById(id);
    if (!record || !(record->dwDirtyFlags & kMacroDirtyBits)) return 0;
    dirty = record->dwDirtyFlags & kMacroDirtyBits;
    record->dwDirtyFlags &= ~kMacroDirtyBits;
    copy = *record;
  }
  copy.Macro_Buffer_ID = 0;  // belongs to the apply run, not to the file
  // A macro never written gets a new file, never one that is already there.
  const bool firstWrite = item->fileName.empty();
  uint32_t err = 0;
  if (WriteRecordFile(path, copy, !firstWrite, &err)) {
    if (firstWrite) item->fileName = ItemFileName(item->text, true);
    OwnerFiles()[id] = path;
    return 0;
  }
  LogPrint(u"Flush_Dirty_Macro: WriteFile err=0x%x, %s", err, path.c_str());
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  if (StMacro* record = FindMacroById(id)) record->dwDirtyFlags |= dirty;  // the next flush tries again
  return 0;
}

void FlushMacroTree(MacroTreeModel* tree, MacroNode* parent, const std::u16string& appDataFolder) {
  if (!tree) return;
  tree->Walk(parent ? parent : tree->Root(), [&](MacroNode* node) {
    return Flush_Dirty_Macro(node, tree, appDataFolder) != 0;
  }, true);
}
