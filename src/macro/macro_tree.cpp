#include "macro/macro_tree.h"

#include <algorithm>
#include <cstdint>

#include "platform/file_names.h"

MacroTreeModel::MacroTreeModel() { m_root.kind = MacroNodeKind::Root; }

MacroNode* MacroTreeModel::Append(MacroNode* parent, std::unique_ptr<MacroNode> node, bool select,
                                  size_t position) {
  node->parent = parent;
  MacroNode* raw = node.get();
  auto& siblings = parent->children;
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(std::min(position, siblings.size())), std::move(node));
  ++m_count;
  if (m_observer) m_observer->OnInserted(raw);
  if (select) {
    if (parent != &m_root && !parent->expanded) {
      parent->expanded = true;
      if (m_observer) m_observer->OnChanged(parent);
    }
    Select(raw);
  }
  return raw;
}

MacroNode* MacroTreeModel::InsertFolder(MacroNode* parent, const std::u16string& name,
                                        const std::u16string& imagePath, bool select) {
  if (!parent || parent->IsMacro() || Ancestors(parent) >= kMaxFolderParentDepth) return nullptr;
  std::unique_ptr<MacroNode> node(new MacroNode);
  node->kind = MacroNodeKind::Folder;
  node->text = name;
  node->imagePath = imagePath;
  return Append(parent, std::move(node), select, SIZE_MAX);
}

MacroNode* MacroTreeModel::InsertMacro(MacroNode* parent, const std::u16string& name, uint32_t id,
                                       bool select, uint32_t subType, uint32_t textOffset) {
  return InsertMacroAt(parent, SIZE_MAX, name, id, select, subType, textOffset);
}

MacroNode* MacroTreeModel::InsertMacroAt(MacroNode* parent, size_t position, const std::u16string& name,
                                         uint32_t id, bool select, uint32_t subType, uint32_t textOffset) {
  if (!parent || parent->IsMacro()) return nullptr;
  std::unique_ptr<MacroNode> node(new MacroNode);
  node->kind = MacroNodeKind::Macro;
  node->text = name;
  node->value = id;
  node->subType = subType;
  node->textOffset = textOffset;
  return Append(parent, std::move(node), select, position);
}

size_t MacroTreeModel::CountBelow(const MacroNode* node) const {
  size_t n = 0;
  for (const auto& child : node->children) n += 1 + CountBelow(child.get());
  return n;
}

bool MacroTreeModel::IsBelow(const MacroNode* node, const MacroNode* ancestor) const {
  for (; node; node = node->parent)
    if (node == ancestor) return true;
  return false;
}

void MacroTreeModel::Remove(MacroNode* node) {
  if (!node) return;
  if (m_selected && IsBelow(m_selected, node)) Select(nullptr);
  if (node == &m_root) {
    for (auto& child : m_root.children)
      if (m_observer) m_observer->OnRemoving(child.get());
    m_root.children.clear();
    m_count = 0;
    return;
  }
  if (m_observer) m_observer->OnRemoving(node);
  m_count -= 1 + CountBelow(node);
  auto& siblings = node->parent->children;
  for (auto it = siblings.begin(); it != siblings.end(); ++it) {
    if (it->get() == node) {
      siblings.erase(it);
      break;
    }
  }
}

void MacroTreeModel::SetText(MacroNode* node, const std::u16string& text) {
  if (!node || node == &m_root) return;
  node->text = text;
  if (m_observer) m_observer->OnChanged(node);
}

void MacroTreeModel::ToggleExpand(MacroNode* node) {
  if (!node || node == &m_root) return;
  node->expanded = !node->expanded;
  if (m_observer) m_observer->OnChanged(node);
}

void MacroTreeModel::Select(MacroNode* node) {
  if (node == &m_root) node = nullptr;
  m_selected = node;
  if (m_observer) m_observer->OnSelected(node);
}

MacroNode* MacroTreeModel::FindChild(const MacroNode* parent, const std::u16string& name) const {
  if (!parent) return nullptr;
  for (const auto& child : parent->children)
    if (plat::SameFileName(child->text, name)) return child.get();
  return nullptr;
}

int MacroTreeModel::Ancestors(const MacroNode* node) {
  int n = 0;
  for (const MacroNode* p = node ? node->parent : nullptr; p && p->kind != MacroNodeKind::Root; p = p->parent)
    ++n;
  return n;
}

bool MacroTreeModel::Contains(const MacroNode* node) const {
  if (!node) return false;
  while (node->parent) node = node->parent;
  return node == &m_root;
}

bool MacroTreeModel::Walk(MacroNode* parent, const Visitor& visit, bool recursive) {
  if (!parent || !visit) return false;
  // The visitor may remove the child it is given, so each step keeps its own list.
  std::vector<MacroNode*> children;
  children.reserve(parent->children.size());
  for (auto& child : parent->children) children.push_back(child.get());
  for (MacroNode* child : children) {
    if (recursive && !child->children.empty() && Walk(child, visit, true)) return true;
    if (visit(child)) return true;
  }
  return false;
}
