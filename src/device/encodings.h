// Pure encoders from the profile record and the macro records to the keyboard's own tables:
// the 144-word key matrix, the 48-byte macro buffers and the 3-bit colour index.
#pragma once

#include <cstdint>

#include "macro/macro_record.h"
#include "records/profile_record.h"

constexpr int kMatrixWords = 144;
constexpr uint32_t kInvalidKeyCode = 0xFFFFFFFFu;
constexpr uint32_t kFnKeyWord = 0x00B00000u;
constexpr int kMacroBankBytes = kHdMacroSlots * kHdMacroBytes;  // 960: buffer n at (n-1)*48

// The matrix word for one key entry, or kInvalidKeyCode when its type or code is not one the
// keyboard knows (a macro key whose macro is gone included).
uint32_t keyinfo_to_hardware_code(const KEYINFO* entry);

// Builds the key matrix from the profile's 144 key entries. `matrix` comes in holding the
// reference words (they only feed the conflict log) and leaves holding the result; positions
// come from the default key table, not the profile. Each invalid key shows "Invaild key code".
void KEYINFO_2_Matrix(const KEYINFO* keyTable, uint32_t* matrix);

// Encodes the first 15 usable events of a macro into 48 bytes; returns the event bytes written
// plus 1, or 0 for a null argument.
int StMacro_To_HdMacro(const StMacro* macro, uint8_t* out48);

uint8_t ColorToIndex(uint32_t colour);  // 0x00BBGGRR -> red*4 + green*2 + blue
uint8_t VkToHid(uint32_t vk);           // HID keyboard usage, 0 when the code has none

// With Debug on: logs each matrix position whose word differs from the default layout's.
void LogMatrixChanges(const uint32_t* matrix);
