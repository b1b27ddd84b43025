#include "controls/key_capture.h"

namespace ui {

uint8_t CapturedKeyCode(uint8_t vk, bool extended, uint8_t scanCode) {
  if (vk == kVkControl && extended) return kVkRightControl;
  if (vk == kVkMenu && extended) return kVkRightMenu;
  if (vk == kVkShift && (scanCode & 0x10)) return kVkRightShift;
  return vk;
}

uint8_t ModifierBit(uint8_t vk) {
  switch (vk) {
    case kVkControl:
    case kVkLeftControl: return 0x01;
    case kVkShift:
    case kVkLeftShift: return 0x02;
    case kVkMenu:
    case kVkLeftMenu: return 0x04;
    case kVkLeftWin: return 0x08;
    case kVkRightControl: return 0x10;
    case kVkRightShift: return 0x20;
    case kVkRightMenu: return 0x40;
    case kVkRightWin: return 0x80;
    default: return 0;
  }
}

void KeyCapture::Clear() {
  modifiers = 0;
  key1 = 0;
  key2 = 0;
}

bool KeyCapture::OnKey(uint8_t vk, bool up) {
  // A held key repeats its key-down; only a change counts.
  if (m_hasLast && m_lastVk == vk && m_lastUp == up) return false;
  m_hasLast = true;
  m_lastVk = vk;
  m_lastUp = up;
  if (up) return false;

  const uint8_t bit = ModifierBit(vk);
  if (singleKey) {
    Clear();
    if (ignoreModifiers && bit) return true;
  }
  if (bit) {
    modifiers |= bit;
  } else if (key1 == 0 || key1 == vk) {
    key1 = vk;
  } else if (key2 == 0) {
    key2 = vk;
  }
  return true;
}

}  // namespace ui
