// The keyboard layout from cfg.ini: the default key table (one KEYINFO per key slot, in the
// order of the [KEY] entries), the key count, and the one key drawn as a polygon. Filled once by
// LoadConfig and only read afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "records/profile_record.h"

struct POINT32 {
  int32_t x;
  int32_t y;
};

constexpr int kMaxPolygonPoints = 20;

// The non-rectangular key (an L-shaped Enter, say). nMatrix 0 means there is none.
struct UNRECTKEY {
  int32_t nMatrix;
  int32_t nPoints;
  POINT32 pt[kMaxPolygonPoints];
};

extern KEYINFO DefaultKeyTable[kKeySlots];
extern int g_KeyCount;
extern UNRECTKEY g_UnRectKey;

// The default entry of a slot, or nullptr outside 0 .. g_KeyCount - 1.
const KEYINFO* DefaultKeyEntry(int slot);

// Empties the key table, the key count and the polygon key.
void ClearLayout();

// One "K%d" value turned into a default key entry.
struct KeyEntryParse {
  bool parseError = false;  // a field was not one clean number; fields after it are zero
  bool accepted = false;    // false when the matrix index (low byte of field 8) is 144 or more
};
KeyEntryParse ParseKeyEntry(const std::u16string& value, KEYINFO& out);

// Reads [KEY] K1, K2, ... of the ini file into DefaultKeyTable and g_KeyCount, showing
// "Data parse error!" and "Wrong matrix index value!" as it goes.
void LoadKeyLayout(const std::u16string& iniPath);

// Builds g_UnRectKey from the numbers of UnRectKey: the matrix index, then x,y pairs up to the
// first x of 0. Logs each vertex and complains when the outline does not end where it starts.
void SetUnRectKey(const int32_t* numbers, int count);

// The slot drawn and hit-tested as the polygon key: the last layout key with the polygon's matrix
// index, or -1 when there is no usable polygon (matrix index 0 or fewer than three vertices).
int PolygonKeySlot();

// Even-odd point-in-polygon test over the vertices (the edge from the last vertex back to the
// first closes it). Axis-aligned outlines include their top and left edges, not the others,
// like rectangles do.
bool PointInPolygon(const POINT32* pts, int count, int x, int y);

// The first of keys[0 .. count-1] that contains (x, y), or -1. `shapedSlot` (or -1) is tested
// against the polygon instead of its rectangle; rectangles are half-open: left <= x < right,
// top <= y < bottom.
int HitTestKeys(const KEYINFO* keys, int count, int shapedSlot, const POINT32* pts, int nPts, int x,
                int y);
// The same over bare rectangles (the keyboard view's copy of the layout).
int HitTestRects(const RECT32* rects, int count, int shapedSlot, const POINT32* pts, int nPts, int x,
                 int y);
// The same over the loaded layout.
int HitTestLayout(int x, int y);
