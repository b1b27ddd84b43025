// Capturing a key combination from key-down and key-up events: a modifier byte (the USB
// keyboard report's layout) and up to two keys. Used by the key-capture box.
#pragma once

#include <cstdint>

namespace ui {

// Virtual-key codes that matter to capturing.
enum : uint8_t {
  kVkShift = 16,
  kVkControl = 17,
  kVkMenu = 18,
  kVkLeftWin = 91,
  kVkRightWin = 92,
  kVkLeftShift = 160,
  kVkRightShift = 161,
  kVkLeftControl = 162,
  kVkRightControl = 163,
  kVkLeftMenu = 164,
  kVkRightMenu = 165,
};

// The code a key message stands for: Ctrl and Alt flagged as extended become their right-hand
// codes (163, 165); Shift becomes right Shift (161) when bit 4 of its scan code is set.
uint8_t CapturedKeyCode(uint8_t vk, bool extended, uint8_t scanCode);

// The modifier bit of a code (left Ctrl 0x01 ... right Windows 0x80), 0 for other keys. The
// side-specific left codes (160, 162, 164) count as their plain codes.
uint8_t ModifierBit(uint8_t vk);

class KeyCapture {
 public:
  // Each key-down clears what was captured, so the last key pressed is the capture.
  bool singleKey = false;
  // With singleKey: modifier keys are not captured at all.
  bool ignoreModifiers = false;

  uint8_t modifiers = 0;
  uint8_t key1 = 0;
  uint8_t key2 = 0;

  // One key event; true when the captured combination may have changed (show it again).
  bool OnKey(uint8_t vk, bool up);
  void Clear();
  bool Empty() const { return modifiers == 0 && key1 == 0 && key2 == 0; }

 private:
  bool m_hasLast = false;
  uint8_t m_lastVk = 0;
  bool m_lastUp = false;
};

}  // namespace ui
