// Shows a library tree (the macro library's MacroTreeModel) in a tree control's model and keeps
// the two in step: every change of the library reaches the control, and a click that changed the
// control's selection reaches the library. Library items look as the library wants them: a
// folder with its icon and value 0, a macro without image and with its identifier.
#pragma once

#include <unordered_map>

#include "controls/tree_model.h"
#include "macro/macro_tree.h"

class MacroTreeMirror : public MacroTreeObserver {
 public:
  // Copies what the library holds now, then follows it until destroyed.
  MacroTreeMirror(MacroTreeModel& library, TreeModel& view);
  ~MacroTreeMirror() override;
  MacroTreeMirror(const MacroTreeMirror&) = delete;
  MacroTreeMirror& operator=(const MacroTreeMirror&) = delete;

  // The library node an item of the control shows, or null (also for identifiers that name
  // no item any more).
  MacroNode* NodeOf(TreeItemId item) const;
  TreeItemId ItemOf(const MacroNode* node) const;
  // After a click: the library selects what the control selected.
  void SelectionFromView();

  void OnInserted(MacroNode* node) override;
  void OnRemoving(MacroNode* node) override;
  void OnChanged(MacroNode* node) override;
  void OnSelected(MacroNode* node) override;

 private:
  void Copy(MacroNode* parent);
  TreeItemId ItemAfter(const MacroNode* node) const;
  void Forget(MacroNode* node);

  MacroTreeModel& m_library;
  TreeModel& m_view;
  std::unordered_map<TreeItemId, MacroNode*> m_nodes;
  bool m_selecting = false;
};
