#include "app/macro_item_path.h"

std::vector<std::u16string> SplitItemPath(const std::u16string& path) {
  std::vector<std::u16string> parts;
  std::u16string part;
  for (char16_t c : path) {
    if (c == u'\\' || c == u'/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

MacroNode* FindItemByPath(MacroTreeModel& tree, const std::vector<std::u16string>& parts) {
  MacroNode* node = tree.Root();
  for (const std::u16string& part : parts) {
    if (node->IsMacro()) return nullptr;
    node = tree.FindChild(node, part);
    if (!node) return nullptr;
  }
  return node;
}

MacroNode* FindFolderByPath(MacroTreeModel& tree, const std::vector<std::u16string>& parts) {
  MacroNode* node = FindItemByPath(tree, parts);
  return node && !node->IsMacro() ? node : nullptr;
}

std::u16string ItemPathText(const MacroNode* node) {
  std::u16string path;
  for (; node && node->kind != MacroNodeKind::Root; node = node->parent)
    path = path.empty() ? node->text : node->text + u'\\' + path;
  return path;
}
