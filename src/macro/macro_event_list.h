// The macro editor's event list as data: presses, releases and delays in playing order, and the
// rules that move it in and out of a record (what a stored macro shows, how big a recording
// may grow, how the list is tidied and stored).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/macro_record.h"

enum MacroEventKind : uint32_t {
  kEventRelease = 0,
  kEventPress = 1,
  kEventDelay = 2,
};

struct MacroEventItem {
  uint32_t kind = kEventPress;  // MacroEventKind: the item's sub-type in the list
  uint32_t value = 0;           // key or mouse code, or milliseconds for a delay

  bool operator==(const MacroEventItem& o) const { return kind == o.kind && value == o.value; }
};
using MacroEventList = std::vector<MacroEventItem>;

// The key name (or mouse label) of a press or release, "%d ms" for a delay.
std::u16string MacroEventText(const MacroEventItem& item);

// A delay typed by hand, cut into 10..20470 ms.
uint32_t ClampHandDelay(uint32_t ms);

// Size of a list in the keyboard's units: 4, plus 1 per press or release, plus 1 per delay of
// at most 1270 ms and 4 per longer one.
int MeasureEventUnits(const MacroEventList& events);

// What the editor shows for a stored macro: its first 16 events, each followed by its delay
// (also a zero one) when the macro uses delays and another event follows.
MacroEventList EventsOfMacro(const StMacro& record);

// Tidies the list in place before it is stored: drops everything before the first press,
// merges adjacent delays and drops a press or release that repeats the one before it.
void NormaliseEvents(MacroEventList& events);

// Stores the list into record.Events (at most 90 events, the rest zero): each press or release
// takes the delay that follows it; a delay that follows no event is stored nowhere. A zero code
// is logged ("Capture keycode=0", with Debug also a warning box) and left out, since it would
// end the stored list there.
void StoreEvents(const MacroEventList& events, StMacro& record);
