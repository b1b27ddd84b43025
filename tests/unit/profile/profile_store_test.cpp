#include "profile/profile_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "log/log.h"
#include "platform/platform.h"
#include "unit/temp_folder.h"

namespace {

constexpr size_t kRec = sizeof(PROFILEINFO);

class StoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().debugOutput = [this](const std::u16string& text) { log_.push_back(text); };
    g_Debug = 1;
    LogInit();
    ClearProfileList();
  }
  void TearDown() override {
    plat::ResetTestHooks();
    g_Debug = 0;
    LogInit();
    ClearProfileList();
  }
  static void Fill(uint8_t* slot, uint32_t id, uint8_t pattern) {
    std::memset(slot, pattern, kRec);
    std::memcpy(slot + 4, &id, 4);
  }
  static std::unique_ptr<PROFILEINFO> Record(uint32_t id, uint8_t pattern) {
    auto r = std::make_unique<PROFILEINFO>();
    Fill(reinterpret_cast<uint8_t*>(r.get()), id, pattern);
    return r;
  }
  std::vector<uint32_t> ListIds() const {
    std::vector<uint32_t> ids;
    for (const auto& r : g_ProfileList) ids.push_back(r->dwId);
    return ids;
  }

  TempFolder dir_{"velkor-store"};
  const std::u16string folder_ = dir_.U16Path() + u"/";
  std::vector<std::u16string> log_;
};

TEST_F(StoreFixture, LoadsUsedSlotsInOrderAndSavesThemPacked) {
  std::vector<uint8_t> file(kStoreBytes, 0);
  Fill(&file[0 * kRec], 0x111, 0xA1);
  Fill(&file[1 * kRec], 0x222, 0xA2);
  Fill(&file[5 * kRec], 0x555, 0xA5);  // its magic is wrong (0xA5A5A5A5); that does not matter
  dir_.Write("pro.dct", file);

  ASSERT_TRUE(LoadProfileStore(folder_));
  EXPECT_EQ(ListIds(), std::vector<uint32_t>({0x111, 0x222, 0x555}));
  EXPECT_EQ(g_ProfileList.back()->dwMagic, 0xA5A5A5A5u);
  // Loading again replaces the list instead of adding to it; the old current record is gone.
  g_pCurProfile = g_ProfileList.front().get();
  ASSERT_TRUE(LoadProfileStore(folder_));
  EXPECT_EQ(ListIds(), std::vector<uint32_t>({0x111, 0x222, 0x555}));
  EXPECT_EQ(g_pCurProfile, nullptr);

  ASSERT_TRUE(SaveProfileStore(folder_));
  std::vector<uint8_t> expected(kStoreBytes, 0);
  std::memcpy(&expected[0], &file[0], 2 * kRec);
  std::memcpy(&expected[2 * kRec], &file[5 * kRec], kRec);
  EXPECT_TRUE(dir_.Read("pro.dct") == expected);
  EXPECT_TRUE(dir_.Read("pro.dct.tmp").empty());
}

TEST_F(StoreFixture, SavesTheFirstFortyRecordsWithAnIdentifier) {
  for (uint32_t i = 1; i <= 45; ++i) g_ProfileList.push_back(Record(i == 3 ? 0 : i, static_cast<uint8_t>(i)));
  ASSERT_TRUE(SaveProfileStore(folder_));
  std::vector<uint8_t> bytes = dir_.Read("pro.dct");
  ASSERT_EQ(bytes.size(), kStoreBytes);
  std::vector<uint32_t> ids;
  for (int slot = 0; slot < kStoreSlots; ++slot) {
    uint32_t id;
    std::memcpy(&id, &bytes[slot * kRec + 4], 4);
    ids.push_back(id);
  }
  std::vector<uint32_t> expected = {1, 2};
  for (uint32_t i = 4; i <= 41; ++i) expected.push_back(i);
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(bytes[39 * kRec + 100], 41);
}

TEST_F(StoreFixture, ShortOrMissingStore) {
  std::vector<uint8_t> file(kRec + 10, 0);
  Fill(&file[0], 0x111, 0x11);
  std::memset(&file[kRec], 0x22, 10);  // slot 1 begins, and its identifier is not 0
  dir_.Write("pro.dct", file);
  ASSERT_TRUE(LoadProfileStore(folder_));
  ASSERT_EQ(g_ProfileList.size(), 2u);
  const uint8_t* second = reinterpret_cast<const uint8_t*>(g_ProfileList.back().get());
  EXPECT_EQ(second[9], 0x22);
  EXPECT_EQ(second[10], 0);

  std::remove(dir_.Path("pro.dct").c_str());
  log_.clear();
  EXPECT_FALSE(LoadProfileStore(folder_));
  EXPECT_TRUE(g_ProfileList.empty());
  EXPECT_EQ(log_, std::vector<std::u16string>({u"Open pro file err=2"}));
}

// A save that dies half-way through writing must not cost the user the profiles already stored.
TEST_F(StoreFixture, AFailedSaveLeavesThePreviousStoreWhole) {
  g_ProfileList.push_back(Record(0x111, 0x11));
  ASSERT_TRUE(SaveProfileStore(folder_));
  const std::vector<uint8_t> before = dir_.Read("pro.dct");

  g_ProfileList.push_back(Record(0x222, 0x22));
  plat::TestHooks().failWrite = [](const std::u16string&) { return uint32_t(plat::kErrDiskFull); };
  log_.clear();
  EXPECT_FALSE(SaveProfileStore(folder_));
  EXPECT_EQ(log_, std::vector<std::u16string>({u"Save pro: WriteFile err=112"}));
  EXPECT_TRUE(dir_.Read("pro.dct") == before);
  EXPECT_FALSE(plat::PathExists(folder_ + u"pro.dct.tmp"));
  plat::TestHooks().failWrite = nullptr;

  log_.clear();
  EXPECT_FALSE(SaveProfileStore(folder_ + u"missing\\"));
  EXPECT_EQ(log_, std::vector<std::u16string>({u"Save pro: CreateFile err=3"}));

  // The complete temporary file cannot take the place of pro.dct (here a folder of that name).
  std::remove(dir_.Path("pro.dct").c_str());
  ASSERT_EQ(mkdir(dir_.Path("pro.dct").c_str(), 0700), 0);
  log_.clear();
  EXPECT_FALSE(SaveProfileStore(folder_));
  EXPECT_EQ(log_, std::vector<std::u16string>({u"Save pro: CreateFile err=5"}));
  EXPECT_FALSE(plat::PathExists(folder_ + u"pro.dct.tmp"));
  rmdir(dir_.Path("pro.dct").c_str());
}

TEST_F(StoreFixture, CurrentProfileIdentifier) {
  EXPECT_EQ(LoadCurrentProfileId(folder_), 0u);
  EXPECT_FALSE(SaveCurrentProfileId(folder_));  // no current profile: nothing written
  EXPECT_FALSE(plat::PathExists(folder_ + u"curid.dct"));

  g_ProfileList.push_back(Record(0xDB5EFF, 0));
  g_pCurProfile = FindProfile(0xDB5EFF);
  ASSERT_NE(g_pCurProfile, nullptr);
  ASSERT_TRUE(SaveCurrentProfileId(folder_));
  EXPECT_EQ(dir_.Read("curid.dct"), std::vector<uint8_t>({0xFF, 0x5E, 0xDB, 0x00}));
  EXPECT_EQ(LoadCurrentProfileId(folder_), 0xDB5EFFu);

  dir_.Write("curid.dct", {0x34, 0x12});
  EXPECT_EQ(LoadCurrentProfileId(folder_), 0x1234u);

  // A failed write keeps the identifier that was there.
  plat::TestHooks().failWrite = [](const std::u16string&) { return uint32_t(plat::kErrDiskFull); };
  EXPECT_FALSE(SaveCurrentProfileId(folder_));
  EXPECT_EQ(LoadCurrentProfileId(folder_), 0x1234u);
}

}  // namespace
