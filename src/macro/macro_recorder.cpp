#include "macro/macro_recorder.h"

namespace {
constexpr uint32_t kVkShift = 16, kVkControl = 17, kVkMenu = 18;
constexpr uint32_t kVkRShift = 161, kVkRControl = 163, kVkRMenu = 165;
constexpr uint32_t kExtendedKey = 1u << 24;
constexpr uint32_t kRightShiftScan = 1u << 20;
}  // namespace

uint32_t CapturedKeyCode(uint32_t vk, uint32_t lParam) {
  if ((vk == kVkControl || vk == kVkMenu) && (lParam & kExtendedKey))
    return vk == kVkControl ? kVkRControl : kVkRMenu;
  if (vk == kVkShift && (lParam & kRightShiftScan)) return kVkRShift;
  return vk;
}

void MacroRecorder::Start() {
  m_recording = true;
  m_count = 0;
  // A new recording starts on an empty list: a key held over from the last one is a new event.
  m_hasLast = false;
}

bool MacroRecorder::TakeKey(uint32_t code, bool release, uint32_t tick, bool withDelays,
                            MacroEventList& events) {
  // A zero code would end the stored list there and lose every event after it.
  if (!m_recording || code == 0 || code > 255) return false;
  if (m_hasLast && code == m_lastCode && release == m_lastRelease) return false;
  if (m_count >= kMacroMaxEvents) return false;
  ++m_count;
  if (MeasureEventUnits(events) > kMacroRecordedListUnits) return false;
  if (withDelays && !events.empty()) {
    uint32_t delay = tick - m_lastTick;
    if (delay > 0) events.push_back({kEventDelay, delay > kMacroMaxDelayMs ? kMacroMaxDelayMs : delay});
  }
  events.push_back({release ? kEventRelease : kEventPress, code});
  m_hasLast = true;
  m_lastCode = code;
  m_lastRelease = release;
  m_lastTick = tick;
  return true;
}
