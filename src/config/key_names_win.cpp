#include <windows.h>

#include "config/key_names.h"

char16_t KeyCharFromSystem(uint8_t vk) {
  const UINT scan = MapVirtualKeyW(vk, 0);
  BYTE state[256] = {};
  WORD chars = 0;
  ToAscii(vk, scan, state, &chars, 0);
  return static_cast<char16_t>(chars & 0xFF);
}
