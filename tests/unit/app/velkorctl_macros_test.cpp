// velkorctl's macro commands on a scratch library: each through the whole command line, the
// way a user runs them, plus the command-line user and the item paths on their own.
#include "app/velkorctl_macros.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/macro_cli_ui.h"
#include "app/macro_item_path.h"
#include "app/velkorctl.h"
#include "unit/app/stream_text.h"
#include "unit/macro/library_fixture.h"

namespace {

namespace fs = std::filesystem;

// Every file and folder below a folder, with the files' bytes: what "nothing on disk changed"
// is checked against.
using Snapshot = std::map<std::string, std::vector<uint8_t>>;

Snapshot Take(const TempFolder& tmp, const std::string& rel) {
  Snapshot shot;
  const fs::path root = tmp.Path(rel);
  if (!fs::exists(root)) return shot;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    shot[name + (entry.is_directory() ? "/" : "")] =
        entry.is_directory() ? std::vector<uint8_t>() : tmp.Read(rel + "/" + name);
  }
  return shot;
}

class VelkorCtlMacrosTest : public LibraryFixture {
 protected:
  void SetUp() override {
    LibraryFixture::SetUp();
    tmp_.WriteText("prog/cfg.ini", "[OPT]\r\nappdir=VelkorTest\r\nMacroDir=1\r\nMacroHasMsKey=127\r\n");
    tmp_.WriteText("prog/text.xml",
                   "<config><tc_macro_msg8>taken</tc_macro_msg8>"
                   "<tc_macro_msg23>bad name</tc_macro_msg23><tc_msg6>delete?</tc_msg6></config>");
    plat::TestHooks().programFolder = [this] { return tmp_.U16Path("prog/"); };
  }

  // One run as its own process would make it: nothing remembered from the run before.
  int Run(std::vector<std::string> args) {
    MacroList.RemoveAll();
    ForgetKnownMacroFiles();
    std::vector<std::u16string> wide = {u"--appdata", AppData()};
    for (const std::string& a : args) wide.push_back(u16::FromUtf8(a));
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const int status = VelkorCtlMain(wide, out, err);
    out_ = StreamText(out);
    err_ = StreamText(err);
    return status;
  }
  std::string Listing() {
    EXPECT_EQ(Run({"macros"}), 0) << err_;
    return out_;
  }
  static std::string IdOf(const StMacro& m) {
    char id[16];
    std::snprintf(id, sizeof id, "0x%06X", static_cast<unsigned>(m.dwMacroId));
    return id;
  }

  std::string out_, err_;
};

TEST_F(VelkorCtlMacrosTest, ListingShowsFoldersBeforeTheirItemsWithIdentifiersAndEventCounts) {
  StMacro fire = Record(0x00ABCD, u"Fire");
  fire.Events[0] = MACROEVENT{0x41, 1, 20};
  fire.Events[1] = MACROEVENT{0x41, 0, 0};
  WriteMacro("Mac/Games/Fire.mck", fire);
  WriteMacro("Mac/Games/Deep/notes.txt", 0x000102);  // any extension loads; the name drops it
  tmp_.WriteText("Mac/junk.mck", "not a macro");      // skipped, as the tree skips it
  // Within a folder the tree keeps the order the listing gave; each folder comes before what it
  // holds.
  std::vector<std::string> lines;
  std::string listing = Listing();
  for (size_t at = 0, end; (end = listing.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(listing.substr(at, end - at));
  std::vector<std::string> sorted = lines;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"folder\tGames", "folder\tGames\\Deep",
                                              "macro\tGames\\Deep\\notes\t0x000102\t0",
                                              "macro\tGames\\Fire\t0x00ABCD\t2"}));
  auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_LT(at("folder\tGames"), at("folder\tGames\\Deep"));
  EXPECT_LT(at("folder\tGames\\Deep"), at("macro\tGames\\Deep\\notes\t0x000102\t0"));
}

TEST_F(VelkorCtlMacrosTest, NewMkdirRenameDeleteActOnDiskAtOnce) {
  tmp_.MakeFolder("Mac/Games");
  EXPECT_EQ(Run({"macro", "mkdir", "games\\Arena"}), 0) << err_;  // letter case as the tree ignores it
  EXPECT_TRUE(Exists("Mac/Games/Arena"));
  EXPECT_EQ(Run({"macro", "new", "Games/Arena/Fire.mck"}), 0) << err_;  // cut at its extension
  const StMacro fire = ReadMacro("Mac/Games/Arena/Fire.mck");
  EXPECT_EQ(fire.dwMagicNumber, kMacroMagic);
  EXPECT_EQ(Text(fire), u"Fire");
  EXPECT_EQ(Listing(), "folder\tGames\nfolder\tGames\\Arena\nmacro\tGames\\Arena\\Fire\t" + IdOf(fire) + "\t0\n");

  EXPECT_EQ(Run({"macro", "rename", "Games\\Arena\\Fire", "Blast"}), 0) << err_;
  EXPECT_FALSE(Exists("Mac/Games/Arena/Fire.mck"));
  EXPECT_EQ(Text(ReadMacro("Mac/Games/Arena/Blast.mck")), u"Blast");
  EXPECT_EQ(ReadMacro("Mac/Games/Arena/Blast.mck").dwMacroId, fire.dwMacroId);
  EXPECT_EQ(Run({"macro", "rename", "Games\\Arena", "Ring"}), 0) << err_;
  EXPECT_TRUE(Exists("Mac/Games/Ring/Blast.mck"));

  EXPECT_EQ(Run({"macro", "delete", "Games"}), 0) << err_;
  EXPECT_FALSE(Exists("Mac/Games"));
  EXPECT_TRUE(Exists("Mac"));
  EXPECT_EQ(Listing(), "");
}

TEST_F(VelkorCtlMacrosTest, ImportAndExportCopyFilesWithoutTouchingTheSource) {
  StMacro combo = Record(0x000777, u"Whatever");
  combo.wLoopCount = 3;
  WriteMacro("Outside/Combo.mck", combo);
  tmp_.MakeFolder("Mac/Games");
  const std::vector<uint8_t> source = tmp_.Read("Outside/Combo.mck");
  EXPECT_EQ(Run({"macro", "import", tmp_.Path("Outside/Combo.mck"), "Games"}), 0) << err_;
  const StMacro imported = ReadMacro("Mac/Games/Combo.mck");
  EXPECT_EQ(Text(imported), u"Combo");
  EXPECT_EQ(imported.wLoopCount, 3);
  EXPECT_NE(imported.dwMacroId, 0x000777u);
  EXPECT_EQ(tmp_.Read("Outside/Combo.mck"), source);

  EXPECT_EQ(Run({"macro", "export", "Games\\Combo", tmp_.Path("out.mck")}), 0) << err_;
  EXPECT_EQ(tmp_.Read("out.mck"), tmp_.Read("Mac/Games/Combo.mck"));
  // A folder for FILE takes the name the save dialog proposes.
  tmp_.MakeFolder("Backup");
  EXPECT_EQ(Run({"macro", "export", "Games\\Combo", tmp_.Path("Backup")}), 0) << err_;
  EXPECT_EQ(tmp_.Read("Backup/Combo.mck"), tmp_.Read("Mac/Games/Combo.mck"));
}

TEST_F(VelkorCtlMacrosTest, RefusalsAndFailuresExitOneWithTheNoticeAndChangeNothing) {
  WriteMacro("Mac/Fire.mck", Record(0x10, u"Fire"));
  WriteMacro("Mac/Games/Combo.mck", Record(0x11, u"Combo"));
  tmp_.WriteText("Mac/Notes", "a file the tree does not show");
  tmp_.WriteText("Mac/Broken.mck", "a damaged macro the tree does not show");
  tmp_.Write("bad.mck", std::vector<uint8_t>(kMacroRecordBytes, 0x55));
  WriteMacro("Outside/Fire.mck", Record(0x12, u"Fire"));
  struct Case {
    std::vector<std::string> args;
    const char* notice;
  } cases[] = {
      {{"macro", "new", "FIRE"}, "velkorctl: taken"},
      {{"macro", "new", "what?"}, "velkorctl: bad name"},
      {{"macro", "new", std::string(300, 'n')}, "velkorctl: bad name"},
      {{"macro", "mkdir", "fire"}, "velkorctl: taken"},
      {{"macro", "mkdir", "Notes"}, "velkorctl: taken"},
      {{"macro", "new", "Broken"}, "velkorctl: "},  // written at once, but never over that file
      {{"macro", "rename", "Fire", "fire"}, "velkorctl: taken"},
      {{"macro", "rename", "Fire", "Games"}, "velkorctl: taken"},
      {{"macro", "rename", "Fire", "Games\\Blast"}, "velkorctl: bad name"},
      {{"macro", "import", "Outside/Fire.mck"}, "velkorctl: taken"},
      {{"macro", "import", "bad.mck"}, "velkorctl: This is not a valid macro file."},
      {{"macro", "import", "missing.mck", "Games"}, "velkorctl: Open macro file failed. error=0x2"},
      {{"macro", "export", "Fire", "no/such/folder/x.mck"}, "velkorctl: ExportMacro: copy file err=0x"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    for (std::string& a : c.args)
      if (a.find(".mck") != std::string::npos) a = tmp_.Path(a);
    const Snapshot before = Take(tmp_, "");
    EXPECT_EQ(Run(c.args), 1);
    EXPECT_EQ(err_.rfind(c.notice, 0), 0u) << err_;
    EXPECT_EQ(Take(tmp_, ""), before);
  }

  // A file that cannot be written: the macro is not reported made, and no file is left.
  plat::TestHooks().failWrite = [](const std::u16string&) { return 112u; };
  const Snapshot before = Take(tmp_, "Mac");
  EXPECT_EQ(Run({"macro", "new", "Blast"}), 1);
  EXPECT_NE(err_.find("The macro could not be written"), std::string::npos) << err_;
  EXPECT_EQ(Take(tmp_, "Mac"), before);
}

TEST_F(VelkorCtlMacrosTest, FoldersOffOrMissingItemsAndBadWordsAreToldApart) {
  WriteMacro("Mac/Fire.mck", 0x10);
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* reason;
  } cases[] = {
      {{"macro", "new", "Games\\Fire"}, 2, "\"Games\" is no folder"},
      {{"macro", "new", "Fire\\Inner"}, 2, "\"Fire\" is no folder"},
      {{"macro", "delete", "Nothing"}, 2, "\"Nothing\" is no item"},
      {{"macro", "delete", "\\"}, 2, "is no item"},
      {{"macro", "export", "Nothing", "x.mck"}, 2, "is no item"},
      {{"macro", "import", "x.mck", "Fire"}, 2, "\"Fire\" is no folder"},
      {{"macro"}, 2, "macro needs one of new"},
      {{"macro", "frob", "x"}, 2, "unknown macro command frob"},
      {{"macro", "rename", "Fire"}, 2, "usage: velkorctl macro rename PATH NAME"},
      {{"macro", "new", "a", "b"}, 2, "usage: velkorctl macro new PATH"},
      {{"macros", "extra"}, 2, "unknown argument extra"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(Run(c.args), c.status);
    EXPECT_NE(err_.find(c.reason), std::string::npos) << err_;
  }
  // A name beginning with a dash, after "--".
  EXPECT_EQ(Run({"macro", "new", "--", "-Fire-"}), 0) << err_;
  EXPECT_TRUE(Exists("Mac/-Fire-.mck"));

  tmp_.WriteText("prog/cfg.ini", "[OPT]\r\nappdir=VelkorTest\r\nMacroDir=0\r\n");
  EXPECT_EQ(Run({"macro", "mkdir", "Games"}), 1);
  EXPECT_NE(err_.find("MacroDir is 0"), std::string::npos) << err_;
  EXPECT_FALSE(Exists("Mac/Games"));

  EXPECT_EQ(Run({"--help"}), 0);
  for (const char* line : {"macro import FILE [FOLDER]", "macro export PATH FILE", "--appdata DIR"})
    EXPECT_NE(out_.find(line), std::string::npos) << line;
}

TEST(CliMacroUiTest, AnswersWhatTheCommandLineSaidOnceAndTellsOnTheErrorStream) {
  FILE* err = std::tmpfile();
  CliMacroUi ui(err);
  std::u16string text, path;
  EXPECT_FALSE(ui.AskText(u"name?", &text));  // nothing given: Cancel
  ui.AnswerText(u"Fire");
  EXPECT_TRUE(ui.AskText(u"name?", &text));
  EXPECT_EQ(text, u"Fire");
  EXPECT_FALSE(ui.AskText(u"again?", &text));
  EXPECT_TRUE(ui.Confirm(u"delete?"));
  uint32_t number = 0;
  CapturedKey key;
  EXPECT_FALSE(ui.AskNumber(u"n?", &number));
  EXPECT_FALSE(ui.AskKey(u"k?", &key));
  EXPECT_FALSE(ui.ChooseFolder(&path));

  TempFolder tmp("velkor-cli-ui");
  ui.AnswerPath(tmp.U16Path());
  EXPECT_TRUE(ui.AskSavePath(u"Fire.mck", &path));
  EXPECT_EQ(path, tmp.U16Path() + u"\\Fire.mck");
  ui.AnswerPath(tmp.U16Path("new.mck"));
  EXPECT_TRUE(ui.AskSavePath(u"Fire.mck", &path));
  EXPECT_EQ(path, tmp.U16Path("new.mck"));
  EXPECT_FALSE(ui.AskOpenPath(&path));

  EXPECT_FALSE(ui.Told());
  ui.ShowMessage(u"Äpfel taken");
  EXPECT_TRUE(ui.Told());
  EXPECT_EQ(StreamText(err), "velkorctl: \xC3\x84pfel taken\n");
}

TEST(MacroItemPathTest, PartsAreNamesAndLookupsFollowTheTree) {
  struct Case {
    const char16_t* path;
    std::vector<std::u16string> parts;
  } cases[] = {
      {u"Games\\Fire", {u"Games", u"Fire"}},
      {u"Games/Fire", {u"Games", u"Fire"}},
      {u"\\Games\\\\Fire\\", {u"Games", u"Fire"}},
      {u"..\\.", {u"..", u"."}},
      {u"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitItemPath(c.path), c.parts) << u16::ToUtf8(c.path);

  MacroTreeModel tree;
  MacroNode* games = tree.InsertFolder(tree.Root(), u"Games", u"", false);
  MacroNode* fire = tree.InsertMacro(games, u"Fire", 1, false);
  MacroNode* dots = tree.InsertFolder(tree.Root(), u"..", u"", false);
  EXPECT_EQ(FindItemByPath(tree, {u"GAMES", u"fire"}), fire);
  EXPECT_EQ(FindItemByPath(tree, {u".."}), dots);  // a name, never a step up
  EXPECT_EQ(FindItemByPath(tree, {}), tree.Root());
  EXPECT_EQ(FindItemByPath(tree, {u"Games", u"Fire", u"x"}), nullptr);
  EXPECT_EQ(FindItemByPath(tree, {u"Fire"}), nullptr);
  EXPECT_EQ(FindFolderByPath(tree, {u"Games"}), games);
  EXPECT_EQ(FindFolderByPath(tree, {u"Games", u"Fire"}), nullptr);
  EXPECT_EQ(ItemPathText(fire), u"Games\\Fire");
  EXPECT_EQ(ItemPathText(tree.Root()), u"");
}

}  // namespace
