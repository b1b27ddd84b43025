#include "macro/macro_library_commands.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "config/text_table.h"
#include "log/log.h"
#include "macro/macro_files.h"
#include "macro/macro_library.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"

namespace {

constexpr uint32_t kIdMask = 0xFFFFFF;
constexpr uint32_t kImportedSubType = 5;

// The folder part of a path (with its separator) and the name after it.
void SplitPath(const std::u16string& path, std::u16string* dir, std::u16string* name) {
  const size_t sep = path.find_last_of(u"\\/");
  *dir = sep == std::u16string::npos ? std::u16string() : path.substr(0, sep + 1);
  *name = sep == std::u16string::npos ? path : path.substr(sep + 1);
}

bool IsMissing(uint32_t err) { return err == plat::kErrFileNotFound || err == plat::kErrPathNotFound; }

using Lock = std::lock_guard<std::recursive_mutex>;

void DropRecord(uint32_t id) {
  Lock lock(ProfileDataMutex());
  RemoveMacroById(id);
  ForgetMacroFile(id);
}

void MarkDirty(StMacro* record) {
  Lock lock(ProfileDataMutex());
  if (record) record->dwDirtyFlags |= kMacroDirtyBits;
}

// True when the folder on disk holds an entry the system takes for `fileName` (a macro's file
// or folder the tree does not show: an invalid file, a folder nested too deep).
bool TakenOnDisk(const std::u16string& folder, const std::u16string& fileName) {
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return false;
  for (const plat::DirEntry& entry : entries)
    if (plat::SameFileName(entry.name, fileName)) return true;
  return false;
}

// The longest path below a folder, counted from the end of the folder's own path: what its
// files on disk and its items in the tree add to it.
size_t LongestBelowOnDisk(const std::u16string& folder, int depth = 0) {
  std::vector<plat::DirEntry> entries;
  if (depth > 32 || !plat::ListDirectory(folder, entries)) return 0;
  size_t longest = 0;
  for (const plat::DirEntry& entry : entries) {
    size_t here = 1 + entry.name.size();
    if (entry.isDirectory && !entry.isLink) here += LongestBelowOnDisk(folder + u"\\" + entry.name, depth + 1);
    if (here > longest) longest = here;
  }
  return longest;
}

size_t LongestBelowInTree(const MacroNode* node) {
  size_t longest = 0;
  for (const auto& child : node->children) {
    const std::u16string file =
        child->IsMacro() && !child->fileName.empty() ? child->fileName : ItemFileName(child->text, child->IsMacro());
    const size_t here = 1 + file.size() + LongestBelowInTree(child.get());
    if (here > longest) longest = here;
  }
  return longest;
}

// The wait cursor while a long command runs.
class BusyShown {
 public:
  explicit BusyShown(MacroUi& ui) : m_ui(ui) { m_ui.SetBusy(true); }
  ~BusyShown() { m_ui.SetBusy(false); }
  BusyShown(const BusyShown&) = delete;
  BusyShown& operator=(const BusyShown&) = delete;

 private:
  MacroUi& m_ui;
};

std::u16string IconPath(const std::u16string& folder, const std::u16string& name) {
  return u16::Format(u"%s\\%s.png", folder.c_str(), name.c_str());
}

}  // namespace

MacroLibraryCommands::MacroLibraryCommands(MacroTreeModel& tree, MacroUi& ui,
                                           std::u16string appDataFolder, bool foldersFlag,
                                           uint32_t mouseMask)
    : m_tree(tree), m_ui(ui), m_appData(std::move(appDataFolder)), m_folders(foldersFlag),
      m_mouseMask(mouseMask) {}

void MacroLibraryCommands::Load() { LoadMacroLibrary(m_appData, &m_tree, m_folders); }

void MacroLibraryCommands::FlushAll() { FlushMacroTree(&m_tree, nullptr, m_appData); }

StMacro* MacroLibraryCommands::CurrentMacro() const {
  const MacroNode* item = m_tree.Selected();
  return item && item->IsMacro() ? FindMacroById(item->value & kIdMask) : nullptr;
}

bool MacroLibraryCommands::ItemPath(const MacroNode* item, std::u16string* path) const {
  if (!item || item->kind == MacroNodeKind::Root) {
    *path = MacroFolderPath(m_appData);
    return true;
  }
  return TreeItem_To_FilePath(item, &m_tree, m_appData, path);
}

MacroNode* MacroLibraryCommands::TargetFolder() const {
  MacroNode* selected = m_tree.Selected();
  if (!selected) return const_cast<MacroTreeModel&>(m_tree).Root();
  return selected->IsFolder() ? selected : nullptr;
}

bool MacroLibraryCommands::CheckName(const std::u16string& typed, bool cutExtension,
                                     MacroNode* parent, bool isMacro, std::u16string* name) {
  std::u16string folder;
  // A name the system would not keep as given, or one whose file's path would not fit, makes an
  // item that can never be written, or one written as another file or a device.
  if (!CleanItemName(typed, cutExtension, name, isMacro) || !ItemPath(parent, &folder) ||
      !plat::PathFits(folder, ItemFileName(*name, isMacro))) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg23);
    return false;
  }
  if (m_tree.FindChild(parent, *name) || TakenOnDisk(folder, ItemFileName(*name, isMacro))) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg8);
    return false;
  }
  return true;
}

bool MacroLibraryCommands::AskName(const std::u16string& prompt, bool cutExtension,
                                   MacroNode* parent, bool isMacro, std::u16string* name) {
  std::u16string typed;
  if (!m_ui.AskText(prompt, &typed) || typed.empty()) return false;
  return CheckName(typed, cutExtension, parent, isMacro, name);
}

MacroLibraryCommands::Outcome MacroLibraryCommands::NewMacro() {
  if (MacroList.GetCount() >= static_cast<size_t>(kMacroLibraryMax)) {
    m_ui.ShowMessage(u"The number of macro is up to the maximum");
    return Outcome::None;
  }
  MacroNode* parent = TargetFolder();
  if (!parent) return Outcome::None;
  std::u16string name;
  if (!AskName(g_Texts.tc_macro_msg11, true, parent, true, &name)) return Outcome::None;
  StMacro record;
  if (!::NewMacro(name.c_str(), &record)) return Outcome::None;
  {
    Lock lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return Outcome::None;
  }
  if (!m_tree.InsertMacro(parent, name, record.dwMacroId, true)) {
    DropRecord(record.dwMacroId);
    return Outcome::None;
  }
  MarkDirty(CurrentMacro());  // the first flush writes its file
  return Outcome::MacroCreated;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::NewFolder() {
  if (!m_folders) return Outcome::None;
  MacroNode* parent = m_tree.Selected() ? m_tree.Selected() : m_tree.Root();
  std::u16string name;
  if (!AskName(g_Texts.tc_macro_msg13, false, parent, false, &name)) return Outcome::None;
  // The tree refuses a folder under a macro or too deep without a word; on disk the folder
  // appears when a macro is first written into it.
  return m_tree.InsertFolder(parent, name, std::u16string(), true) ? Outcome::TreeChanged
                                                                   : Outcome::None;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::Rename() {
  MacroNode* item = m_tree.Selected();
  if (!item) return Outcome::None;
  std::u16string typed;
  if (!m_ui.AskText(item->IsFolder() ? g_Texts.tc_macro_msg13 : g_Texts.tc_macro_msg11, &typed))
    return Outcome::None;
  std::u16string name;
  // The item itself counts: a new name differing only in letter case is refused too.
  if (!CheckName(typed, true, item->parent, item->IsMacro(), &name)) return Outcome::None;
  std::u16string path, dir, oldName;
  if (!ItemPath(item, &path)) {
    m_ui.ShowMessage(u"Rename failed.");
    return Outcome::None;
  }
  SplitPath(path, &dir, &oldName);
  if (item->IsMacro()) return RenameMacro(item, name, dir, oldName);
  return RenameFolder(item, name, dir, oldName);
}

MacroLibraryCommands::Outcome MacroLibraryCommands::RenameMacro(MacroNode* item,
                                                                const std::u16string& name,
                                                                const std::u16string& dir,
                                                                const std::u16string& oldName) {
  const uint32_t id = item->value & kIdMask;
  {
    Lock lock(ProfileDataMutex());
    StMacro* record = FindMacroById(id);
    if (!record) return Outcome::None;
    u16::CopyTruncated(record->szName, kMacroNameUnits, name);
    // The name is one of the options a file carries: the flush below takes it to disk.
    record->dwDirtyFlags |= kMacroDirtyOptions;
  }
  Flush_Dirty_Macro(item, &m_tree, m_appData);
  if (item->fileName.empty()) {
    // Not written yet (its first write failed): there is no file of ours to move, and the one
    // under the old name, if any, is not ours.
    m_tree.SetText(item, name);
    return Outcome::TreeChanged;
  }
  const std::u16string newFile = ItemFileName(name, true);
  if (!plat::MovePath(dir + oldName, dir + newFile)) {
    m_ui.ShowMessage(u16::Format(u"Rename failed. err=0x%x", plat::LastError()));
    return Outcome::None;
  }
  item->fileName = newFile;
  SetMacroFile(id, dir + newFile);
  m_tree.SetText(item, name);
  return Outcome::TreeChanged;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::RenameFolder(MacroNode* item,
                                                                 const std::u16string& name,
                                                                 const std::u16string& dir,
                                                                 const std::u16string& oldName) {
  const std::u16string oldPath = dir + oldName, newPath = dir + name;
  const bool onDisk = plat::PathExists(oldPath);
  // Every path below must still fit under the new name, or those macros could never be written
  // (nor the folder renamed back): refused before anything moves.
  size_t longest = LongestBelowInTree(item);
  if (onDisk) longest = std::max(longest, LongestBelowOnDisk(oldPath));
  if (newPath.size() + longest > plat::kMaxPathChars) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg23);
    return Outcome::None;
  }
  // Pending changes reach the old files first; the records stay whatever happens.
  FlushMacroTree(&m_tree, item, m_appData);
  if (!onDisk) {
    // Never written (no macro in it yet): the folder lives only in the tree.
    m_tree.SetText(item, name);
    return Outcome::TreeChanged;
  }

  // Icons are loaded from their paths, which all change: such items are read again from disk,
  // which only shows what the flush could write.
  bool shown = !item->imagePath.empty();
  m_tree.Walk(item, [&](MacroNode* n) { return shown = shown || !n->imagePath.empty(); }, true);
  if (shown) {
    bool unwritten = false;
    m_tree.Walk(item, [&](MacroNode* n) {
      Lock lock(ProfileDataMutex());
      const StMacro* record = n->IsMacro() ? FindMacroById(n->value & kIdMask) : nullptr;
      return unwritten = record && (record->dwDirtyFlags & kMacroDirtyBits) != 0;
    }, true);
    if (unwritten) {
      m_ui.ShowMessage(u"Rename failed.");
      return Outcome::None;
    }
  }
  MacroNode* parent = item->parent;
  if (shown) m_tree.Remove(item);
  const std::u16string oldIcon = IconPath(oldPath, oldName), newIcon = IconPath(oldPath, name);
  const bool iconMoved = plat::MovePath(oldIcon, newIcon);

  if (!plat::MovePath(oldPath, newPath)) {
    uint32_t err = plat::LastError();
    if (iconMoved) plat::MovePath(newIcon, oldIcon);
    if (shown) ScanFolderInto(parent, dir, oldName, false, false);
    m_ui.ShowMessage(u16::Format(u"Rename failed. err=0x%x", err));
    return shown ? Outcome::ItemDeleted : Outcome::None;
  }
  MoveMacroFiles(oldPath, newPath);
  if (!shown) {
    m_tree.SetText(item, name);
    return Outcome::TreeChanged;
  }
  ScanFolderInto(parent, dir, name, false, false);
  return Outcome::ItemDeleted;
}

MacroNode* MacroLibraryCommands::ScanFolderInto(MacroNode* parent, const std::u16string& dir,
                                                const std::u16string& name, bool select,
                                                bool freshIds) {
  std::u16string folder = dir;
  if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
  folder += name;
  const std::u16string icon = IconPath(folder, name);
  MacroNode* node = m_tree.InsertFolder(parent, name, plat::PathExists(icon) ? icon : u"", select);
  MacroScanParams params;
  params.tree = &m_tree;
  params.parent = node;
  params.freshIds = freshIds;
  params.folders = m_folders;
  LoadMacroFolder(folder + u"\\", true, params);
  return node;
}

void MacroLibraryCommands::RemoveItemAndRecords(MacroNode* item) {
  Lock lock(ProfileDataMutex());
  const auto drop = [](const MacroNode* n) {
    if (!n->IsMacro()) return;
    RemoveMacroById(n->value & kIdMask);
    ForgetMacroFile(n->value & kIdMask);
  };
  m_tree.Walk(item, [&](MacroNode* n) {
    drop(n);
    m_tree.Remove(n);
    return false;
  }, true);
  drop(item);
  m_tree.Remove(item);
}

MacroLibraryCommands::Outcome MacroLibraryCommands::Delete() {
  MacroNode* item = m_tree.Selected();
  if (!item) {
    m_ui.ShowMessage(u"Operation failed, hItem = 0x0, pItem = 0x0.");
    return Outcome::None;
  }
  if (!m_ui.Confirm(g_Texts.tc_msg6)) return Outcome::None;
  std::u16string path;
  // Whatever the tree holds, nothing outside the library folder (nor the folder itself) is
  // ever removed.
  if (!ItemPath(item, &path) || !plat::IsStrictlyInside(path, MacroFolderPath(m_appData))) {
    m_ui.ShowMessage(u"Get file path failed.");
    return Outcome::None;
  }
  const bool folder = item->IsFolder();
  RemoveItemAndRecords(item);
  if (folder) {
    if (!DeleteFolderTree(path) && !IsMissing(plat::LastError()))
      m_ui.ShowMessage(u16::Format(u"Remove Directory failed, err = %d.", plat::LastError()));
  } else if (!plat::RemoveFile(path) && !IsMissing(plat::LastError())) {
    uint32_t err = plat::LastError();
    LogPrint(u"DeleteFile %s, err=%d", path.c_str(), err);
    m_ui.ShowMessage(u16::Format(u"Delete File failed, err = %d.", err));
  }
  return Outcome::ItemDeleted;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::ExportMacro() {
  MacroNode* item = m_tree.Selected();
  StMacro* record = CurrentMacro();
  if (!record) return Outcome::None;
  // The copy is to hold what the user sees, not the file as last written.
  Flush_Dirty_Macro(item, &m_tree, m_appData);
  std::u16string source, target;
  if (!ItemPath(item, &source)) return Outcome::None;
  char16_t name[kMacroNameUnits];
  u16::CopyTruncated(name, kMacroNameUnits,
                     u16::Format(u"%s.mck", std::u16string(record->szName, u16::BoundedLength(
                                                               record->szName, kMacroNameUnits))
                                                .c_str()));
  if (!m_ui.AskSavePath(name, &target)) return Outcome::None;
  if (!plat::CopyFileTo(source, target, true)) {
    // Told, not only logged: a user who believes the macro is saved elsewhere may delete it.
    const std::u16string notice = u16::Format(u"ExportMacro: copy file err=0x%x", plat::LastError());
    LogPrint(u"%s", notice.c_str());
    m_ui.ShowMessage(notice);
  }
  return Outcome::None;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::ImportMacro() {
  // Under a macro the item would be refused after its record was already added.
  MacroNode* parent = TargetFolder();
  if (!parent) return Outcome::None;
  std::u16string file, dir, fileName, name;
  if (!m_ui.AskOpenPath(&file)) return Outcome::None;
  SplitPath(file, &dir, &fileName);
  if (!CheckName(fileName, true, parent, true, &name)) return Outcome::None;
  StMacro record;
  if (ReadMacroFile(file, MacroReadMode::Import, m_mouseMask, &record) != MacroReadResult::Ok)
    return Outcome::None;
  u16::CopyTruncated(record.szName, kMacroNameUnits, name);
  record.dwMacroId = MakeProfileId();
  {
    Lock lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return Outcome::None;
  }
  MacroNode* item = m_tree.InsertMacro(parent, name, record.dwMacroId, true, kImportedSubType, 0);
  if (!item) {
    DropRecord(record.dwMacroId);
    return Outcome::None;
  }
  MarkDirty(CurrentMacro());  // written as a new file: a file already there is never replaced
  Flush_Dirty_Macro(item, &m_tree, m_appData);
  return Outcome::MacroImported;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::ImportFolder() {
  if (!m_folders) return Outcome::None;
  MacroNode* target = TargetFolder();
  std::u16string targetPath;
  if (!target || !ItemPath(target, &targetPath)) return Outcome::None;
  // The tree would refuse the new folder item, and the copied macros would have no item.
  if (target != m_tree.Root() && MacroTreeModel::Ancestors(target) >= MacroTreeModel::kMaxFolderParentDepth)
    return Outcome::None;
  std::u16string chosen;
  if (!m_ui.ChooseFolder(&chosen)) return Outcome::None;
  const std::u16string name = LastPathPart(chosen);
  if (chosen.find_last_of(u"\\/") == std::u16string::npos || name.empty()) return Outcome::None;
  // A folder of the library would be copied into the library again.
  if (IsSameOrBelow(chosen, MacroFolderPath(m_appData))) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg24);
    return Outcome::None;
  }
  // A whole drive ("C:" is no folder name) would be walked to its last file.
  std::u16string clean;
  if (IsVolumeRoot(chosen) || !CleanItemName(name, false, &clean) || clean != name ||
      !plat::PathFits(targetPath, name)) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg23);
    return Outcome::None;
  }
  if (m_tree.FindChild(target, name) || TakenOnDisk(targetPath, name)) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg8);
    return Outcome::None;
  }
  BusyShown busy(m_ui);
  if (!CopyFolderTree(chosen, targetPath)) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg24);
    return Outcome::None;
  }
  MacroNode* node = ScanFolderInto(target, targetPath, name, true, true);
  if (node) FlushMacroTree(&m_tree, node, m_appData);  // the files get their new identifiers
  return Outcome::TreeChanged;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::ExportFolder() {
  if (!m_folders) return Outcome::None;
  MacroNode* source = TargetFolder();
  std::u16string sourcePath, chosen;
  if (!source || !ItemPath(source, &sourcePath)) return Outcome::None;
  if (!m_ui.ChooseFolder(&chosen)) return Outcome::None;
  FlushMacroTree(&m_tree, source, m_appData);
  if (!CopyFolderTree(sourcePath, chosen)) m_ui.ShowMessage(g_Texts.tc_macro_msg24);
  return Outcome::None;
}

bool MacroLibraryCommands::AddMacro(const StMacro& record) {
  if (record.dwMagicNumber != kMacroMagic) {
    LogPrint(u"Add_Macro: FAILED, dwMagicNumber=0x%x", record.dwMagicNumber);
    return false;
  }
  const std::u16string name(record.szName, u16::BoundedLength(record.szName, kMacroNameUnits));
  if (m_tree.FindChild(m_tree.Root(), name)) return false;
  {
    Lock lock(ProfileDataMutex());
    if (!FindMacroById(record.dwMacroId & kIdMask) && !AppendMacroCopy(record)) return false;
  }
  return m_tree.InsertMacro(m_tree.Root(), name, record.dwMacroId, false) != nullptr;
}
