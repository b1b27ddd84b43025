// The small layout the main window's tests share: slot k at matrix position 10 + k, each key
// its own plain key ('A', 'B', 'C'), 30 pixels wide.
#pragma once

#include "config/layout.h"

inline void LoadThreeKeyLayout() {
  ClearLayout();
  for (int slot = 0; slot < 3; ++slot) {
    KEYINFO& k = DefaultKeyTable[slot];
    k.bType = 2;
    k.bVk = static_cast<uint8_t>(0x41 + slot);
    k.nMatrix = 10 + slot;
    k.rcKey = RECT32{slot * 30, 0, slot * 30 + 30, 28};
  }
  g_KeyCount = 3;
}
