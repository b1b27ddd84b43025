// Library items in a tree as the macro library's scans make them: a folder item carries the
// folder's icon and value 0, a macro item no image and its macro's identifier; both have text
// offset 5 and sub-type 0.
#pragma once

#include <string>

#include "controls/tree_model.h"
#include "macro/macro_library.h"

class MacroTreeFiller : public MacroScanTree {
 public:
  explicit MacroTreeFiller(TreeModel& tree) : m_tree(tree) {}
  uint32_t InsertFolder(uint32_t parent, const std::u16string& name,
                        const std::u16string& imagePath) override;
  uint32_t InsertMacro(uint32_t parent, const std::u16string& name, uint32_t macroId) override;

 private:
  TreeModel& m_tree;
};

constexpr uint32_t kLibraryTextOffset = 5;

// Scans the whole macro folder of `appDataFolder` into the top level of `tree` (sub-folders
// only with `foldersFlag`, the MacroDir setting); records new to MacroList are appended.
bool FillMacroTree(TreeModel& tree, const std::u16string& appDataFolder, bool foldersFlag);
