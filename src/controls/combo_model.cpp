#include "controls/combo_model.h"

#include <algorithm>
#include <new>

namespace controls {

namespace {

bool ValidList(int list) { return list >= 0 && list < kComboListCount; }

}  // namespace

bool ComboModel::AddItem(int list, uint32_t value, const std::u16string& caption) {
  if (!ValidList(list)) return false;
  ComboItem* item = new (std::nothrow) ComboItem{value, {}};
  if (!item) return false;
  caption.copy(item->szText, kComboCaptionChars);
  if (!lists_[list].AddTail(item)) {
    delete item;
    return false;
  }
  return true;
}

void ComboModel::ClearList(int list) {
  if (ValidList(list)) lists_[list].RemoveAll();
}

size_t ComboModel::ItemCount(int list) const { return ValidList(list) ? lists_[list].GetCount() : 0; }

bool ComboModel::SetActiveList(int list) {
  if (!ValidList(list)) return false;
  active_ = list;
  return true;
}

int32_t ComboModel::MenuWidth(int32_t buttonWidth) const {
  return menuWidth_ >= 1 ? menuWidth_ : buttonWidth - 4;
}

const ComboItem* ComboModel::ShownItem(int index) const {
  auto pos = lists_[active_].GetHeadPosition();
  for (int i = 0; pos && i < index; ++i) pos = CMyList<ComboItem>::Next(pos);
  return CMyList<ComboItem>::GetAt(pos);
}

void ComboModel::SelectByIndex(int index) {
  if (index < 0) {
    caption_.clear();
    selectedIndex_ = -1;
    selectedValue_ = kComboNoValue;
    return;
  }
  const ComboItem* item = ShownItem(index);
  if (!item) return;
  caption_.assign(item->szText);
  selectedIndex_ = index;
  selectedValue_ = static_cast<int32_t>(item->dwValue);
}

bool ComboModel::SelectByValue(uint32_t value) {
  auto pos = lists_[active_].GetHeadPosition();
  for (int i = 0; pos && i < kComboMenuItems; ++i, pos = CMyList<ComboItem>::Next(pos)) {
    if (CMyList<ComboItem>::GetAt(pos)->dwValue == value) {
      SelectByIndex(i);
      return true;
    }
  }
  return false;
}

int ComboModel::BuildMenuItems(VorlaxItem (&items)[kComboMenuItems]) const {
  int count = 0;
  for (auto pos = lists_[active_].GetHeadPosition(); pos && count < kComboMenuItems;
       pos = CMyList<ComboItem>::Next(pos)) {
    const ComboItem* item = CMyList<ComboItem>::GetAt(pos);
    VorlaxItem& out = items[count++];
    out = VorlaxItem{kVorlaxItemNormal, item->dwValue, {}};
    std::copy(item->szText, item->szText + kComboCaptionChars, out.szText);
  }
  return count;
}

bool ComboModel::OnMenuPicked(uintptr_t value, intptr_t menuNumber) {
  if (static_cast<uint64_t>(value) > UINT32_MAX || menuNumber != active_) return false;
  return SelectByValue(static_cast<uint32_t>(value));
}

ScreenPoint PlaceMenu(const RECT32& anchor, int32_t menuHeight, int32_t screenHeight) {
  ScreenPoint at{anchor.left, anchor.bottom};
  if (anchor.bottom + menuHeight > screenHeight) at.y = anchor.top - menuHeight;
  return at;
}

ScreenPoint PlaceComboMenu(const RECT32& button, int itemCount, int32_t screenHeight) {
  ScreenPoint at = PlaceMenu(button, kVorlaxItemHeight * itemCount, screenHeight);
  at.x += 2;
  return at;
}

}  // namespace controls
