// The key function types and codes a KEYINFO may carry. The device encoder accepts exactly these;
// the picker and the key names list them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "profile/profile_record.h"

enum : uint8_t {
  kKeyTypeMouse = 1,     // mouse-button style functions, by code
  kKeyTypeKeyboard = 2,  // bModifier + bVk (+ bVk2); modifier 0 with bVk 0xFA is the Fn key
  kKeyTypeMedia = 3,     // consumer controls, by code
  kKeyTypeMedia2 = 4,    // encodes like type 3; the picker creates this one
  kKeyTypeMacro = 5,     // dwMacroId
  kKeyTypeSpecial = 8,   // special functions, by code
};

constexpr uint8_t kVkFn = 0xFA;
constexpr uint32_t kCodeKeyOff = 162;
constexpr uint32_t kCodeFireKey = 164;

// One accepted (type, code) pair with the text-table name shown for it (nullptr: none).
struct KeyFunctionCode {
  uint8_t type;
  uint32_t code;
  const char16_t* textName;
};

// Every coded function, grouped by type in table order. Types 2 and 5 take no code.
extern const KeyFunctionCode kKeyFunctionCodes[];
extern const size_t kKeyFunctionCodeCount;

// True for a (type, code) the keyboard understands: types 2 and 5 with any code, the listed codes
// of types 1, 3, 4 and 8.
bool IsKnownKeyFunction(uint8_t type, uint32_t code);
inline bool IsKnownKeyFunction(const KEYINFO& key) { return IsKnownKeyFunction(key.bType, KeyCode(key)); }

// A key entry whose first four bytes are zero does nothing (its matrix word stays 0).
inline bool KeyHasNoFunction(const KEYINFO& key) { return KeyCodeWord(key) == 0; }
inline bool IsFnKey(const KEYINFO& key) {
  return key.bType == kKeyTypeKeyboard && key.bModifier == 0 && key.bVk == kVkFn;
}
