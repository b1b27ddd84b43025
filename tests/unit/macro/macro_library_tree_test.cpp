#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "macro/macro_files.h"
#include "macro/macro_library.h"
#include "macro/macro_tree.h"
#include "unit/macro/library_fixture.h"

namespace {

class MacroLibraryTreeTest : public LibraryFixture {
 protected:
  // Every item as "Folder/Sub/Name" (folders end in '/', '*' marks one showing an icon), sorted.
  static std::vector<std::string> Items(MacroTreeModel& tree) {
    std::vector<std::string> out;
    std::function<void(const MacroNode*, const std::string&)> walk = [&](const MacroNode* n,
                                                                        const std::string& at) {
      for (const auto& c : n->children) {
        std::string name = at + u16::ToUtf8(c->text) + (c->IsFolder() ? "/" : "");
        out.push_back(name + (c->imagePath.empty() ? "" : "*"));
        walk(c.get(), name);
      }
    };
    walk(tree.Root(), "");
    std::sort(out.begin(), out.end());
    return out;
  }
  MacroNode* Find(MacroTreeModel& tree, std::initializer_list<const char16_t*> path) {
    MacroNode* n = tree.Root();
    for (const char16_t* part : path) n = tree.FindChild(n, part);
    return n;
  }
  size_t FilesUnder(const std::string& rel) {
    std::vector<plat::DirEntry> entries;
    size_t n = 0;
    if (!plat::ListDirectory(tmp_.U16Path(rel), entries)) return 0;
    for (const auto& e : entries)
      n += e.isDirectory ? FilesUnder(rel + "/" + u16::ToUtf8(e.name)) : 1;
    return n;
  }
};

TEST_F(MacroLibraryTreeTest, TheTreeMirrorsTheFoldersAndTheirIcons) {
  WriteMacro("Mac/Fire.mck", 0x101);
  WriteMacro("Mac/notes.txt", 0x102);
  WriteMacro("Mac/a.b.mck", 0x103);
  WriteMacro("Mac/Games/Combo.mck", 0x201);
  tmp_.WriteText("Mac/Games/Games.png", "png");
  WriteMacro("Mac/Plain/X.mck", 0x202);
  WriteMacro("Mac/$trash/T.mck", 0x301);
  WriteMacro("Outside/Linked.mck", 0x302);
  ASSERT_EQ(symlink(tmp_.Path("Outside").c_str(), tmp_.Path("Mac/Link").c_str()), 0);
  // Seven folders deep: the seventh and what is in it get no item, its macro still loads.
  WriteMacro("Mac/1/2/3/4/5/6/7/Deep.mck", 0x401);

  MacroTreeModel tree;
  LoadMacroLibrary(AppData(), &tree, true);
  EXPECT_EQ(Items(tree), (std::vector<std::string>{
                             "1/", "1/2/", "1/2/3/", "1/2/3/4/", "1/2/3/4/5/", "1/2/3/4/5/6/",
                             "Fire", "Games/*", "Games/Combo", "Plain/", "Plain/X", "a.b", "notes"}));
  EXPECT_NE(FindMacroById(0x401), nullptr);
  EXPECT_EQ(FindMacroById(0x302), nullptr);  // behind a link
  EXPECT_EQ(MacroList.GetCount(), 6u);

  // Without sub-folders only the top level is shown and loaded.
  MacroList.RemoveAll();
  MacroTreeModel flat;
  LoadMacroLibrary(AppData(), &flat, false);
  EXPECT_EQ(Items(flat), (std::vector<std::string>{"Fire", "a.b", "notes"}));
  EXPECT_EQ(MacroList.GetCount(), 3u);
}

TEST_F(MacroLibraryTreeTest, LoadingAgainLeavesTheMacroListAsLongAsBefore) {
  for (int i = 0; i < 200; ++i)
    WriteMacro("Mac/" + std::to_string(i % 4) + "/" + std::to_string(i % 3) + "/m" + std::to_string(i) + ".mck",
               0x1000u + static_cast<uint32_t>(i));
  LoadMacroLibrary(AppData(), true);  // start-up
  ASSERT_EQ(MacroList.GetCount(), 200u);
  FindMacroById(0x1005)->wLoopCount = 7;  // changed in memory since
  for (int load = 0; load < 5; ++load) {
    MacroTreeModel tree;  // each opening of the editor, each filling of the picker's page
    LoadMacroLibrary(AppData(), &tree, true);
    EXPECT_EQ(tree.Count(), 200u + 4u + 12u);
    EXPECT_EQ(MacroList.GetCount(), 200u);
  }
  EXPECT_EQ(FindMacroById(0x1005)->wLoopCount, 7);
}

TEST_F(MacroLibraryTreeTest, AFileIsReadAgainOnlyWhenItChangedOrItsRecordLeftTheList) {
  WriteMacro("Mac/Fire.mck", 0x101);
  WriteMacro("Mac/Games/Combo.mck", 0x201);
  LoadMacroLibrary(AppData(), true);  // start-up
  ASSERT_EQ(MacroList.GetCount(), 2u);
  auto value = [this](std::initializer_list<const char16_t*> path) {
    MacroTreeModel tree;
    LoadMacroLibrary(AppData(), &tree, true);
    const MacroNode* node = Find(tree, path);
    return node ? node->value : 0u;
  };
  // Same size, same write time, record held: the identifier comes from the last read. (Junk
  // of the right size proves the file was not opened.)
  const std::string fire = tmp_.Path("Mac/Fire.mck");
  struct stat before;
  ASSERT_EQ(stat(fire.c_str(), &before), 0);
  tmp_.Write("Mac/Fire.mck", std::vector<uint8_t>(kMacroRecordBytes, 0x55));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, fire.c_str(), times, 0), 0);
  EXPECT_EQ(value({u"Fire"}), 0x101u);

  // Written since: read again, so the junk is no macro any more.
  const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 10, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, fire.c_str(), later, 0), 0);
  EXPECT_EQ(value({u"Fire"}), 0u);

  // A record that left MacroList (deleted in the editor, say) is read and appended once more,
  // and only once however often the library is shown.
  ASSERT_TRUE(RemoveMacroById(0x201));
  EXPECT_EQ(value({u"Games", u"Combo"}), 0x201u);
  EXPECT_EQ(value({u"Games", u"Combo"}), 0x201u);
  EXPECT_EQ(MacroList.GetCount(), 2u);  // 0x101 and 0x201, each once
  EXPECT_NE(FindMacroById(0x201), nullptr);
}

TEST_F(MacroLibraryTreeTest, TwoThousandMacrosInNestedFoldersLoadAndFlushQuickly) {
  for (int i = 0; i < 2000; ++i)
    WriteMacro("Mac/G" + std::to_string(i % 10) + "/S" + std::to_string(i % 7) + "/m" + std::to_string(i) + ".mck",
               0x10000u + static_cast<uint32_t>(i));
  MacroTreeModel tree;
  const auto start = std::chrono::steady_clock::now();
  LoadMacroLibrary(AppData(), &tree, true);
  LoadMacroLibrary(AppData(), &tree, true);  // the second load must not search the list per file
  FlushMacroTree(&tree, nullptr, AppData());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(MacroList.GetCount(), 2000u);
  RecordProperty("load_ms", static_cast<int>(ms));
  std::printf("two loads and a flush of 2000 macros: %lld ms\n", static_cast<long long>(ms));
  EXPECT_LT(ms, 10000);
}

TEST_F(MacroLibraryTreeTest, AnItemWhosePathDoesNotFitHasNoPathAndIsNeverWritten) {
  MacroTreeModel tree;
  MacroNode* a = tree.InsertFolder(tree.Root(), std::u16string(120, u'A'), u"", false);
  MacroNode* b = tree.InsertFolder(a, std::u16string(120, u'B'), u"", false);
  StMacro m = Record(0x777);
  m.dwDirtyFlags = kMacroDirtyBits;
  AppendMacroCopy(m);
  MacroNode* item = tree.InsertMacro(b, u"Fire", 0x777, false);

  std::u16string path;
  EXPECT_FALSE(TreeItem_To_FilePath(item, &tree, AppData(), &path));
  EXPECT_TRUE(TreeItem_To_FilePath(a, &tree, AppData(), &path));
  EXPECT_EQ(path, AppData() + u"Mac\\" + std::u16string(120, u'A'));

  Flush_Dirty_Macro(item, &tree, AppData());
  EXPECT_EQ(FilesUnder("Mac"), 0u);  // no file under a cut name
  EXPECT_EQ(FindMacroById(0x777)->dwDirtyFlags, kMacroDirtyBits);
}

TEST_F(MacroLibraryTreeTest, AFailedFlushLeavesTheOldFileWholeAndTheMacroChanged) {
  const std::string file = tmp_.Path("Mac/Games/Fire.mck");
  // Each way a flush can fail: set up, then clear again.
  const struct {
    const char* why;
    std::function<void()> fail, mend;
  } cases[] = {
      {"the write fails",
       [] { plat::TestHooks().failWrite = [](const std::u16string&) { return uint32_t{plat::kErrDiskFull}; }; },
       [] { plat::TestHooks().failWrite = nullptr; }},
      {"the file is read-only", [&] { ASSERT_EQ(::chmod(file.c_str(), 0444), 0); },
       [&] { ASSERT_EQ(::chmod(file.c_str(), 0644), 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    MacroList.RemoveAll();
    StMacro old = Record(0x55, u"Fire");
    old.wLoopCount = 3;
    WriteMacro("Mac/Games/Fire.mck", old);
    const std::vector<uint8_t> before = tmp_.Read("Mac/Games/Fire.mck");
    MacroTreeModel tree;
    LoadMacroLibrary(AppData(), &tree, true);
    StMacro* record = FindMacroById(0x55);
    ASSERT_NE(record, nullptr);
    record->wLoopCount = 9;
    record->dwDirtyFlags |= kMacroDirtyOptions;
    MacroNode* item = Find(tree, {u"Games", u"Fire"});

    c.fail();
    Flush_Dirty_Macro(item, &tree, AppData());
    EXPECT_EQ(tmp_.Read("Mac/Games/Fire.mck"), before);
    EXPECT_EQ(record->dwDirtyFlags, kMacroDirtyOptions);
    EXPECT_EQ(FilesUnder("Mac"), 1u);  // no temporary file left behind

    c.mend();
    FlushMacroTree(&tree, nullptr, AppData());
    EXPECT_EQ(record->dwDirtyFlags, 0u);
    const StMacro written = ReadMacro("Mac/Games/Fire.mck");
    EXPECT_EQ(written.wLoopCount, 9);
    EXPECT_EQ(written.dwDirtyFlags, 0u);
    EXPECT_EQ(tmp_.Read("Mac/Games/Fire.mck").size(), kMacroRecordBytes);
  }
}

TEST_F(MacroLibraryTreeTest, ALeftoverOfAnInterruptedFlushIsNotLoaded) {
  WriteMacro("Mac/Fire.mck", 0x61);
  WriteMacro(u16::ToUtf8(FlushTempPath(u"Mac/Fire.mck")), 0x62);
  MacroTreeModel tree;
  LoadMacroLibrary(AppData(), &tree, true);
  EXPECT_EQ(tree.Count(), 1u);
  EXPECT_EQ(FindMacroById(0x62), nullptr);
}

TEST(MacroTreeModelTest, InsertRulesAndWalkOrder) {
  MacroTreeModel tree;
  MacroNode* f = tree.InsertFolder(tree.Root(), u"F0", u"", false);
  MacroNode* m = tree.InsertMacro(f, u"M", 1, true);
  EXPECT_TRUE(f->expanded);
  EXPECT_EQ(tree.Selected(), m);
  EXPECT_EQ(tree.InsertMacro(m, u"under a macro", 2, false), nullptr);
  EXPECT_EQ(tree.InsertFolder(m, u"under a macro", u"", false), nullptr);
  EXPECT_EQ(tree.InsertMacro(nullptr, u"no parent", 2, false), nullptr);
  MacroNode* deepest = f;
  for (int i = 1; i < 6; ++i) deepest = tree.InsertFolder(deepest, u"F", u"", false);
  EXPECT_EQ(MacroTreeModel::Ancestors(deepest), 5);
  EXPECT_EQ(tree.InsertFolder(deepest, u"F7", u"", false), nullptr);
  EXPECT_NE(tree.InsertMacro(deepest, u"deep macro", 3, false), nullptr);
  EXPECT_EQ(tree.FindChild(f, u"m"), m);

  std::vector<std::u16string> order;
  tree.Walk(tree.Root(), [&](MacroNode* n) {
    order.push_back(n->text);
    return false;
  }, true);
  EXPECT_EQ(order.front(), u"M");       // a folder's contents come before the folder
  EXPECT_EQ(order.back(), u"F0");
  EXPECT_EQ(order.size(), tree.Count());

  tree.Remove(f);
  EXPECT_EQ(tree.Selected(), nullptr);  // the selection went with its folder
  EXPECT_EQ(tree.Count(), 0u);
}

}  // namespace
