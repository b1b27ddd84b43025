#include "config/layout.h"

#include <cstring>

#include "log/log.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "platform/u16.h"

KEYINFO DefaultKeyTable[kKeySlots];
int g_KeyCount = 0;
UNRECTKEY g_UnRectKey;

namespace {

constexpr int kEntryFields = 8;
constexpr size_t kEntryUnits = 512;
constexpr uint32_t kKeyboardKeyWord = 0x020000A0;

// A modifier key as a layout default is sent as its modifier bit, not as a key.
uint8_t ModifierBit(uint8_t vk) {
  switch (vk) {
    case 0x11: case 0xA2: return 0x01;  // Ctrl, left Ctrl
    case 0x10: case 0xA0: return 0x02;  // Shift, left Shift
    case 0x12: case 0xA4: return 0x04;  // Alt, left Alt
    case 0x5B: return 0x08;             // left Windows
    case 0xA3: return 0x10;             // right Ctrl
    case 0xA1: return 0x20;             // right Shift
    case 0xA5: return 0x40;             // right Alt
    case 0x5C: return 0x80;             // right Windows
    default: return 0;
  }
}

}  // namespace

const KEYINFO* DefaultKeyEntry(int slot) {
  if (slot < 0 || slot >= g_KeyCount || slot >= kKeySlots) return nullptr;
  return &DefaultKeyTable[slot];
}

void ClearLayout() {
  std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
  g_KeyCount = 0;
  std::memset(&g_UnRectKey, 0, sizeof g_UnRectKey);
}

KeyEntryParse ParseKeyEntry(const std::u16string& value, KEYINFO& out) {
  KeyEntryParse result;
  std::memset(&out, 0, sizeof out);
  int32_t field[kEntryFields] = {};
  size_t i = 0, end = value.size();
  for (int f = 0; f < kEntryFields; ++f) {
    while (i < end && value[i] == u',') ++i;
    if (i >= end) break;
    size_t comma = value.find(u',', i);
    if (comma == std::u16string::npos) comma = end;
    int base = f >= 4 && f <= 6 ? 16 : 10;
    if (!ParseWholeNumber(value.substr(i, comma - i), base, field[f])) {
      field[f] = 0;
      result.parseError = true;
      break;
    }
    i = comma;
  }

  out.rcKey = RECT32{field[0], field[1], field[2], field[3]};
  uint8_t type = static_cast<uint8_t>(field[4]);
  if (type == 2) {
    SetKeyCodeWord(out, kKeyboardKeyWord);
    out.bVk = static_cast<uint8_t>(field[5]);
    out.bModifier = static_cast<uint8_t>(field[6]);
    if (uint8_t bit = ModifierBit(out.bVk)) {
      out.bVk = 0;
      out.bModifier |= bit;
    }
  } else {
    SetKeyCodeWord(out, (static_cast<uint32_t>(type) << 24) | (static_cast<uint32_t>(field[5]) & 0xFFFFFF));
  }
  uint8_t matrix = static_cast<uint8_t>(field[7]);
  out.nMatrix = matrix;
  result.accepted = matrix < kKeySlots;
  return result;
}

void LoadKeyLayout(const std::u16string& iniPath) {
  std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
  int slot = 0;
  for (int number = 1; slot < kKeySlots && number > 0; ++number) {
    std::u16string value =
        plat::IniGetString(u"KEY", u16::Format(u"K%d", number), u"", kEntryUnits, iniPath);
    if (value.empty()) break;
    KEYINFO entry;
    KeyEntryParse parsed = ParseKeyEntry(value, entry);
    if (parsed.parseError) plat::ShowMessageBox(u"Data parse error!", u"Error", plat::kMbOk);
    if (!parsed.accepted) {
      plat::ShowMessageBox(u"Wrong matrix index value!", u"Warning", plat::kMbOk);
      continue;
    }
    DefaultKeyTable[slot++] = entry;
  }
  g_KeyCount = slot;
}

void SetUnRectKey(const int32_t* numbers, int count) {
  std::memset(&g_UnRectKey, 0, sizeof g_UnRectKey);
  if (count < 9) return;
  g_UnRectKey.nMatrix = numbers[0];
  int n = 0;
  int i = 1;
  for (; i + 1 < count && numbers[i] != 0 && n < kMaxPolygonPoints; i += 2) {
    g_UnRectKey.pt[n] = POINT32{numbers[i], numbers[i + 1]};
    LogPrint(u"EnterPt[%d]=(%d,%d)", n, numbers[i], numbers[i + 1]);
    ++n;
  }
  g_UnRectKey.nPoints = n;
  if (n == kMaxPolygonPoints && i + 1 < count && numbers[i] != 0)
    LogPrint(u"UnRectKey: only the first %d points are used", kMaxPolygonPoints);
  // With no vertex at all there is no outline to close.
  if (n > 0 && (g_UnRectKey.pt[n - 1].x != g_UnRectKey.pt[0].x || g_UnRectKey.pt[n - 1].y != g_UnRectKey.pt[0].y))
    plat::ShowMessageBox(u"EnterPt[0]!=EnterPt[Last] ", u"Error", plat::kMbOk);
}

int PolygonKeySlot() {
  if (g_UnRectKey.nMatrix == 0 || g_UnRectKey.nPoints < 3) return -1;
  int found = -1;
  for (int slot = 0; slot < g_KeyCount && slot < kKeySlots; ++slot)
    if (DefaultKeyTable[slot].nMatrix == g_UnRectKey.nMatrix) found = slot;
  return found;
}

bool PointInPolygon(const POINT32* pts, int count, int x, int y) {
  bool inside = false;
  for (int i = 0, j = count - 1; i < count; j = i++) {
    int64_t yi = pts[i].y, yj = pts[j].y;
    if ((yi > y) == (yj > y)) continue;
    // Does the edge cross the horizontal ray to the right of (x, y)? Compare without dividing;
    // double keeps the products of extreme coordinates from overflowing.
    double dy = static_cast<double>(yj - yi);
    double lhs = static_cast<double>(x - int64_t(pts[i].x)) * dy;
    double rhs = static_cast<double>(int64_t(pts[j].x) - pts[i].x) * static_cast<double>(y - yi);
    if (dy > 0 ? lhs < rhs : lhs > rhs) inside = !inside;
  }
  return inside;
}

namespace {
// The hit test over any store of rectangles: `rectOf(slot)` gives a slot's rectangle.
template <typename RectOf>
int HitTestSlots(int count, RectOf rectOf, int shapedSlot, const POINT32* pts, int nPts, int x, int y) {
  if (count > kKeySlots) count = kKeySlots;
  for (int slot = 0; slot < count; ++slot) {
    if (slot == shapedSlot && nPts >= 3) {
      if (PointInPolygon(pts, nPts, x, y)) return slot;
      continue;
    }
    const RECT32& r = rectOf(slot);
    if (r.left <= x && x < r.right && r.top <= y && y < r.bottom) return slot;
  }
  return -1;
}
}  // namespace

int HitTestKeys(const KEYINFO* keys, int count, int shapedSlot, const POINT32* pts, int nPts, int x,
                int y) {
  return HitTestSlots(count, [keys](int slot) -> const RECT32& { return keys[slot].rcKey; }, shapedSlot,
                      pts, nPts, x, y);
}

int HitTestRects(const RECT32* rects, int count, int shapedSlot, const POINT32* pts, int nPts, int x,
                 int y) {
  return HitTestSlots(count, [rects](int slot) -> const RECT32& { return rects[slot]; }, shapedSlot, pts,
                      nPts, x, y);
}

int HitTestLayout(int x, int y) {
  return HitTestKeys(DefaultKeyTable, g_KeyCount, PolygonKeySlot(), g_UnRectKey.pt, g_UnRectKey.nPoints, x, y);
}
