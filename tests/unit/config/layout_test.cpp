#include "config/layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cfg_fixture.h"
#include "config/settings.h"
#include "platform/u16.h"

namespace {

struct EntryCase {
  std::u16string value;
  uint32_t codeWord;
  uint8_t vk;
  uint8_t modifier;
  int32_t matrix;
  RECT32 rect;
  bool parseError;
  bool accepted;
};

TEST(LayoutEntry, FieldsTypesModifiersAndMatrix) {
  const EntryCase cases[] = {
      {u"1,2,30,40,2,41,0,5", 0x020000A0, 0x41, 0, 5, {1, 2, 30, 40}, false, true},
      {u"1,2,30,40,2,0x41,0x05,5", 0x020000A0, 0x41, 0x05, 5, {1, 2, 30, 40}, false, true},
      // Modifier keys become their modifier bit, added to field 7.
      {u"0,0,1,1,2,A1,0,0", 0x020000A0, 0, 0x20, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,10,0,0", 0x020000A0, 0, 0x02, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,A0,0,0", 0x020000A0, 0, 0x02, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,11,0,0", 0x020000A0, 0, 0x01, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,A2,0,0", 0x020000A0, 0, 0x01, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,12,0,0", 0x020000A0, 0, 0x04, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,A4,0,0", 0x020000A0, 0, 0x04, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,5B,1,0", 0x020000A0, 0, 0x09, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,5C,0,0", 0x020000A0, 0, 0x80, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,A3,0,0", 0x020000A0, 0, 0x10, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,A5,0,0", 0x020000A0, 0, 0x40, 0, {0, 0, 1, 1}, false, true},
      {u"0,0,1,1,2,FA,0,9", 0x020000A0, 0xFA, 0, 9, {0, 0, 1, 1}, false, true},
      // Other types carry their code in the low 24 bits.
      {u"1,2,3,4,3,1234567,FF,9", 0x03234567, 0, 0, 9, {1, 2, 3, 4}, false, true},
      {u"1,2,3,4,8,A4,0,143", 0x080000A4, 0, 0, 143, {1, 2, 3, 4}, false, true},
      // Only the low byte of the matrix index counts.
      {u"1,2,3,4,2,41,0,399", 0x020000A0, 0x41, 0, 143, {1, 2, 3, 4}, false, true},
      {u"1,2,3,4,2,41,0,144", 0x020000A0, 0x41, 0, 144, {1, 2, 3, 4}, false, false},
      {u"1,2,3,4,2,41,0,200", 0x020000A0, 0x41, 0, 200, {1, 2, 3, 4}, false, false},
      {u"1,2,3,4,2,41,0,-1", 0x020000A0, 0x41, 0, 255, {1, 2, 3, 4}, false, false},
      // Missing fields are zero; a ninth field is not looked at.
      {u"1,2,3,4,2,41", 0x020000A0, 0x41, 0, 0, {1, 2, 3, 4}, false, true},
      {u"1,2,3,4,2,41,0,7,junk", 0x020000A0, 0x41, 0, 7, {1, 2, 3, 4}, false, true},
      // A bad field ends the entry; it is still stored with the rest zero.
      {u"1,2,3x,4,2,41,0,5", 0, 0, 0, 0, {1, 2, 0, 0}, true, true},
      {u"1,2,3,4,2,4G,0,5", 0x020000A0, 0, 0, 0, {1, 2, 3, 4}, true, true},
      {u"0x1,2,3,4,2,41,0,5", 0, 0, 0, 0, {0, 0, 0, 0}, true, true},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.value));
    KEYINFO k;
    std::memset(&k, 0xEE, sizeof k);
    KeyEntryParse r = ParseKeyEntry(c.value, k);
    EXPECT_EQ(KeyCodeWord(k), c.codeWord);
    EXPECT_EQ(k.bVk, c.vk);
    EXPECT_EQ(k.bModifier, c.modifier);
    if (c.accepted) EXPECT_EQ(k.nMatrix, c.matrix);
    EXPECT_EQ(std::vector<int32_t>({k.rcKey.left, k.rcKey.top, k.rcKey.right, k.rcKey.bottom}),
              std::vector<int32_t>({c.rect.left, c.rect.top, c.rect.right, c.rect.bottom}));
    EXPECT_EQ(r.parseError, c.parseError);
    EXPECT_EQ(r.accepted, c.accepted);
    EXPECT_EQ(k.dwMacroId, 0u);
    EXPECT_EQ(k.bVk2 | k.bZero1 | k.bParam1 | k.bParam2 | k.bVkParam | k.bZero2, 0);
  }
}

class LayoutFixture : public CfgFolderFixture {
 protected:
  void LoadKeys(const std::string& keySection) {
    WriteCfg("[OPT]\nappdir=x\n[KEY]\n" + keySection);
    boxes_.clear();
    Load();
  }
};

TEST_F(LayoutFixture, SlotsFollowAcceptedEntriesUpToTheFirstGap) {
  LoadKeys(
      "K1=0,0,10,10,2,41,0,1\n"
      "K2=10,0,20,10,2,42,0,200\n"
      "K3=20,0,30,10,2,43,0,3\n"
      "K4=30,0,40,10,2,44x,0,4\n"
      "K6=50,0,60,10,2,46,0,6\n");
  ASSERT_EQ(g_KeyCount, 3);
  EXPECT_EQ(DefaultKeyTable[0].bVk, 0x41);
  EXPECT_EQ(DefaultKeyTable[1].bVk, 0x43);  // K3 takes the refused K2's slot
  EXPECT_EQ(DefaultKeyTable[2].rcKey.left, 30);
  EXPECT_EQ(DefaultKeyTable[2].nMatrix, 0);  // fields after the bad one are zero
  EXPECT_EQ(DefaultKeyEntry(2), &DefaultKeyTable[2]);
  EXPECT_EQ(DefaultKeyEntry(3), nullptr);
  EXPECT_EQ(DefaultKeyEntry(-1), nullptr);
  const std::vector<Box> expected = {{u"Wrong matrix index value!", u"Warning"}, {u"Data parse error!", u"Error"}};
  EXPECT_EQ(boxes_, expected);

  // An empty K1 ends the list; the keys of the previous load must not linger, since new
  // profiles copy all 144 entries.
  LoadKeys("K1=\nK2=0,0,1,1,2,41,0,1\n");
  EXPECT_EQ(g_KeyCount, 0);
  EXPECT_EQ(KeyCodeWord(DefaultKeyTable[0]), 0u);
  EXPECT_EQ(DefaultKeyTable[2].rcKey.left, 0);
}

TEST_F(LayoutFixture, StopsAfter144AcceptedKeys) {
  std::string keys;
  for (int i = 1; i <= 150; ++i) keys += "K" + std::to_string(i) + "=0,0,1,1,2,41,0," + std::to_string(i % 144) + "\n";
  LoadKeys(keys);
  EXPECT_EQ(g_KeyCount, 144);
  EXPECT_EQ(DefaultKeyTable[143].nMatrix, 0);
  EXPECT_TRUE(boxes_.empty());
}

struct PolygonCase {
  const char* name;
  std::vector<int32_t> numbers;
  int32_t matrix;
  int points;
  bool notClosedBox;
};

TEST_F(LayoutFixture, PolygonKeyFromItsNumberList) {
  std::vector<int32_t> many = {87};
  for (int i = 0; i < 24; ++i) {
    many.push_back(i + 1);
    many.push_back(5);
  }
  const PolygonCase cases[] = {
      {"eight numbers are ignored", {87, 1, 1, 5, 1, 5, 5, 1}, 0, 0, false},
      {"closed", {87, 1, 1, 5, 1, 5, 5, 1, 1}, 87, 4, false},
      {"not closed", {87, 1, 1, 5, 1, 5, 5, 2, 2}, 87, 4, true},
      {"an x of 0 ends it", {87, 1, 1, 5, 1, 5, 5, 1, 1, 0, 9, 7, 7}, 87, 4, false},
      {"first x of 0", {87, 0, 1, 5, 1, 5, 5, 1, 1}, 87, 0, false},
      {"a half vertex is dropped", {87, 1, 1, 5, 1, 5, 5, 1, 1, 3}, 87, 4, false},
      {"twenty vertices at most", many, 87, 20, true},
  };
  for (const PolygonCase& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_.clear();
    log_.clear();
    SetUnRectKey(c.numbers.data(), static_cast<int>(c.numbers.size()));
    EXPECT_EQ(g_UnRectKey.nMatrix, c.matrix);
    ASSERT_EQ(g_UnRectKey.nPoints, c.points);
    for (int i = 0; i < c.points; ++i) {
      EXPECT_EQ(g_UnRectKey.pt[i].x, c.numbers[1 + 2 * i]);
      EXPECT_EQ(log_[i], u16::Format(u"EnterPt[%d]=(%d,%d)", i, c.numbers[1 + 2 * i], c.numbers[2 + 2 * i]));
    }
    EXPECT_EQ(boxes_.size(), c.notClosedBox ? 1u : 0u);
    if (c.notClosedBox) EXPECT_EQ(boxes_[0], Box(u"EnterPt[0]!=EnterPt[Last] ", u"Error"));
  }
}

// An L-shaped Enter: wide on top (x 100..130, y 0..10), narrow below (x 110..130, y 10..20).
const POINT32 kL[] = {{100, 0}, {130, 0}, {130, 20}, {110, 20}, {110, 10}, {100, 10}, {100, 0}};

TEST(LayoutHitTest, SlotOrderHalfOpenRectanglesAndThePolygon) {
  KEYINFO keys[4] = {};
  keys[0].rcKey = {0, 0, 20, 10};
  keys[1].rcKey = {10, 0, 30, 10};    // overlaps slot 0
  keys[2].rcKey = {100, 0, 130, 20};  // the L's bounding box; drawn as the polygon
  keys[3].rcKey = {100, 10, 110, 20}; // the notch beside the L's lower leg
  const int n = 7;
  struct Point {
    int x, y, expected;
  } points[] = {
      {15, 5, 0},   {25, 5, 1},   {0, 0, 0},    {19, 9, 0},   {20, 5, 1},   {30, 5, -1},
      {5, 10, -1},  {-1, 0, -1},  {100, 0, 2},  {129, 19, 2}, {115, 5, 2},  {105, 15, 3},
      {130, 5, -1}, {120, 20, -1},
  };
  for (const Point& p : points)
    EXPECT_EQ(HitTestKeys(keys, 4, 2, kL, n, p.x, p.y), p.expected) << p.x << "," << p.y;
  // Without a usable polygon the key is its rectangle, and no keys hit nothing.
  EXPECT_EQ(HitTestKeys(keys, 4, 2, kL, 2, 105, 15), 2);
  EXPECT_EQ(HitTestKeys(keys, 0, -1, nullptr, 0, 5, 5), -1);
}

TEST_F(LayoutFixture, PolygonKeyIsTheLastKeyWithItsMatrixIndex) {
  LoadKeys(
      "K1=0,0,10,10,2,41,0,87\n"
      "K2=100,0,130,20,2,0D,0,87\n"
      "K3=100,10,110,20,2,DC,0,81\n"
      "K4=0,0,10,10,2,41,0,0\n");
  SetUnRectKey(nullptr, 0);
  EXPECT_EQ(PolygonKeySlot(), -1);
  const int32_t l[] = {87, 100, 0, 130, 0, 130, 20, 110, 20, 110, 10, 100, 10, 100, 0};
  SetUnRectKey(l, 15);
  EXPECT_EQ(PolygonKeySlot(), 1);
  EXPECT_EQ(HitTestLayout(105, 15), 2);
  EXPECT_EQ(HitTestLayout(105, 5), 1);
  // Matrix index 0 never names a key, even though K4 sits at position 0.
  const int32_t zero[] = {0, 100, 0, 130, 0, 130, 20, 100, 0};
  SetUnRectKey(zero, 9);
  EXPECT_EQ(PolygonKeySlot(), -1);
}

// The shipped cfg.ini: loads without a message, every key is hit at its centre, and the
// backslash owns the notch of the L-shaped Enter.
TEST_F(LayoutFixture, ReferenceKeyboardLoadsCleanly) {
  std::string root = __FILE__;
  root.resize(root.rfind("tests/unit/config/"));
  boxes_.clear();
  ASSERT_TRUE(LoadConfig(u16::FromUtf8(root + "assets/")));
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(g_Settings.VID, 0x1209);
  EXPECT_EQ(g_Settings.PID, 0x0001);
  EXPECT_EQ(std::u16string(g_Settings.appdir), u"Velkor");
  ASSERT_EQ(g_KeyCount, 104);

  const int width = g_Settings.rcKB.right - g_Settings.rcKB.left;
  const int height = g_Settings.rcKB.bottom - g_Settings.rcKB.top;
  std::vector<int> slotOfMatrix(kKeySlots, -1);
  for (int slot = 0; slot < g_KeyCount; ++slot) {
    const KEYINFO& k = DefaultKeyTable[slot];
    ASSERT_EQ(slotOfMatrix[k.nMatrix], -1) << "matrix " << k.nMatrix << " repeats";
    slotOfMatrix[k.nMatrix] = slot;
    EXPECT_TRUE(k.rcKey.left >= 0 && k.rcKey.right <= width && k.rcKey.top >= 0 && k.rcKey.bottom <= height);
    EXPECT_EQ(HitTestLayout((k.rcKey.left + k.rcKey.right) / 2, (k.rcKey.top + k.rcKey.bottom) / 2), slot);
  }
  // Positions the firmware, the default colour groups and the Enter encoding rely on.
  const struct {
    int matrix;
    uint8_t vk, modifier;
  } fixed[] = {
      {20, 'W', 0},  {15, 'A', 0},  {21, 'S', 0},  {27, 'D', 0},     {87, 0x0D, 0}, {86, 0xDC, 0},
      {101, 0x25, 0}, {106, 0x26, 0}, {107, 0x28, 0}, {113, 0x27, 0}, {136, 0x0D, 0},
      {10, 0, 0x02},  // left Shift
      {89, 0, 0x10},  // right Ctrl
  };
  for (const auto& f : fixed) {
    ASSERT_NE(slotOfMatrix[f.matrix], -1) << f.matrix;
    const KEYINFO& k = DefaultKeyTable[slotOfMatrix[f.matrix]];
    EXPECT_EQ(KeyCodeWord(k), 0x020000A0u) << f.matrix;
    EXPECT_EQ(k.bVk, f.vk) << f.matrix;
    EXPECT_EQ(k.bModifier, f.modifier) << f.matrix;
  }
  // Kept free for ISO boards; a key at 81 would lose its function whenever an apply mirrors 86.
  EXPECT_EQ(slotOfMatrix[81], -1);
  EXPECT_EQ(slotOfMatrix[4], -1);

  const int enter = slotOfMatrix[87];
  EXPECT_EQ(PolygonKeySlot(), enter);
  const RECT32& box = DefaultKeyTable[enter].rcKey;
  EXPECT_EQ(HitTestLayout(box.left, box.bottom - 1), slotOfMatrix[86]);
  EXPECT_EQ(HitTestLayout(box.right - 1, box.bottom - 1), enter);
}

}  // namespace
