// The macro library's file helpers over the Windows half of the seam: the error codes portable
// code decides on (an existing target, a missing folder) and whole folder trees copied and
// deleted under real backslash paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "macro/macro_files.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

class MacroFilesWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    root_ = std::u16string(reinterpret_cast<const char16_t*>(dir)) +
            u16::Format(u"velkor-macfiles-%u", static_cast<unsigned>(GetCurrentProcessId()));
    DeleteFolderTree(root_);
    ASSERT_TRUE(MakeSureFolderExist(root_ + u"\\x"));
  }
  void TearDown() override { EXPECT_TRUE(DeleteFolderTree(root_)); }
  void Write(const std::u16string& rel) {
    plat::File f = MyCreateFile(root_ + u"\\" + rel);
    ASSERT_TRUE(f);
    EXPECT_TRUE(plat::WriteBytes(f, "x", 1));
    plat::CloseFile(f);
  }
  std::u16string root_;
};

TEST_F(MacroFilesWinTest, TheSeamGivesTheCodesTheLibraryDecidesOn) {
  Write(u"A\\a.mck");  // the folder is made on the way
  Write(u"B\\b.mck");
  EXPECT_FALSE(plat::CopyFileTo(root_ + u"\\A\\a.mck", root_ + u"\\B\\b.mck", false));
  EXPECT_EQ(plat::LastError(), static_cast<uint32_t>(plat::kErrFileExists));
  EXPECT_TRUE(plat::CopyFileTo(root_ + u"\\A\\a.mck", root_ + u"\\B\\b.mck", true));
  EXPECT_FALSE(plat::CopyFileTo(root_ + u"\\A\\a.mck", root_ + u"\\C\\c.mck", false));
  EXPECT_EQ(plat::LastError(), static_cast<uint32_t>(plat::kErrPathNotFound));

  EXPECT_FALSE(plat::MovePath(root_ + u"\\A", root_ + u"\\B"));
  EXPECT_EQ(plat::LastError(), static_cast<uint32_t>(plat::kErrAlreadyExists));
  EXPECT_TRUE(plat::MovePath(root_ + u"\\A", root_ + u"\\Renamed"));
  EXPECT_TRUE(plat::PathExists(root_ + u"\\Renamed\\a.mck"));

  EXPECT_FALSE(plat::IsLink(root_ + u"\\B"));
  EXPECT_FALSE(plat::RemoveLink(root_ + u"\\B"));
  EXPECT_TRUE(plat::PathExists(root_ + u"\\B\\b.mck"));
}

TEST_F(MacroFilesWinTest, FolderTreesAreCopiedAndDeletedWhole) {
  Write(u"Lib\\Games\\a.mck");
  Write(u"Lib\\Games\\Deep\\b.mck");
  SetFileAttributesW(reinterpret_cast<const wchar_t*>((root_ + u"\\Lib\\Games\\a.mck").c_str()),
                     FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(CopyFolderTree(root_ + u"\\Lib\\Games", root_ + u"\\Out"));
  EXPECT_TRUE(plat::PathExists(root_ + u"\\Out\\Games\\Deep\\b.mck"));
  EXPECT_FALSE(CopyFolderTree(root_ + u"\\Lib", root_ + u"\\lib\\Games"));

  EXPECT_TRUE(DeleteFolderTree(root_ + u"\\Lib"));  // read-only files too
  EXPECT_FALSE(plat::PathExists(root_ + u"\\Lib"));
}

}  // namespace
