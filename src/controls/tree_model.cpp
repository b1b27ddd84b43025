#include "controls/tree_model.h"

#include <algorithm>

#include "platform/file_names.h"

namespace {

const std::vector<TreeItemId> kNoChildren;

bool IsMarker(TreeItemId item) { return item >= kTreeRoot; }

}  // namespace

TreeModel::Node* TreeModel::FindNode(TreeItemId item) {
  auto it = m_nodes.find(item);
  return it == m_nodes.end() ? nullptr : &it->second;
}

const TreeModel::Node* TreeModel::FindNode(TreeItemId item) const {
  auto it = m_nodes.find(item);
  return it == m_nodes.end() ? nullptr : &it->second;
}

std::vector<TreeItemId>* TreeModel::ChildList(TreeItemId parent) {
  if (parent == kTreeRoot) return &m_rootChildren;
  Node* node = FindNode(parent);
  return node ? &node->children : nullptr;
}

const std::vector<TreeItemId>& TreeModel::Children(TreeItemId parent) const {
  if (parent == kTreeRoot) return m_rootChildren;
  const Node* node = FindNode(parent);
  return node ? node->children : kNoChildren;
}

TreeItemId TreeModel::Parent(TreeItemId item) const {
  const Node* node = FindNode(item);
  return node ? node->parent : kTreeNoItem;
}

const std::u16string* TreeModel::Text(TreeItemId item) const {
  const Node* node = FindNode(item);
  return node ? &node->text : nullptr;
}

TreeItemId TreeModel::FindChildByText(TreeItemId parent, const std::u16string& text) const {
  for (TreeItemId child : Children(parent)) {
    const std::u16string& own = FindNode(child)->text;
    if (plat::SameFileName(own, text)) return child;
  }
  return kTreeNoItem;
}

MACROITEM* TreeModel::FindItemRecord(TreeItemId item) {
  Node* node = FindNode(item);
  return node ? &node->record : nullptr;
}

const MACROITEM* TreeModel::FindItemRecord(TreeItemId item) const {
  const Node* node = FindNode(item);
  return node ? &node->record : nullptr;
}

int TreeModel::GetItemDepth(TreeItemId item) const {
  const Node* node = FindNode(item);
  if (!node) return -1;
  int depth = 0;
  for (TreeItemId up = node->parent; up != kTreeRoot; up = FindNode(up)->parent) ++depth;
  return depth;
}

void TreeModel::Changed() {
  m_rowsValid = false;
  if (m_batchDepth > 0) m_changedInBatch = true;
  else if (m_changed) m_changed();
}

void TreeModel::EndBatch() {
  if (--m_batchDepth > 0 || !m_changedInBatch) return;
  m_changedInBatch = false;
  if (m_changed) m_changed();
}

void TreeModel::Shrunk() {
  m_rowsValid = false;
  m_topRow = std::max(0, std::min(m_topRow, MaxTopRow()));
  Changed();
}

TreeItemId TreeModel::AddNode(TreeItemId parent, size_t position, const std::u16string& text,
                              MACROITEM record) {
  std::vector<TreeItemId>* siblings = ChildList(parent);
  if (!siblings) return kTreeNoItem;
  const TreeItemId id = m_nextId++;
  record.item = id;
  Node& node = m_nodes[id];
  node.parent = parent;
  node.text = text;
  node.record = std::move(record);
  siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(std::min(position, siblings->size())), id);
  m_rowsValid = false;
  if (m_topRow > 0) {
    const int row = RowOf(id);
    if (row >= 0 && row < m_topRow) ++m_topRow;
  }
  return id;
}

TreeItemId TreeModel::InsertItemWithImage(TreeItemId parent, bool select, bool folder,
                                          const char16_t* imagePath, const std::u16string& text,
                                          uint32_t value, uint32_t subType, uint32_t textOffset,
                                          TreeItemId before) {
  ItemImageRef image;
  if (imagePath && m_loadImage) {
    image = m_loadImage(imagePath);
    if (image && image->Width() <= 0) image.reset();
  }
  if (parent == kTreeNoItem) return kTreeNoItem;
  if (parent != kTreeRoot) {
    const MACROITEM* parentRecord = FindItemRecord(parent);
    if (!parentRecord || parentRecord->kind != kTreeKindFolder) return kTreeNoItem;
    if (folder && GetItemDepth(parent) >= kTreeMaxFolderAncestors) return kTreeNoItem;
  }
  MACROITEM record;
  record.ownsImage = image ? 1 : 0;
  record.image = std::move(image);
  record.value = value;
  record.subType = subType;
  record.kind = folder ? kTreeKindFolder : kTreeKindLeaf;
  record.textOffset = textOffset;
  size_t position = SIZE_MAX;
  if (before != kTreeLast) {
    const std::vector<TreeItemId>& siblings = Children(parent);
    position = static_cast<size_t>(std::find(siblings.begin(), siblings.end(), before) - siblings.begin());
  }
  const TreeItemId id = AddNode(parent, position, text, std::move(record));
  if (select) {
    if (parent != kTreeRoot) FindItemRecord(parent)->expanded = 1;
    Select(id);
  }
  Changed();
  return id;
}

TreeItemId TreeModel::InsertItemNear(TreeItemId anchor, bool before, ItemImageRef image,
                                     const std::u16string& text, uint32_t value,
                                     uint32_t subType) {
  const Node* anchorNode = IsMarker(anchor) ? nullptr : FindNode(anchor);
  if (!anchorNode) return kTreeNoItem;
  const TreeItemId parent = anchorNode->parent;
  const std::vector<TreeItemId>& siblings = Children(parent);
  size_t at = static_cast<size_t>(std::find(siblings.begin(), siblings.end(), anchor) - siblings.begin());
  if (!before) ++at;
  MACROITEM record;
  record.image = std::move(image);
  record.value = value;
  record.subType = subType;
  const TreeItemId id = AddNode(parent, at, text, std::move(record));
  Changed();
  return id;
}

TreeItemId TreeModel::AppendRootLeaf(const std::u16string& text, MACROITEM record) {
  const TreeItemId id = AddNode(kTreeRoot, SIZE_MAX, text, std::move(record));
  Changed();
  return id;
}

bool TreeModel::Contains(TreeItemId ancestor, TreeItemId item) const {
  for (TreeItemId up = item; up != kTreeRoot && up != kTreeNoItem; up = Parent(up))
    if (up == ancestor) return true;
  return false;
}

void TreeModel::EraseSubtree(TreeItemId item) {
  Node* node = FindNode(item);
  if (!node) return;
  const std::vector<TreeItemId> children = std::move(node->children);
  for (TreeItemId child : children) EraseSubtree(child);
  m_nodes.erase(item);
}

bool TreeModel::DeleteItemAndRecord(TreeItemId item) {
  const Node* node = FindNode(item);
  if (!node) return false;
  if (Contains(item, m_selected)) m_selected = kTreeNoItem;
  if (Contains(item, m_hover)) m_hover = kTreeNoItem;
  std::vector<TreeItemId>* siblings = ChildList(node->parent);
  siblings->erase(std::find(siblings->begin(), siblings->end(), item));
  EraseSubtree(item);
  Shrunk();
  return true;
}

void TreeModel::ClearAll() {
  m_nodes.clear();
  m_rootChildren.clear();
  m_selected = kTreeNoItem;
  m_hover = kTreeNoItem;
  m_topRow = 0;
  Shrunk();
}

bool TreeModel::SetItemValue(TreeItemId item, const char16_t* text, const uint32_t* value) {
  Node* node = FindNode(item);
  if (!node) return false;
  if (text) node->text = text;
  if (value) node->record.value = *value;
  Changed();
  return true;
}

bool TreeModel::ToggleExpand(TreeItemId item) {
  MACROITEM* record = FindItemRecord(item);
  if (!record) return false;
  record->expanded = record->expanded ? 0 : 1;
  Shrunk();
  return true;
}

int TreeModel::WalkChildren(TreeItemId parent, const WalkCallback& callback, bool recursive) {
  if (parent == kTreeNoItem || !callback) return 0;
  // A copy, so the callback may delete what it is given; the siblings still to come are
  // checked again before each visit.
  const std::vector<TreeItemId> children = Children(parent);
  for (TreeItemId child : children) {
    if (!IsItem(child)) continue;
    if (recursive && !Children(child).empty() && WalkChildren(child, callback, true)) return 1;
    Node* node = FindNode(child);
    if (!node) continue;
    const std::u16string text = node->text.substr(0, kTreeWalkTextUnits - 1);
    if (callback(child, &node->record, text)) return 1;
  }
  return 0;
}

bool TreeModel::Select(TreeItemId item) {
  if (item != kTreeNoItem && !IsItem(item)) return false;
  for (TreeItemId up = Parent(item); up != kTreeRoot && up != kTreeNoItem; up = Parent(up))
    FindItemRecord(up)->expanded = 1;
  m_selected = item;
  m_rowsValid = false;
  EnsureVisible(item);
  Changed();
  return true;
}

const std::vector<TreeItemId>& TreeModel::Rows() const {
  if (m_rowsValid) return m_rows;
  m_rows.clear();
  m_rows.reserve(m_nodes.size());
  // Depth first without recursion: a stack of (sibling list, next index).
  std::vector<std::pair<const std::vector<TreeItemId>*, size_t>> stack{{&m_rootChildren, 0}};
  while (!stack.empty()) {
    auto& top = stack.back();
    if (top.second >= top.first->size()) {
      stack.pop_back();
      continue;
    }
    const TreeItemId id = (*top.first)[top.second++];
    m_rows.push_back(id);
    const Node* node = FindNode(id);
    if (node->record.expanded && !node->children.empty()) stack.push_back({&node->children, 0});
  }
  m_rowsValid = true;
  return m_rows;
}

int TreeModel::RowOf(TreeItemId item) const {
  const std::vector<TreeItemId>& rows = Rows();
  auto it = std::find(rows.begin(), rows.end(), item);
  return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

int TreeModel::MaxTopRow() const { return std::max(0, RowCount() - std::max(1, PageRows())); }

void TreeModel::EnsureVisible(TreeItemId item) {
  const int row = RowOf(item);
  if (row < 0) return;
  const int page = std::max(1, PageRows());
  if (row < m_topRow) m_topRow = row;
  else if (row >= m_topRow + page) m_topRow = row - page + 1;
}

void TreeModel::SetClientSize(int width, int height) {
  m_width = std::max(0, width);
  m_height = std::max(0, height);
  Shrunk();
}

bool TreeModel::ScrollTo(int topRow) {
  const int clamped = std::max(0, std::min(topRow, MaxTopRow()));
  if (clamped == m_topRow) return false;
  m_topRow = clamped;
  Changed();
  return true;
}

TreeHit TreeModel::HitTest(int x, int y) const {
  TreeHit hit;
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return hit;
  const std::vector<TreeItemId>& rows = Rows();
  const size_t row = static_cast<size_t>(m_topRow + y / kTreeItemHeight);
  if (row >= rows.size()) return hit;
  hit.item = rows[row];
  const int depth = GetItemDepth(hit.item);
  const int inRow = x - kTreeLeftMargin;
  if (inRow < depth * kTreeIndent) hit.part = TreeHitPart::Indent;
  else if (inRow < (depth + 1) * kTreeIndent && !Children(hit.item).empty()) hit.part = TreeHitPart::Button;
  else hit.part = TreeHitPart::Item;
  return hit;
}

TreeClick TreeModel::OnLeftDown(int x, int y) {
  TreeClick click;
  if (!m_mouseEnabled) return click;
  const TreeHit hit = HitTest(x, y);
  const TreeItemId before = m_selected;
  Select(hit.item);
  if (hit.item != kTreeNoItem) {
    click.takeFocus = true;
    if (hit.part == TreeHitPart::Indent || hit.part == TreeHitPart::Button) ToggleExpand(hit.item);
  }
  if (m_ignoreReclick && hit.item == before) return click;
  click.notify = true;
  click.item = hit.item;
  return click;
}

TreeClick TreeModel::OnDoubleClick(int x, int y) {
  TreeClick click;
  if (!m_mouseEnabled) return click;
  const TreeHit hit = HitTest(x, y);
  Select(hit.item);
  if (hit.item != kTreeNoItem) ToggleExpand(hit.item);
  return click;
}

TreeClick TreeModel::OnRightUp(int x, int y) {
  TreeClick click;
  if (!m_mouseEnabled) return click;
  const TreeHit hit = HitTest(x, y);
  Select(hit.item);
  click.notify = true;
  click.item = hit.item;
  return click;
}

TreeTooltip TreeModel::OnMouseMove(int x, int y) {
  TreeTooltip tip;
  tip.trackLeave = !m_tracking;
  m_tracking = true;
  const TreeItemId item = HitTest(x, y).item;
  if (item == m_hover) return tip;
  tip.changed = true;
  m_hover = item;
  if (const std::u16string* text = Text(item)) {
    tip.show = text->size() > kTreeTooltipThreshold;
    if (tip.show) tip.text = *text;
  }
  return tip;
}

void TreeModel::OnMouseLeave() {
  m_hover = kTreeNoItem;
  m_tracking = false;
}

namespace {

// A box of the given size centred in `place` where it is smaller, else at its top left.
PixelRect PlaceIn(const PixelRect& place, int width, int height) {
  PixelRect r;
  const int placeWidth = place.Width();
  const int placeHeight = place.Height();
  r.left = place.left + (width < placeWidth ? (placeWidth - width) / 2 : 0);
  r.top = place.top + (height < placeHeight ? (placeHeight - height) / 2 : 0);
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

}  // namespace

std::vector<TreeRowPaint> TreeModel::PaintRows(int folderImageWidth, int folderImageHeight) const {
  std::vector<TreeRowPaint> out;
  const std::vector<TreeItemId>& rows = Rows();
  for (size_t row = static_cast<size_t>(m_topRow); row < rows.size(); ++row) {
    const int top = static_cast<int>(row - static_cast<size_t>(m_topRow)) * kTreeItemHeight;
    if (top >= m_height) break;
    const Node& node = *FindNode(rows[row]);
    TreeRowPaint paint;
    paint.item = rows[row];
    paint.record = &node.record;
    paint.text = &node.text;
    paint.selected = paint.item == m_selected;
    paint.row = {0, top, m_width, top + kTreeItemHeight};
    const int labelLeft = kTreeLeftMargin + (GetItemDepth(paint.item) + 1) * kTreeIndent;
    const PixelRect indentPlace{labelLeft - kTreeIndent, top, labelLeft, top + kTreeItemHeight};
    const bool hasImage = node.record.image != nullptr;
    int textLeft;
    if (node.record.kind == kTreeKindFolder) {
      paint.hasFolderImage = folderImageWidth > 0;
      paint.folderOpen = node.record.expanded != 0;
      paint.folderImage = PlaceIn(indentPlace, folderImageWidth, folderImageHeight);
      if (hasImage) {
        paint.hasIcon = true;
        paint.icon = PlaceIn({labelLeft + kTreeIconGap, top, labelLeft + kTreeIconGap + kTreeIconSize,
                              top + kTreeItemHeight},
                             kTreeIconSize, kTreeIconSize);
      }
      textLeft = labelLeft + static_cast<int>(node.record.textOffset) + 4 + (hasImage ? kTreeIconSize : 0);
    } else if (hasImage) {
      paint.hasIcon = true;
      paint.icon = PlaceIn(indentPlace, kTreeIconSize, kTreeIconSize);
      textLeft = labelLeft + static_cast<int>(node.record.textOffset);
    } else {
      textLeft = labelLeft - kTreeIndent;
    }
    paint.textRect = {textLeft, top, m_width - 5, top + kTreeItemHeight};
    out.push_back(paint);
  }
  return out;
}
