// The profile record: everything the user sets for the keyboard, byte for byte the slot format
// of pro.dct and of exported profiles. Layouts are fixed; every offset is checked below.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct RECT32 {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// What one key does.
struct KEYINFO {
  uint8_t dwCode[3];  // 24-bit little-endian function code; meaning depends on bType
  uint8_t bType;
  RECT32 rcKey;       // key rectangle on the keyboard picture
  int32_t nMatrix;    // position in the keyboard's 144-word key matrix
  uint32_t dwMacroId; // type 5: identifier of the assigned macro
  uint8_t bModifier;  // type 2: HID modifier bits
  uint8_t bVk;        // type 2: virtual-key code
  uint8_t bVk2;       // type 2: second virtual-key code, 0 for none
  uint8_t bZero1;
  uint8_t bParam1;    // type 8 code 164 (fire key): first parameter byte
  uint8_t bParam2;    // type 8 code 164: second parameter byte
  uint8_t bVkParam;   // type 8 code 164: the button or key it repeats
  uint8_t bZero2;
};

struct LEDPARAM {
  uint8_t nSpeed;
  uint8_t nDirect;
  uint8_t nLight;
  uint8_t bPad;
  uint32_t nColor;
  uint32_t bRandomColor;
};

constexpr int kKeySlots = 144;
constexpr int kLedModes = 10;
constexpr int kGameGroups = 5;
constexpr uint32_t kProfileMagic = 0xFCFB7794u;

struct PROFILEINFO {
  uint32_t dwMagic;
  uint32_t dwId;
  uint8_t abReserved1[520];
  char16_t szName[20];
  uint8_t abReserved2[40];
  uint32_t nCurKeyTable;
  KEYINFO KeyInfo[kKeySlots];
  uint32_t nCurLedMode;
  LEDPARAM LedParam[kLedModes];
  uint16_t nCurGameGroup;
  uint8_t bGroupEdited[kGameGroups];
  uint8_t bPad;
  uint32_t dwKeyColor[kGameGroups][kKeySlots];
  uint8_t abLedExtra[28];
  uint32_t dwSpareWord[5];
};

#pragma pack(pop)

static_assert(sizeof(RECT32) == 16, "RECT32");
static_assert(sizeof(KEYINFO) == 36, "KEYINFO size");
static_assert(offsetof(KEYINFO, bType) == 3 && offsetof(KEYINFO, rcKey) == 4 &&
                  offsetof(KEYINFO, nMatrix) == 20 && offsetof(KEYINFO, dwMacroId) == 24 &&
                  offsetof(KEYINFO, bModifier) == 28 && offsetof(KEYINFO, bVk) == 29 &&
                  offsetof(KEYINFO, bVk2) == 30 && offsetof(KEYINFO, bParam1) == 32 &&
                  offsetof(KEYINFO, bParam2) == 33 && offsetof(KEYINFO, bVkParam) == 34,
              "KEYINFO offsets");
static_assert(sizeof(LEDPARAM) == 12, "LEDPARAM size");
static_assert(offsetof(LEDPARAM, nColor) == 4 && offsetof(LEDPARAM, bRandomColor) == 8,
              "LEDPARAM offsets");
static_assert(sizeof(PROFILEINFO) == 8856, "PROFILEINFO size");
static_assert(offsetof(PROFILEINFO, dwId) == 4 && offsetof(PROFILEINFO, abReserved1) == 8 &&
                  offsetof(PROFILEINFO, szName) == 528 && offsetof(PROFILEINFO, abReserved2) == 568 &&
                  offsetof(PROFILEINFO, nCurKeyTable) == 608 && offsetof(PROFILEINFO, KeyInfo) == 612 &&
                  offsetof(PROFILEINFO, nCurLedMode) == 5796 && offsetof(PROFILEINFO, LedParam) == 5800 &&
                  offsetof(PROFILEINFO, nCurGameGroup) == 5920 &&
                  offsetof(PROFILEINFO, bGroupEdited) == 5922 &&
                  offsetof(PROFILEINFO, dwKeyColor) == 5928 && offsetof(PROFILEINFO, abLedExtra) == 8808 &&
                  offsetof(PROFILEINFO, dwSpareWord) == 8836,
              "PROFILEINFO offsets");

// The 24-bit function code and the first u32 (code plus type) of a key entry.
inline uint32_t KeyCode(const KEYINFO& k) {
  return static_cast<uint32_t>(k.dwCode[0]) | (static_cast<uint32_t>(k.dwCode[1]) << 8) |
         (static_cast<uint32_t>(k.dwCode[2]) << 16);
}
inline uint32_t KeyCodeWord(const KEYINFO& k) { return KeyCode(k) | (static_cast<uint32_t>(k.bType) << 24); }
inline void SetKeyCodeWord(KEYINFO& k, uint32_t word) {
  k.dwCode[0] = static_cast<uint8_t>(word);
  k.dwCode[1] = static_cast<uint8_t>(word >> 8);
  k.dwCode[2] = static_cast<uint8_t>(word >> 16);
  k.bType = static_cast<uint8_t>(word >> 24);
}
