// The main window's decisions that need no window: which keys carry a mark, which colours the
// keyboard picture shows, where the window goes, how the profile list is topped up, which linked
// program's profile the game watch switches to and when it tries again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profile/key_function.h"
#include "profile/profile.h"
#include "profile/profile_store.h"
#include "records/profile_record.h"

// One mark per layout key (1 = has a function of its own), zero beyond the layout.
void ProfileKeyMarks(const PROFILEINFO& profile, uint32_t marks[kKeySlots]);
// In the per-key colour mode, the colours of the current game group at each layout key's matrix
// position; otherwise all zero.
void ProfileKeyColors(const PROFILEINFO& profile, uint32_t colors[kKeySlots]);

// A record from disk may carry any number: shown clamped, never used as an index.
int DisplayGameGroup(uint16_t group);
uint32_t DisplayLedMode(uint32_t mode);

// A message parameter used as a key slot (any process can post to us): the slot, or -1 when it
// is outside the layout.
int KeySlotFromParam(uintptr_t wParam, int keyCount);

// One axis of the window's place: centred on the screen, or 10 when the image is (nearly) as
// large as the screen or the result falls off it.
int CentredOrigin(int screenExtent, int imageExtent);

// The main window shows the first three profiles of the list, one on each profile button.
constexpr int kProfileButtons = 3;

// Makes the list hold three profiles to show: an empty or short list gets default profiles
// named "<baseName><n>" for the buttons still without one; a longer list is kept as it is (the
// first three are shown). Returns how many were added.
int TopUpProfiles(ProfileList& list, const std::u16string& baseName);
// The button (0..2) that shows the profile with this identifier, or -1.
int ProfileButtonOf(const ProfileList& list, uint32_t id);
// The profile shown on button 0..2, or nullptr.
PROFILEINFO* ProfileOnButton(const ProfileList& list, int button);

// Whether any profile of the list names a linked program (without one the game watch has no
// reason to take a process snapshot).
bool AnyLinkedProfile(const ProfileList& list);

struct RunningProcess {
  uint32_t pid;
  std::u16string exeName;
};

// Whether the game watch must list the processes again or may keep its last list. Asking only
// how long a listing would be is cheap (about 30 us under Wine); listing costs thirty times more
// (files read for every process and thread). A process that starts or ends changes that length
// (its entry, its name and one record per thread), so the list is read again when it changes.
// Two changes that leave the length exactly as it was would go unseen, so the list is read at
// least every `kMaxReuses + 1` ticks (30 s) as well: reading it every few ticks would cost more
// than the timer that wakes the program for the tick.
class ProcessListReuse {
 public:
  static constexpr int kMaxReuses = 22;
  // `answerBytes`: the length the system gives for a listing now; 0 when it gave none.
  bool MustRead(uint32_t answerBytes) const {
    return answerBytes == 0 || answerBytes != bytes_ || reuses_ >= kMaxReuses;
  }
  // A listing was read while the system gave `answerBytes` (0 forgets: the next tick reads).
  void Read(uint32_t answerBytes) {
    bytes_ = answerBytes;
    reuses_ = 0;
  }
  void Reused() { ++reuses_; }

 private:
  uint32_t bytes_ = 0;
  int reuses_ = 0;
};

struct LinkedChoice {
  PROFILEINFO* profile = nullptr;  // the first linked profile in list order whose program runs
  // Every running process that some linked profile names, by identifier, ascending: when it
  // changes, a profile whose apply failed is worth another try.
  std::vector<uint32_t> matchingPids;
};
LinkedChoice ChooseLinkedProfile(const ProfileList& list, const std::vector<RunningProcess>& processes);

// Remembers a failed switch so that the game watch does not block the window with the same
// failing apply every tick; it tries again once the matching processes change.
class GameWatchRetry {
 public:
  bool ShouldTry(const LinkedChoice& choice) const;
  void Failed(const LinkedChoice& choice);
  void Succeeded() { failedId_ = 0; }

 private:
  uint32_t failedId_ = 0;
  std::vector<uint32_t> failedPids_;
};
