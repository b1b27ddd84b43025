#include "app/profile_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/key_function.h"
#include "profile/profile.h"
#include "unit/moving_clock.h"
#include "unit/temp_folder.h"

namespace {

PROFILEINFO MakeProfile(uint32_t id, const char16_t* name) {
  PROFILEINFO p;
  std::memset(&p, 0, sizeof p);
  p.dwMagic = kProfileMagic;
  p.dwId = id;
  u16::CopyTruncated(p.szName, 20, name);
  for (int slot = 0; slot < kKeySlots; ++slot) {
    p.KeyInfo[slot].bType = kKeyTypeKeyboard;
    p.KeyInfo[slot].nMatrix = slot;
  }
  return p;
}

void GiveMacro(PROFILEINFO& p, int slot, uint32_t macroId) {
  p.KeyInfo[slot].bType = kKeyTypeMacro;
  p.KeyInfo[slot].dwMacroId = macroId;
}

StMacro MakeMacro(uint32_t id, const char16_t* name, uint16_t firstKey) {
  StMacro m;
  NewMacro(name, &m);
  m.dwMacroId = id;
  m.Events[0] = MACROEVENT{firstKey, 1, 30};
  m.Events[1] = MACROEVENT{firstKey, 0, 10};
  return m;
}

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    UseMovingClock(ticks_);
    MacroList.RemoveAll();
  }
  void TearDown() override {
    plat::ResetTestHooks();
    MacroList.RemoveAll();
  }
  std::u16string AppData() { return tmp_.U16Path("data/"); }
  std::vector<std::string> LibraryFiles() {
    std::vector<plat::DirEntry> entries;
    std::vector<std::string> names;
    plat::ListDirectory(tmp_.U16Path("data/Mac"), entries);
    for (auto& e : entries) names.push_back(u16::ToUtf8(e.name));
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder tmp_{"velkor-kbp"};
  int ticks_ = 0;
};

TEST_F(ProfileFileTest, ExportHoldsTheRecordAndEachUsedMacroOnce) {
  AppendMacroCopy(MakeMacro(0x111, u"Dash", 'A'));
  AppendMacroCopy(MakeMacro(0x222, u"Build", 'B'));
  PROFILEINFO p = MakeProfile(0x10, u"Arena");
  GiveMacro(p, 3, 0x222);
  GiveMacro(p, 7, 0x111);
  GiveMacro(p, 9, 0x222);  // the same macro again takes no second slot
  GiveMacro(p, 11, 0x999);  // no such macro: no slot
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildProfileFile(p, file), ProfileFileError::None);
  ASSERT_EQ(file.size(), kProfileFileBytes);
  EXPECT_EQ(std::memcmp(file.data(), &p, sizeof p), 0);
  uint32_t first = 0, second = 0;
  std::memcpy(&first, file.data() + 8856 + 4, 4);
  std::memcpy(&second, file.data() + 8856 + 834 + 4, 4);
  EXPECT_EQ(first, 0x222u);
  EXPECT_EQ(second, 0x111u);
  EXPECT_TRUE(std::all_of(file.begin() + 8856 + 2 * 834, file.end(), [](uint8_t b) { return b == 0; }));

  PROFILEINFO plain = MakeProfile(0x11, u"Plain");
  ASSERT_EQ(BuildProfileFile(plain, file), ProfileFileError::None);
  EXPECT_TRUE(std::all_of(file.begin() + 8856, file.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(ProfileFileTest, ExportRefusesElevenMacrosAndAFailedWriteLeavesTheOldFile) {
  PROFILEINFO p = MakeProfile(0x10, u"Arena");
  for (uint32_t i = 0; i < 11; ++i) {
    AppendMacroCopy(MakeMacro(0x500 + i, u"M", 'A'));
    GiveMacro(p, static_cast<int>(i), 0x500 + i);
  }
  tmp_.WriteText("out/arena.kbp", "old");
  const std::u16string path = tmp_.U16Path("out/arena.kbp");
  EXPECT_EQ(ExportProfileFile(p, path), ProfileFileError::TooManyMacros);
  EXPECT_EQ(tmp_.Read("out/arena.kbp"), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_NE(ProfileFileNotice(ProfileFileError::TooManyMacros).find(u"10"), std::u16string::npos);

  p.KeyInfo[10].bType = kKeyTypeKeyboard;  // ten macros fit
  plat::TestHooks().failWrite = [](const std::u16string&) { return plat::kErrDiskFull; };
  EXPECT_EQ(ExportProfileFile(p, path), ProfileFileError::CreateFailed);
  EXPECT_EQ(tmp_.Read("out/arena.kbp"), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_FALSE(plat::PathExists(path + u".tmp"));
  plat::TestHooks().failWrite = nullptr;
  EXPECT_EQ(ExportProfileFile(p, path), ProfileFileError::None);
  EXPECT_EQ(tmp_.Read("out/arena.kbp").size(), kProfileFileBytes);
}

TEST_F(ProfileFileTest, ProposedNameKeepsItsEndingWithinNineteenCharacters) {
  EXPECT_EQ(ProposedProfileFileName(MakeProfile(1, u"Arena")), u"Arena.kbp");
  EXPECT_EQ(ProposedProfileFileName(MakeProfile(1, u"ABCDEFGHIJKLMNO")), u"ABCDEFGHIJKLMNO.kbp");
  EXPECT_EQ(ProposedProfileFileName(MakeProfile(1, u"ABCDEFGHIJKLMNOPQRS")), u"ABCDEFGHIJKLMNO.kbp");
}

TEST_F(ProfileFileTest, ReadingTellsEachKindOfBadFile) {
  PROFILEINFO p = MakeProfile(0x42, u"X");
  std::vector<uint8_t> record(reinterpret_cast<uint8_t*>(&p), reinterpret_cast<uint8_t*>(&p) + sizeof p);
  std::vector<uint8_t> otherMagic = record;
  otherMagic[0] ^= 1;
  std::vector<uint8_t> noId = record;
  std::memset(noId.data() + 4, 0, 4);
  tmp_.Write("empty.kbp", {});
  tmp_.Write("magic.kbp", otherMagic);
  tmp_.Write("noid.kbp", noId);
  tmp_.Write("short.kbp", record);
  struct Case {
    const char* file;
    ProfileFileError expected;
  } cases[] = {{"missing.kbp", ProfileFileError::OpenFailed},
               {"empty.kbp", ProfileFileError::Empty},
               {"magic.kbp", ProfileFileError::NotAProfile},
               {"noid.kbp", ProfileFileError::NotAProfile},
               {"short.kbp", ProfileFileError::None}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadProfileFile(tmp_.U16Path(c.file), bytes), c.expected) << c.file;
  }
  std::vector<uint8_t> bytes;
  ReadProfileFile(tmp_.U16Path("short.kbp"), bytes);
  ASSERT_EQ(bytes.size(), kProfileFileBytes);  // the missing bytes are zero
  EXPECT_TRUE(std::all_of(bytes.begin() + sizeof p, bytes.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(ProfileFileNotice(ProfileFileError::OpenFailed), u"Open profile failed");
  EXPECT_EQ(ProfileFileNotice(ProfileFileError::Empty), u"Open profile failed.");

  // A read that fails half way is no short file: zeros would stand in for the settings.
  std::vector<uint8_t> whole(kProfileFileBytes, 0);
  std::memcpy(whole.data(), &p, sizeof p);
  tmp_.Write("whole.kbp", whole);
  plat::TestHooks().failRead = [](const std::u16string& path, uint32_t* good) {
    *good = 5000;
    return path.find(u"whole") != std::u16string::npos ? uint32_t{plat::kErrReadFault} : 0u;
  };
  EXPECT_EQ(ReadProfileFile(tmp_.U16Path("whole.kbp"), bytes), ProfileFileError::ReadFailed);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadProfileFile(tmp_.U16Path("short.kbp"), bytes), ProfileFileError::None);
  EXPECT_NE(ProfileFileNotice(ProfileFileError::ReadFailed), ProfileFileNotice(ProfileFileError::Empty));
}

TEST_F(ProfileFileTest, ImportBringsTheMacrosIntoTheLibraryUnderFreshIdentifiers) {
  tmp_.WriteText("data/Mac/Dash.mck", "taken");
  AppendMacroCopy(MakeMacro(0x111, u"Dash", 'A'));
  AppendMacroCopy(MakeMacro(0x222, u"Bad:Name?", 'B'));
  PROFILEINFO source = MakeProfile(0x10, u"Arena");
  GiveMacro(source, 3, 0x111);
  GiveMacro(source, 4, 0x111);
  GiveMacro(source, 5, 0x222);
  source.nCurLedMode = 4;
  u16::CopyTruncated(reinterpret_cast<char16_t*>(source.abReserved1), 260, u"game.exe");
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildProfileFile(source, file), ProfileFileError::None);

  PROFILEINFO target = MakeProfile(0x20, u"Mine");
  ASSERT_EQ(ImportProfileFile(file, AppData(), 0x7F, target), ProfileFileError::None);
  EXPECT_EQ(target.dwId, 0x20u);
  EXPECT_EQ(std::u16string(target.szName), u"Mine");
  EXPECT_EQ(target.nCurLedMode, 4u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(target.abReserved1)), u"game.exe");

  const uint32_t dash = target.KeyInfo[3].dwMacroId;
  EXPECT_EQ(target.KeyInfo[4].dwMacroId, dash);
  const uint32_t bad = target.KeyInfo[5].dwMacroId;
  for (uint32_t id : {dash, bad}) {
    EXPECT_NE(id, 0x111u);
    EXPECT_NE(id, 0x222u);
    EXPECT_NE(id, 0u);
  }
  EXPECT_NE(dash, bad);
  EXPECT_EQ(MacroList.GetCount(), 4u);
  ASSERT_NE(FindMacroById(dash), nullptr);
  EXPECT_EQ(FindMacroById(dash)->Events[0].wVk, 'A');
  EXPECT_EQ(LibraryFiles(), (std::vector<std::string>{"Bad_Name_.mck", "Dash (2).mck", "Dash.mck"}));

  StMacro onDisk;
  ASSERT_EQ(ReadMacroFile(tmp_.U16Path("data/Mac/Dash (2).mck"), MacroReadMode::LibraryScan, 0x7F, &onDisk),
            MacroReadResult::Ok);
  EXPECT_EQ(onDisk.dwMacroId, dash);
  EXPECT_EQ(std::u16string(onDisk.szName), u"Dash (2)");
}

TEST_F(ProfileFileTest, ImportedMacrosNeverTakeTheFileOrNameOfOneThereAsTheFileSystemComparesNames) {
  tmp_.WriteText("data/Mac/\xC3\x84rger.mck", "mine");  // Ärger.mck, not even a valid macro
  tmp_.MakeFolder("data/Mac/Games");
  AppendMacroCopy(MakeMacro(0x111, u"\u00E4rger", 'A'));  // ärger
  AppendMacroCopy(MakeMacro(0x222, u"games", 'B'));
  AppendMacroCopy(MakeMacro(0x333, u"CON", 'C'));
  PROFILEINFO source = MakeProfile(0x10, u"Arena");
  GiveMacro(source, 3, 0x111);
  GiveMacro(source, 4, 0x222);
  GiveMacro(source, 5, 0x333);
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildProfileFile(source, file), ProfileFileError::None);
  MacroList.RemoveAll();

  PROFILEINFO target = MakeProfile(0x20, u"Mine");
  ASSERT_EQ(ImportProfileFile(file, AppData(), 0x7F, target), ProfileFileError::None);
  EXPECT_EQ(tmp_.Read("data/Mac/\xC3\x84rger.mck"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_EQ(LibraryFiles(), (std::vector<std::string>{"CON_.mck", "Games", "games (2).mck",
                                                      "\xC3\x84rger.mck", "\xC3\xA4rger (2).mck"}));
}

TEST_F(ProfileFileTest, AFailedImportChangesNothing) {
  AppendMacroCopy(MakeMacro(0x111, u"Dash", 'A'));
  AppendMacroCopy(MakeMacro(0x222, u"Build", 'B'));
  PROFILEINFO source = MakeProfile(0x10, u"Arena");
  GiveMacro(source, 3, 0x111);
  GiveMacro(source, 4, 0x222);
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildProfileFile(source, file), ProfileFileError::None);
  MacroList.RemoveAll();

  PROFILEINFO target = MakeProfile(0x20, u"Mine");
  const PROFILEINFO before = target;
  // The second macro file cannot be written: the first one goes again.
  plat::TestHooks().failWrite = [](const std::u16string& path) {
    return path.find(u"Build") != std::u16string::npos ? plat::kErrDiskFull : 0u;
  };
  EXPECT_EQ(ImportProfileFile(file, AppData(), 0x7F, target), ProfileFileError::LibraryWriteFailed);
  EXPECT_EQ(std::memcmp(&before, &target, sizeof target), 0);
  EXPECT_EQ(MacroList.GetCount(), 0u);
  EXPECT_TRUE(LibraryFiles().empty());
}

TEST_F(ProfileFileTest, AKeyWhoseMacroIsMissingOrDamagedPointsAtNoMacro) {
  AppendMacroCopy(MakeMacro(0x111, u"Dash", 'A'));
  PROFILEINFO source = MakeProfile(0x10, u"Arena");
  GiveMacro(source, 3, 0x111);
  GiveMacro(source, 4, 0x333);  // never in the file
  std::vector<uint8_t> file;
  ASSERT_EQ(BuildProfileFile(source, file), ProfileFileError::None);
  file[8856] ^= 0xFF;  // the one slot's magic
  MacroList.RemoveAll();
  PROFILEINFO target = MakeProfile(0x20, u"Mine");
  ASSERT_EQ(ImportProfileFile(file, AppData(), 0x7F, target), ProfileFileError::None);
  EXPECT_EQ(target.KeyInfo[3].dwMacroId, 0u);
  EXPECT_EQ(target.KeyInfo[4].dwMacroId, 0u);
  EXPECT_EQ(MacroList.GetCount(), 0u);
}

TEST(FileSafeMacroName, KeepsWhatAFileNameCanHold) {
  struct Case {
    std::u16string in, out;
  } cases[] = {{u"Combo", u"Combo"},
               {u"a/b\\c:d*e?f\"g<h>i|j", u"a_b_c_d_e_f_g_h_i_j"},
               {u"  spaced. ", u"spaced"},
               {u"tab\there", u"tab_here"},
               {u"...", u"Macro"},
               {u"", u"Macro"},
               {std::u16string(45, u'x'), std::u16string(39, u'x')}};
  for (const Case& c : cases)
    EXPECT_EQ(FileSafeMacroName(c.in.c_str(), c.in.size() + 1), c.out) << u16::ToUtf8(c.in);
  const char16_t unterminated[3] = {u'a', u'b', u'c'};
  EXPECT_EQ(FileSafeMacroName(unterminated, 3), u"abc");
}

}  // namespace
