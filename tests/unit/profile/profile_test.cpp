#include "profile/profile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "config/layout.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "profile/key_function.h"
#include "profile/profile_store.h"

namespace {

class ProfileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().sleep = [this](uint32_t ms) { slept_.push_back(ms); };
    plat::TestHooks().localTime = [this] { return now_; };
    ForgetIssuedIds();
    ClearProfileList();
    ClearLayout();
    const uint8_t led[6] = {2, 4, 0, 4, 0, 0};
    std::memcpy(g_Settings.LEDParam, led, 6);
  }
  void TearDown() override {
    plat::ResetTestHooks();
    ClearProfileList();
    ClearLayout();
    ForgetIssuedIds();
  }
  void SetTime(uint16_t h, uint16_t m, uint16_t s, uint16_t ms) {
    now_.hour = h;
    now_.minute = m;
    now_.second = s;
    now_.milliseconds = ms;
  }
  plat::LocalTime now_;
  std::vector<uint32_t> slept_;
};

void Put32(std::vector<uint8_t>& b, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The record a new profile must be, written out from the file format's offsets and values.
TEST_F(ProfileFixture, NewProfileMatchesTheRecordFormatByteForByte) {
  g_KeyCount = 2;
  DefaultKeyTable[0].bType = 2;
  DefaultKeyTable[0].dwCode[0] = 0xA0;
  DefaultKeyTable[0].rcKey = {1, 2, 3, 4};
  DefaultKeyTable[0].nMatrix = 15;
  DefaultKeyTable[0].bVk = 0x41;
  DefaultKeyTable[1].bType = 3;
  DefaultKeyTable[1].dwCode[0] = 38;
  DefaultKeyTable[1].nMatrix = 20;
  SetTime(13, 45, 30, 511);

  auto record = std::make_unique<PROFILEINFO>();
  std::memset(record.get(), 0xCC, sizeof *record);
  NewProfile(u"Game", record.get());

  std::vector<uint8_t> e(8856, 0);
  Put32(e, 0, 0xFCFB7794);
  Put32(e, 4, 0xDB5EFF);  // 13 << 20 | 45 << 14 | 30 << 8 | (511 & 0xFF)
  const uint8_t name[] = {'G', 0, 'a', 0, 'm', 0, 'e', 0};
  std::memcpy(&e[528], name, sizeof name);
  const uint8_t key0[36] = {0xA0, 0, 0, 2, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0,
                            15,   0, 0, 0, 0, 0, 0, 0, 0, 0x41};
  const uint8_t key1[36] = {38, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20};
  std::memcpy(&e[612], key0, 36);
  std::memcpy(&e[648], key1, 36);
  Put32(e, 5796, 2);
  // Per mode: speed, direction, brightness, pad, colour (u32), random (u32).
  const uint8_t speed[10] = {4, 4, 4, 0, 4, 4, 4, 4, 4, 4};
  const uint8_t random[10] = {0, 1, 0, 1, 1, 1, 1, 1, 1, 1};
  for (int m = 0; m < 10; ++m) {
    e[5800 + 12 * m] = speed[m];
    e[5800 + 12 * m + 2] = 4;
    e[5800 + 12 * m + 8] = random[m];
  }
  for (int g = 0; g < 5; ++g) e[5922 + g] = 1;
  const std::vector<std::vector<int>> red = {
      {12, 15, 20, 21, 27, 101, 106, 107, 113},
      {8, 10, 11, 13, 14, 15, 17, 18, 19, 20, 21, 24, 25, 26, 27, 30, 31, 32, 37, 39, 40, 41, 103, 104, 109, 110},
      {10, 11, 13, 14, 15, 19, 20, 21, 25, 26, 27, 28, 31, 32, 33, 34, 37, 38, 39, 43, 49},
      {13, 14, 15, 19, 20, 21, 25, 26, 27, 31, 32, 33, 37, 43, 49},
      {10, 11, 15, 17, 20, 21, 27, 32, 101, 106, 107, 113},
  };
  for (int g = 0; g < 5; ++g)
    for (int pos : red[g]) Put32(e, 5928 + (g * 144 + pos) * 4, 0xFF);
  const uint8_t spare[20] = {0, 0xB0, 0x2D, 0, 0, 0xB0, 0x2E, 0, 0, 0xB0, 0x25, 0, 0, 0xB0, 0x27, 0, 0x50, 0x02, 0, 0};
  std::memcpy(&e[8836], spare, sizeof spare);

  const uint8_t* got = reinterpret_cast<const uint8_t*>(record.get());
  for (size_t i = 0; i < e.size(); ++i) ASSERT_EQ(got[i], e[i]) << "byte " << i;
  EXPECT_EQ(slept_, std::vector<uint32_t>({20}));
}

TEST_F(ProfileFixture, NameIsCutToNineteenAndNullArgumentsDoNothing) {
  auto record = std::make_unique<PROFILEINFO>();
  NewProfile(u"ABCDEFGHIJKLMNOPQRSTUVWXY", record.get());
  EXPECT_EQ(std::u16string(record->szName), u"ABCDEFGHIJKLMNOPQRS");

  std::memset(record.get(), 0x5A, sizeof *record);
  NewProfile(nullptr, record.get());
  NewProfile(u"x", nullptr);
  ResetProfile(nullptr);
  SetProfileDefaults(nullptr);
  EXPECT_EQ(record->dwMagic, 0x5A5A5A5Au);
}

TEST_F(ProfileFixture, ResetRestoresDefaultsAndKeepsIdentity) {
  DefaultKeyTable[0].bType = 2;
  DefaultKeyTable[0].bVk = 0x41;
  g_KeyCount = 1;
  auto fresh = std::make_unique<PROFILEINFO>();
  NewProfile(u"Keep me", fresh.get());

  auto edited = std::make_unique<PROFILEINFO>(*fresh);
  edited->dwId = 0x123456;
  edited->abReserved1[7] = 9;
  edited->abReserved2[3] = 9;
  edited->nCurKeyTable = 1;
  edited->KeyInfo[0].bVk = 0x42;
  edited->KeyInfo[5].bType = 5;
  edited->nCurLedMode = 7;
  edited->LedParam[2].nColor = 6;
  edited->nCurGameGroup = 4;
  edited->bGroupEdited[1] = 0;
  edited->dwKeyColor[3][99] = 0x00FF00;
  edited->abLedExtra[5] = 1;
  edited->dwSpareWord[4] = 0;
  ResetProfile(edited.get());

  EXPECT_EQ(edited->dwId, 0x123456u);
  EXPECT_EQ(std::u16string(edited->szName), u"Keep me");
  edited->dwId = fresh->dwId;
  EXPECT_EQ(std::memcmp(edited.get(), fresh.get(), sizeof(PROFILEINFO)), 0);
}

TEST_F(ProfileFixture, LightingOfANewProfileFollowsLedParam) {
  const uint8_t led[6] = {5, 1, 1, 2, 3, 0};
  std::memcpy(g_Settings.LEDParam, led, 6);
  auto r = std::make_unique<PROFILEINFO>();
  NewProfile(u"p", r.get());
  EXPECT_EQ(r->nCurLedMode, 5u);
  const LEDPARAM& m5 = r->LedParam[5];
  EXPECT_EQ(std::vector<uint32_t>({m5.nSpeed, m5.nDirect, m5.nLight, m5.nColor, m5.bRandomColor}),
            std::vector<uint32_t>({1, 1, 2, 3, 0}));
  EXPECT_EQ(r->LedParam[2].nSpeed, 0);  // mode 2 keeps its own defaults

  // A mode beyond the ten would write past LedParam; the built-in defaults stand in.
  g_Settings.LEDParam[0] = 12;
  SetProfileDefaults(r.get());
  EXPECT_EQ(r->nCurLedMode, 2u);
  EXPECT_EQ(r->LedParam[2].nSpeed, 4);
}

TEST_F(ProfileFixture, IdentifierFromTheClock) {
  EXPECT_EQ(ProfileIdFromTime(13, 45, 30, 511), 0xDB5EFFu);
  EXPECT_EQ(ProfileIdFromTime(23, 59, 59, 999), (7u << 20) | (59u << 14) | (59u << 8) | 0xE7u);
  EXPECT_EQ(ProfileIdFromTime(16, 0, 0, 256), 0u);
  // A clock that moves on: a taken value is made again from the clock, 20 ms later.
  int calls = 0;
  plat::TestHooks().localTime = [&calls] {
    plat::LocalTime t;
    t.hour = 1;
    t.milliseconds = static_cast<uint16_t>(++calls);
    return t;
  };
  int handle = AddIdTakenCheck([](uint32_t id) { return id == ((1u << 20) | 1u); });
  EXPECT_EQ(MakeProfileId(), (1u << 20) | 2u);
  EXPECT_EQ(slept_, std::vector<uint32_t>({20, 20}));
  RemoveIdTakenCheck(handle);
}

TEST_F(ProfileFixture, AStoppedClockStillGivesDistinctFreeIdentifiers) {
  SetTime(13, 45, 30, 511);
  const uint32_t base = 0xDB5EFF;
  int handle = AddIdTakenCheck([=](uint32_t id) { return id >= base + 1 && id <= base + 3; });
  auto other = std::make_unique<PROFILEINFO>();
  other->dwId = base + 5;
  g_ProfileList.push_back(std::move(other));

  std::vector<uint32_t> ids;
  for (int i = 0; i < 4; ++i) ids.push_back(MakeProfileId());
  EXPECT_EQ(ids, std::vector<uint32_t>({base, base + 4, base + 6, base + 7}));
  RemoveIdTakenCheck(handle);

  // At 16:00:00.000 the clock gives 0, which marks an empty slot.
  SetTime(16, 0, 0, 0);
  EXPECT_NE(MakeProfileId(), 0u);
  EXPECT_TRUE(IsIdTaken(0));
}

TEST_F(ProfileFixture, KeyEntryAccessStaysInsideTheTable) {
  auto r = std::make_unique<PROFILEINFO>();
  std::memset(r.get(), 0, sizeof *r);
  EXPECT_EQ(ProfileKeyEntry(r.get(), 0), &r->KeyInfo[0]);
  EXPECT_EQ(ProfileKeyEntry(r.get(), 143), &r->KeyInfo[143]);
  EXPECT_EQ(ProfileKeyEntry(r.get(), 144), nullptr);
  EXPECT_EQ(ProfileKeyEntry(r.get(), -1), nullptr);
  r->nCurKeyTable = 1;  // as a damaged pro.dct might carry
  EXPECT_EQ(ProfileKeyEntry(r.get(), 0), nullptr);
  EXPECT_EQ(ProfileKeyEntry(static_cast<const PROFILEINFO*>(nullptr), 0), nullptr);
}

TEST(KeyFunction, FnKeyIsNotAnEmptyKey) {
  KEYINFO fn = {};
  fn.bType = kKeyTypeKeyboard;
  fn.bVk = kVkFn;
  EXPECT_TRUE(IsFnKey(fn));
  EXPECT_FALSE(KeyHasNoFunction(fn));
  // Only the code word counts: leftovers in the other fields do not give a key a function.
  KEYINFO none = {};
  none.nMatrix = 5;
  none.bVk = 0x41;
  none.dwMacroId = 7;
  EXPECT_TRUE(KeyHasNoFunction(none));
  none.dwCode[2] = 1;
  EXPECT_FALSE(KeyHasNoFunction(none));
}

}  // namespace
