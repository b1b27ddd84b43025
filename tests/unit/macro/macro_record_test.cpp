#include "macro/macro_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "config/key_names.h"
#include "config/text_table.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"
#include "unit/temp_folder.h"

namespace {

struct Shown {
  std::u16string text, title;
};

class MacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().sleep = [](uint32_t) {};
    plat::TestHooks().localTime = [this] {
      plat::LocalTime t;
      t.hour = 13;
      t.minute = 5;
      t.second = 7;
      t.milliseconds = static_cast<uint16_t>(clock_++);
      return t;
    };
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title,
                                          uint32_t) {
      shown_.push_back({text, title});
      return plat::kIdOk;
    };
    MacroList.RemoveAll();
  }
  void TearDown() override {
    MacroList.RemoveAll();
    plat::ResetTestHooks();
  }

  static StMacro Record(std::initializer_list<MACROEVENT> events) {
    StMacro m;
    EXPECT_TRUE(NewMacro(u"m", &m));
    int i = 0;
    for (const MACROEVENT& e : events) m.Events[i++] = e;
    return m;
  }

  static std::vector<uint8_t> Encoded(const StMacro& m) {
    std::vector<uint8_t> out(kMacroRecordBytes);
    EncodeMacroBytes(m, out.data());
    return out;
  }

  std::vector<Shown> shown_;
  TempFolder tmp_{"velkor-macro"};
  int clock_ = 0;
};

TEST_F(MacroTest, NewMacroCutsTheNameAndSetsDefaults) {
  StMacro m;
  std::memset(&m, 0xCD, sizeof(m));
  const std::u16string name = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs";  // 45
  ASSERT_TRUE(NewMacro(name.c_str(), &m));
  EXPECT_EQ(std::u16string(m.szName), name.substr(0, 39));
  EXPECT_EQ(m.dwMagicNumber, kMacroMagic);
  EXPECT_EQ(m.dwMacroId >> 8, (13u << 12) | (5u << 6) | 7u);  // from the local time
  EXPECT_EQ(m.dwDirtyFlags, 0u);
  EXPECT_EQ(m.bAutoDelay, 1u);
  EXPECT_EQ(m.dwLoopMode, 0u);
  EXPECT_EQ(m.Macro_Buffer_ID, 0u);
  EXPECT_EQ(m.wLoopCount, 1);
  EXPECT_EQ(MacroEventCount(m), 0);
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&m);
  for (size_t i = 106; i < sizeof(m); ++i) ASSERT_EQ(raw[i], 0) << i;

  StMacro untouched;
  std::memset(&untouched, 0xCD, sizeof(untouched));
  EXPECT_FALSE(NewMacro(nullptr, &untouched));
  EXPECT_EQ(untouched.dwMagicNumber, 0xCDCDCDCDu);
  EXPECT_FALSE(NewMacro(u"x", nullptr));
}

TEST_F(MacroTest, NewIdentifiersAvoidThoseOfHeldMacros) {
  StMacro held = Record({});
  held.dwMacroId = ProfileIdFromTime(13, 5, 7, 0);
  AppendMacroCopy(held);
  ForgetIssuedIds();
  clock_ = 0;  // the clock would give the held identifier again
  StMacro fresh;
  ASSERT_TRUE(NewMacro(u"n", &fresh));
  EXPECT_NE(fresh.dwMacroId, held.dwMacroId);
  EXPECT_NE(fresh.dwMacroId, 0u);
}

TEST_F(MacroTest, EncodingRotatesEachByteAndRoundTrips) {
  StMacro m;
  uint8_t* raw = reinterpret_cast<uint8_t*>(&m);
  for (size_t i = 0; i < sizeof(m); ++i) raw[i] = static_cast<uint8_t>(i * 37 + 11);
  m.dwMagicNumber = kMacroMagic;
  std::vector<uint8_t> file = Encoded(m);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 4), (std::vector<uint8_t>{0x28, 0x22, 0xFE, 0xBE}));
  // 0x01 stored as 0x40, 0x80 as 0x20, 0x03 as 0xC0.
  m.dwDirtyFlags = 0x00038001;
  file = Encoded(m);
  EXPECT_EQ(file[8], 0x40);
  EXPECT_EQ(file[9], 0x20);
  EXPECT_EQ(file[10], 0xC0);

  StMacro back;
  DecodeMacroBytes(file.data(), &back);
  EXPECT_EQ(std::memcmp(&back, &m, sizeof(m)), 0);
}

TEST_F(MacroTest, EventListEndsAtTheFirstZeroCode) {
  StMacro m = Record({{65, 1, 0}, {65, 0, 0}, {0, 0, 0}, {66, 1, 0}});
  EXPECT_EQ(MacroEventCount(m), 2);
  for (MACROEVENT& e : m.Events) e = {65, 1, 0};  // no terminator at all
  EXPECT_EQ(MacroEventCount(m), kMacroEventEntries);
}

TEST_F(MacroTest, MouseCodesNeedTheirMaskBit) {
  struct Case {
    uint16_t code;
    uint32_t mask;
    bool unsupported;
  } cases[] = {
      {240, 0x01, false}, {241, 0x01, true},  {241, 0x02, false}, {246, 0x40, false},
      {246, 0x3F, true},  {65, 0x00, false},  {239, 0x00, false}, {247, 0x00, false},
  };
  for (const Case& c : cases) {
    StMacro m = Record({{65, 1, 10}, {c.code, 1, 0}});
    EXPECT_EQ(HasUnsupportedKey(m, c.mask), c.unsupported) << c.code << " mask " << c.mask;
  }
  for (uint16_t code = 240; code <= 246; ++code)
    EXPECT_TRUE(HasUnsupportedKey(Record({{code, 1, 0}}), 0)) << code;

  // Entries after the end of the list do not count; a full list is walked to its 91st entry.
  EXPECT_FALSE(HasUnsupportedKey(Record({{65, 1, 0}, {0, 0, 0}, {241, 1, 0}}), 0));
  StMacro full = Record({});
  for (MACROEVENT& e : full.Events) e = {65, 1, 0};
  EXPECT_FALSE(HasUnsupportedKey(full, 0));
  full.Events[kMacroEventEntries - 1].wVk = 242;
  EXPECT_TRUE(HasUnsupportedKey(full, 0));
}

TEST_F(MacroTest, ReadingChecksInOrderSilentInScanAndExplainedOnImport) {
  StMacro good = Record({{65, 1, 25}, {240, 1, 0}, {241, 1, 0}});
  std::vector<uint8_t> bytes = Encoded(good);
  std::vector<uint8_t> longer = bytes;
  longer.resize(900, 0xEE);
  std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
  std::vector<uint8_t> badMagic = bytes;
  badMagic[0] ^= 1;

  struct Case {
    const char* file;
    std::vector<uint8_t> content;
    uint32_t mask;
    MacroReadResult result;
    const char16_t* importMessage;
  } cases[] = {
      {"ok.mck", bytes, 0x03, MacroReadResult::Ok, nullptr},
      {"long.mck", longer, 0x03, MacroReadResult::Ok, nullptr},
      {"short.mck", shorter, 0x03, MacroReadResult::ReadFailed, u"Read macro file failed. error=0x26"},
      {"empty.mck", {}, 0x03, MacroReadResult::ReadFailed, u"Read macro file failed. error=0x26"},
      {"magic.mck", badMagic, 0x03, MacroReadResult::BadMagic, u"This is not a valid macro file."},
      // The magic is checked before the mouse codes.
      {"magic0.mck", badMagic, 0x00, MacroReadResult::BadMagic, u"This is not a valid macro file."},
      {"mouse.mck", bytes, 0x01, MacroReadResult::UnsupportedKey, u"This macro contains unsupported key."},
  };
  for (const Case& c : cases) {
    tmp_.Write(c.file, c.content);
    std::u16string path = tmp_.U16Path(c.file);
    for (MacroReadMode mode : {MacroReadMode::LibraryScan, MacroReadMode::Import}) {
      shown_.clear();
      StMacro out;
      std::memset(&out, 0xAB, sizeof(out));
      EXPECT_EQ(ReadMacroFile(path, mode, c.mask, &out), c.result) << c.file;
      if (c.result == MacroReadResult::Ok) {
        EXPECT_EQ(std::memcmp(&out, &good, sizeof(out)), 0) << c.file;
      } else {
        EXPECT_EQ(out.dwMagicNumber, 0xABABABABu) << c.file;
      }
      if (mode == MacroReadMode::Import && c.importMessage) {
        ASSERT_EQ(shown_.size(), 1u) << c.file;
        EXPECT_EQ(shown_[0].text, c.importMessage);
      } else {
        EXPECT_TRUE(shown_.empty()) << c.file;
      }
    }
  }

  shown_.clear();
  EXPECT_EQ(ReadMacroFile(tmp_.U16Path("missing.mck"), MacroReadMode::LibraryScan, 0, nullptr),
            MacroReadResult::OpenFailed);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(ReadMacroFile(tmp_.U16Path("missing.mck"), MacroReadMode::Import, 0, nullptr),
            MacroReadResult::OpenFailed);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, u"Open macro file failed. error=0x2");
}

TEST_F(MacroTest, BufferNumberSavedInAFileIsNotKept) {
  StMacro good = Record({{65, 1, 25}});
  StMacro stale = good;
  stale.Macro_Buffer_ID = 7;
  tmp_.Write("stale.mck", Encoded(stale));
  for (MacroReadMode mode : {MacroReadMode::LibraryScan, MacroReadMode::Import}) {
    StMacro out;
    ASSERT_EQ(ReadMacroFile(tmp_.U16Path("stale.mck"), mode, 0, &out), MacroReadResult::Ok);
    EXPECT_EQ(std::memcmp(&out, &good, sizeof(out)), 0);
  }
}

TEST_F(MacroTest, WritingClearsTheDirtyBitsFirst) {
  StMacro m = Record({{65, 1, 25}});
  m.dwDirtyFlags = kMacroDirtyBits;
  std::u16string path = tmp_.U16Path("w.mck");
  ASSERT_TRUE(WriteMacroFile(path, m));
  EXPECT_EQ(m.dwDirtyFlags, 0u);

  std::vector<uint8_t> file;
  ASSERT_TRUE(plat::ReadWholeFile(path, file));
  ASSERT_EQ(file.size(), kMacroRecordBytes);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 4), (std::vector<uint8_t>{0x28, 0x22, 0xFE, 0xBE}));
  StMacro back;
  ASSERT_EQ(ReadMacroFile(path, MacroReadMode::LibraryScan, 0, &back), MacroReadResult::Ok);
  EXPECT_EQ(std::memcmp(&back, &m, sizeof(m)), 0);

  // Only a new file: one already there is never replaced.
  StMacro other = Record({{66, 1, 0}});
  EXPECT_FALSE(WriteMacroFile(path, other));
  EXPECT_EQ(plat::LastError(), plat::kErrFileExists);
  std::vector<uint8_t> still;
  ASSERT_TRUE(plat::ReadWholeFile(path, still));
  EXPECT_EQ(still, file);

  // A failed write still leaves the record clean in memory, and no half file behind.
  m.dwDirtyFlags = kMacroDirtyEvents;
  plat::TestHooks().failWrite = [](const std::u16string&) { return uint32_t{plat::kErrDiskFull}; };
  EXPECT_FALSE(WriteMacroFile(tmp_.U16Path("v.mck"), m));
  EXPECT_EQ(plat::LastError(), plat::kErrDiskFull);
  EXPECT_EQ(m.dwDirtyFlags, 0u);
  EXPECT_FALSE(plat::PathExists(tmp_.U16Path("v.mck")));
}

TEST_F(MacroTest, LookupAndRemovalTakeTheFirstRecordWithTheId) {
  StMacro a = Record({}), b = Record({}), c = Record({});
  a.dwMacroId = 7;
  b.dwMacroId = 9;
  c.dwMacroId = 7;
  c.wLoopCount = 3;
  ASSERT_NE(AppendMacroCopy(a), nullptr);
  ASSERT_NE(AppendMacroCopy(b), nullptr);
  ASSERT_NE(AppendMacroCopy(c), nullptr);
  EXPECT_EQ(MacroList.GetCount(), 3u);

  EXPECT_EQ(FindMacroById(7)->wLoopCount, 1);
  EXPECT_EQ(FindMacroById(8), nullptr);
  EXPECT_TRUE(RemoveMacroById(7));
  EXPECT_EQ(FindMacroById(7)->wLoopCount, 3);
  EXPECT_EQ(MacroList.GetCount(), 2u);
  EXPECT_EQ(MacroList.GetHead()->dwMacroId, 9u);
  EXPECT_FALSE(RemoveMacroById(8));
}

TEST_F(MacroTest, MacroKeysAreNamedAfterTheirMacroUntilItIsDeleted) {
  g_Texts.tc_msg25 = u"Macro";
  StMacro m = Record({});
  u16::CopyTruncated(m.szName, kMacroNameUnits, u"Combo");
  m.dwMacroId = 0x123456;
  AppendMacroCopy(m);
  KEYINFO key{};
  key.bType = 5;
  key.dwMacroId = 0x123456;
  EXPECT_EQ(KeyFunctionText(key), u"Macro - Combo");
  RemoveMacroById(0x123456);
  EXPECT_EQ(KeyFunctionText(key), u"");
  g_Texts.tc_msg25.clear();
}

}  // namespace
