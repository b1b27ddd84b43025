#include "profile/profile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "config/layout.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile_store.h"

namespace {

constexpr uint32_t kIdMask = 0xFFFFFF;
constexpr uint32_t kIdWaitMs = 20;
// How often a taken identifier is made again from the clock before stepping past it; a clock that
// stands still would otherwise keep giving the same value.
constexpr int kClockRetries = 3;

struct IdRegistry {
  std::set<uint32_t> issued;
  std::map<int, IdTakenCheck> checks;
  int nextHandle = 1;
};

IdRegistry& Registry() {
  static IdRegistry registry;
  return registry;
}

uint32_t IdNow() {
  plat::SleepMs(kIdWaitMs);
  plat::LocalTime t = plat::NowLocal();
  return ProfileIdFromTime(t.hour, t.minute, t.second, t.milliseconds);
}

constexpr uint8_t kSpareByte2[4] = {0x2D, 0x2E, 0x25, 0x27};
constexpr uint32_t kRed = 0xFF;

// Matrix positions lit red in each game group of a new profile.
const uint8_t kGroup0[] = {12, 15, 20, 21, 27, 101, 106, 107, 113};
const uint8_t kGroup1[] = {8,  10, 11, 13, 14, 15, 17, 18, 19, 20, 21, 24, 25,
                           26, 27, 30, 31, 32, 37, 39, 40, 41, 103, 104, 109, 110};
const uint8_t kGroup2[] = {10, 11, 13, 14, 15, 19, 20, 21, 25, 26, 27,
                           28, 31, 32, 33, 34, 37, 38, 39, 43, 49};
const uint8_t kGroup3[] = {13, 14, 15, 19, 20, 21, 25, 26, 27, 31, 32, 33, 37, 43, 49};
const uint8_t kGroup4[] = {10, 11, 15, 17, 20, 21, 27, 32, 101, 106, 107, 113};

struct GroupColours {
  const uint8_t* positions;
  size_t count;
};
const GroupColours kGroupColours[kGameGroups] = {
    {kGroup0, sizeof kGroup0}, {kGroup1, sizeof kGroup1}, {kGroup2, sizeof kGroup2},
    {kGroup3, sizeof kGroup3}, {kGroup4, sizeof kGroup4},
};

}  // namespace

uint32_t ProfileIdFromTime(uint16_t hour, uint16_t minute, uint16_t second, uint16_t milliseconds) {
  return ((static_cast<uint32_t>(hour & 15) << 20) | (static_cast<uint32_t>(minute) << 14) |
          (static_cast<uint32_t>(second) << 8) | (milliseconds & 0xFFu)) &
         kIdMask;
}

int AddIdTakenCheck(IdTakenCheck check) {
  IdRegistry& r = Registry();
  int handle = r.nextHandle++;
  r.checks[handle] = std::move(check);
  return handle;
}

void RemoveIdTakenCheck(int handle) { Registry().checks.erase(handle); }

void ForgetIssuedIds() { Registry().issued.clear(); }

bool IsIdTaken(uint32_t id) {
  if (id == 0 || ProfileListHasId(id)) return true;
  IdRegistry& r = Registry();
  if (r.issued.count(id)) return true;
  for (const auto& check : r.checks)
    if (check.second && check.second(id)) return true;
  return false;
}

uint32_t MakeProfileId() {
  uint32_t id = IdNow();
  for (int retries = 0; IsIdTaken(id);) {
    if (retries < kClockRetries) {
      ++retries;
      id = IdNow();
    } else {
      id = (id + 1) & kIdMask;
    }
  }
  Registry().issued.insert(id);
  return id;
}

uint32_t MakeProfileIdNow() {
  const plat::LocalTime t = plat::NowLocal();
  uint32_t id = ProfileIdFromTime(t.hour, t.minute, t.second, t.milliseconds);
  while (IsIdTaken(id)) id = (id + 1) & kIdMask;
  Registry().issued.insert(id);
  return id;
}

void NewProfile(const char16_t* name, PROFILEINFO* out) {
  if (!name || !out) return;
  std::memset(out, 0, sizeof *out);
  out->dwMagic = kProfileMagic;
  out->dwId = MakeProfileId();
  ResetProfile(out);
  u16::CopyTruncated(out->szName, sizeof out->szName / sizeof out->szName[0], name);
}

void ResetProfile(PROFILEINFO* record) {
  if (!record) return;
  std::memset(record->abReserved1, 0, sizeof record->abReserved1);
  std::memset(record->abReserved2, 0, sizeof record->abReserved2);
  record->nCurKeyTable = 0;
  std::memcpy(record->KeyInfo, DefaultKeyTable, sizeof record->KeyInfo);
  SetProfileDefaults(record);
}

void SetProfileDefaults(PROFILEINFO* record) {
  if (!record) return;
  uint8_t* bytes = reinterpret_cast<uint8_t*>(record);
  std::memset(bytes + offsetof(PROFILEINFO, nCurLedMode), 0,
              sizeof(PROFILEINFO) - offsetof(PROFILEINFO, nCurLedMode));

  for (LEDPARAM& p : record->LedParam) {
    p.nLight = 4;
    p.bRandomColor = 1;
  }
  for (int mode = 0; mode < kLedModes; ++mode)
    if (mode != 2 && mode != 3) record->LedParam[mode].nSpeed = 4;
  for (int mode : {0, 2}) {
    record->LedParam[mode].nColor = 0;
    record->LedParam[mode].bRandomColor = 0;
  }
  record->dwSpareWord[4] = 0x250;

  // The settings refuse a mode beyond the ten that exist; the defaults stand in should one
  // arrive anyway, since it would index past LedParam.
  const uint8_t* p = g_Settings.LEDParam[0] < kLedModes ? g_Settings.LEDParam : kDefaultLedParam;
  record->nCurLedMode = p[0];
  LEDPARAM& mode = record->LedParam[p[0]];
  mode.nSpeed = p[1];
  mode.nDirect = p[2];
  mode.nLight = p[3];
  mode.nColor = p[4];
  mode.bRandomColor = p[5];

  for (int i = 0; i < 4; ++i)
    record->dwSpareWord[i] = (0xB0u << 8) | (static_cast<uint32_t>(kSpareByte2[i]) << 16);

  record->nCurGameGroup = 0;
  for (uint8_t& edited : record->bGroupEdited) edited = 1;

  for (int group = 0; group < kGameGroups; ++group)
    for (size_t i = 0; i < kGroupColours[group].count; ++i)
      record->dwKeyColor[group][kGroupColours[group].positions[i]] = kRed;
}

KEYINFO* ProfileKeyEntry(PROFILEINFO* record, int slot) {
  if (!record || slot < 0 || slot >= kKeySlots) return nullptr;
  uint64_t index = static_cast<uint64_t>(record->nCurKeyTable) * kKeySlots + static_cast<uint64_t>(slot);
  if (index >= kKeySlots) return nullptr;
  return &record->KeyInfo[index];
}

const KEYINFO* ProfileKeyEntry(const PROFILEINFO* record, int slot) {
  return ProfileKeyEntry(const_cast<PROFILEINFO*>(record), slot);
}

namespace {
constexpr size_t kLinkedNameUnits = sizeof(PROFILEINFO::abReserved1) / sizeof(char16_t);
}

std::u16string LinkedProgramName(const PROFILEINFO& profile) {
  char16_t units[kLinkedNameUnits];
  std::memcpy(units, profile.abReserved1, sizeof units);
  return std::u16string(units, u16::BoundedLength(units, kLinkedNameUnits));
}

void SetLinkedProgramName(PROFILEINFO& profile, const std::u16string& name) {
  char16_t units[kLinkedNameUnits] = {};
  std::memcpy(units, name.data(), std::min(name.size(), kLinkedNameUnits - 1) * sizeof(char16_t));
  std::memcpy(profile.abReserved1, units, sizeof units);
}
