#include "macro/macro_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "unit/macro/library_fixture.h"

namespace {

class MacroScanTest : public LibraryFixture {
 protected:
  // Every item as "Folder/Name" (folders end in '/'), in the order shown.
  static std::vector<std::string> Shown(const MacroTreeModel& tree) {
    std::vector<std::string> out;
    std::function<void(const MacroNode*, const std::string&)> walk = [&](const MacroNode* n, const std::string& at) {
      for (const auto& c : n->children) {
        const std::string name = at + u16::ToUtf8(c->text) + (c->IsFolder() ? "/" : "");
        out.push_back(name);
        walk(c.get(), name);
      }
    };
    walk(tree.Root(), "");
    return out;
  }
  MacroNode* Find(MacroTreeModel& tree, std::initializer_list<const char16_t*> path) {
    MacroNode* n = tree.Root();
    for (const char16_t* part : path) n = n ? tree.FindChild(n, part) : nullptr;
    return n;
  }
  // Waits for the reading thread's call, as the window waits for its posted message.
  static bool WaitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 5000 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag;
  }
};

TEST_F(MacroScanTest, KnownMacrosShowAtOnceAndTheReadOnesLandInTheirPlaces) {
  WriteMacro("Mac/B.mck", 0x102);
  WriteMacro("Mac/Games/G2.mck", 0x202);
  LoadMacroLibrary(AppData(), true);  // start-up reads these
  // Copied in since: no scan has read them.
  uint32_t id = 0x300;
  for (const char* rel : {"Mac/A.mck", "Mac/C.mck", "Mac/Games/G1.mck", "Mac/Games/G3.mck", "Mac/New/N.mck"})
    WriteMacro(rel, ++id);
  WriteMacro("Mac/Games/Broken.mck", 0x400);
  tmp_.Write("Mac/Games/Broken.mck", std::vector<uint8_t>(kMacroRecordBytes, 0x55));

  MacroTreeModel tree;
  MacroLibraryScan scan;
  std::atomic<bool> landed{false};
  scan.Start(AppData(), &tree, true, [&] { landed = true; });
  std::vector<std::string> first = Shown(tree);
  std::sort(first.begin(), first.end());
  EXPECT_EQ(first, (std::vector<std::string>{"B", "Games/", "Games/G2", "New/"}));
  EXPECT_EQ(MacroList.GetCount(), 2u);
  EXPECT_TRUE(scan.Pending());
  MacroNode* chosen = Find(tree, {u"Games", u"G2"});
  tree.Select(chosen);

  ASSERT_TRUE(WaitFor(landed));
  EXPECT_TRUE(scan.Land());
  EXPECT_FALSE(scan.Pending());
  EXPECT_FALSE(scan.Land());  // a second message, or one from elsewhere
  EXPECT_EQ(MacroList.GetCount(), 7u);
  EXPECT_EQ(tree.Selected(), chosen);

  // Just as a scan that read everything on the spot lists them.
  MacroTreeModel again;
  LoadMacroLibrary(AppData(), &again, true);
  EXPECT_EQ(Shown(tree), Shown(again));
  EXPECT_EQ(Shown(tree).size(), 9u);  // the broken file is no macro
  EXPECT_EQ(MacroList.GetCount(), 7u);
}

TEST_F(MacroScanTest, AFolderRemovedMeanwhileTakesNothingInAndAStoppedScanNothingAtAll) {
  WriteMacro("Mac/Keep.mck", 0x101);
  WriteMacro("Mac/Gone/X.mck", 0x201);
  MacroTreeModel tree;
  MacroLibraryScan scan;
  std::atomic<bool> landed{false};
  scan.Start(AppData(), &tree, true, [&] { landed = true; });
  ASSERT_NE(Find(tree, {u"Gone"}), nullptr);
  tree.Remove(Find(tree, {u"Gone"}));  // deleted in the editor while its files are read
  ASSERT_TRUE(WaitFor(landed));
  EXPECT_TRUE(scan.Land());
  EXPECT_EQ(Shown(tree), (std::vector<std::string>{"Keep"}));
  EXPECT_EQ(FindMacroById(0x201), nullptr);
  EXPECT_NE(FindMacroById(0x101), nullptr);

  // The window goes before the reads land: nothing comes in, then or later.
  MacroList.RemoveAll();
  ForgetKnownMacroFiles();
  MacroTreeModel other;
  MacroLibraryScan stopped;
  landed = false;
  stopped.Start(AppData(), &other, true, [&] { landed = true; });
  stopped.Stop();
  EXPECT_FALSE(stopped.Pending());
  EXPECT_FALSE(stopped.Land());
  EXPECT_EQ(MacroList.GetCount(), 0u);
  EXPECT_EQ(Shown(other), (std::vector<std::string>{"Gone/"}));

  // Without a callback the scan reads on the spot, as LoadMacroLibrary does.
  MacroTreeModel now;
  MacroLibraryScan plain;
  plain.Start(AppData(), &now, true, nullptr);
  EXPECT_FALSE(plain.Pending());
  EXPECT_EQ(now.Count(), 3u);
}

}  // namespace
