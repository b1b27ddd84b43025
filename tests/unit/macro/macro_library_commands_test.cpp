#include "macro/macro_library_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "macro/macro_library.h"
#include "unit/macro/library_fixture.h"

namespace {

class LibraryCommandsTest : public LibraryFixture {
 protected:
  void Load() {
    tree_.Clear();
    lib_.Load();
  }
  MacroNode* Select(std::initializer_list<const char16_t*> path) {
    MacroNode* n = tree_.Root();
    for (const char16_t* part : path) n = tree_.FindChild(n, part);
    tree_.Select(n);
    return n;
  }

  MacroTreeModel tree_;
  MacroLibraryCommands lib_{tree_, ui_, AppData(), true, 0x7F};
};

TEST_F(LibraryCommandsTest, ANewMacroIsWrittenByTheFirstFlush) {
  tmp_.MakeFolder("Mac");
  Load();
  tree_.Select(tree_.InsertFolder(tree_.Root(), u"Games", u"", true));
  ui_.texts = {u"Fire.txt"};
  EXPECT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::MacroCreated);
  ASSERT_NE(lib_.CurrentMacro(), nullptr);
  EXPECT_EQ(Text(*lib_.CurrentMacro()), u"Fire");
  EXPECT_EQ(lib_.CurrentMacro()->dwDirtyFlags, kMacroDirtyBits);
  EXPECT_FALSE(Exists("Mac/Games"));

  lib_.FlushAll();
  const StMacro written = ReadMacro("Mac/Games/Fire.mck");
  EXPECT_EQ(written.dwMacroId, lib_.CurrentMacro()->dwMacroId);
  EXPECT_EQ(Text(written), u"Fire");

  // With a macro selected nothing happens; nothing is asked.
  ui_.texts = {u"Other"};
  EXPECT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.texts.size(), 1u);
}

TEST_F(LibraryCommandsTest, NamesTakenOrUnwritableAreRefusedAndNothingChanges) {
  WriteMacro("Mac/Fire.mck", 0x10);
  WriteMacro("Mac/\xC3\x84pfel.mck", 0x11);  // Äpfel
  Load();
  struct Case {
    std::u16string typed;
    const char16_t* message;
  } cases[] = {
      {u"fire", u"taken"},      {u" FIRE ", u"taken"},     {u"\u00E4pfel", u"taken"},  // äpfel
      {u"   ", u"bad name"},    {u"a/b", u"bad name"},     {u"a:b", u"bad name"},
      {u"x\x01y", u"bad name"},  {u"what?", u"bad name"},   {std::u16string(300, u'n'), u"bad name"},
      {u"..", u"bad name"},     {u".", u"bad name"},       {u"a..", u"bad name"},
      {u"CON", u"bad name"},    {u"nul.mck", u"bad name"}, {u"Com3", u"bad name"},
      {u"lpt1.txt", u"bad name"},
  };
  for (const Case& c : cases) {
    ui_.shown.clear();
    tree_.Select(nullptr);
    ui_.texts = {c.typed};
    EXPECT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::None);
    ui_.texts = {c.typed};
    EXPECT_EQ(lib_.NewFolder(), MacroLibraryCommands::Outcome::None);
    EXPECT_EQ(ui_.shown, (std::vector<std::u16string>{c.message, c.message})) << u16::ToUtf8(c.typed);
  }
  Select({u"Fire"});
  ui_.texts = {u"fire"};  // the item itself counts
  ui_.shown.clear();
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"taken"});
  EXPECT_EQ(tree_.Count(), 2u);
  EXPECT_EQ(MacroList.GetCount(), 2u);

  // A file the tree does not show (it holds no valid macro) takes its name all the same.
  tmp_.WriteText("Mac/Readme.mck", "not a macro");
  tree_.Select(nullptr);
  ui_.texts = {u"readme"};
  ui_.shown.clear();
  EXPECT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"taken"});
  EXPECT_EQ(tmp_.Read("Mac/Readme.mck").size(), 11u);
}

TEST_F(LibraryCommandsTest, AFirstWriteNeverReplacesAFileThatAppearedMeanwhile) {
  tmp_.MakeFolder("Mac");
  Load();
  tree_.Select(nullptr);
  ui_.texts = {u"Fire"};
  ASSERT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::MacroCreated);
  tmp_.WriteText("Mac/Fire.mck", "someone else's");
  lib_.FlushAll();
  EXPECT_EQ(tmp_.Read("Mac/Fire.mck").size(), 14u);
  EXPECT_EQ(lib_.CurrentMacro()->dwDirtyFlags, kMacroDirtyBits);  // still to be written
  EXPECT_FALSE(Exists("Mac/Fire.mc~"));
}

TEST_F(LibraryCommandsTest, AMacroReadFromAFileOfAnotherNameIsFlushedRenamedAndDeletedAsThatFile) {
  WriteMacro("Mac/notes.txt", Record(0x61, u"notes"));
  WriteMacro("Mac/other.dat", Record(0x62, u"other"));
  Load();
  Select({u"notes"});
  lib_.CurrentMacro()->wLoopCount = 3;
  lib_.CurrentMacro()->dwDirtyFlags |= kMacroDirtyOptions;
  lib_.FlushAll();
  EXPECT_EQ(ReadMacro("Mac/notes.txt").wLoopCount, 3);
  EXPECT_FALSE(Exists("Mac/notes.mck"));

  ui_.texts = {u"memo"};
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::TreeChanged);
  EXPECT_FALSE(Exists("Mac/notes.txt"));
  EXPECT_EQ(ReadMacro("Mac/memo.mck").dwMacroId, 0x61u);

  Select({u"other"});
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::ItemDeleted);
  EXPECT_FALSE(Exists("Mac/other.dat"));
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"delete?"});
}

TEST_F(LibraryCommandsTest, FilesSharingAnIdentifierEachGetARecordOfTheirOwnOnce) {
  WriteMacro("Mac/Fire.mck", Record(0x71, u"Fire"));
  WriteMacro("Mac/Fire copy.mck", Record(0x71, u"Fire"));  // copied in the file manager
  WriteMacro("Mac/Jump.mck", Record(0x72, u"Jump"));
  Load();
  ASSERT_EQ(MacroList.GetCount(), 3u);
  const uint32_t a = ReadMacro("Mac/Fire.mck").dwMacroId, b = ReadMacro("Mac/Fire copy.mck").dwMacroId;
  EXPECT_NE(a, b);
  EXPECT_TRUE(a == 0x71u || b == 0x71u);  // the first one listed keeps it
  EXPECT_NE(FindMacroById(a), nullptr);
  EXPECT_NE(FindMacroById(b), nullptr);

  // A change of one reaches its own file only.
  const std::vector<uint8_t> copyBefore = tmp_.Read("Mac/Fire copy.mck");
  Select({u"Fire"});
  lib_.CurrentMacro()->wLoopCount = 9;
  lib_.CurrentMacro()->dwDirtyFlags |= kMacroDirtyOptions;
  lib_.FlushAll();
  EXPECT_EQ(ReadMacro("Mac/Fire.mck").wLoopCount, 9);
  EXPECT_EQ(tmp_.Read("Mac/Fire copy.mck"), copyBefore);

  // Identifiers all distinct now: later starts write nothing.
  std::vector<std::vector<uint8_t>> before;
  for (const char* f : {"Mac/Fire.mck", "Mac/Fire copy.mck", "Mac/Jump.mck"}) before.push_back(tmp_.Read(f));
  MacroList.RemoveAll();
  ForgetKnownMacroFiles();
  Load();
  EXPECT_EQ(MacroList.GetCount(), 3u);
  Load();  // the editor opened again
  EXPECT_EQ(MacroList.GetCount(), 3u);
  size_t i = 0;
  for (const char* f : {"Mac/Fire.mck", "Mac/Fire copy.mck", "Mac/Jump.mck"}) EXPECT_EQ(tmp_.Read(f), before[i++]) << f;
  std::vector<plat::DirEntry> entries;
  plat::ListDirectory(AppData() + u"Mac", entries);
  EXPECT_EQ(entries.size(), 3u);
}

TEST_F(LibraryCommandsTest, DeleteNeverActsOutsideTheLibraryWhateverTheTreeHolds) {
  WriteMacro("Mac/Keep.mck", 0x91);
  tmp_.WriteText("pro.dct", "profiles");
  tmp_.WriteText("Mac/Games/x", "x");
  Load();
  // Items no command would make now, as older versions let them be typed.
  MacroNode* up = tree_.InsertFolder(tree_.Root(), u"..", u"", false);
  tree_.InsertFolder(up, u"..", u"", false);
  MacroNode* here = tree_.InsertFolder(tree_.Root(), u".", u"", false);
  MacroNode* trailing = tree_.InsertFolder(tree_.Root(), u"Games.", u"", false);
  for (MacroNode* item : {up->children[0].get(), up, here, trailing}) {
    tree_.Select(item);
    ui_.shown.clear();
    EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::None);
    EXPECT_EQ(ui_.shown.back(), u"Get file path failed.");
  }
  EXPECT_EQ(tmp_.Read("pro.dct").size(), 8u);
  EXPECT_TRUE(Exists("Mac/Keep.mck"));
  EXPECT_TRUE(Exists("Mac/Games/x"));
  EXPECT_EQ(MacroList.GetCount(), 1u);
}

TEST_F(LibraryCommandsTest, AFolderRenameThatWouldPushANestedPathPastTheLimitIsRefusedFirst) {
  // Mac/A/<deep>/<file>.mck, 258 characters long: one more fits, two do not.
  const std::u16string base = AppData() + u"Mac\\A\\";
  const std::string deep(120, 'd');
  const size_t fileChars = 258 - base.size() - deep.size() - 1 - 4;
  const std::string file = std::string(fileChars, 'f') + ".mck";
  WriteMacro("Mac/A/" + deep + "/" + file, Record(0xA1, u"f"));
  Load();
  ASSERT_EQ(MacroList.GetCount(), 1u);
  Select({u"A"});
  ui_.texts = {u"ABC"};
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"bad name"});
  EXPECT_TRUE(Exists("Mac/A/" + deep + "/" + file));
  EXPECT_EQ(tree_.Selected()->text, u"A");

  ui_.texts = {u"AB"};
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::TreeChanged);
  EXPECT_TRUE(Exists("Mac/AB/" + deep + "/" + file));
  EXPECT_EQ(MacroList.GetCount(), 1u);
}

TEST_F(LibraryCommandsTest, TheLibraryHoldsAtMostTwoThousandMacros) {
  for (uint32_t i = 0; i < static_cast<uint32_t>(kMacroLibraryMax); ++i) AppendMacroCopy(Record(0x100000 + i));
  ui_.texts = {u"One more"};
  EXPECT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"The number of macro is up to the maximum"});
}

TEST_F(LibraryCommandsTest, NewMacrosNeverShareAnIdentifierWithAHeldOne) {
  WriteMacro("Mac/Held.mck", ProfileIdFromTime(9, 0, 0, 0));  // what the clock gives first
  Load();
  clock_ = 0;
  tree_.Select(nullptr);
  ui_.texts = {u"New"};
  ASSERT_EQ(lib_.NewMacro(), MacroLibraryCommands::Outcome::MacroCreated);
  EXPECT_NE(lib_.CurrentMacro()->dwMacroId, ProfileIdFromTime(9, 0, 0, 0));
}

TEST_F(LibraryCommandsTest, RenamingAMacroMovesItsFileWithPendingChanges) {
  WriteMacro("Mac/Fire.mck", Record(0x10, u"Fire"));
  Load();
  Select({u"Fire"});
  lib_.CurrentMacro()->wLoopCount = 5;
  lib_.CurrentMacro()->dwDirtyFlags |= kMacroDirtyEvents;
  ui_.texts = {u"Blast.mck"};
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::TreeChanged);
  EXPECT_FALSE(Exists("Mac/Fire.mck"));
  const StMacro moved = ReadMacro("Mac/Blast.mck");
  EXPECT_EQ(moved.wLoopCount, 5);
  EXPECT_EQ(Text(moved), u"Blast");  // keys show the name the file has
  EXPECT_EQ(tree_.Selected()->text, u"Blast");
}

TEST_F(LibraryCommandsTest, RenamingAFolderWritesItsChangesFirstAndKeepsEveryMacro) {
  WriteMacro("Mac/Games/Combo.mck", 0x21);
  WriteMacro("Mac/Games/Sub/Deep.mck", 0x22);
  tmp_.WriteText("Mac/Games/Games.png", "png");  // shown: its items are read again
  Load();
  FindMacroById(0x22)->wLoopCount = 8;
  FindMacroById(0x22)->dwDirtyFlags |= kMacroDirtyOptions;
  Select({u"Games"});
  ui_.texts = {u"Arcade"};
  lib_.Rename();
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_EQ(ReadMacro("Mac/Arcade/Sub/Deep.mck").wLoopCount, 8);
  EXPECT_TRUE(Exists("Mac/Arcade/Arcade.png"));
  MacroNode* arcade = tree_.FindChild(tree_.Root(), u"Arcade");
  ASSERT_NE(arcade, nullptr);
  EXPECT_EQ(arcade->imagePath, AppData() + u"Mac\\Arcade\\Arcade.png");
  EXPECT_EQ(tree_.Count(), 4u);
  EXPECT_EQ(MacroList.GetCount(), 2u);
  EXPECT_EQ(FindMacroById(0x22)->dwDirtyFlags, 0u);
}

TEST_F(LibraryCommandsTest, AFolderRenameOntoANameTakenOnDiskLeavesTheFolderAsItWas) {
  WriteMacro("Mac/Games/Combo.mck", 0x21);
  tmp_.WriteText("Mac/Games/Games.png", "png");
  tmp_.WriteText("Mac/Arcade", "in the way");  // no macro, so no item: there on disk only
  Load();
  Select({u"Games"});
  ui_.texts = {u"Arcade"};
  lib_.Rename();
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"taken"});
  MacroNode* games = tree_.FindChild(tree_.Root(), u"Games");
  ASSERT_NE(games, nullptr);
  EXPECT_NE(tree_.FindChild(games, u"Combo"), nullptr);
  EXPECT_NE(FindMacroById(0x21), nullptr);
  EXPECT_TRUE(Exists("Mac/Games/Games.png"));

  // A folder never written (no macro in it yet) is renamed in the tree alone.
  tree_.Select(tree_.InsertFolder(tree_.Root(), u"Empty", u"", true));
  ui_.texts = {u"Still empty"};
  ui_.shown.clear();
  EXPECT_EQ(lib_.Rename(), MacroLibraryCommands::Outcome::TreeChanged);
  EXPECT_TRUE(ui_.shown.empty());
  EXPECT_NE(tree_.FindChild(tree_.Root(), u"Still empty"), nullptr);
}

TEST_F(LibraryCommandsTest, DeletingAFolderTakesItsRecordsAndFiles) {
  WriteMacro("Mac/Keep.mck", 0x11);
  WriteMacro("Mac/Games/Combo.mck", 0x21);
  WriteMacro("Mac/Games/Sub/Deep.mck", 0x22);
  Load();
  Select({u"Games"});
  ui_.confirm = false;
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::None);
  EXPECT_TRUE(Exists("Mac/Games"));
  ui_.confirm = true;
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::ItemDeleted);
  EXPECT_FALSE(Exists("Mac/Games"));
  EXPECT_EQ(MacroList.GetCount(), 1u);
  EXPECT_EQ(tree_.Count(), 1u);

  Select({u"Keep"});
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::ItemDeleted);
  EXPECT_FALSE(Exists("Mac/Keep.mck"));
  EXPECT_EQ(MacroList.GetCount(), 0u);
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown.back(), u"Operation failed, hItem = 0x0, pItem = 0x0.");
}

TEST_F(LibraryCommandsTest, DeletingAnItemWhosePathDoesNotFitTouchesNothing) {
  const std::u16string longName(120, u'L');
  tmp_.MakeFolder("Mac");
  Load();
  MacroNode* a = tree_.InsertFolder(tree_.Root(), longName, u"", false);
  MacroNode* b = tree_.InsertFolder(a, longName, u"", false);
  tree_.Select(b);
  // On a cut path the delete would act on another folder: this one.
  const std::string cut = "Mac/" + u16::ToUtf8(longName) + "/" +
                          u16::ToUtf8(longName.substr(0, 259 - (AppData().size() + 3 + 1 + 120 + 1)));
  tmp_.WriteText(cut + "/x", "x");
  EXPECT_EQ(lib_.Delete(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown.back(), u"Get file path failed.");
  EXPECT_EQ(tree_.Count(), 2u);
  EXPECT_TRUE(Exists(cut + "/x"));
}

TEST_F(LibraryCommandsTest, ImportingWritesACopyWithANewIdentifierIntoTheSelectedFolder) {
  StMacro source = Record(0x31, u"Elsewhere");
  source.wLoopCount = 4;
  WriteMacro("Outside/Combo.mck", source);
  const std::vector<uint8_t> original = tmp_.Read("Outside/Combo.mck");
  WriteMacro("Mac/Games/Other.mck", 0x32);
  Load();
  Select({u"Games", u"Other"});
  ui_.paths = {tmp_.U16Path("Outside/Combo.mck")};
  // With a macro selected the import is refused before anything is asked or added.
  EXPECT_EQ(lib_.ImportMacro(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.paths.size(), 1u);
  EXPECT_EQ(MacroList.GetCount(), 1u);

  Select({u"Games"});
  ASSERT_EQ(lib_.ImportMacro(), MacroLibraryCommands::Outcome::MacroImported);
  const StMacro written = ReadMacro("Mac/Games/Combo.mck");
  EXPECT_EQ(written.wLoopCount, 4);
  EXPECT_EQ(Text(written), u"Combo");
  EXPECT_NE(written.dwMacroId, 0x31u);
  EXPECT_EQ(written.dwMacroId, lib_.CurrentMacro()->dwMacroId);
  EXPECT_EQ(lib_.CurrentMacro()->dwDirtyFlags, 0u);
  EXPECT_EQ(tree_.Selected()->textOffset, 0u);
  EXPECT_EQ(tmp_.Read("Outside/Combo.mck"), original);

  ui_.paths = {tmp_.U16Path("Outside/Combo.mck")};  // again: the name is taken now
  Select({u"Games"});
  EXPECT_EQ(lib_.ImportMacro(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown.back(), u"taken");
}

TEST_F(LibraryCommandsTest, ExportingAMacroCopiesWhatTheUserSees) {
  WriteMacro("Mac/Fire.mck", Record(0x41, u"Fire"));
  Load();
  Select({u"Fire"});
  lib_.CurrentMacro()->wLoopCount = 6;
  lib_.CurrentMacro()->dwDirtyFlags |= kMacroDirtyOptions;
  ui_.paths = {tmp_.U16Path("Fire copy.mck")};
  lib_.ExportMacro();
  EXPECT_EQ(ui_.proposedFile, u"Fire.mck");
  EXPECT_EQ(ReadMacro("Fire copy.mck").wLoopCount, 6);
  EXPECT_EQ(tmp_.Read("Fire copy.mck"), tmp_.Read("Mac/Fire.mck"));

  // A copy that did not happen is told, not only logged.
  EXPECT_TRUE(ui_.shown.empty());
  ui_.paths = {tmp_.U16Path("missing/Fire.mck")};
  lib_.ExportMacro();
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0].rfind(u"ExportMacro: copy file err=0x", 0), 0u);
}

TEST_F(LibraryCommandsTest, ImportedFoldersGetNewIdentifiersOnDiskAndCannotHoldThemselves) {
  WriteMacro("Pack/A.mck", 0x51);
  WriteMacro("Pack/Inner/B.mck", 0x52);
  tmp_.MakeFolder("Mac");
  Load();
  tree_.Select(nullptr);
  ui_.paths = {tmp_.U16Path("Pack")};
  EXPECT_EQ(lib_.ImportFolder(), MacroLibraryCommands::Outcome::TreeChanged);
  ASSERT_EQ(MacroList.GetCount(), 2u);
  for (const char* file : {"Mac/Pack/A.mck", "Mac/Pack/Inner/B.mck"}) {
    const StMacro m = ReadMacro(file);
    EXPECT_NE(m.dwMacroId, 0x51u);
    EXPECT_NE(m.dwMacroId, 0x52u);
    ASSERT_NE(FindMacroById(m.dwMacroId), nullptr) << file;
    EXPECT_EQ(FindMacroById(m.dwMacroId)->dwDirtyFlags, 0u);
  }
  EXPECT_EQ(ReadMacro("Pack/A.mck").dwMacroId, 0x51u);  // the source stays as it was

  // The library, or a folder of it, is no folder to import into itself or export below itself.
  Select({u"Pack"});
  ui_.paths = {AppData() + u"Mac"};
  ui_.shown.clear();
  EXPECT_EQ(lib_.ImportFolder(), MacroLibraryCommands::Outcome::None);
  ui_.paths = {AppData() + u"Mac\\Pack\\Inner"};
  EXPECT_EQ(lib_.ExportFolder(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, (std::vector<std::u16string>{u"into itself", u"into itself"}));
  EXPECT_FALSE(Exists("Mac/Pack/Mac"));
  EXPECT_FALSE(Exists("Mac/Pack/Inner/Pack"));

  tree_.Select(nullptr);
  ui_.paths = {tmp_.U16Path("Out")};
  lib_.ExportFolder();
  EXPECT_TRUE(Exists("Out/Mac/Pack/Inner/B.mck"));

  // A whole drive is no folder of macros; a library folder is not copied into the library.
  tree_.Select(nullptr);
  ui_.shown.clear();
  ui_.paths = {u"C:\\", AppData() + u"Mac\\Pack\\Inner"};
  EXPECT_EQ(lib_.ImportFolder(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(lib_.ImportFolder(), MacroLibraryCommands::Outcome::None);
  EXPECT_EQ(ui_.shown, (std::vector<std::u16string>{u"bad name", u"into itself"}));
  EXPECT_FALSE(Exists("Mac/Inner"));
}

TEST_F(LibraryCommandsTest, AFolderOfManyMacrosImportsWithoutWaitingForTheClock) {
  for (int i = 0; i < 200; ++i) WriteMacro("Pack/M" + std::to_string(i) + ".mck", 0x300 + i);
  tmp_.MakeFolder("Mac");
  Load();
  uint32_t slept = 0;
  plat::TestHooks().sleep = [&](uint32_t ms) { slept += ms; };
  tree_.Select(nullptr);
  ui_.paths = {tmp_.U16Path("Pack")};
  ASSERT_EQ(lib_.ImportFolder(), MacroLibraryCommands::Outcome::TreeChanged);
  EXPECT_EQ(slept, 0u);
  EXPECT_EQ(MacroList.GetCount(), 200u);
  std::set<uint32_t> ids;
  for (int i = 0; i < 200; ++i) ids.insert(ReadMacro("Mac/Pack/M" + std::to_string(i) + ".mck").dwMacroId);
  EXPECT_EQ(ids.size(), 200u);
  EXPECT_EQ(ui_.busy, (std::vector<bool>{true, false}));
}

}  // namespace

namespace {

TEST_F(LibraryCommandsTest, MacrosOfAnImportedProfileJoinTheTopLevelUnlessTheNameIsThere) {
  WriteMacro("Mac/Fire.mck", Record(0x81, u"Fire"));
  Load();
  StMacro bad = Record(0x82, u"Bad");
  bad.dwMagicNumber = 0;
  EXPECT_FALSE(lib_.AddMacro(bad));
  EXPECT_FALSE(lib_.AddMacro(Record(0x83, u"fire")));
  EXPECT_TRUE(lib_.AddMacro(Record(0x84, u"Combo")));
  MacroNode* combo = tree_.FindChild(tree_.Root(), u"Combo");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->value, 0x84u);
  EXPECT_EQ(tree_.Selected(), nullptr);
  EXPECT_EQ(MacroList.GetCount(), 2u);
  EXPECT_EQ(FindMacroById(0x84)->dwDirtyFlags, 0u);
}

}  // namespace
