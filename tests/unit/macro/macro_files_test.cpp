#include "macro/macro_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"
#include "unit/temp_folder.h"

namespace {

class MacroFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::ResetTestHooks(); }
  bool Exists(const std::string& rel) { return plat::PathExists(tmp_.U16Path(rel)); }
  void Link(const std::string& target, const std::string& rel) {
    ASSERT_EQ(symlink(tmp_.Path(target).c_str(), tmp_.Path(rel).c_str()), 0);
  }
  TempFolder tmp_{"velkor-macfiles"};
};

TEST_F(MacroFilesTest, DeletingAFolderTreeRemovesLinksButNotWhatTheyPointTo) {
  tmp_.WriteText("Lib/a.mck", "a");
  tmp_.WriteText("Lib/Sub/b.mck", "b");
  tmp_.WriteText("Outside/keep.mck", "k");
  tmp_.WriteText("keep.txt", "k");
  Link("Outside", "Lib/Sub/folderlink");
  Link("keep.txt", "Lib/filelink");

  EXPECT_TRUE(DeleteFolderTree(tmp_.U16Path("Lib")));
  EXPECT_FALSE(Exists("Lib"));
  EXPECT_EQ(tmp_.Read("Outside/keep.mck").size(), 1u);
  EXPECT_TRUE(Exists("keep.txt"));

  // A folder that is itself a link goes as a link.
  Link("Outside", "Alias");
  EXPECT_TRUE(DeleteFolderTree(tmp_.U16Path("Alias")));
  EXPECT_FALSE(plat::IsLink(tmp_.U16Path("Alias")));
  EXPECT_TRUE(Exists("Outside/keep.mck"));

  EXPECT_FALSE(DeleteFolderTree(u""));
}

TEST_F(MacroFilesTest, AFolderPathTooLongToListIsNotDeletedAndSaysSo) {
  std::string rel = "Deep";
  while (tmp_.Path(rel).size() < kMacroMaxFolderChars) rel += "/" + std::string(40, 'd');
  tmp_.WriteText(rel + "/x.mck", "x");
  EXPECT_FALSE(DeleteFolderTree(tmp_.U16Path(rel)));
  EXPECT_EQ(plat::LastError(), plat::kErrFilenameTooLong);
  EXPECT_TRUE(Exists(rel + "/x.mck"));
}

TEST_F(MacroFilesTest, CopyingAFolderTreeKeepsExistingFilesAndSkipsLinksAndHiddenFolders) {
  tmp_.WriteText("Src/Games/a.mck", "new");
  tmp_.WriteText("Src/Games/Deep/b.mck", "b");
  tmp_.WriteText("Src/Games/.git/c", "c");
  tmp_.WriteText("Outside/o.mck", "o");
  Link("Outside", "Src/Games/link");
  tmp_.WriteText("Dst/Games/a.mck", "old");

  EXPECT_TRUE(CopyFolderTree(tmp_.U16Path("Src/Games"), tmp_.U16Path("Dst")));
  EXPECT_EQ(tmp_.Read("Dst/Games/a.mck"), std::vector<uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(tmp_.Read("Dst/Games/Deep/b.mck").size(), 1u);
  EXPECT_FALSE(Exists("Dst/Games/.git"));
  EXPECT_FALSE(Exists("Dst/Games/link"));
}

TEST_F(MacroFilesTest, CopyingAFolderIntoItselfOrBelowItIsRefused) {
  tmp_.WriteText("Lib/Games/a.mck", "a");
  for (const std::string into : {"Lib", "Lib/", "Lib/Games", "LIB/games/x"}) {
    EXPECT_FALSE(CopyFolderTree(tmp_.U16Path("Lib"), tmp_.U16Path(into))) << into;
  }
  EXPECT_FALSE(Exists("Lib/Lib"));
  EXPECT_FALSE(Exists("Lib/Games/Lib"));
  // A sibling whose name merely begins the same is not below.
  EXPECT_TRUE(CopyFolderTree(tmp_.U16Path("Lib"), tmp_.U16Path("Library")));
  EXPECT_TRUE(Exists("Library/Lib/Games/a.mck"));
}

TEST_F(MacroFilesTest, FoldersAreMadeOnTheWayToAFile) {
  EXPECT_TRUE(MakeSureFolderExist(tmp_.U16Path("a/b\\c/file.mck")));
  EXPECT_TRUE(plat::IsDirectory(tmp_.U16Path("a/b/c")));
  EXPECT_FALSE(Exists("a/b/c/file.mck"));

  tmp_.WriteText("blocker", "x");  // a file where a folder must go
  EXPECT_FALSE(MakeSureFolderExist(tmp_.U16Path("blocker/sub/file.mck")));
  plat::File f = MyCreateFile(tmp_.U16Path("x/y/z.mck"));
  EXPECT_TRUE(f);
  plat::CloseFile(f);
  EXPECT_TRUE(MyCopyFile(tmp_.U16Path("x/y/z.mck"), tmp_.U16Path("p/q/z.mck")));
  EXPECT_FALSE(MyCopyFile(tmp_.U16Path("x/y/z.mck"), tmp_.U16Path("p/q/z.mck")));
  EXPECT_EQ(plat::LastError(), plat::kErrFileExists);
}

TEST(MacroItemNameTest, NamesNoFileCouldCarryAreRefused) {
  struct Case {
    std::u16string typed;
    bool cut;
    bool ok;
    std::u16string clean;
  } cases[] = {
      {u"Fire", true, true, u"Fire"},
      {u"  Fire.mck ", true, true, u"Fire"},
      {u"a.b.mck", true, true, u"a.b"},
      {u"v1.2", false, true, u"v1.2"},
      {u"   ", true, false, u""},
      {u".mck", true, false, u""},
      {u"a/b", true, false, u"a/b"},
      {u"a\\b", false, false, u"a\\b"},
      {u"C:x", false, false, u"C:x"},
      {u"what?", false, false, u"what?"},
      {u"\"q\"", false, false, u"\"q\""},
      {u"<x>", false, false, u"<x>"},
      {u"a|b", false, false, u"a|b"},
      {u"st*r", false, false, u"st*r"},
      {u"tab\tin", false, false, u"tab\tin"},
      {std::u16string(u"nul\x01"), false, false, std::u16string(u"nul\x01")},
      {u".hidden", false, false, u".hidden"},  // folders the scans skip
      {u"$cache", false, false, u"$cache"},
  };
  for (const Case& c : cases) {
    std::u16string clean;
    EXPECT_EQ(CleanItemName(c.typed, c.cut, &clean), c.ok) << u16::ToUtf8(c.typed);
    EXPECT_EQ(clean, c.clean) << u16::ToUtf8(c.typed);
  }
}

}  // namespace
