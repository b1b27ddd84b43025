#include "app/velkorctl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "records/profile_record.h"
#include "profile/profile_store.h"
#include "unit/app/stream_text.h"
#include "unit/temp_folder.h"

namespace {

class VelkorCtlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_.WriteText("prog/cfg.ini", "[OPT]\r\nVID=0x1a2c\r\nPID=0x0e24\r\nappdir=VelkorTest\r\n");
    plat::ResetTestHooks();
    plat::TestHooks().programFolder = [this] { return tmp_.U16Path("prog/"); };
    MacroList.RemoveAll();

    std::vector<uint8_t> store(kStoreBytes, 0);
    AddProfile(store, 0, 0x0A1B2C, u"Game");
    AddProfile(store, 1, 0x000042, u"Work");
    tmp_.Write("data/pro.dct", store);
  }
  void TearDown() override {
    plat::ResetTestHooks();
    ClearProfileList();
    MacroList.RemoveAll();
  }

  static void AddProfile(std::vector<uint8_t>& store, int slot, uint32_t id, const char16_t* name) {
    PROFILEINFO p;
    std::memset(&p, 0, sizeof p);
    p.dwMagic = kProfileMagic;
    p.dwId = id;
    u16::CopyTruncated(p.szName, 20, name);
    p.nCurLedMode = 2;
    p.LedParam[2] = LEDPARAM{1, 2, 3, 0, static_cast<uint32_t>(slot), 0};
    std::memcpy(store.data() + slot * sizeof p, &p, sizeof p);
  }

  int Run(std::vector<std::string> args) {
    std::vector<std::u16string> wide;
    for (const std::string& a : args) wide.push_back(u16::FromUtf8(a));
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    int status = VelkorCtlMain(wide, out, err);
    out_ = StreamText(out);
    err_ = StreamText(err);
    return status;
  }
  std::string Data() { return tmp_.Path("data/"); }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', at)) {
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return lines;
  }

  TempFolder tmp_{"velkor-ctl"};
  std::string out_, err_;
};

TEST_F(VelkorCtlTest, ListMarksTheStoredCurrentProfileOrElseTheFirst) {
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1*\t0x0A1B2C\tGame\n2\t0x000042\tWork\n");
  tmp_.Write("data/curid.dct", {0x42, 0, 0, 0});
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1\t0x0A1B2C\tGame\n2*\t0x000042\tWork\n");
}

TEST_F(VelkorCtlTest, ReportsPrintsEveryByteOfEachReport) {
  EXPECT_EQ(Run({"reports", "--flags", "2", "--profile", "42", "--appdata", Data()}), 0);
  std::string led = "0a" "02" "02" "01" "03" "02" + std::string(2 * 36, '0') + "\n";
  EXPECT_EQ(out_, "10 " + led);

  EXPECT_EQ(Run({"reports", "--appdata", Data()}), 0);  // flags 7, mode 2: lighting and matrix
  ASSERT_EQ(out_.substr(0, 17), "10 0a020101030200");
  size_t second = out_.find('\n') + 1;
  EXPECT_EQ(out_.substr(second, 5), "9 090");
  EXPECT_EQ(out_.size() - second, 2 + 2 * 577 + 1u);
}

TEST_F(VelkorCtlTest, FlagsAreDecimalOrHexadecimalNeverOctal) {
  for (const char* flags : {"2", "0x2", "010", "0x8002"}) {
    SCOPED_TRACE(flags);
    EXPECT_EQ(Run({"reports", "--flags", flags, "--profile", "0x42", "--appdata", Data()}), 0);
    EXPECT_EQ(out_.substr(0, 3), "10 ");
    EXPECT_EQ(out_.find('\n'), out_.size() - 1);  // the lighting report alone
  }
}

TEST_F(VelkorCtlTest, BadArgumentsAndMissingThingsExitWithTwo) {
  struct Case {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{}, "no command"},
      {{"frobnicate"}, "unknown command"},
      {{"list", "--flags"}, "--flags needs"},
      {{"reports", "--flags", "x1"}, "--flags needs"},
      {{"reports", "--profile", "zz"}, "--profile needs"},
      {{"reports", "--profile", "123456"}, "no profile 0x123456"},
      {{"apply"}, "Lodrex.dll could not be loaded"},
      {{"export", "--profile", "42"}, "export needs a file"},
      {{"link"}, "link needs a program name"},
      {{"unlink", "extra"}, "unknown argument extra"},
      {{"import", "--profile", "123456", "x.kbp"}, "no profile 0x123456"},
  };
  for (Case& c : cases) {
    c.args.push_back("--appdata");
    c.args.push_back(Data());
    EXPECT_EQ(Run(c.args), 2) << c.reason;
    EXPECT_NE(err_.find(c.reason), std::string::npos) << err_;
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.find("usage: velkorctl"), std::string::npos);
}

TEST_F(VelkorCtlTest, MissingOrEmptyStoreGivesTheWindowsThreeDefaultProfiles) {
  tmp_.WriteText("prog/text.xml", "<config><tc_proname>Profile </tc_proname></config>");
  for (bool missing : {true, false}) {
    if (missing) std::remove(tmp_.Path("data/pro.dct").c_str());
    else tmp_.Write("data/pro.dct", std::vector<uint8_t>(10, 0));
    EXPECT_EQ(Run({"list", "--appdata", Data()}), 0) << err_;
    std::vector<std::string> names;
    for (const std::string& line : Lines(out_)) names.push_back(line.substr(line.rfind('\t') + 1));
    EXPECT_EQ(names, (std::vector<std::string>{"Profile 1", "Profile 2", "Profile 3"})) << out_;
    EXPECT_EQ(out_.substr(0, 3), "1*\t");
    EXPECT_EQ(Run({"reports", "--flags", "2", "--appdata", Data()}), 0) << err_;
    EXPECT_EQ(out_.substr(0, 3), "10 ");
  }
}

TEST_F(VelkorCtlTest, ListShowsTheWholeStoredIdentifier) {
  std::vector<uint8_t> store(kStoreBytes, 0);
  AddProfile(store, 0, 0x7A0B0C0D, u"Wide");
  tmp_.Write("data/pro.dct", store);
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1*\t0x7A0B0C0D\tWide\n");
}

TEST_F(VelkorCtlTest, RunThatSendsNothingSaysWhatWasSkipped) {
  struct Case {
    const char* flags;
    int mode;
    int group;
    std::vector<std::string> lines;
  } cases[] = {
      {"0", 2, 0, {"velkorctl: nothing was sent: --flags 0 names no table (1 key matrix, 2 lighting, 4 key colours)"}},
      {"2", 12, 0, {"velkorctl: lighting skipped: the profile's lighting mode 12 is out of range (0-9)",
                    "velkorctl: nothing was sent"}},
      {"4", 3, 7, {"velkorctl: key colours skipped: the profile's game group 7 is out of range (0-4)",
                   "velkorctl: nothing was sent"}},
      {"4", 2, 0, {"velkorctl: key colours skipped: they are sent in lighting mode 3 only, the profile's mode is 2",
                   "velkorctl: nothing was sent"}},
      // Something went: only the out-of-range table is mentioned.
      {"3", 12, 0, {"velkorctl: lighting skipped: the profile's lighting mode 12 is out of range (0-9)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    std::vector<uint8_t> store(kStoreBytes, 0);
    AddProfile(store, 0, 0x42, u"Odd");
    PROFILEINFO* p = reinterpret_cast<PROFILEINFO*>(store.data());
    p->nCurLedMode = static_cast<uint32_t>(c.mode);
    p->nCurGameGroup = static_cast<uint16_t>(c.group);
    tmp_.Write("data/pro.dct", store);
    EXPECT_EQ(Run({"reports", "--flags", c.flags, "--appdata", Data()}), 0);
    EXPECT_EQ(Lines(err_), c.lines);
  }
}

TEST_F(VelkorCtlTest, LinkUnlinkAndListShowTheLinkedProgram) {
  EXPECT_EQ(Run({"link", "--profile", "42", "C:\\Games\\Arena\\arena.exe", "--appdata", Data()}), 0) << err_;
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1*\t0x0A1B2C\tGame\n2\t0x000042\tWork\tarena.exe\n");
  EXPECT_EQ(Run({"unlink", "--profile", "42", "--appdata", Data()}), 0);
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1*\t0x0A1B2C\tGame\n2\t0x000042\tWork\n");
}

TEST_F(VelkorCtlTest, ExportThenImportCopiesTheSettingsButNotTheIdentity) {
  const std::string file = tmp_.Path("work.kbp");
  EXPECT_EQ(Run({"export", "--profile", "42", file, "--appdata", Data()}), 0) << err_;
  EXPECT_EQ(tmp_.Read("work.kbp").size(), 17196u);
  EXPECT_EQ(Run({"import", "--profile", "0A1B2C", file, "--appdata", Data()}), 0) << err_;
  // Both profiles now light the same way; the imported one keeps its name and identifier.
  EXPECT_EQ(Run({"reports", "--flags", "2", "--profile", "42", "--appdata", Data()}), 0);
  const std::string work = out_;
  EXPECT_EQ(Run({"reports", "--flags", "2", "--profile", "0A1B2C", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, work);
  EXPECT_EQ(Run({"list", "--appdata", Data()}), 0);
  EXPECT_EQ(out_, "1*\t0x0A1B2C\tGame\n2\t0x000042\tWork\n");

  tmp_.WriteText("bad.kbp", "not a profile");
  EXPECT_EQ(Run({"import", tmp_.Path("bad.kbp"), "--appdata", Data()}), 1);
  EXPECT_NE(err_.find("This is not a valid profile"), std::string::npos) << err_;
  EXPECT_EQ(Run({"export", tmp_.Path("no/such/folder/x.kbp"), "--appdata", Data()}), 1);
  EXPECT_NE(err_.find("Create profile failed."), std::string::npos) << err_;
}

}  // namespace
