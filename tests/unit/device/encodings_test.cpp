#include "device/encodings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "platform/platform.h"
#include "unit/key_entries.h"

namespace {

class EncodingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().debugOutput = [this](const std::u16string& line) { log_.push_back(line); };
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title,
                                          uint32_t) {
      boxes_.push_back(title + u": " + text);
      return plat::kIdOk;
    };
    g_Debug = 1;
    MacroList.RemoveAll();
    ClearLayout();
  }
  void TearDown() override {
    g_Debug = 0;
    MacroList.RemoveAll();
    ClearLayout();
    plat::ResetTestHooks();
  }

  void AddMacro(uint32_t id, uint32_t loopMode) {
    StMacro m{};
    m.dwMagicNumber = kMacroMagic;
    m.dwMacroId = id;
    m.dwLoopMode = loopMode;
    AppendMacroCopy(m);
  }

  std::vector<std::u16string> log_, boxes_;
};

TEST_F(EncodingsTest, EveryTypeAndCodeGivesItsDeviceWord) {
  struct Case {
    KEYINFO key;
    uint32_t word;
  } cases[] = {
      {Coded(1, 17), 0x0000F010}, {Coded(1, 18), 0x0000F210}, {Coded(1, 19), 0x0000F110},
      {Coded(1, 20), 0x0000F410}, {Coded(1, 21), 0x0000F310}, {Coded(1, 23), 0x00000130},
      {Coded(1, 22), 0xFFFFFFFF}, {Coded(1, 24), 0xFFFFFFFF}, {Coded(1, 0), 0xFFFFFFFF},

      {Coded(3, 33), 0x83010001}, {Coded(3, 34), 0xCD000001}, {Coded(3, 35), 0xB7000001},
      {Coded(3, 36), 0xB6000001}, {Coded(3, 37), 0xB5000001}, {Coded(3, 38), 0xE9000001},
      {Coded(3, 39), 0xEA000001}, {Coded(3, 40), 0xE2000001}, {Coded(3, 48), 0x8A010001},
      {Coded(3, 49), 0x92010001}, {Coded(3, 50), 0x94010001}, {Coded(3, 51), 0x21020001},
      {Coded(3, 52), 0x23020001}, {Coded(3, 53), 0x24020001}, {Coded(3, 54), 0x25020001},
      {Coded(3, 55), 0x26020001}, {Coded(3, 56), 0x27020001}, {Coded(3, 57), 0x2A020001},
      {Coded(4, 33), 0x83010001}, {Coded(4, 40), 0xE2000001}, {Coded(4, 57), 0x2A020001},
      {Coded(3, 41), 0xFFFFFFFF}, {Coded(3, 47), 0xFFFFFFFF}, {Coded(4, 32), 0xFFFFFFFF},
      {Coded(4, 58), 0xFFFFFFFF},

      {Coded(8, 23), 0x00000130}, {Coded(8, 162), 0x00000150}, {Coded(8, 166), 0x00008140},
      {Coded(8, 167), 0x00000250}, {Coded(8, 168), 0x00002040}, {Coded(8, 169), 0x00004040},
      {Coded(8, 170), 0x00000040}, {Coded(8, 171), 0x00000650}, {Coded(8, 163), 0xFFFFFFFF},
      {Coded(8, 165), 0xFFFFFFFF}, {Coded(8, 17), 0xFFFFFFFF},
      {Fire(0x12, 0x34, 0xA3), 0x1234E420}, {Fire(0x12, 0x34, 0x5C), 0x1234E720},
      {Fire(0x01, 0x02, 0xF0), 0x0102F020}, {Fire(0x01, 0x02, 0xF6), 0x0102F620},
      {Fire(0x00, 0x05, 0x41), 0x00050420}, {Fire(0xFF, 0xFF, 0x07), 0xFFFF0020},

      {Keys(0x02, 0x41, 0x00), 0x00040200}, {Keys(0x11, 0x43, 0x44), 0x07061100},
      {Keys(0x00, 0xFA, 0x41), 0x00B00000}, {Keys(0x01, 0xFA, 0x00), 0x00000100},
      {Keys(0x00, 0x00, 0x00), 0x00000000},
      // Enter: main block at 87, keypad at 136; anywhere else the main Enter.
      {Keys(0x00, 0x0D, 0x00, 87), 0x00280000}, {Keys(0x00, 0x0D, 0x00, 136), 0x00580000},
      {Keys(0x00, 0x0D, 0x00, 40), 0x00280000}, {Keys(0x04, 0x41, 0x0D, 136), 0x58040400},
      {Keys(0x00, 0x0D, 0x0D, 87), 0x28280000},

      {Coded(0, 17), 0xFFFFFFFF}, {Coded(6, 33), 0xFFFFFFFF}, {Coded(7, 0), 0xFFFFFFFF},
      {Coded(9, 23), 0xFFFFFFFF}, {Coded(0xFF, 0xFFFFFF), 0xFFFFFFFF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(keyinfo_to_hardware_code(&c.key), c.word)
        << "type " << int(c.key.bType) << " code " << KeyCode(c.key) << " vk " << int(c.key.bVk);
  EXPECT_EQ(keyinfo_to_hardware_code(nullptr), kInvalidKeyCode);
}

TEST_F(EncodingsTest, MacroKeysCarryTheMacrosRepeatMode) {
  AddMacro(0x10, 0);
  AddMacro(0x11, 1);
  AddMacro(0x12, 2);
  AddMacro(0x13, 7);
  const uint32_t expected[] = {0x00010002, 0x00020002, 0x00040002, 0x00000002};
  for (uint32_t i = 0; i < 4; ++i) {
    KEYINFO k = Coded(5, 0);
    k.dwMacroId = 0x10 + i;
    EXPECT_EQ(keyinfo_to_hardware_code(&k), expected[i]) << i;
  }
  KEYINFO gone = Coded(5, 0);
  gone.dwMacroId = 0xABCDEF;
  EXPECT_EQ(keyinfo_to_hardware_code(&gone), kInvalidKeyCode);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0], u"keyinfo_to_hardware_code can't find macro id 0xabcdef");
}

TEST_F(EncodingsTest, KeyUsagesFollowTheTableFirstMatchFirst) {
  struct Case {
    uint32_t vk;
    uint8_t hid;
  } cases[] = {
      {0x1B, 0x29}, {0x70, 0x3A}, {0x7B, 0x45}, {0x41, 0x04}, {0x5A, 0x1D}, {0x31, 0x1E},
      {0x39, 0x26}, {0x30, 0x27}, {0x0D, 0x28}, {0xDC, 0x31}, {0xC0, 0x35}, {0x2C, 0x46},
      {0x27, 0x4F}, {0x61, 0x59}, {0x69, 0x61}, {0x60, 0x62}, {0x6F, 0x54}, {0x90, 0x53},
      {0x6E, 0x63}, {0xA2, 0xE0}, {0xA5, 0xE6}, {0x5C, 0xE7}, {0x5D, 0x65},
      {0x00, 0x00}, {0x10, 0x00}, {0xF0, 0x00}, {0xFA, 0x00}, {0x141, 0x00},
  };
  for (const Case& c : cases) EXPECT_EQ(VkToHid(c.vk), c.hid) << std::hex << c.vk;
}

// Every byte the keyboard can receive for a key: the whole usage table, and 0 for every code
// outside it.
TEST_F(EncodingsTest, KeyUsageTableIsCompleteAndNothingElseMaps) {
  std::map<uint32_t, uint8_t> want;
  auto add = [&want](uint32_t vk, uint8_t hid) { want.emplace(vk, hid); };  // first match wins
  add(0x1B, 0x29);
  for (uint8_t i = 0; i < 12; ++i) add(0x70 + i, 0x3A + i);
  for (uint8_t i = 0; i < 26; ++i) add(0x41 + i, 0x04 + i);
  for (uint8_t i = 0; i < 9; ++i) add(0x31 + i, 0x1E + i);
  add(0x30, 0x27);
  const uint8_t singles[][2] = {
      {0x09, 0x2B}, {0x14, 0x39}, {0x0D, 0x28}, {0x08, 0x2A}, {0x20, 0x2C}, {0xDB, 0x2F},
      {0xDD, 0x30}, {0xDC, 0x31}, {0xBA, 0x33}, {0xDE, 0x34}, {0xBC, 0x36}, {0xBE, 0x37},
      {0xBF, 0x38}, {0xC0, 0x35}, {0xBB, 0x2E}, {0xBD, 0x2D}, {0x2C, 0x46}, {0x91, 0x47},
      {0x13, 0x48}, {0x2D, 0x49}, {0x24, 0x4A}, {0x21, 0x4B}, {0x2E, 0x4C}, {0x23, 0x4D},
      {0x22, 0x4E}, {0x26, 0x52}, {0x28, 0x51}, {0x25, 0x50}, {0x27, 0x4F}};
  for (const auto& s : singles) add(s[0], s[1]);
  for (uint8_t i = 0; i < 9; ++i) add(0x61 + i, 0x59 + i);
  add(0x60, 0x62);
  const uint8_t rest[][2] = {
      {0x6B, 0x57}, {0x6D, 0x56}, {0x6A, 0x55}, {0x6F, 0x54}, {0x90, 0x53}, {0x0D, 0x58},
      {0x6E, 0x63}, {0xA2, 0xE0}, {0xA0, 0xE1}, {0xA4, 0xE2}, {0x5B, 0xE3}, {0xA3, 0xE4},
      {0xA1, 0xE5}, {0xA5, 0xE6}, {0x5C, 0xE7}, {0x5D, 0x65}};
  for (const auto& s : rest) add(s[0], s[1]);

  for (uint32_t vk = 0; vk < 256; ++vk) {
    const auto it = want.find(vk);
    EXPECT_EQ(VkToHid(vk), it == want.end() ? 0 : it->second) << std::hex << vk;
  }
}

TEST_F(EncodingsTest, ColoursMapToTheEightHardwareIndexes) {
  const uint32_t colours[] = {0x000000, 0xFF0000, 0x00FF00, 0xFFFF00,
                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (uint8_t i = 0; i < 8; ++i) EXPECT_EQ(ColorToIndex(colours[i]), i);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(ColorToIndex(0x80FF00), 0);
  EXPECT_EQ(ColorToIndex(0xFF000000), 0);
  EXPECT_EQ(log_, (std::vector<std::u16string>{u"Get wrong color(80ff00)", u"Get wrong color(ff000000)"}));
}

TEST_F(EncodingsTest, MatrixTakesPositionsFromTheLayoutAndLogsConflicts) {
  // Layout: slot 0 at 5, slot 1 at 9, slot 2 at 5 again, slot 3 at 200 (outside), slot 4 at 12.
  const int32_t positions[] = {5, 9, 5, 200, 12};
  for (int i = 0; i < 5; ++i) DefaultKeyTable[i].nMatrix = positions[i];
  for (int i = 5; i < kKeySlots; ++i) DefaultKeyTable[i].nMatrix = 140;

  KEYINFO table[kKeySlots] = {};
  table[0] = Keys(0x02, 0x41, 0, /*stale position*/ 77);
  table[1] = Coded(1, 22);            // invalid: box, position 9 stays 0
  table[2] = Coded(3, 34);            // same position as slot 0: wins
  table[3] = Coded(8, 162);           // no usable position
  table[4] = Coded(1, 17);

  uint32_t matrix[kMatrixWords];
  for (uint32_t& w : matrix) w = 0;
  matrix[5] = 0x00000777;   // a reference word at a position that is written
  matrix[60] = 0x00290000;  // a reference word nothing reaches
  KEYINFO_2_Matrix(table, matrix);

  for (int p = 0; p < kMatrixWords; ++p) {
    uint32_t want = p == 5 ? 0xCD000001u : p == 12 ? 0x0000F010u : 0u;
    EXPECT_EQ(matrix[p], want) << p;
  }
  EXPECT_EQ(boxes_, (std::vector<std::u16string>{u"Error: Invaild key code"}));
  // Both writes to position 5 meet the reference word there.
  EXPECT_EQ(log_, (std::vector<std::u16string>{u"Error: KEYINFO_2_Matrix Matrix[5]=00000777",
                                               u"Error: KEYINFO_2_Matrix Matrix[5]=00000777"}));

  // A macro key whose macro is gone is an invalid key too.
  KEYINFO lone[kKeySlots] = {};
  lone[1] = Coded(5, 0);
  lone[1].dwMacroId = 0x42;
  boxes_.clear();
  KEYINFO_2_Matrix(lone, matrix);
  EXPECT_EQ(boxes_.size(), 1u);
  for (uint32_t w : matrix) EXPECT_EQ(w, 0u);
}

TEST_F(EncodingsTest, ChangedPositionsAreListedOnlyWithDebugOn) {
  DefaultKeyTable[0] = Keys(0x00, 0x41, 0);
  DefaultKeyTable[0].nMatrix = 3;
  DefaultKeyTable[1] = Keys(0x00, 0x42, 0);
  DefaultKeyTable[1].nMatrix = 4;
  DefaultKeyTable[2].nMatrix = 7;  // no default function
  for (int i = 3; i < kKeySlots; ++i) DefaultKeyTable[i].nMatrix = 200;

  uint32_t matrix[kMatrixWords] = {};
  matrix[3] = 0x00040000;  // as the layout says
  matrix[4] = 0x00040000;  // remapped to A
  matrix[7] = 0x0000F010;  // a function where the layout has none
  LogMatrixChanges(matrix);
  EXPECT_EQ(log_, (std::vector<std::u16string>{u"Matrix[04] = 0x00040000", u"Matrix[07] = 0x0000f010"}));

  log_.clear();
  g_Debug = 0;
  LogMatrixChanges(matrix);
  EXPECT_TRUE(log_.empty());
}

TEST_F(EncodingsTest, MacroBufferPacksDelayReleaseAndModifierBits) {
  StMacro m{};
  m.Events[0] = {0x41, 1, 25};     // press A after 25 ms
  m.Events[1] = {0xA0, 0, 2000};   // release left Shift, 2000 ms
  m.Events[2] = {0xF0, 1, 50};     // mouse click: no usage, dropped
  m.Events[3] = {0x5C, 1, 20470};  // right Windows, the longest delay
  m.Events[4] = {0x12, 0, 20480};  // Alt; the delay's 12th bit is lost
  m.Events[5] = {0x0D, 1, 9};      // under 10 ms counts as none
  uint8_t out[kHdMacroBytes];
  std::memset(out, 0xEE, sizeof(out));
  EXPECT_EQ(StMacro_To_HdMacro(&m, out), 16);
  const uint8_t want[15] = {0x02, 0x00, 0x04, 0xC8, 0xF1, 0x02, 0x7F, 0xFF, 0x08,
                            0x80, 0xF0, 0x04, 0x00, 0x00, 0x28};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 15), std::vector<uint8_t>(want, want + 15));
  for (int i = 15; i < kHdMacroBytes; ++i) EXPECT_EQ(out[i], 0) << i;
  EXPECT_EQ(log_, (std::vector<std::u16string>{u"StMacro_To_HdMacro: get wrong hid"}));

  EXPECT_EQ(StMacro_To_HdMacro(nullptr, out), 0);
  EXPECT_EQ(StMacro_To_HdMacro(&m, nullptr), 0);
}

TEST_F(EncodingsTest, MacroBufferHoldsFifteenEvents) {
  StMacro m{};
  for (int i = 0; i < 20; ++i) m.Events[i] = {static_cast<uint16_t>(0x41 + i), 1, 0};
  uint8_t out[kHdMacroBytes];
  EXPECT_EQ(StMacro_To_HdMacro(&m, out), 46);
  EXPECT_EQ(out[44], 0x04 + 14);  // the 15th key, O
  EXPECT_EQ(out[45], 0);
  EXPECT_EQ(out[46], 0);
  EXPECT_EQ(out[47], 0);

  // Dropped events do not use up room; a full 91-entry list without terminator stays in bounds.
  for (MACROEVENT& e : m.Events) e = {0xF1, 1, 0};
  m.Events[90] = {0x41, 0, 0};
  EXPECT_EQ(StMacro_To_HdMacro(&m, out), 4);
  EXPECT_EQ(out[0], 0x80);
  EXPECT_EQ(out[2], 0x04);
}

}  // namespace
