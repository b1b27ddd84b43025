// Library items named on a command line as the tree shows them: "Games\Fire" is the macro (or
// folder) Fire in the folder Games, relative to the library. Names are the items' texts, not
// file names: a macro has no extension here. Either separator is taken, since neither may be
// part of a name; empty parts (a leading, trailing or doubled separator) are ignored, and "."
// or ".." are names like any other, never steps up or down.
#pragma once

#include <string>
#include <vector>

#include "macro/macro_tree.h"

std::vector<std::u16string> SplitItemPath(const std::u16string& path);

// The item the parts name, letter case ignored as the tree ignores it; every part but the last
// must be a folder. The root for no parts; null when nothing matches.
MacroNode* FindItemByPath(MacroTreeModel& tree, const std::vector<std::u16string>& parts);
// The folder the parts name (the root for none), or null when it is missing or a macro.
MacroNode* FindFolderByPath(MacroTreeModel& tree, const std::vector<std::u16string>& parts);

// "Games\Fire" for the item Fire in the folder Games; empty for the root.
std::u16string ItemPathText(const MacroNode* node);
