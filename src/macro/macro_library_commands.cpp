#include "macro/macro_library_commands.h"

#include <utility>

#include "config/settings.h"
#include "config/text_table.h"
#include "log/log.h"
#include "macro/macro_files.h"
#include "macro/macro_library.h"
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

void DropRecord(uint32_t id) {
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  RemoveMacroById(id);
}

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
  // A name no file can carry, or one whose file's path would not fit, makes an item that can
  // never be written.
  if (!CleanItemName(typed, cutExtension, name) || !ItemPath(parent, &folder) ||
      folder.size() + 1 + name->size() + (isMacro ? 4 : 0) > kMacroMaxPathChars) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg23);
    return false;
  }
  if (m_tree.FindChild(parent, *name)) {
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
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return Outcome::None;
  }
  if (!m_tree.InsertMacro(parent, name, record.dwMacroId, true)) {
    DropRecord(record.dwMacroId);
    return Outcome::None;
  }
  CurrentMacro()->dwDirtyFlags |= kMacroDirtyBits;  // the first flush writes its file
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
  StMacro* record = FindMacroById(item->value & kIdMask);
  if (!record) return Outcome::None;
  u16::CopyTruncated(record->szName, kMacroNameUnits, name);
  // The name is one of the options a file carries: the flush below takes it to disk.
  record->dwDirtyFlags |= kMacroDirtyOptions;
  Flush_Dirty_Macro(item, &m_tree, m_appData);
  if (!plat::MovePath(dir + oldName, u16::Format(u"%s%s.mck", dir.c_str(), name.c_str()))) {
    m_ui.ShowMessage(u16::Format(u"Rename failed. err=0x%x", plat::LastError()));
    return Outcome::None;
  }
  m_tree.SetText(item, name);
  return Outcome::TreeChanged;
}

MacroLibraryCommands::Outcome MacroLibraryCommands::RenameFolder(MacroNode* item,
                                                                 const std::u16string& name,
                                                                 const std::u16string& dir,
                                                                 const std::u16string& oldName) {
  // Pending changes must reach the old files before the items (and records) may go.
  FlushMacroTree(&m_tree, item, m_appData);
  const std::u16string oldPath = dir + oldName, newPath = dir + name;
  if (!plat::PathExists(oldPath)) {
    // Never written (no macro in it yet): the folder lives only in the tree.
    m_tree.SetText(item, name);
    return Outcome::TreeChanged;
  }

  // Icons are loaded from their paths, which all change: such items are read again.
  bool shown = !item->imagePath.empty();
  m_tree.Walk(item, [&](MacroNode* n) { return shown = shown || !n->imagePath.empty(); }, true);
  MacroNode* parent = item->parent;
  if (shown) RemoveItemAndRecords(item);
  const std::u16string oldIcon = IconPath(oldPath, oldName), newIcon = IconPath(oldPath, name);
  const bool iconMoved = plat::MovePath(oldIcon, newIcon);

  if (!plat::MovePath(oldPath, newPath)) {
    uint32_t err = plat::LastError();
    if (iconMoved) plat::MovePath(newIcon, oldIcon);
    if (shown) ScanFolderInto(parent, dir, oldName, false, false);
    m_ui.ShowMessage(u16::Format(u"Rename failed. err=0x%x", err));
    return shown ? Outcome::ItemDeleted : Outcome::None;
  }
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
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  m_tree.Walk(item, [this](MacroNode* n) {
    if (n->IsMacro()) RemoveMacroById(n->value & kIdMask);
    m_tree.Remove(n);
    return false;
  }, true);
  if (item->IsMacro()) RemoveMacroById(item->value & kIdMask);
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
  if (!ItemPath(item, &path)) {
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
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!AppendMacroCopy(record)) return Outcome::None;
  }
  MacroNode* item = m_tree.InsertMacro(parent, name, record.dwMacroId, true, kImportedSubType, 0);
  if (!item) {
    DropRecord(record.dwMacroId);
    return Outcome::None;
  }
  CurrentMacro()->dwDirtyFlags |= kMacroDirtyBits;
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
  if (m_tree.FindChild(target, name)) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg8);
    return Outcome::None;
  }
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
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!FindMacroById(record.dwMacroId & kIdMask) && !AppendMacroCopy(record)) return false;
  }
  return m_tree.InsertMacro(m_tree.Root(), name, record.dwMacroId, false) != nullptr;
}
