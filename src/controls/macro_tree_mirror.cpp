#include "controls/macro_tree_mirror.h"

#include <cstdint>

namespace {

TreeItemId StoredItem(const MacroNode* node) {
  return static_cast<TreeItemId>(reinterpret_cast<uintptr_t>(node->viewData));
}

}  // namespace

MacroTreeMirror::MacroTreeMirror(MacroTreeModel& library, TreeModel& view)
    : m_library(library), m_view(view) {
  m_view.ClearAll();
  Copy(m_library.Root());
  m_library.SetObserver(this);
  OnSelected(m_library.Selected());
}

MacroTreeMirror::~MacroTreeMirror() { m_library.SetObserver(nullptr); }

void MacroTreeMirror::Copy(MacroNode* parent) {
  for (auto& child : parent->children) {
    OnInserted(child.get());
    Copy(child.get());
  }
}

MacroNode* MacroTreeMirror::NodeOf(TreeItemId item) const {
  auto it = m_nodes.find(item);
  return it == m_nodes.end() ? nullptr : it->second;
}

TreeItemId MacroTreeMirror::ItemOf(const MacroNode* node) const {
  if (!node || node == m_library.Root()) return node ? kTreeRoot : kTreeNoItem;
  const TreeItemId item = StoredItem(node);
  return NodeOf(item) == node ? item : kTreeNoItem;
}

// The item of the sibling that follows `node` in its folder: a node that joins a folder later
// (a scan's file read after the listing) goes in front of it.
TreeItemId MacroTreeMirror::ItemAfter(const MacroNode* node) const {
  const auto& siblings = node->parent->children;
  if (siblings.empty() || siblings.back().get() == node) return kTreeLast;  // the usual append
  for (size_t i = 0; i + 1 < siblings.size(); ++i)
    if (siblings[i].get() == node) {
      const TreeItemId next = ItemOf(siblings[i + 1].get());
      return next == kTreeNoItem ? kTreeLast : next;
    }
  return kTreeLast;
}

void MacroTreeMirror::OnInserted(MacroNode* node) {
  const TreeItemId parent = ItemOf(node->parent);
  const bool folder = node->IsFolder();
  const TreeItemId item = m_view.InsertItemWithImage(
      parent, false, folder, folder && !node->imagePath.empty() ? node->imagePath.c_str() : nullptr,
      node->text, folder ? 0 : node->value, node->subType, node->textOffset, ItemAfter(node));
  node->viewData = reinterpret_cast<void*>(static_cast<uintptr_t>(item));
  if (item == kTreeNoItem) return;
  m_nodes[item] = node;
  if (node->expanded) m_view.FindItemRecord(item)->expanded = 1;
}

void MacroTreeMirror::Forget(MacroNode* node) {
  m_nodes.erase(StoredItem(node));
  node->viewData = nullptr;
  for (auto& child : node->children) Forget(child.get());
}

void MacroTreeMirror::OnRemoving(MacroNode* node) {
  const TreeItemId item = ItemOf(node);
  Forget(node);
  m_view.DeleteItemAndRecord(item);
}

void MacroTreeMirror::OnChanged(MacroNode* node) {
  const TreeItemId item = ItemOf(node);
  MACROITEM* record = m_view.FindItemRecord(item);
  if (!record) return;
  m_view.SetItemValue(item, node->text.c_str(), nullptr);
  if ((record->expanded != 0) != node->expanded) m_view.ToggleExpand(item);
}

void MacroTreeMirror::OnSelected(MacroNode* node) {
  if (m_selecting) return;
  m_view.Select(ItemOf(node));
}

void MacroTreeMirror::SelectionFromView() {
  m_selecting = true;
  m_library.Select(NodeOf(m_view.Selected()));
  m_selecting = false;
}
