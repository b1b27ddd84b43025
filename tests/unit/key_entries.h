// Key entries for tests, built the way the key function picker and the layout fill them.
#pragma once

#include <cstdint>

#include "records/profile_record.h"

// An entry of `type` with a 24-bit function `code`.
inline KEYINFO Coded(uint8_t type, uint32_t code) {
  KEYINFO k{};
  SetKeyCodeWord(k, (static_cast<uint32_t>(type) << 24) | code);
  return k;
}

// A key or key combination (type 2).
inline KEYINFO Keys(uint8_t modifier, uint8_t vk, uint8_t vk2, int32_t matrix = 0) {
  KEYINFO k = Coded(2, 0);
  k.bModifier = modifier;
  k.bVk = vk;
  k.bVk2 = vk2;
  k.nMatrix = matrix;
  return k;
}

// The fire key (type 8, code 164) repeating `vk` with its two parameter bytes.
inline KEYINFO Fire(uint8_t p1, uint8_t p2, uint8_t vk) {
  KEYINFO k = Coded(8, 164);
  k.bParam1 = p1;
  k.bParam2 = p2;
  k.bVkParam = vk;
  return k;
}
