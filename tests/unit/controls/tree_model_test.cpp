#include "controls/tree_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class FakeImage : public ItemImage {
 public:
  FakeImage(int w, int h) : m_w(w), m_h(h) {}
  int Width() const override { return m_w; }
  int Height() const override { return m_h; }

 private:
  int m_w, m_h;
};

// A tree 230 x 200 (ten rows) whose image loader knows "icon.png" (18 x 18) and "empty.png"
// (no width); every other path fails to load.
class TreeModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.SetClientSize(230, 200);
    tree.SetImageLoader([](const std::u16string& path) -> ItemImageRef {
      if (path == u"icon.png") return std::make_shared<FakeImage>(18, 18);
      if (path == u"empty.png") return std::make_shared<FakeImage>(0, 0);
      return nullptr;
    });
  }
  TreeItemId Folder(TreeItemId parent, const std::u16string& name, bool select = false) {
    return tree.InsertItemWithImage(parent, select, true, nullptr, name, 0, 0, 5);
  }
  TreeItemId Macro(TreeItemId parent, const std::u16string& name, uint32_t id = 1) {
    return tree.InsertItemWithImage(parent, false, false, nullptr, name, id, 0, 5);
  }
  std::vector<std::u16string> Texts(TreeItemId parent) {
    std::vector<std::u16string> out;
    for (TreeItemId child : tree.Children(parent)) out.push_back(*tree.Text(child));
    return out;
  }
  // The centre of row `row` (0 = the top row shown), `x` pixels from the left.
  static int RowY(int row) { return row * kTreeItemHeight + kTreeItemHeight / 2; }

  TreeModel tree;
};

TEST_F(TreeModelTest, ItemsGoOnlyUnderTheRootOrAFolderAndFoldersAtMostSixDeep) {
  const TreeItemId macro = Macro(kTreeRoot, u"Fire");
  EXPECT_EQ(Macro(macro, u"Under a macro"), kTreeNoItem);
  EXPECT_EQ(Folder(macro, u"Under a macro"), kTreeNoItem);
  EXPECT_EQ(Macro(kTreeNoItem, u"No parent"), kTreeNoItem);
  EXPECT_EQ(Macro(12345, u"Unknown parent"), kTreeNoItem);

  TreeItemId parent = kTreeRoot;
  for (int level = 0; level < 6; ++level) {
    parent = Folder(parent, u"Level");
    ASSERT_NE(parent, kTreeNoItem) << level;
  }
  EXPECT_EQ(tree.GetItemDepth(parent), 5);
  EXPECT_EQ(Folder(parent, u"Seventh level"), kTreeNoItem);
  EXPECT_NE(Folder(tree.Parent(parent), u"Sixth level beside"), kTreeNoItem);
  EXPECT_NE(Macro(parent, u"Macros go deeper"), kTreeNoItem);
  EXPECT_EQ(tree.GetItemDepth(kTreeRoot), -1);
}

TEST_F(TreeModelTest, InsertedRecordsCarryKindValueImageAndSelection) {
  const TreeItemId games = Folder(kTreeRoot, u"Games");
  const TreeItemId withIcon =
      tree.InsertItemWithImage(games, true, false, u"icon.png", u"Combo", 0x123, 7, 5);
  const TreeItemId noWidth =
      tree.InsertItemWithImage(kTreeRoot, false, true, u"empty.png", u"Empty", 0, 0, 5);
  const TreeItemId missing =
      tree.InsertItemWithImage(kTreeRoot, false, true, u"missing.png", u"Missing", 0, 0, 5);

  const MACROITEM* record = tree.FindItemRecord(withIcon);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->item, withIcon);
  EXPECT_EQ(record->kind, kTreeKindLeaf);
  EXPECT_EQ(record->value, 0x123u);
  EXPECT_EQ(record->subType, 7u);
  EXPECT_EQ(record->textOffset, 5u);
  EXPECT_NE(record->image, nullptr);
  EXPECT_EQ(record->ownsImage, 1u);
  EXPECT_EQ(tree.FindItemRecord(games)->kind, kTreeKindFolder);
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 1u);  // opened for the selected child
  EXPECT_EQ(tree.Selected(), withIcon);
  EXPECT_EQ(tree.FindItemRecord(noWidth)->image, nullptr);
  EXPECT_EQ(tree.FindItemRecord(missing)->image, nullptr);
  EXPECT_EQ(tree.FindItemRecord(missing)->expanded, 0u);
}

TEST_F(TreeModelTest, InsertNearPlacesBesideTheAnchorAndSharesTheImage) {
  const TreeItemId a = Macro(kTreeRoot, u"A");
  const TreeItemId c = Macro(kTreeRoot, u"C");
  auto shared = std::make_shared<FakeImage>(18, 18);
  ASSERT_NE(tree.InsertItemNear(c, true, shared, u"B", 2, 1), kTreeNoItem);
  ASSERT_NE(tree.InsertItemNear(a, true, shared, u"First", 0, 0), kTreeNoItem);
  const TreeItemId d = tree.InsertItemNear(c, false, shared, u"D", 4, 0);
  EXPECT_EQ(Texts(kTreeRoot), (std::vector<std::u16string>{u"First", u"A", u"B", u"C", u"D"}));
  EXPECT_EQ(tree.FindItemRecord(d)->image, shared);
  EXPECT_EQ(tree.FindItemRecord(d)->ownsImage, 0u);
  EXPECT_EQ(tree.FindItemRecord(d)->textOffset, 0u);

  const TreeItemId folder = Folder(kTreeRoot, u"F");
  const TreeItemId inside = Macro(folder, u"X");
  tree.InsertItemNear(inside, false, nullptr, u"Y", 0, 0);
  EXPECT_EQ(Texts(folder), (std::vector<std::u16string>{u"X", u"Y"}));

  for (TreeItemId bad : {kTreeNoItem, kTreeRoot, kTreeLast, TreeItemId{999}})
    EXPECT_EQ(tree.InsertItemNear(bad, true, nullptr, u"Z", 0, 0), kTreeNoItem) << bad;
}

TEST_F(TreeModelTest, WalkVisitsChildrenBeforeTheirFolderAndSurvivesDeletion) {
  const TreeItemId games = Folder(kTreeRoot, u"Games");
  Macro(games, u"Combo");
  Folder(games, u"Empty");
  Macro(kTreeRoot, u"Fire");

  std::vector<std::u16string> seen;
  auto collect = [&](TreeItemId, MACROITEM*, const std::u16string& text) {
    seen.push_back(text);
    return 0;
  };
  EXPECT_EQ(tree.WalkChildren(kTreeNoItem, collect, true), 0);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(tree.WalkChildren(kTreeRoot, nullptr, true), 0);
  EXPECT_EQ(tree.WalkChildren(kTreeRoot, collect, true), 0);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Combo", u"Empty", u"Games", u"Fire"}));
  seen.clear();
  tree.WalkChildren(kTreeRoot, collect, false);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Games", u"Fire"}));

  // Deleting every item as it is visited (as a library delete does) leaves an empty tree.
  EXPECT_EQ(tree.WalkChildren(kTreeRoot,
                              [&](TreeItemId item, MACROITEM* record, const std::u16string&) {
                                EXPECT_EQ(record->item, item);
                                tree.DeleteItemAndRecord(item);
                                return 0;
                              },
                              true),
            0);
  EXPECT_TRUE(tree.IsEmpty());
}

TEST_F(TreeModelTest, NonZeroCallbackStopsTheWholeWalk) {
  const TreeItemId games = Folder(kTreeRoot, u"Games");
  Macro(games, u"Combo");
  Macro(games, u"Stop here");
  Macro(kTreeRoot, u"Never");
  std::vector<std::u16string> seen;
  EXPECT_EQ(tree.WalkChildren(kTreeRoot,
                              [&](TreeItemId, MACROITEM*, const std::u16string& text) {
                                seen.push_back(text);
                                return text == u"Stop here" ? 1 : 0;
                              },
                              true),
            1);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"Combo", u"Stop here"}));
}

TEST_F(TreeModelTest, DeletingAFolderTakesItsItemsAndTheSelectionWithIt) {
  const TreeItemId games = Folder(kTreeRoot, u"Games");
  const TreeItemId combo = Macro(games, u"Combo");
  const TreeItemId fire = Macro(kTreeRoot, u"Fire");
  tree.Select(combo);
  EXPECT_TRUE(tree.DeleteItemAndRecord(games));
  EXPECT_FALSE(tree.IsItem(combo));
  EXPECT_EQ(tree.FindItemRecord(combo), nullptr);
  EXPECT_EQ(tree.Selected(), kTreeNoItem);
  EXPECT_FALSE(tree.DeleteItemAndRecord(games));
  EXPECT_FALSE(tree.Select(combo));  // an identifier from before the delete names nothing
  // Identifiers are never reused, so a late message about a deleted item cannot hit a new one.
  EXPECT_NE(Macro(kTreeRoot, u"New"), combo);
  EXPECT_EQ(Texts(kTreeRoot), (std::vector<std::u16string>{u"Fire", u"New"}));
  EXPECT_TRUE(tree.IsItem(fire));
}

TEST_F(TreeModelTest, SetItemValueChangesOnlyWhatIsGiven) {
  const TreeItemId fire = Macro(kTreeRoot, u"Fire", 5);
  const uint32_t value = 9;
  EXPECT_TRUE(tree.SetItemValue(fire, nullptr, &value));
  EXPECT_EQ(*tree.Text(fire), u"Fire");
  EXPECT_TRUE(tree.SetItemValue(fire, u"Blast", nullptr));
  EXPECT_EQ(tree.FindItemRecord(fire)->value, 9u);
  EXPECT_EQ(*tree.Text(fire), u"Blast");
  EXPECT_FALSE(tree.SetItemValue(777, u"x", &value));
}

TEST_F(TreeModelTest, ABatchCallsBackOnceAtTheEndOfTheOutermostBatchAndOnlyAfterAChange) {
  int calls = 0;
  tree.SetChangedCallback([&calls] { ++calls; });
  {
    TreeModel::Batch outer(tree);
    {
      TreeModel::Batch inner(tree);
      const TreeItemId games = Folder(kTreeRoot, u"Games");
      for (int i = 0; i < 50; ++i) Macro(games, u"m" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
      tree.Select(games);
    }
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(tree.RowCount(), 1);  // rows are counted afresh inside the batch all the same
  }
  EXPECT_EQ(calls, 1);
  { TreeModel::Batch idle(tree); }
  EXPECT_EQ(calls, 1);
  Macro(kTreeRoot, u"Fire");
  EXPECT_EQ(calls, 2);
}

// Rows: Games (open) > Combo, Other; then Fire. Row 0 is Games at depth 0.
class TreeClickTest : public TreeModelTest {
 protected:
  void SetUp() override {
    TreeModelTest::SetUp();
    games = Folder(kTreeRoot, u"Games");
    combo = Macro(games, u"Combo");
    other = Macro(games, u"Other");
    fire = Macro(kTreeRoot, u"Fire");
    tree.ToggleExpand(games);
    tree.Select(kTreeNoItem);
  }
  TreeItemId games, combo, other, fire;
};

TEST_F(TreeClickTest, LeftClicksNotifyOnceAndEmptySpaceClearsTheSelection) {
  const int x = 100;
  TreeClick click = tree.OnLeftDown(x, RowY(1));
  EXPECT_TRUE(click.notify);
  EXPECT_EQ(click.item, combo);
  EXPECT_TRUE(click.takeFocus);
  EXPECT_EQ(tree.Selected(), combo);

  EXPECT_FALSE(tree.OnLeftDown(x, RowY(1)).notify);  // the selected item again

  click = tree.OnLeftDown(x, RowY(8));  // below the last row
  EXPECT_TRUE(click.notify);
  EXPECT_EQ(click.item, kTreeNoItem);
  EXPECT_FALSE(click.takeFocus);
  EXPECT_EQ(tree.Selected(), kTreeNoItem);
  EXPECT_FALSE(tree.OnLeftDown(x, RowY(8)).notify);

  tree.SetIgnoreReclick(false);
  EXPECT_TRUE(tree.OnLeftDown(x, RowY(8)).notify);
}

TEST_F(TreeClickTest, RightUpAlwaysNotifiesAndSelects) {
  tree.Select(fire);
  TreeClick click = tree.OnRightUp(100, RowY(3));
  EXPECT_TRUE(click.notify);
  EXPECT_EQ(click.item, fire);
  click = tree.OnRightUp(100, RowY(9));
  EXPECT_TRUE(click.notify);
  EXPECT_EQ(click.item, kTreeNoItem);
  EXPECT_EQ(tree.Selected(), kTreeNoItem);
}

TEST_F(TreeClickTest, ButtonIndentAndDoubleClickToggleTheFolder) {
  // The expand button of the top-level folder is its first indent.
  tree.OnLeftDown(kTreeIndent / 2, RowY(0));
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 0u);
  EXPECT_EQ(tree.RowCount(), 2);  // Games, Fire
  tree.OnDoubleClick(100, RowY(0));
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 1u);
  EXPECT_EQ(tree.RowCount(), 4);
  // The indent left of a child toggles the child (a leaf: only its flag), not its folder.
  tree.OnLeftDown(kTreeIndent / 2, RowY(1));
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 1u);
  EXPECT_EQ(tree.FindItemRecord(combo)->expanded, 1u);
  // A click on the label selects without toggling.
  tree.OnLeftDown(100, RowY(0));
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 1u);
  EXPECT_EQ(tree.Selected(), games);
}

TEST_F(TreeClickTest, WithTheMouseDisabledClicksNeitherSelectNorNotify) {
  tree.SetMouseEnabled(false);
  EXPECT_FALSE(tree.OnLeftDown(100, RowY(1)).notify);
  EXPECT_FALSE(tree.OnRightUp(100, RowY(1)).notify);
  tree.OnDoubleClick(100, RowY(0));
  EXPECT_EQ(tree.Selected(), kTreeNoItem);
  EXPECT_EQ(tree.FindItemRecord(games)->expanded, 1u);
}

TEST_F(TreeClickTest, TooltipOnlyForTextsLongerThanTwentyCharacters) {
  tree.SetItemValue(combo, u"123456789012345678901", nullptr);  // 21
  tree.SetItemValue(other, u"12345678901234567890", nullptr);   // 20
  TreeTooltip tip = tree.OnMouseMove(100, RowY(1));
  EXPECT_TRUE(tip.trackLeave);
  EXPECT_TRUE(tip.changed);
  EXPECT_TRUE(tip.show);
  EXPECT_EQ(tip.text, u"123456789012345678901");
  tip = tree.OnMouseMove(120, RowY(1));  // same item: nothing to do
  EXPECT_FALSE(tip.trackLeave);
  EXPECT_FALSE(tip.changed);
  tip = tree.OnMouseMove(100, RowY(2));
  EXPECT_TRUE(tip.changed);
  EXPECT_FALSE(tip.show);
  tree.OnMouseLeave();
  EXPECT_EQ(tree.HoverItem(), kTreeNoItem);
  EXPECT_TRUE(tree.OnMouseMove(100, RowY(2)).trackLeave);
}

TEST_F(TreeModelTest, ScrollingStaysInRangeAndSelectionScrollsIntoView) {
  TreeItemId last = kTreeNoItem;
  for (int i = 0; i < 25; ++i) last = Macro(kTreeRoot, u"M" + std::u16string(1, u'a' + i));
  EXPECT_EQ(tree.PageRows(), 10);
  EXPECT_EQ(tree.MaxTopRow(), 15);
  EXPECT_FALSE(tree.ScrollTo(-3));
  EXPECT_TRUE(tree.ScrollTo(40));
  EXPECT_EQ(tree.TopRow(), 15);
  EXPECT_EQ(tree.HitTest(100, RowY(9)).item, last);
  tree.ScrollTo(0);
  tree.Select(last);
  EXPECT_EQ(tree.TopRow(), 15);
  // Fewer rows than the view once items go: the top row follows.
  tree.WalkChildren(kTreeRoot, [&](TreeItemId item, MACROITEM*, const std::u16string&) {
    if (item != last) tree.DeleteItemAndRecord(item);
    return 0;
  }, false);
  EXPECT_EQ(tree.TopRow(), 0);
  EXPECT_EQ(tree.HitTest(100, RowY(0)).item, last);
}

TEST_F(TreeModelTest, RowsPlaceFolderImagesIconsAndTextByKind) {
  const TreeItemId games =
      tree.InsertItemWithImage(kTreeRoot, false, true, u"icon.png", u"Games", 0, 0, 5);
  const TreeItemId plain = Folder(games, u"Plain");
  const TreeItemId leaf = Macro(games, u"Combo");
  const TreeItemId eventItem =
      tree.InsertItemWithImage(games, true, false, u"icon.png", u"Press A", 65, 1, 0);
  ASSERT_EQ(tree.Selected(), eventItem);
  const std::vector<TreeRowPaint> rows = tree.PaintRows(16, 16);
  ASSERT_EQ(rows.size(), 4u);
  const int label0 = kTreeLeftMargin + kTreeIndent, label1 = label0 + kTreeIndent;

  EXPECT_EQ(rows[0].item, games);
  EXPECT_TRUE(rows[0].hasFolderImage);
  EXPECT_TRUE(rows[0].folderOpen);
  EXPECT_EQ(rows[0].folderImage, (PixelRect{kTreeLeftMargin + 1, 2, kTreeLeftMargin + 17, 18}));  // centred
  EXPECT_TRUE(rows[0].hasIcon);
  EXPECT_EQ(rows[0].icon, (PixelRect{label0 + 2, 1, label0 + 20, 19}));
  EXPECT_EQ(rows[0].textRect, (PixelRect{label0 + 5 + 4 + 18, 0, 225, 20}));

  EXPECT_EQ(rows[1].item, plain);
  EXPECT_FALSE(rows[1].folderOpen);
  EXPECT_FALSE(rows[1].hasIcon);
  EXPECT_EQ(rows[1].textRect.left, label1 + 5 + 4);

  EXPECT_EQ(rows[2].item, leaf);
  EXPECT_EQ(rows[2].textRect, (PixelRect{label1 - kTreeIndent, 40, 225, 60}));

  EXPECT_EQ(rows[3].item, eventItem);
  EXPECT_TRUE(rows[3].selected);
  EXPECT_EQ(rows[3].row, (PixelRect{0, 60, 230, 80}));
  EXPECT_EQ(rows[3].icon, (PixelRect{label0, 61, label0 + 18, 79}));
  EXPECT_EQ(rows[3].textRect.left, label1);

  EXPECT_FALSE(tree.PaintRows(0, 0)[0].hasFolderImage);
}

TEST_F(TreeModelTest, PaintingStopsAtTheBottomOfTheClientArea) {
  for (int i = 0; i < 30; ++i) Macro(kTreeRoot, u"M");
  tree.SetClientSize(230, 205);
  EXPECT_EQ(tree.PaintRows(0, 0).size(), 11u);  // the eleventh row starts inside, cut off
  tree.ScrollTo(25);
  EXPECT_EQ(tree.TopRow(), 20);
  EXPECT_EQ(tree.PaintRows(0, 0).size(), 10u);
}

}  // namespace
