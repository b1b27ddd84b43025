// Identifiers come from the clock after a 20 ms wait. For tests: no wait, and a clock that moves
// on at every reading, so each identifier is new.
#pragma once

#include "platform/platform.h"

inline void UseMovingClock(int& ticks) {
  plat::TestHooks().sleep = [](uint32_t) {};
  plat::TestHooks().localTime = [&ticks] {
    plat::LocalTime t;
    t.hour = 3;
    t.second = static_cast<uint16_t>(++ticks / 256);
    t.milliseconds = static_cast<uint16_t>(ticks % 256);
    return t;
  };
}
