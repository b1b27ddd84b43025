// Making and resetting profile records, and the identifiers shared by profiles and macros.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "records/profile_record.h"

// A 24-bit identifier from the local time, read after a 20 ms wait:
// ((hour & 15) << 20) | (minute << 14) | (second << 8) | (milliseconds & 0xFF).
// The time alone repeats (every 16 hours, or when the clock stands still or is set back), so an
// identifier that is 0 (the mark of an empty slot), was already handed out by this process, or is
// held by a profile in the list or by anything a registered check knows (macros) is made again.
uint32_t MakeProfileId();
// The same without the wait, for many identifiers in a row (a folder of macros): the clock is
// read once and a taken value is stepped past until one is free.
uint32_t MakeProfileIdNow();

// The identifier from one reading of the clock, without waiting and without the checks.
uint32_t ProfileIdFromTime(uint16_t hour, uint16_t minute, uint16_t second, uint16_t milliseconds);

// Lets another subsystem say which identifiers it holds (the macro list, say) without this one
// knowing about it. Returns a handle for RemoveIdTakenCheck.
using IdTakenCheck = std::function<bool(uint32_t id)>;
int AddIdTakenCheck(IdTakenCheck check);
void RemoveIdTakenCheck(int handle);
bool IsIdTaken(uint32_t id);
// Forgets the identifiers handed out so far (tests start from a clean process state).
void ForgetIssuedIds();

// Zeroes the record, gives it the magic and a new identifier, resets it and names it (at most
// 19 characters). Null arguments do nothing.
void NewProfile(const char16_t* name, PROFILEINFO* out);
// The default key table and lighting again; magic, identifier and name stay.
void ResetProfile(PROFILEINFO* record);
// Lighting, game groups, per-key colours and spare words as a new profile has them.
void SetProfileDefaults(PROFILEINFO* record);

// The key entry of a slot in the record's key table, or nullptr when slot or table index would
// address outside KeyInfo (a record read from disk may carry any nCurKeyTable).
KEYINFO* ProfileKeyEntry(PROFILEINFO* record, int slot);
const KEYINFO* ProfileKeyEntry(const PROFILEINFO* record, int slot);

// The program whose running switches this profile in: UTF-16 in abReserved1, read only within
// the field (a record from a file or another program may fill it without a terminating zero).
std::u16string LinkedProgramName(const PROFILEINFO& profile);
// Sets it (cut to 259 characters, so the field always ends in a zero); an empty name unlinks.
void SetLinkedProgramName(PROFILEINFO& profile, const std::u16string& name);
