// The keyboard view as the lighting panel uses it: per-key colours in layout order, read and
// written, and the clicked key forgotten.
#pragma once

#include <algorithm>
#include <cstdint>

#include "dialogs/kb_color_dlg_win.h"
#include "dialogs/led_panel.h"

class KeyboardViewLink : public LedKeyboardView {
 public:
  explicit KeyboardViewLink(CKBColorDlg& view) : m_view(view) {}

  void SetKeyColors(const uint32_t* colors, int count) override {
    uint32_t all[kKeySlots] = {};
    std::copy(colors, colors + std::clamp(count, 0, kKeySlots), all);
    m_view.SetAllKeyColors(all);
  }
  void GetKeyColors(uint32_t* colors, int count) const override {
    const uint32_t* shown = m_view.KeyColors();
    std::copy(shown, shown + std::clamp(count, 0, kKeySlots), colors);
  }
  // Taking the colours again forgets the clicked key and repaints.
  void ClearClickedKey() override {
    uint32_t all[kKeySlots];
    std::copy(m_view.KeyColors(), m_view.KeyColors() + kKeySlots, all);
    m_view.SetAllKeyColors(all);
  }

 private:
  CKBColorDlg& m_view;
};
