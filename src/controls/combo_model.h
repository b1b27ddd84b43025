// What a combo button holds and decides, without its window: 24 item lists of which one is
// shown, the selection, the items handed to the pop-up menu, where the menu goes and what a
// pick from it means. The window (combo_btn_win) only turns messages into these calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "macro/my_list.h"
#include "records/profile_record.h"
#include "vorlax/vorlax_api.h"

namespace controls {

constexpr int kComboListCount = 24;
constexpr int kComboMenuItems = 15;     // a longer list shows only its first 15 items
constexpr int kComboCaptionChars = 19;  // plus the terminator
constexpr int32_t kComboNoValue = -1;

struct ComboItem {
  uint32_t dwValue;
  char16_t szText[kComboCaptionChars + 1];
};

struct ScreenPoint {
  int32_t x;
  int32_t y;
};

class ComboModel {
 public:
  ComboModel() = default;
  ComboModel(const ComboModel&) = delete;
  ComboModel& operator=(const ComboModel&) = delete;

  // Appends an item to a list; a longer caption keeps its first 19 characters. False when the
  // list number is out of range or memory ran out.
  bool AddItem(int list, uint32_t value, const std::u16string& caption);
  // Empties a list; the button keeps showing what was selected.
  void ClearList(int list);
  size_t ItemCount(int list) const;
  // Chooses the list the menu shows; an out-of-range number changes nothing (false). The
  // selection is left as it is: owners select again in the new list.
  bool SetActiveList(int list);
  int ActiveList() const { return active_; }

  // A fixed menu width when 1 or more; otherwise the menu is the button's width minus 4.
  void SetMenuWidth(int32_t width) { menuWidth_ = width; }
  int32_t MenuWidth(int32_t buttonWidth) const;

  // A negative index clears the selection and the caption; an index past the end of the
  // active list changes nothing.
  void SelectByIndex(int index);
  // Selects the first of the first 15 items of the active list with this value.
  bool SelectByValue(uint32_t value);
  int SelectedIndex() const { return selectedIndex_; }
  int32_t SelectedValue() const { return selectedValue_; }
  const std::u16string& Caption() const { return caption_; }

  // The menu items for the active list (at most 15); returns how many were written.
  int BuildMenuItems(VorlaxItem (&items)[kComboMenuItems]) const;

  // A WM_MENU_PICKED arrived with these parameters: selects the picked item and returns
  // whether the owner is to be told. A value wider than 32 bits, a menu number that is not the
  // active list (the list changed while the menu was open) or a value not among the items
  // shown selects nothing.
  bool OnMenuPicked(uintptr_t value, intptr_t menuNumber);

 private:
  // Each list owns its items and frees them when they are removed.
  struct ItemList : CMyList<ComboItem> {
    ItemList() : CMyList<ComboItem>(&FreeItem) {}
    static void FreeItem(ComboItem* item) { delete item; }
  };
  const ComboItem* ShownItem(int index) const;

  ItemList lists_[kComboListCount];
  int active_ = 0;
  int32_t menuWidth_ = 0;
  int selectedIndex_ = -1;
  int32_t selectedValue_ = kComboNoValue;
  std::u16string caption_;
};

// Where a menu `menuHeight` pixels tall opens for `anchor` (screen coordinates): below it at its
// left edge, unless it would run past the bottom of a screen `screenHeight` tall; then above it.
ScreenPoint PlaceMenu(const RECT32& anchor, int32_t menuHeight, int32_t screenHeight);
// The same for a button's menu of `itemCount` items of 20 pixels, 2 pixels in from its left edge.
ScreenPoint PlaceComboMenu(const RECT32& button, int itemCount, int32_t screenHeight);

}  // namespace controls
