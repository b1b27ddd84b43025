#include "macro/macro_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "macro/macro_record.h"
#include "unit/temp_folder.h"

namespace {

// Records what a scan hands its tree; refuses folders whose name is in `refuse` and, as the
// real tree does, anything under item 0.
class RecordingTree : public MacroScanTree {
 public:
  struct Item {
    uint32_t parent;
    std::u16string name;
    std::u16string imagePath;  // folders only
    uint32_t macroId;          // macros only
  };
  uint32_t InsertFolder(uint32_t parent, const std::u16string& name,
                        const std::u16string& imagePath) override {
    if (parent == 0 || name == refuse) return 0;
    items.push_back({parent, name, imagePath, 0});
    return static_cast<uint32_t>(items.size());
  }
  uint32_t InsertMacro(uint32_t parent, const std::u16string& name, uint32_t macroId) override {
    if (parent == 0) return 0;
    items.push_back({parent, name, u"", macroId});
    return static_cast<uint32_t>(items.size());
  }
  const Item* Find(const std::u16string& name) const {
    for (const Item& item : items)
      if (item.name == name) return &item;
    return nullptr;
  }
  std::vector<Item> items;
  std::u16string refuse;
};

constexpr uint32_t kTreeRoot = 0xFFFF0000u;

class MacroLibraryLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MacroList.RemoveAll();
    std::memset(&g_Settings, 0, sizeof g_Settings);
    Write("Mac/Fire.mck", 0x101);
    Write("Mac/notes.txt", 0x102);            // any extension counts
    Write("Mac/Games/Combo.mck", 0x201);
    Write("Mac/Games/Deep/Inner.mck", 0x202);
    Write("Mac/.hidden/Skip.mck", 0x301);
    Write("Mac/$trash/Skip.mck", 0x302);
    std::vector<uint8_t> shortFile(833, 0x28);
    tmp_.Write("Mac/short.mck", shortFile);
  }
  void TearDown() override {
    MacroList.RemoveAll();
  }

  void Write(const std::string& name, uint32_t id) {
    StMacro m;
    std::memset(&m, 0, sizeof m);
    m.dwMagicNumber = kMacroMagic;
    m.dwMacroId = id;
    m.wLoopCount = 1;
    std::vector<uint8_t> bytes(kMacroRecordBytes);
    EncodeMacroBytes(m, bytes.data());
    tmp_.Write(name, bytes);
  }
  std::vector<uint32_t> LoadedIds() {
    std::vector<uint32_t> ids;
    for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos))
      ids.push_back(CMyList<StMacro>::GetAt(pos)->dwMacroId);
    std::sort(ids.begin(), ids.end());
    return ids;
  }
  std::u16string AppData() { return tmp_.U16Path() + u"/"; }
  bool ScanIntoTree(RecordingTree& tree, bool foldersFlag) {
    MacroScanParams params;
    params.tree = &tree;
    params.parent = kTreeRoot;
    params.foldersFlag = foldersFlag;
    return LoadMacroFolder(MacroFolderPath(AppData()), true, params);
  }

  TempFolder tmp_{"velkor-maclib"};
};

TEST_F(MacroLibraryLoadTest, WithoutFoldersOnlyTheTopLevelLoads) {
  EXPECT_TRUE(LoadMacroLibrary(AppData(), false));
  EXPECT_EQ(LoadedIds(), (std::vector<uint32_t>{0x101, 0x102}));
}

TEST_F(MacroLibraryLoadTest, WithFoldersTheWholeTreeLoadsExceptHiddenFolders) {
  EXPECT_TRUE(LoadMacroLibrary(AppData(), true));
  EXPECT_EQ(LoadedIds(), (std::vector<uint32_t>{0x101, 0x102, 0x201, 0x202}));
}

TEST_F(MacroLibraryLoadTest, MissingLibraryLoadsNothing) {
  EXPECT_TRUE(LoadMacroLibrary(tmp_.U16Path("none/"), true));
  EXPECT_TRUE(LoadedIds().empty());
}

TEST_F(MacroLibraryLoadTest, ScanningAgainAddsItemsButNoSecondRecords) {
  ASSERT_TRUE(LoadMacroLibrary(AppData(), false));  // start-up: the top level
  FindMacroById(0x101)->wLoopCount = 7;             // an edit not yet written

  RecordingTree tree;
  ASSERT_TRUE(ScanIntoTree(tree, true));
  ASSERT_TRUE(ScanIntoTree(tree, true));

  EXPECT_EQ(LoadedIds(), (std::vector<uint32_t>{0x101, 0x102, 0x201, 0x202}));
  EXPECT_EQ(FindMacroById(0x101)->wLoopCount, 7);  // the edited record stayed the one in use
  EXPECT_EQ(tree.items.size(), 2u * 6u);           // every scan still fills its tree
}

TEST_F(MacroLibraryLoadTest, TreeGetsFoldersWithTheirImagesAndMacrosByFileName) {
  Write("Mac/a.b.mck", 0x103);
  RecordingTree tree;
  ASSERT_TRUE(ScanIntoTree(tree, true));

  const RecordingTree::Item* games = tree.Find(u"Games");
  ASSERT_NE(games, nullptr);
  EXPECT_EQ(games->parent, kTreeRoot);
  EXPECT_NE(games->imagePath.find(u"Games\\Games.png"), std::u16string::npos);
  const RecordingTree::Item* deep = tree.Find(u"Deep");
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(deep->parent, static_cast<uint32_t>(games - tree.items.data() + 1));
  ASSERT_NE(tree.Find(u"Inner"), nullptr);
  EXPECT_EQ(tree.Find(u"Inner")->parent, static_cast<uint32_t>(deep - tree.items.data() + 1));
  EXPECT_EQ(tree.Find(u"Inner")->macroId, 0x202u);
  ASSERT_NE(tree.Find(u"a.b"), nullptr);
  ASSERT_NE(tree.Find(u"notes"), nullptr);
  EXPECT_EQ(tree.Find(u"Skip"), nullptr);
}

TEST_F(MacroLibraryLoadTest, FolderTheTreeRefusesStillLoadsItsMacros) {
  RecordingTree tree;
  tree.refuse = u"Games";
  ASSERT_TRUE(ScanIntoTree(tree, true));
  EXPECT_EQ(LoadedIds(), (std::vector<uint32_t>{0x101, 0x102, 0x201, 0x202}));
  EXPECT_EQ(tree.Find(u"Combo"), nullptr);
  EXPECT_EQ(tree.Find(u"Inner"), nullptr);
}

TEST_F(MacroLibraryLoadTest, WithoutFoldersTheTreeGetsOnlyTheTopLevel) {
  RecordingTree tree;
  ASSERT_TRUE(ScanIntoTree(tree, false));
  EXPECT_EQ(tree.items.size(), 2u);
  EXPECT_EQ(LoadedIds(), (std::vector<uint32_t>{0x101, 0x102}));
}

}  // namespace
