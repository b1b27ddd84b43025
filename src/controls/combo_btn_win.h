// The drop-down combo button: a skinned button whose click opens the skinned pop-up menu with
// the items of its active list. A pick shows the item's caption on the button, keeps its value
// and tells the parent (WM_COMMAND, BN_CLICKED, the control identifier), which reads the value.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/combo_model.h"
#include "controls/png_btn_win.h"

class CComboBtn : public CPngBtn {
 public:
  // Lists, the active list, the menu width and the selection; after changing the selection
  // through the model call ShowSelection.
  controls::ComboModel& Combo() { return m_combo; }
  const controls::ComboModel& Combo() const { return m_combo; }

  bool AddItem(int list, uint32_t value, const std::u16string& caption) { return m_combo.AddItem(list, value, caption); }
  bool SetActiveList(int list) { return m_combo.SetActiveList(list); }
  void SelectByIndex(int index);
  bool SelectByValue(uint32_t value);
  int32_t SelectedValue() const { return m_combo.SelectedValue(); }
  void ShowSelection();

  // What a click does: opens the menu of the active list below the button (above it near the
  // bottom of the screen). False when the list is empty or the menu library is not bound.
  bool OpenMenu();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnMenuPicked(WPARAM value, LPARAM menuNumber);

  controls::ComboModel m_combo;
};
