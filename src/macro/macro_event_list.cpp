#include "macro/macro_event_list.h"

#include <cstring>

#include "config/key_names.h"
#include "log/log.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {
constexpr uint32_t kShortDelayMs = 1270;  // longest delay that takes one unit
}

std::u16string MacroEventText(const MacroEventItem& item) {
  if (item.kind == kEventDelay) return u16::Format(u"%d ms", static_cast<int>(item.value));
  return KeyName(static_cast<uint8_t>(item.value));
}

uint32_t ClampHandDelay(uint32_t ms) {
  if (ms < kMacroMinDelayMs) return kMacroMinDelayMs;
  return ms > kMacroMaxDelayMs ? kMacroMaxDelayMs : ms;
}

int MeasureEventUnits(const MacroEventList& events) {
  int units = 4;
  for (const MacroEventItem& item : events) {
    if (item.kind != kEventDelay) units += 1;
    else units += item.value <= kShortDelayMs ? 1 : 4;
  }
  return units;
}

MacroEventList EventsOfMacro(const StMacro& record) {
  MacroEventList events;
  for (int i = 0; i < kMacroEditorShownEvents && i < kMacroEventEntries; ++i) {
    const MACROEVENT& ev = record.Events[i];
    if (ev.wVk == 0) break;
    events.push_back({ev.wDown ? kEventPress : kEventRelease, ev.wVk});
    if (record.bAutoDelay == 1 && i + 1 < kMacroEventEntries && record.Events[i + 1].wVk != 0)
      events.push_back({kEventDelay, ev.dwDelay});
  }
  return events;
}

void NormaliseEvents(MacroEventList& events) {
  size_t first = 0;
  while (first < events.size() && events[first].kind != kEventPress) ++first;
  events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(first));
  // After a removal the walk goes on with the item that followed the removed one, so three
  // delays in a row merge only the first two.
  for (size_t i = 0; i + 1 < events.size();) {
    MacroEventItem& a = events[i];
    const MacroEventItem& b = events[i + 1];
    if (a.kind != b.kind || (a.kind != kEventDelay && a.value != b.value)) {
      ++i;
      continue;
    }
    if (a.kind == kEventDelay) a.value += b.value;
    events.erase(events.begin() + static_cast<std::ptrdiff_t>(i + 1));
    ++i;
  }
}

void StoreEvents(const MacroEventList& events, StMacro& record) {
  std::memset(record.Events, 0, sizeof record.Events);
  int stored = 0;
  for (size_t i = 0; i < events.size() && stored < kMacroMaxEvents; ++i) {
    const MacroEventItem& item = events[i];
    if (item.kind == kEventDelay) continue;  // follows no event
    uint32_t delay = 0;
    if (i + 1 < events.size() && events[i + 1].kind == kEventDelay) delay = events[++i].value;
    const uint16_t vk = static_cast<uint16_t>(item.value & 0xFF);
    if (vk == 0) {
      LogPrint(u"Capture keycode=0");
      if (g_Debug) plat::ShowMessageBox(u"Capture keycode=0", u"Warning", plat::kMbOk | plat::kMbIconWarning);
      continue;
    }
    MACROEVENT& ev = record.Events[stored++];
    ev.wVk = vk;
    ev.wDown = item.kind == kEventPress ? 1 : 0;
    ev.dwDelay = delay;
  }
}
