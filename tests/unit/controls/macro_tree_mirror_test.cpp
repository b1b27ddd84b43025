#include "controls/macro_tree_mirror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "unit/macro_files.h"

namespace {

class MacroTreeMirrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MacroList.RemoveAll();
    std::memset(&g_Settings, 0, sizeof g_Settings);
    view.SetClientSize(230, 200);
  }
  void TearDown() override { MacroList.RemoveAll(); }

  TreeItemId Child(TreeItemId parent, const std::u16string& text) {
    return view.FindChildByText(parent, text);
  }

  TempFolder tmp{"velkor-treemirror"};
  MacroTreeModel library;
  TreeModel view;
};

TEST_F(MacroTreeMirrorTest, LoadedLibraryShowsSixFolderLevelsAndNoMore) {
  std::string path = "Mac";
  for (int level = 1; level <= 7; ++level) path += "/L" + std::to_string(level);
  WriteTestMacro(tmp, "Mac/Top.mck", 0x10);
  WriteTestMacro(tmp, "Mac/L1/L2/L3/L4/L5/L6/Six.mck", 0x16);
  WriteTestMacro(tmp, path + "/Seven.mck", 0x17);
  MacroTreeMirror mirror(library, view);
  ASSERT_TRUE(LoadMacroLibrary(tmp.U16Path() + u"/", &library, true));

  const TreeItemId top = Child(kTreeRoot, u"Top");
  ASSERT_NE(top, kTreeNoItem);
  EXPECT_EQ(view.FindItemRecord(top)->value, 0x10u);
  EXPECT_EQ(view.FindItemRecord(top)->kind, kTreeKindLeaf);
  EXPECT_EQ(view.FindItemRecord(top)->textOffset, 5u);
  TreeItemId folder = kTreeRoot;
  for (int level = 1; level <= 6; ++level) {
    folder = Child(folder, u"L" + std::u16string(1, char16_t(u'0' + level)));
    ASSERT_NE(folder, kTreeNoItem) << level;
    EXPECT_EQ(view.FindItemRecord(folder)->kind, kTreeKindFolder);
  }
  EXPECT_NE(Child(folder, u"SIX"), kTreeNoItem);  // names compare without case
  EXPECT_EQ(Child(folder, u"L7"), kTreeNoItem);
  EXPECT_EQ(view.Count(), 1u + 6u + 1u);
  ASSERT_NE(FindMacroById(0x17), nullptr);
  EXPECT_EQ(MacroList.GetCount(), 3u);
}

TEST_F(MacroTreeMirrorTest, LibraryChangesReachTheControlAndClicksReachTheLibrary) {
  MacroNode* games = library.InsertFolder(library.Root(), u"Games", u"", false);
  MacroTreeMirror mirror(library, view);  // copies what is there
  ASSERT_EQ(view.Count(), 1u);

  MacroNode* combo = library.InsertMacro(games, u"Combo", 0x42, true);
  const TreeItemId comboItem = mirror.ItemOf(combo);
  EXPECT_EQ(view.Selected(), comboItem);
  EXPECT_EQ(view.FindItemRecord(mirror.ItemOf(games))->expanded, 1u);
  EXPECT_EQ(view.FindItemRecord(comboItem)->value, 0x42u);

  library.SetText(combo, u"Blast");
  EXPECT_EQ(*view.Text(comboItem), u"Blast");
  library.ToggleExpand(games);
  EXPECT_EQ(view.RowCount(), 1);

  // A click on the empty space below: the library loses its selection too.
  view.OnLeftDown(100, 150);
  mirror.SelectionFromView();
  EXPECT_EQ(library.Selected(), nullptr);
  view.OnLeftDown(100, 10);
  mirror.SelectionFromView();
  EXPECT_EQ(library.Selected(), games);

  library.Remove(games);
  EXPECT_TRUE(view.IsEmpty());
  EXPECT_EQ(mirror.NodeOf(comboItem), nullptr);  // a late message about it finds nothing
}

// A macro that joins a folder in its middle (a file read after the listing) shows there too,
// and what was in view stays in view.
TEST_F(MacroTreeMirrorTest, AMacroInsertedAmongOthersShowsInItsPlace) {
  MacroTreeMirror mirror(library, view);
  for (const char16_t* name : {u"A", u"C", u"D", u"E", u"F", u"G", u"H", u"I", u"J", u"K", u"L", u"M"})
    library.InsertMacro(library.Root(), name, 1, false);
  view.ScrollTo(2);  // "D" at the top of the view
  MacroNode* b = library.InsertMacroAt(library.Root(), 1, u"B", 2);
  std::vector<std::u16string> shown;
  for (TreeItemId item : view.Children(kTreeRoot)) shown.push_back(*view.Text(item));
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"I", u"J", u"K",
                                                 u"L", u"M"}));
  EXPECT_EQ(mirror.NodeOf(view.Children(kTreeRoot)[1]), b);
  EXPECT_EQ(*view.Text(view.HitTest(100, 10).item), u"D");
  library.InsertMacroAt(library.Root(), 99, u"N", 3);  // past the end: last, below the view
  EXPECT_EQ(*view.Text(view.Children(kTreeRoot).back()), u"N");
  EXPECT_EQ(*view.Text(view.HitTest(100, 10).item), u"D");
}

}  // namespace
