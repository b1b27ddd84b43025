#include "device/encodings.h"

#include <cstring>

#include "log/log.h"
#include "config/layout.h"
#include "platform/platform.h"
#include "profile/key_function.h"

namespace {

struct VkPair {
  uint8_t vk;
  uint8_t hid;
};

// Searched from the top; the first match wins, which is why the later 0D (keypad Enter) never
// answers: Enter's matrix position decides that instead.
constexpr VkPair kVkToHid[] = {
    {0x1B, 0x29},
    {0x70, 0x3A}, {0x71, 0x3B}, {0x72, 0x3C}, {0x73, 0x3D}, {0x74, 0x3E}, {0x75, 0x3F},
    {0x76, 0x40}, {0x77, 0x41}, {0x78, 0x42}, {0x79, 0x43}, {0x7A, 0x44}, {0x7B, 0x45},
    {0x41, 0x04}, {0x42, 0x05}, {0x43, 0x06}, {0x44, 0x07}, {0x45, 0x08}, {0x46, 0x09},
    {0x47, 0x0A}, {0x48, 0x0B}, {0x49, 0x0C}, {0x4A, 0x0D}, {0x4B, 0x0E}, {0x4C, 0x0F},
    {0x4D, 0x10}, {0x4E, 0x11}, {0x4F, 0x12}, {0x50, 0x13}, {0x51, 0x14}, {0x52, 0x15},
    {0x53, 0x16}, {0x54, 0x17}, {0x55, 0x18}, {0x56, 0x19}, {0x57, 0x1A}, {0x58, 0x1B},
    {0x59, 0x1C}, {0x5A, 0x1D},
    {0x31, 0x1E}, {0x32, 0x1F}, {0x33, 0x20}, {0x34, 0x21}, {0x35, 0x22}, {0x36, 0x23},
    {0x37, 0x24}, {0x38, 0x25}, {0x39, 0x26}, {0x30, 0x27},
    {0x09, 0x2B}, {0x14, 0x39}, {0x0D, 0x28}, {0x08, 0x2A}, {0x20, 0x2C}, {0xDB, 0x2F},
    {0xDD, 0x30}, {0xDC, 0x31}, {0xBA, 0x33}, {0xDE, 0x34}, {0xBC, 0x36}, {0xBE, 0x37},
    {0xBF, 0x38}, {0xC0, 0x35}, {0xBB, 0x2E}, {0xBD, 0x2D}, {0x2C, 0x46}, {0x91, 0x47},
    {0x13, 0x48}, {0x2D, 0x49}, {0x24, 0x4A}, {0x21, 0x4B}, {0x2E, 0x4C}, {0x23, 0x4D},
    {0x22, 0x4E}, {0x26, 0x52}, {0x28, 0x51}, {0x25, 0x50}, {0x27, 0x4F},
    {0x61, 0x59}, {0x62, 0x5A}, {0x63, 0x5B}, {0x64, 0x5C}, {0x65, 0x5D}, {0x66, 0x5E},
    {0x67, 0x5F}, {0x68, 0x60}, {0x69, 0x61}, {0x60, 0x62},
    {0x6B, 0x57}, {0x6D, 0x56}, {0x6A, 0x55}, {0x6F, 0x54}, {0x90, 0x53}, {0x0D, 0x58},
    {0x6E, 0x63}, {0xA2, 0xE0}, {0xA0, 0xE1}, {0xA4, 0xE2}, {0x5B, 0xE3}, {0xA3, 0xE4},
    {0xA1, 0xE5}, {0xA5, 0xE6}, {0x5C, 0xE7}, {0x5D, 0x65},
};
static_assert(sizeof(kVkToHid) / sizeof(kVkToHid[0]) == 104, "key usage table");

constexpr uint8_t kVkReturn = 0x0D;
constexpr int kKeypadEnterPosition = 136;
constexpr uint8_t kHidKeypadEnter = 0x58;

// Enter is one virtual-key code for two physical keys; the matrix position tells them apart.
uint8_t KeyUsage(uint8_t vk, int32_t matrixPosition) {
  if (vk == kVkReturn && matrixPosition == kKeypadEnterPosition) return kHidKeypadEnter;
  return VkToHid(vk);
}

uint8_t FireKeyUsage(uint8_t vk) {
  if (vk >= kMouseCodeFirst && vk <= kMouseCodeLast) return vk;
  return VkToHid(vk);  // the modifier keys map to E0..E7 through the table itself
}

uint32_t MouseStyleWord(uint32_t code) {
  switch (code) {
    case 17: return 0x0000F010u;
    case 18: return 0x0000F210u;
    case 19: return 0x0000F110u;
    case 20: return 0x0000F410u;
    case 21: return 0x0000F310u;
    case 23: return 0x00000130u;
    default: return kInvalidKeyCode;
  }
}

uint32_t ConsumerWord(uint32_t code) {
  uint16_t usage;
  switch (code) {
    case 33: usage = 0x0183; break;
    case 34: usage = 0x00CD; break;
    case 35: usage = 0x00B7; break;
    case 36: usage = 0x00B6; break;
    case 37: usage = 0x00B5; break;
    case 38: usage = 0x00E9; break;
    case 39: usage = 0x00EA; break;
    case 40: usage = 0x00E2; break;
    case 48: usage = 0x018A; break;
    case 49: usage = 0x0192; break;
    case 50: usage = 0x0194; break;
    case 51: usage = 0x0221; break;
    case 52: usage = 0x0223; break;
    case 53: usage = 0x0224; break;
    case 54: usage = 0x0225; break;
    case 55: usage = 0x0226; break;
    case 56: usage = 0x0227; break;
    case 57: usage = 0x022A; break;
    default: return kInvalidKeyCode;
  }
  // The keyboard wants the usage big-endian in bytes 2 and 3.
  return 0x01u | (static_cast<uint32_t>(usage >> 8) << 16) | (static_cast<uint32_t>(usage & 0xFF) << 24);
}

uint32_t SpecialWord(const KEYINFO& entry, uint32_t code) {
  switch (code) {
    case 23: return 0x00000130u;
    case 162: return 0x00000150u;
    case 164:
      return (static_cast<uint32_t>(entry.bParam1) << 24) | (static_cast<uint32_t>(entry.bParam2) << 16) |
             (static_cast<uint32_t>(FireKeyUsage(entry.bVkParam)) << 8) | 0x20u;
    case 166: return 0x00008140u;
    case 167: return 0x00000250u;
    case 168: return 0x00002040u;
    case 169: return 0x00004040u;
    case 170: return 0x00000040u;
    case 171: return 0x00000650u;
    default: return kInvalidKeyCode;
  }
}

uint32_t MacroWord(uint32_t macroId) {
  const StMacro* macro = FindMacroById(macroId);
  if (!macro) {
    LogPrint(u"keyinfo_to_hardware_code can't find macro id 0x%x", macroId);
    return kInvalidKeyCode;
  }
  switch (macro->dwLoopMode) {
    case 0: return 0x00010002u;
    case 1: return 0x00020002u;
    case 2: return 0x00040002u;
    default: return 0x00000002u;
  }
}

// Left, right or generic modifier keys as the keyboard's macro engine names them.
uint8_t MacroModifierBit(uint32_t vk) {
  switch (vk) {
    case 0x10: case 0xA0: case 0xA1: return 0x02;
    case 0x11: case 0xA2: case 0xA3: return 0x01;
    case 0x12: case 0xA4: case 0xA5: return 0x04;
    case 0x5B: case 0x5C: return 0x08;
    default: return 0;
  }
}

}  // namespace

uint8_t VkToHid(uint32_t vk) {
  for (const VkPair& p : kVkToHid)
    if (p.vk == vk) return p.hid;
  return 0;
}

uint8_t ColorToIndex(uint32_t colour) {
  switch (colour) {
    case 0x000000: return 0;
    case 0xFF0000: return 1;
    case 0x00FF00: return 2;
    case 0xFFFF00: return 3;
    case 0x0000FF: return 4;
    case 0xFF00FF: return 5;
    case 0x00FFFF: return 6;
    case 0xFFFFFF: return 7;
    default:
      LogPrint(u"Get wrong color(%06x)", colour);
      return 0;
  }
}

uint32_t keyinfo_to_hardware_code(const KEYINFO* entry) {
  if (!entry) return kInvalidKeyCode;
  const uint32_t code = KeyCode(*entry);
  switch (entry->bType) {
    case 1:
      return MouseStyleWord(code);
    case 2: {
      if (entry->bModifier == 0 && entry->bVk == kVkFn) return kFnKeyWord;
      return (static_cast<uint32_t>(entry->bModifier) << 8) |
             (static_cast<uint32_t>(KeyUsage(entry->bVk, entry->nMatrix)) << 16) |
             (static_cast<uint32_t>(KeyUsage(entry->bVk2, entry->nMatrix)) << 24);
    }
    case 3:
    case 4:
      return ConsumerWord(code);
    case 5:
      return MacroWord(entry->dwMacroId);
    case 8:
      return SpecialWord(*entry, code);
    default:
      return kInvalidKeyCode;
  }
}

void KEYINFO_2_Matrix(const KEYINFO* keyTable, uint32_t* matrix) {
  if (!keyTable || !matrix) return;
  uint32_t result[kMatrixWords] = {};
  for (int slot = 0; slot < kKeySlots; ++slot) {
    if (KeyHasNoFunction(keyTable[slot])) continue;
    const uint32_t word = keyinfo_to_hardware_code(&keyTable[slot]);
    if (word == kInvalidKeyCode) {
      plat::ShowMessageBox(u"Invaild key code", u"Error", plat::kMbOk);
      continue;
    }
    // A profile entry's own position may be stale; the layout is the authority.
    const int32_t p = DefaultKeyTable[slot].nMatrix;
    if (p < 0 || p >= kMatrixWords) continue;
    if (matrix[p] != 0) LogPrint(u"Error: KEYINFO_2_Matrix Matrix[%d]=%08x", p, matrix[p]);
    result[p] = word;
  }
  std::memcpy(matrix, result, sizeof(result));
}

void LogMatrixChanges(const uint32_t* matrix) {
  if (g_Debug == 0 || !matrix) return;
  for (int slot = 0; slot < kKeySlots; ++slot) {
    const KEYINFO& def = DefaultKeyTable[slot];
    const int32_t p = def.nMatrix;
    if (p < 0 || p >= kMatrixWords) continue;
    const uint32_t word = KeyHasNoFunction(def) ? 0 : keyinfo_to_hardware_code(&def);
    if (matrix[p] != 0 && matrix[p] != word) LogPrint(u"Matrix[%02d] = 0x%08x", p, matrix[p]);
  }
}

int StMacro_To_HdMacro(const StMacro* macro, uint8_t* out48) {
  if (!macro || !out48) return 0;
  uint8_t work[kHdMacroBytes] = {};
  int o = 0;
  for (const MACROEVENT& ev : macro->Events) {
    if (ev.wVk == 0) break;
    if (o >= kHdMacroBytes - 3) break;
    const uint8_t modifier = MacroModifierBit(ev.wVk);
    const uint8_t usage = modifier ? modifier : VkToHid(ev.wVk);
    if (usage == 0) {
      LogPrint(u"StMacro_To_HdMacro: get wrong hid");
      continue;
    }
    const uint16_t d = static_cast<uint16_t>(ev.dwDelay / 10);
    work[o] = static_cast<uint8_t>((d & 0x7F) | (ev.wDown == 0 ? 0x80 : 0));
    work[o + 1] = static_cast<uint8_t>(((d >> 7) & 0x0F) | (modifier ? 0xF0 : 0));
    work[o + 2] = usage;
    o += 3;
  }
  std::memcpy(out48, work, sizeof(work));
  return o + 1;
}
