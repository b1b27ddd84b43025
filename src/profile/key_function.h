// What a KEYINFO's type byte means, and the two entries that look alike but are not: the empty
// key and the Fn key. Which codes each type accepts is the device encoder's business.
#pragma once

#include <cstdint>

#include "records/profile_record.h"

enum : uint8_t {
  kKeyTypeMouse = 1,     // mouse-button style functions, by code
  kKeyTypeKeyboard = 2,  // bModifier + bVk (+ bVk2); modifier 0 with bVk 0xFA is the Fn key
  kKeyTypeMedia = 3,     // consumer controls, by code
  kKeyTypeMedia2 = 4,    // encodes like type 3; the picker creates this one
  kKeyTypeMacro = 5,     // dwMacroId
  kKeyTypeSpecial = 8,   // special functions, by code
};

constexpr uint8_t kVkFn = 0xFA;

// A key entry whose first four bytes are zero does nothing (its matrix word stays 0).
inline bool KeyHasNoFunction(const KEYINFO& key) { return KeyCodeWord(key) == 0; }
inline bool IsFnKey(const KEYINFO& key) {
  return key.bType == kKeyTypeKeyboard && key.bModifier == 0 && key.bVk == kVkFn;
}
