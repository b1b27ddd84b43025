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

}  // namespace
