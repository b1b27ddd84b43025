#include "controls/macro_tree_fill.h"

uint32_t MacroTreeFiller::InsertFolder(uint32_t parent, const std::u16string& name,
                                       const std::u16string& imagePath) {
  return m_tree.InsertItemWithImage(parent, false, true, imagePath.c_str(), name, 0, 0,
                                    kLibraryTextOffset);
}

uint32_t MacroTreeFiller::InsertMacro(uint32_t parent, const std::u16string& name,
                                      uint32_t macroId) {
  return m_tree.InsertItemWithImage(parent, false, false, nullptr, name, macroId, 0,
                                    kLibraryTextOffset);
}

bool FillMacroTree(TreeModel& tree, const std::u16string& appDataFolder, bool foldersFlag) {
  MacroTreeFiller filler(tree);
  MacroScanParams params;
  params.tree = &filler;
  params.parent = kTreeRoot;
  params.foldersFlag = foldersFlag;
  return LoadMacroFolder(MacroFolderPath(appDataFolder), true, params);
}
