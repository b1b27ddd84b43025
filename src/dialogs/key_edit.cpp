#include "dialogs/key_edit.h"

#include <mutex>

#include "config/layout.h"
#include "config/settings.h"
#include "device/apply.h"
#include "macro/macro_library.h"
#include "profile/key_function.h"
#include "profile/profile.h"

namespace {

constexpr uint32_t kApplyMatrixRequest = 1;
constexpr uint32_t kApplyColourRequest = 4;
constexpr uint32_t kPerKeyColourMode = 3;

}  // namespace

void KeyEditHost::RequestApply(uint32_t flags) { ::RequestApply(flags); }

KeyEditResult EditKeyFromPicker(PROFILEINFO* profile, int keyIndex,
                                const std::u16string& appDataFolder, KeyEditHost& host) {
  if (!profile) return KeyEditResult::NoProfile;
  const KEYINFO* current = ProfileKeyEntry(profile, keyIndex);
  if (!current || !DefaultKeyEntry(keyIndex)) return KeyEditResult::NoSuchKey;

  KeyPickRequest request;
  request.keyIndex = keyIndex;
  request.colourRow = profile->nCurLedMode == kPerKeyColourMode;
  request.entry = *current;
  request.appDataFolder = appDataFolder;
  request.macroFolders = g_Settings.MacroDir != 0;
  const KeyPickOutcome outcome = host.RunPicker(request);
  if (outcome.modalResult != kPickOk) return KeyEditResult::Cancelled;

  if (outcome.resultKind == kPickResultColour) {
    host.SetKeyColour(keyIndex, outcome.colour);
    host.CommitLighting();
    if (g_Settings.ApplyNow) host.RequestApply(kApplyColourRequest);
    return KeyEditResult::ColourSet;
  }

  const int slot = host.SelectedKey();
  const KEYINFO* layoutDefault = DefaultKeyEntry(slot);
  KEYINFO* stored = ProfileKeyEntry(profile, slot);
  if (!layoutDefault || !stored) return KeyEditResult::NoSelectedKey;
  if (SamePlainKey(outcome.entry, *stored)) return KeyEditResult::Unchanged;
  KEYINFO entry = outcome.entry;
  entry.rcKey = layoutDefault->rcKey;
  entry.nMatrix = layoutDefault->nMatrix;
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    *stored = entry;
  }
  host.SetKeyMark(slot, KeyHasFunction(entry, *layoutDefault));
  host.RedrawKeys();
  if (g_Settings.ApplyNow) host.RequestApply(kApplyMatrixRequest);
  return KeyEditResult::FunctionStored;
}
