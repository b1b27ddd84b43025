// The library tree as data: folders and macros with their names, the macro identifiers they
// stand for and the folder icons, plus the selection. The library commands work on this model;
// a tree window mirrors it through the observer and feeds clicks back with Select().
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class MacroNodeKind : uint8_t { Root, Folder, Macro };

struct MacroNode {
  MacroNodeKind kind = MacroNodeKind::Root;
  std::u16string text;       // folder name, or the macro's file name without its extension
  uint32_t value = 0;        // dwMacroId of a macro; 0 for folders
  uint32_t subType = 0;      // 5 for a macro imported in this session, else 0
  uint32_t textOffset = 5;   // extra x-offset of the text; 0 for an imported macro
  std::u16string imagePath;  // the folder's icon (G.png inside G) when the file exists
  // A macro's file in its parent's folder, as it was read ("notes.txt") or last written; empty
  // until the macro is first written, when it becomes "<text>.mck".
  std::u16string fileName;
  bool expanded = false;
  MacroNode* parent = nullptr;
  std::vector<std::unique_ptr<MacroNode>> children;
  void* viewData = nullptr;  // free for the window (its own handle of the item)

  bool IsFolder() const { return kind == MacroNodeKind::Folder; }
  bool IsMacro() const { return kind == MacroNodeKind::Macro; }
};

// What a window needs to stay a mirror of the model. Every call comes after the change.
class MacroTreeObserver {
 public:
  virtual ~MacroTreeObserver() = default;
  virtual void OnInserted(MacroNode* node) = 0;  // now in its place among node->parent's children
  virtual void OnRemoving(MacroNode* node) = 0;  // before: node and everything below it go
  virtual void OnChanged(MacroNode* node) = 0;   // text or expanded state
  virtual void OnSelected(MacroNode* node) = 0;  // null: nothing selected
};

class MacroTreeModel {
 public:
  // A folder may go only under a parent with fewer ancestors than this, so folders nest at
  // most six deep.
  static constexpr int kMaxFolderParentDepth = 5;

  MacroTreeModel();
  MacroTreeModel(const MacroTreeModel&) = delete;
  MacroTreeModel& operator=(const MacroTreeModel&) = delete;

  void SetObserver(MacroTreeObserver* observer) { m_observer = observer; }

  MacroNode* Root() { return &m_root; }
  const MacroNode* Root() const { return &m_root; }

  // Null when refused: no parent, a macro as parent, or (folders) a parent too deep.
  MacroNode* InsertFolder(MacroNode* parent, const std::u16string& name,
                          const std::u16string& imagePath, bool select);
  MacroNode* InsertMacro(MacroNode* parent, const std::u16string& name, uint32_t id, bool select,
                         uint32_t subType = 0, uint32_t textOffset = 5);
  // The same at `position` among the parent's children (past the last: after it).
  MacroNode* InsertMacroAt(MacroNode* parent, size_t position, const std::u16string& name, uint32_t id,
                           bool select = false, uint32_t subType = 0, uint32_t textOffset = 5);

  // Removes the node and everything below it (records are the caller's). The root stays;
  // Remove(Root()) empties the tree.
  void Remove(MacroNode* node);
  void Clear() { Remove(&m_root); }
  void SetText(MacroNode* node, const std::u16string& text);
  void ToggleExpand(MacroNode* node);

  MacroNode* Selected() const { return m_selected; }
  void Select(MacroNode* node);

  // The child of `parent` named `name`, letter case ignored as the file system ignores it
  // (plat::SameFileName); folders and macros share one name space.
  MacroNode* FindChild(const MacroNode* parent, const std::u16string& name) const;
  static int Ancestors(const MacroNode* node);  // not counting the root
  bool Contains(const MacroNode* node) const;
  size_t Count() const { return m_count; }

  // Visits every child of `parent` (with `recursive`, a folder's contents before the folder);
  // the visitor may remove the node it is given. A true result stops the walk, and the walk
  // then returns true.
  using Visitor = std::function<bool(MacroNode* node)>;
  bool Walk(MacroNode* parent, const Visitor& visit, bool recursive);

 private:
  MacroNode* Append(MacroNode* parent, std::unique_ptr<MacroNode> node, bool select, size_t position);
  bool IsBelow(const MacroNode* node, const MacroNode* ancestor) const;
  size_t CountBelow(const MacroNode* node) const;

  MacroNode m_root;
  MacroNode* m_selected = nullptr;
  MacroTreeObserver* m_observer = nullptr;
  size_t m_count = 0;
};
