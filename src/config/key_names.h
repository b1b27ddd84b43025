// The texts that say what a key is or does: the name of one key code, short and long
// combination texts, and the description of a key function entry. None fails; every builder
// returns a new string.
#pragma once

#include <cstdint>
#include <string>

#include "records/profile_record.h"

// Name of a virtual-key code: a fixed English name, a text-table label for the mouse codes, or
// the character the keyboard layout gives the code (empty when it gives none).
std::u16string KeyName(uint8_t vk);

// "Ctrl + Shift + A": left and right modifiers are not told apart.
std::u16string ShortComboText(uint8_t modifiers, uint8_t vk1, uint8_t vk2);
// "L-Ctrl + R-Ctrl + A": one word per modifier bit.
std::u16string LongComboText(uint8_t modifiers, uint8_t vk1, uint8_t vk2);

// What a key entry does, as the key tool tips and the picker show it.
std::u16string KeyFunctionText(const KEYINFO& entry);

// Macro names live with the macro records, which build on this subsystem; the macro subsystem
// installs the lookup when it is linked. Without one every macro entry reads empty.
using MacroNameLookup = bool (*)(uint32_t macroId, std::u16string* name);
void SetMacroNameLookup(MacroNameLookup lookup);

// The character the system's current keyboard layout gives a virtual-key code with no shift
// state (as ToAscii reports it: letters in lower case), 0 for none. The Windows build asks the
// system; other builds answer from UsLayoutChar.
char16_t KeyCharFromSystem(uint8_t vk);
// The same answer from a fixed US layout.
char16_t UsLayoutChar(uint8_t vk);
