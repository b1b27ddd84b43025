#include "app/velkorctl_macros.h"

#include "app/macro_cli_ui.h"
#include "app/macro_item_path.h"
#include "app/velkorctl.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "macro/macro_files.h"
#include "macro/macro_library.h"
#include "macro/macro_library_commands.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

constexpr uint32_t kIdMask = 0xFFFFFF;
using Outcome = MacroLibraryCommands::Outcome;

struct Verb {
  const char16_t* name;
  size_t least, most;  // operands after the verb
  const char* usage;
};
const Verb kVerbs[] = {
    {u"new", 1, 1, "macro new PATH"},
    {u"mkdir", 1, 1, "macro mkdir PATH"},
    {u"rename", 2, 2, "macro rename PATH NAME"},
    {u"delete", 1, 1, "macro delete PATH"},
    {u"import", 1, 2, "macro import FILE [FOLDER]"},
    {u"export", 2, 2, "macro export PATH FILE"},
};

// While a command runs, the boxes shown below the commands (an import's file checks) are its
// notices too; the hook is put back afterwards, since it refers to this run's user.
class NoticeHook {
 public:
  explicit NoticeHook(CliMacroUi& ui) : m_saved(plat::TestHooks().messageBox) {
    plat::TestHooks().messageBox = [&ui](const std::u16string& text, const std::u16string&, uint32_t) {
      ui.ShowMessage(text);
      return plat::kIdOk;
    };
  }
  ~NoticeHook() { plat::TestHooks().messageBox = m_saved; }
  NoticeHook(const NoticeHook&) = delete;
  NoticeHook& operator=(const NoticeHook&) = delete;

 private:
  decltype(plat::Hooks::messageBox) m_saved;
};

void ListBelow(const MacroNode* folder, FILE* out) {
  for (const auto& child : folder->children) {
    const std::string path = u16::ToUtf8(ItemPathText(child.get()));
    if (child->IsMacro()) {
      const uint32_t id = child->value & kIdMask;
      const StMacro* record = FindMacroById(id);
      std::fprintf(out, "macro\t%s\t0x%06X\t%d\n", path.c_str(), static_cast<unsigned>(id),
                   record ? MacroEventCount(*record) : 0);
    } else {
      std::fprintf(out, "folder\t%s\n", path.c_str());
      ListBelow(child.get(), out);
    }
  }
}

class MacroRun {
 public:
  MacroRun(const std::u16string& appData, FILE* out, FILE* err)
      : m_ui(err), m_hook(m_ui), m_out(out), m_err(err), m_appData(appData),
        m_library(m_tree, m_ui, appData, g_Settings.MacroDir != 0,
                  static_cast<uint32_t>(g_Settings.MacroHasMsKey)) {
    m_library.Load();
  }

  int Run(const std::vector<std::u16string>& ops) {
    if (ops.empty()) return List();
    const std::u16string& verb = ops[0];
    const std::u16string second = ops.size() > 2 ? ops[2] : std::u16string();
    if (verb == u"new") return NewMacro(ops[1]);
    if (verb == u"mkdir") return NewFolder(ops[1]);
    if (verb == u"rename") return Rename(ops[1], ops[2]);
    if (verb == u"delete") return Delete(ops[1]);
    if (verb == u"import") return Import(ops[1], second);
    return Export(ops[1], ops[2]);
  }

 private:
  int List() {
    ListBelow(m_tree.Root(), m_out);
    return kCtlOk;
  }

  // Where a new item named by the last part of `path` goes, selected as the menus need it.
  MacroNode* SelectParent(const std::u16string& path, std::u16string* name) {
    std::vector<std::u16string> parts = SplitItemPath(path);
    if (parts.empty()) return Missing(path, "names no item");
    *name = parts.back();
    parts.pop_back();
    MacroNode* parent = FindFolderByPath(m_tree, parts);
    if (!parent) return Missing(ItemPathJoin(parts), "is no folder of the library");
    m_tree.Select(parent);
    return parent;
  }

  MacroNode* SelectItem(const std::u16string& path) {
    const std::vector<std::u16string> parts = SplitItemPath(path);
    MacroNode* item = parts.empty() ? nullptr : FindItemByPath(m_tree, parts);
    if (!item) return Missing(path, "is no item of the library");
    m_tree.Select(item);
    return item;
  }

  MacroNode* Missing(const std::u16string& path, const char* what) {
    std::fprintf(m_err, "velkorctl: \"%s\" %s\n", u16::ToUtf8(path).c_str(), what);
    return nullptr;
  }

  static std::u16string ItemPathJoin(const std::vector<std::u16string>& parts) {
    std::u16string path;
    for (const std::u16string& part : parts) path += (path.empty() ? u"" : u"\\") + part;
    return path;
  }

  int Fail(const std::u16string& text) {
    m_ui.Tell(text);
    return kCtlRefused;
  }

  // The outcome a command must have had; a notice already shown says why it did not.
  int Check(bool done, const char16_t* otherwise) {
    if (m_ui.Told()) return kCtlRefused;
    return done ? kCtlOk : Fail(otherwise);
  }

  // A macro the command made is done only once its file is written.
  int Written(const MacroNode* item) {
    const StMacro* record = item ? FindMacroById(item->value & kIdMask) : nullptr;
    if (record && !(record->dwDirtyFlags & kMacroDirtyBits)) return kCtlOk;
    return Fail(u16::Format(u"The macro could not be written (err=%u).", plat::LastError()));
  }

  int NewMacro(const std::u16string& path) {
    std::u16string name;
    if (!SelectParent(path, &name)) return kCtlNoSuchItem;
    m_ui.AnswerText(name);
    const bool made = m_library.NewMacro() == Outcome::MacroCreated && m_tree.Selected();
    if (int status = Check(made, u"The macro could not be made.")) return status;
    // The window writes a new macro at its first flush (another pick, or the editor closing);
    // this process ends now, so it is written now.
    MacroNode* item = m_tree.Selected();
    Flush_Dirty_Macro(item, &m_tree, m_appData);
    return Written(item);
  }

  int NewFolder(const std::u16string& path) {
    if (!m_library.FoldersFlag()) return Fail(u"Folders are off: MacroDir is 0 in cfg.ini.");
    std::u16string name;
    if (!SelectParent(path, &name)) return kCtlNoSuchItem;
    m_ui.AnswerText(name);
    const bool added = m_library.NewFolder() == Outcome::TreeChanged && m_tree.Selected() &&
                       m_tree.Selected()->IsFolder();
    if (int status = Check(added, u"The folder could not be added: folders nest at most six deep."))
      return status;
    // The window keeps a new folder in its tree only, until a macro is written into it; a
    // folder made from here must outlive this process, so it is made on disk now.
    std::u16string dir;
    if (!TreeItem_To_FilePath(m_tree.Selected(), &m_tree, m_appData, &dir))
      return Fail(g_Texts.tc_macro_msg23);
    // Something the tree does not show (a file, a folder the scan skips) holds the name.
    if (plat::PathExists(dir)) return Fail(g_Texts.tc_macro_msg8);
    if (!MakeSureFolderExist(dir + u"\\"))
      return Fail(u16::Format(u"The folder could not be made (err=%u).", plat::LastError()));
    return kCtlOk;
  }

  int Rename(const std::u16string& path, const std::u16string& name) {
    if (!SelectItem(path)) return kCtlNoSuchItem;
    m_ui.AnswerText(name);
    return Check(m_library.Rename() != Outcome::None, u"Rename failed.");
  }

  int Delete(const std::u16string& path) {
    if (!SelectItem(path)) return kCtlNoSuchItem;
    return Check(m_library.Delete() == Outcome::ItemDeleted, u"The item was not deleted.");
  }

  int Import(const std::u16string& file, const std::u16string& folder) {
    MacroNode* target = folder.empty() ? m_tree.Root() : FindFolderByPath(m_tree, SplitItemPath(folder));
    if (!target) {
      Missing(folder, "is no folder of the library");
      return kCtlNoSuchItem;
    }
    m_tree.Select(target);
    m_ui.AnswerPath(file);
    const bool imported = m_library.ImportMacro() == Outcome::MacroImported && m_tree.Selected();
    if (int status = Check(imported, u"The macro could not be imported.")) return status;
    return Written(m_tree.Selected());
  }

  int Export(const std::u16string& path, const std::u16string& file) {
    MacroNode* item = SelectItem(path);
    if (!item) return kCtlNoSuchItem;
    if (!item->IsMacro()) {
      Missing(path, "is a folder, not a macro");
      return kCtlNoSuchItem;
    }
    m_ui.AnswerPath(file);
    m_library.ExportMacro();  // a copy that fails is told
    return m_ui.Told() ? kCtlRefused : kCtlOk;
  }

  CliMacroUi m_ui;
  NoticeHook m_hook;
  FILE* m_out;
  FILE* m_err;
  std::u16string m_appData;
  MacroTreeModel m_tree;
  MacroLibraryCommands m_library;
};

}  // namespace

bool IsMacroCommand(const std::u16string& command) { return command == u"macros" || command == u"macro"; }

std::string CheckMacroOperands(const std::u16string& command, const std::vector<std::u16string>& operands) {
  if (command == u"macros")
    return operands.empty() ? std::string() : "unknown argument " + u16::ToUtf8(operands[0]);
  if (operands.empty()) return "macro needs one of new, mkdir, rename, delete, import, export";
  for (const Verb& verb : kVerbs) {
    if (operands[0] != verb.name) continue;
    const size_t n = operands.size() - 1;
    if (n < verb.least || n > verb.most) return std::string("usage: velkorctl ") + verb.usage;
    return std::string();
  }
  return "unknown macro command " + u16::ToUtf8(operands[0]);
}

int RunMacroCommand(const std::u16string& command, const std::vector<std::u16string>& operands,
                    const std::u16string& appData, FILE* out, FILE* err) {
  if (!CheckMacroOperands(command, operands).empty()) return kCtlNoSuchItem;
  MacroRun run(appData, out, err);
  return run.Run(command == u"macros" ? std::vector<std::u16string>() : operands);
}
