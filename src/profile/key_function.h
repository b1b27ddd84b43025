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

// A key carries a function of its own when its entry differs from the layout's default in the
// code word, the modifier byte or either key byte.
inline bool KeyHasFunction(const KEYINFO& entry, const KEYINFO& defaultEntry) {
  return KeyCodeWord(entry) != KeyCodeWord(defaultEntry) ||
         entry.bModifier != defaultEntry.bModifier || entry.bVk != defaultEntry.bVk ||
         entry.bVk2 != defaultEntry.bVk2;
}

// A picked plain key equal to the key's current plain key changes nothing. The second key byte
// counts too: dropping the second key of a combination is a change.
inline bool SamePlainKey(const KEYINFO& picked, const KEYINFO& current) {
  return picked.bType == kKeyTypeKeyboard && current.bType == kKeyTypeKeyboard &&
         picked.bModifier == current.bModifier && picked.bVk == current.bVk &&
         picked.bVk2 == current.bVk2;
}
