#include "controls/macro_tree_fill.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings.h"
#include "macro/macro_record.h"
#include "unit/macro_files.h"

namespace {

class MacroTreeFillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MacroList.RemoveAll();
    std::memset(&g_Settings, 0, sizeof g_Settings);
  }
  void TearDown() override { MacroList.RemoveAll(); }

  void WriteMacro(const std::string& rel, uint32_t id) { WriteTestMacro(tmp, rel, id); }
  TreeItemId Child(TreeItemId parent, const std::u16string& text) {
    return tree.FindChildByText(parent, text);
  }

  TempFolder tmp{"velkor-treefill"};
  TreeModel tree;
};

TEST_F(MacroTreeFillTest, FoldersDeeperThanSixLevelsGetNoItemsButTheirMacrosLoad) {
  std::string path = "Mac";
  for (int level = 1; level <= 7; ++level) path += "/L" + std::to_string(level);
  WriteMacro("Mac/Top.mck", 0x10);
  WriteMacro("Mac/L1/L2/L3/L4/L5/L6/Six.mck", 0x16);
  WriteMacro(path + "/Seven.mck", 0x17);

  ASSERT_TRUE(FillMacroTree(tree, tmp.U16Path() + u"/", true));

  const TreeItemId top = Child(kTreeRoot, u"Top");
  ASSERT_NE(top, kTreeNoItem);
  EXPECT_EQ(tree.FindItemRecord(top)->value, 0x10u);
  EXPECT_EQ(tree.FindItemRecord(top)->kind, kTreeKindLeaf);
  EXPECT_EQ(tree.FindItemRecord(top)->textOffset, 5u);
  TreeItemId folder = kTreeRoot;
  for (int level = 1; level <= 6; ++level) {
    folder = Child(folder, u"L" + std::u16string(1, char16_t(u'0' + level)));
    ASSERT_NE(folder, kTreeNoItem) << level;
    EXPECT_EQ(tree.FindItemRecord(folder)->kind, kTreeKindFolder);
  }
  EXPECT_NE(Child(folder, u"SIX"), kTreeNoItem);  // names compare without case
  EXPECT_EQ(Child(folder, u"L7"), kTreeNoItem);
  EXPECT_EQ(tree.Count(), 1u + 6u + 1u);
  ASSERT_NE(FindMacroById(0x17), nullptr);
  EXPECT_EQ(MacroList.GetCount(), 3u);
}

}  // namespace
