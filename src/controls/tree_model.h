// The skinned tree's items and everything it decides apart from the window: the insertion
// rules and depth limit, the walk, expansion, selection, scrolling, hit testing, what a click
// means and where each part of a row is painted. Owners (the macro library, the macro editor,
// the key function picker) give the items their meaning through the record's value and
// sub-type.
//
// Items are named by identifiers that are never reused, so an identifier that arrives late in a
// posted message can be checked (IsItem) instead of trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/pixel_rect.h"

using TreeItemId = uint32_t;
constexpr TreeItemId kTreeNoItem = 0;
constexpr TreeItemId kTreeRoot = 0xFFFF0000u;  // the parent of every top-level item
constexpr TreeItemId kTreeLast = 0xFFFF0002u;  // "after the last child", never an item

// Posted to the parent: wParam = the control's identifier, lParam = the item or 0.
constexpr uint32_t WM_TREE_CLICK = 0x0594;
constexpr uint32_t WM_TREE_RCLICK = 0x0592;

// A decoded picture shown beside an item. The window build supplies the real one; the model
// only needs to know whether it has a size.
class ItemImage {
 public:
  virtual ~ItemImage() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
using ItemImageRef = std::shared_ptr<ItemImage>;
// Loads a picture from a file; null (or an image without width) when it cannot.
using ItemImageLoader = std::function<ItemImageRef(const std::u16string& path)>;

enum : uint32_t { kTreeKindLeaf = 1, kTreeKindFolder = 2 };

// The record every item carries.
struct MACROITEM {
  TreeItemId item = kTreeNoItem;
  ItemImageRef image;       // drawn beside the text, or none
  uint32_t ownsImage = 0;   // 1: loaded for this item alone; 0: shared with other items
  uint32_t value = 0;       // owner's: macro identifier, key code or delay; 0 for folders
  uint32_t subType = 0;     // owner's: in event lists 0 release, 1 press, 2 delay
  uint32_t kind = kTreeKindLeaf;
  uint32_t textOffset = 0;  // extra x-offset of the text in pixels
  uint32_t expanded = 0;    // 1: children shown, open folder image
};

constexpr int kTreeItemHeight = 20;
constexpr int kTreeIndent = 19;
constexpr int kTreeLeftMargin = 3;  // keeps top-level texts off the frame
constexpr int kTreeIconSize = 18;
constexpr int kTreeIconGap = 2;
constexpr int kTreeMaxFolderAncestors = 5;  // a folder goes only under a parent with fewer
constexpr size_t kTreeTooltipThreshold = 20;
constexpr size_t kTreeWalkTextUnits = 1024;

enum class TreeHitPart { Nowhere, Indent, Button, Item };
struct TreeHit {
  TreeItemId item = kTreeNoItem;
  TreeHitPart part = TreeHitPart::Nowhere;
};

// What a mouse message came to: whether the parent is told (and of which item, 0 for empty
// space) and whether the control takes the focus.
struct TreeClick {
  bool notify = false;
  TreeItemId item = kTreeNoItem;
  bool takeFocus = false;
};

// What a mouse move does to the tooltip.
struct TreeTooltip {
  bool trackLeave = false;  // first move since the mouse came in: ask to hear when it leaves
  bool changed = false;     // another item is under the cursor: drop the old tip
  bool show = false;        // and show `text` for the new one
  std::u16string text;
};

// One visible row, as the window paints it.
struct TreeRowPaint {
  TreeItemId item = kTreeNoItem;
  const MACROITEM* record = nullptr;
  const std::u16string* text = nullptr;
  bool selected = false;
  PixelRect row;                 // filled with the selection colour when selected
  bool hasFolderImage = false;  // folders, when the folder images have a size
  bool folderOpen = false;
  PixelRect folderImage;
  bool hasIcon = false;         // the record's image, 18 x 18
  PixelRect icon;
  PixelRect textRect;
};

class TreeModel {
 public:
  using WalkCallback =
      std::function<int(TreeItemId item, MACROITEM* record, const std::u16string& text)>;

  TreeModel() = default;
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  void SetImageLoader(ItemImageLoader loader) { m_loadImage = std::move(loader); }
  // Called after every change the window must show (items, selection, expansion, scrolling).
  void SetChangedCallback(std::function<void()> changed) { m_changed = std::move(changed); }

  // Holds the change call back while a whole library goes in, so that the window repaints and
  // sets its scroll bar once for thousands of items. Batches nest; the outermost one's end calls
  // back once when anything changed inside it.
  class Batch {
   public:
    explicit Batch(TreeModel& model) : m_model(model) { ++m_model.m_batchDepth; }
    ~Batch() { m_model.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TreeModel& m_model;
  };

  // Appends an item under `parent` (the root or a folder item). The image, when a path is
  // given and it loads, belongs to the new record. Refused (0) for parent 0, a parent that is
  // neither the root nor a folder item, and a folder under a parent that already has 5
  // ancestors. With `select` the parent opens and the new item becomes the selection.
  // With `before` (a child of `parent`) the item goes in front of it rather than last.
  TreeItemId InsertItemWithImage(TreeItemId parent, bool select, bool folder,
                                 const char16_t* imagePath, const std::u16string& text,
                                 uint32_t value, uint32_t subType, uint32_t textOffset,
                                 TreeItemId before = kTreeLast);
  // A leaf beside `anchor` (before or after it) under the anchor's parent, sharing `image`.
  // Refused for 0, the markers and identifiers that name no item.
  TreeItemId InsertItemNear(TreeItemId anchor, bool before, ItemImageRef image,
                            const std::u16string& text, uint32_t value, uint32_t subType);
  // A leaf at the end of the top level with a record the owner built (its item field is set).
  TreeItemId AppendRootLeaf(const std::u16string& text, MACROITEM record);

  // Removes the item with everything below it; false when it names no item.
  bool DeleteItemAndRecord(TreeItemId item);
  void ClearAll();
  // Either part may be null to keep it.
  bool SetItemValue(TreeItemId item, const char16_t* text, const uint32_t* value);
  // Opens a closed item or closes an open one.
  bool ToggleExpand(TreeItemId item);

  // Visits the children of `parent` in order (with `recursive`, a child's own children before
  // the child). The callback may delete the item it is given. 1 when a callback stopped the
  // walk with a non-zero result, else 0; nothing is visited for parent 0 or no callback.
  int WalkChildren(TreeItemId parent, const WalkCallback& callback, bool recursive);

  // Number of ancestors (0 for a top-level item); -1 for anything that is not an item.
  int GetItemDepth(TreeItemId item) const;
  MACROITEM* FindItemRecord(TreeItemId item);
  const MACROITEM* FindItemRecord(TreeItemId item) const;

  bool IsItem(TreeItemId item) const { return m_nodes.count(item) != 0; }
  bool IsEmpty() const { return m_nodes.empty(); }
  size_t Count() const { return m_nodes.size(); }
  // kTreeRoot for a top-level item, 0 for anything that is not an item.
  TreeItemId Parent(TreeItemId item) const;
  // The children of an item or of the root; empty for anything else.
  const std::vector<TreeItemId>& Children(TreeItemId parent) const;
  const std::u16string* Text(TreeItemId item) const;
  // The first child of `parent` whose text equals `text` ignoring case, as names of one folder
  // are compared; 0 when there is none.
  TreeItemId FindChildByText(TreeItemId parent, const std::u16string& text) const;

  TreeItemId Selected() const { return m_selected; }
  // 0 clears the selection; an item opens its ancestors and is scrolled into view. False for
  // an identifier that names no item.
  bool Select(TreeItemId item);

  // Window-side state.
  void SetMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
  bool MouseEnabled() const { return m_mouseEnabled; }
  void SetIgnoreReclick(bool ignore) { m_ignoreReclick = ignore; }
  void SetClientSize(int width, int height);
  int ClientWidth() const { return m_width; }
  int ClientHeight() const { return m_height; }

  // Rows are the items whose ancestors are all open, in display order. A row that comes in above
  // the top row moves the top row down with it, so that what is in view stays in place.
  int RowCount() const { return static_cast<int>(Rows().size()); }
  int PageRows() const { return m_height / kTreeItemHeight; }
  int TopRow() const { return m_topRow; }
  int MaxTopRow() const;
  bool ScrollTo(int topRow);  // clamped; true when the view moved
  bool ScrollBy(int rows) { return ScrollTo(m_topRow + rows); }

  TreeHit HitTest(int x, int y) const;
  // The mouse rules. With the mouse disabled every one of them does nothing.
  TreeClick OnLeftDown(int x, int y);
  TreeClick OnDoubleClick(int x, int y);
  TreeClick OnRightUp(int x, int y);
  TreeTooltip OnMouseMove(int x, int y);
  void OnMouseLeave();
  TreeItemId HoverItem() const { return m_hover; }

  // The visible rows from the top row while they start inside the client area. Folder images
  // are placed at the given size (the open image's); 0 width places none.
  std::vector<TreeRowPaint> PaintRows(int folderImageWidth, int folderImageHeight) const;

 private:
  struct Node {
    TreeItemId parent = kTreeRoot;
    std::vector<TreeItemId> children;
    std::u16string text;
    MACROITEM record;
  };

  Node* FindNode(TreeItemId item);
  const Node* FindNode(TreeItemId item) const;
  std::vector<TreeItemId>* ChildList(TreeItemId parent);
  TreeItemId AddNode(TreeItemId parent, size_t position, const std::u16string& text,
                     MACROITEM record);
  void EraseSubtree(TreeItemId item);
  bool Contains(TreeItemId ancestor, TreeItemId item) const;
  const std::vector<TreeItemId>& Rows() const;
  int RowOf(TreeItemId item) const;
  void EnsureVisible(TreeItemId item);
  void Changed();
  void EndBatch();
  void Shrunk();  // rows may have gone: keep the top row in range

  std::unordered_map<TreeItemId, Node> m_nodes;
  std::vector<TreeItemId> m_rootChildren;
  TreeItemId m_nextId = 1;
  TreeItemId m_selected = kTreeNoItem;
  TreeItemId m_hover = kTreeNoItem;
  bool m_tracking = false;
  bool m_mouseEnabled = true;
  bool m_ignoreReclick = true;
  int m_width = 0;
  int m_height = 0;
  int m_topRow = 0;
  mutable std::vector<TreeItemId> m_rows;
  mutable bool m_rowsValid = true;
  ItemImageLoader m_loadImage;
  std::function<void()> m_changed;
  int m_batchDepth = 0;
  bool m_changedInBatch = false;
};
