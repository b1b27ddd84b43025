// Recording a macro: key events in, event-list items out, with the delays between them, the
// auto-repeat of a held key dropped and the limits of one recording kept.
#pragma once

#include <cstdint>

#include "macro/macro_event_list.h"

// The code a key message stands for: Ctrl and Alt with the extended-key flag (lParam bit 24)
// become 163 and 165, Shift whose scan code has bit 4 set (lParam bit 20) becomes 161.
uint32_t CapturedKeyCode(uint32_t vk, uint32_t lParam);

class MacroRecorder {
 public:
  void Start();
  void Stop() { m_recording = false; }
  bool IsRecording() const { return m_recording; }

  // Takes one key event at `tick` (milliseconds); true when items were appended to `events`.
  // Ignored: anything while not recording, a code of 0 or above 255, a repeat of the last event
  // taken (auto-repeat), the 91st key event of a recording and any event once the list measures
  // more than 48 units. With `withDelays` and a non-empty list the time since the last event
  // taken (at most 20470 ms) goes in first as a delay.
  bool TakeKey(uint32_t code, bool release, uint32_t tick, bool withDelays, MacroEventList& events);

  int Count() const { return m_count; }

 private:
  bool m_recording = false;
  int m_count = 0;
  bool m_hasLast = false;
  uint32_t m_lastCode = 0;
  bool m_lastRelease = false;
  uint32_t m_lastTick = 0;
};
