#include "app/main_model.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "config/layout.h"
#include "profile/profile.h"
#include "platform/u16.h"

namespace {
constexpr int kShownProfiles = kProfileButtons;
constexpr int kFallbackOrigin = 10;
}  // namespace

void ProfileKeyMarks(const PROFILEINFO& profile, uint32_t marks[kKeySlots]) {
  std::fill(marks, marks + kKeySlots, 0u);
  for (int slot = 0; slot < g_KeyCount && slot < kKeySlots; ++slot) {
    const KEYINFO* entry = ProfileKeyEntry(&profile, slot);
    if (entry && KeyHasFunction(*entry, DefaultKeyTable[slot])) marks[slot] = 1;
  }
}

void ProfileKeyColors(const PROFILEINFO& profile, uint32_t colors[kKeySlots]) {
  std::fill(colors, colors + kKeySlots, 0u);
  if (profile.nCurLedMode != 3) return;
  const int group = DisplayGameGroup(profile.nCurGameGroup);
  for (int slot = 0; slot < g_KeyCount && slot < kKeySlots; ++slot) {
    const int32_t matrix = DefaultKeyTable[slot].nMatrix;
    if (matrix >= 0 && matrix < kKeySlots) colors[slot] = profile.dwKeyColor[group][matrix];
  }
}

int DisplayGameGroup(uint16_t group) { return group < kGameGroups ? group : kGameGroups - 1; }

uint32_t DisplayLedMode(uint32_t mode) { return mode < kLedModes ? mode : kLedModes - 1; }

int KeySlotFromParam(uintptr_t wParam, int keyCount) {
  if (keyCount > kKeySlots) keyCount = kKeySlots;
  return wParam < static_cast<uintptr_t>(keyCount < 0 ? 0 : keyCount) ? static_cast<int>(wParam) : -1;
}

int CentredOrigin(int screenExtent, int imageExtent) {
  const int spare = screenExtent - imageExtent;
  if (spare < 2) return kFallbackOrigin;
  const int origin = spare / 2;
  return origin < screenExtent ? origin : kFallbackOrigin;
}

int TopUpProfiles(ProfileList& list, const std::u16string& baseName) {
  int added = 0;
  for (int button = static_cast<int>(list.size()); button < kShownProfiles; ++button) {
    auto record = std::make_unique<PROFILEINFO>();
    const std::u16string name = u16::Format(u"%s%d", baseName.c_str(), button + 1);
    NewProfile(name.c_str(), record.get());
    list.push_back(std::move(record));
    ++added;
  }
  return added;
}

PROFILEINFO* ProfileOnButton(const ProfileList& list, int button) {
  if (button < 0 || button >= kShownProfiles) return nullptr;
  int i = 0;
  for (const auto& record : list) {
    if (i++ == button) return record.get();
  }
  return nullptr;
}

int ProfileButtonOf(const ProfileList& list, uint32_t id) {
  for (int button = 0; button < kShownProfiles; ++button) {
    const PROFILEINFO* p = ProfileOnButton(list, button);
    if (p && id && p->dwId == id) return button;
  }
  return -1;
}

bool AnyLinkedProfile(const ProfileList& list) {
  for (const auto& record : list)
    if (record->abReserved1[0] || record->abReserved1[1]) return true;
  return false;
}

LinkedChoice ChooseLinkedProfile(const ProfileList& list, const std::vector<RunningProcess>& processes) {
  LinkedChoice choice;
  for (const auto& record : list) {
    const std::u16string name = LinkedProgramName(*record);
    if (name.empty()) continue;
    for (const RunningProcess& process : processes) {
      if (!u16::ContainsNoCase(process.exeName, name)) continue;
      if (!choice.profile) choice.profile = record.get();
      choice.matchingPids.push_back(process.pid);
    }
  }
  std::sort(choice.matchingPids.begin(), choice.matchingPids.end());
  choice.matchingPids.erase(std::unique(choice.matchingPids.begin(), choice.matchingPids.end()),
                            choice.matchingPids.end());
  return choice;
}

bool GameWatchRetry::ShouldTry(const LinkedChoice& choice) const {
  if (!choice.profile) return false;
  return failedId_ == 0 || choice.profile->dwId != failedId_ || choice.matchingPids != failedPids_;
}

void GameWatchRetry::Failed(const LinkedChoice& choice) {
  failedId_ = choice.profile ? choice.profile->dwId : 0;
  failedPids_ = choice.matchingPids;
}
