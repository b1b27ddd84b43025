// The library commands of the macro editor's menus, each acting on the selected item of the
// library tree: new macro, new folder, rename, delete, export and import of a macro and of a
// folder; plus loading the tree and flushing it.
#pragma once

#include <cstdint>
#include <string>

#include "macro/macro_record.h"
#include "macro/macro_tree.h"
#include "macro/macro_ui.h"

class MacroLibraryCommands {
 public:
  // What the editor shows after a command.
  enum class Outcome {
    None,           // nothing the editor shows changed
    TreeChanged,    // items were added, renamed or removed; the selection is as the tree says
    MacroCreated,   // a new macro is selected: clear the events, show its options and Save
    MacroImported,  // an imported macro is selected: show its options and events, hide Save
    ItemDeleted,    // the selected item is gone: clear the events
  };

  MacroLibraryCommands(MacroTreeModel& tree, MacroUi& ui, std::u16string appDataFolder,
                       bool foldersFlag, uint32_t mouseMask);

  // Fills the tree (and MacroList, with records it does not hold yet) from the library folder.
  void Load();
  // Writes every changed macro of the tree.
  void FlushAll();

  Outcome NewMacro();
  Outcome NewFolder();
  Outcome Rename();
  Outcome Delete();
  Outcome ExportMacro();
  Outcome ImportMacro();
  Outcome ImportFolder();
  Outcome ExportFolder();

  // A macro that came with an imported profile: a top-level item unless one of that name is
  // there; nothing is written until its record is marked changed.
  bool AddMacro(const StMacro& record);

  // The record of the selected macro item, or null for a folder or no selection.
  StMacro* CurrentMacro() const;
  bool FoldersFlag() const { return m_folders; }
  const std::u16string& AppDataFolder() const { return m_appData; }

 private:
  bool ItemPath(const MacroNode* item, std::u16string* path) const;
  // The selected folder or the root; null when a macro is selected.
  MacroNode* TargetFolder() const;
  // Asks for a name until it is usable here: false for Cancel, an empty answer or a refused
  // name (the user was told why).
  bool AskName(const std::u16string& prompt, bool cutExtension, MacroNode* parent, bool isMacro,
               std::u16string* name);
  bool CheckName(const std::u16string& typed, bool cutExtension, MacroNode* parent, bool isMacro,
                 std::u16string* name);
  void RemoveItemAndRecords(MacroNode* item);
  Outcome RenameMacro(MacroNode* item, const std::u16string& name, const std::u16string& dir,
                      const std::u16string& oldName);
  Outcome RenameFolder(MacroNode* item, const std::u16string& name, const std::u16string& dir,
                       const std::u16string& oldName);
  MacroNode* ScanFolderInto(MacroNode* parent, const std::u16string& dir, const std::u16string& name,
                            bool select, bool freshIds);

  MacroTreeModel& m_tree;
  MacroUi& m_ui;
  std::u16string m_appData;
  bool m_folders;
  uint32_t m_mouseMask;
};
