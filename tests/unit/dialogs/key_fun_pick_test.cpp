#include "dialogs/key_fun_pick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "unit/dialogs/picker_fixture.h"
#include "macro/macro_library.h"
#include "unit/macro_files.h"

namespace {

constexpr uint32_t kExtended = 0x01000000;
constexpr uint32_t kLeftShiftScan = 0x2A << 16;
constexpr uint32_t kRightShiftScan = 0x36 << 16;

// An entry with every byte that OK must clear set: the fire key with a rectangle and a matrix
// position.
KEYINFO Busy() {
  KEYINFO k = Fire(1, 2, 0x41);
  k.rcKey = {1, 2, 3, 4};
  k.nMatrix = 28;
  k.dwMacroId = 0x55;
  return k;
}

KEYINFO Expected(uint32_t word, uint8_t modifier = 0, uint8_t vk = 0, uint8_t vk2 = 0) {
  KEYINFO k{};
  SetKeyCodeWord(k, word);
  k.bModifier = modifier;
  k.bVk = vk;
  k.bVk2 = vk2;
  return k;
}

using KeyFunPickerTest = PickerFixture;

TEST_F(KeyFunPickerTest, EachModifierKeySetsItsOwnBit) {
  const struct {
    uint32_t vk, data;
    uint8_t bit;
  } cases[] = {
      {0x11, 0, 0x01},        {0xA2, 0, 0x01},        {0x11, kExtended, 0x10}, {0xA3, 0, 0x10},
      {0x10, kLeftShiftScan, 0x02}, {0xA0, 0, 0x02}, {0x10, kRightShiftScan, 0x20},
      {0xA1, 0, 0x20},        {0x12, 0, 0x04},        {0xA4, 0, 0x04},         {0x12, kExtended, 0x40},
      {0xA5, 0, 0x40},        {0x5B, 0, 0x08},        {0x5C, 0, 0x80},
  };
  for (const auto& c : cases) {
    Open(Busy());
    picker.OnTab(kPickPageCombo);
    Tap(c.vk, c.data);
    EXPECT_EQ(picker.Modifiers(), c.bit) << std::hex << c.vk << " " << c.data;
    EXPECT_EQ(picker.FirstKey(), 0) << std::hex << c.vk;
  }
}

TEST_F(KeyFunPickerTest, OnlyModifiersGiveAPlainKeyEntryWithoutKeys) {
  Open(Busy());
  picker.OnTab(kPickPageCombo);
  Down(0x11);
  Down(0x10, kRightShiftScan);
  EXPECT_EQ(view.comboCaption, u"Ctrl + Shift");
  picker.OnOk();
  EXPECT_EQ(view.closedWith, kPickOk);
  EXPECT_TRUE(SameBytes(picker.Entry(), Expected(0x02000000, 0x21)));
  EXPECT_EQ(picker.Outcome(kPickOk).resultKind, kPickResultFunction);
}

TEST_F(KeyFunPickerTest, TwoKeysAtMostAndReleasesRemoveNothing) {
  Open(Busy());
  picker.OnTab(kPickPageCombo);
  Down(0x11);
  Tap('A');
  Down('A');  // the first key again after its release: still the first key only
  Up('A');
  EXPECT_EQ(picker.SecondKey(), 0);
  Tap('B');
  Tap('D');  // a third key has no place
  Up(0x11);
  EXPECT_EQ(picker.FirstKey(), 'A');
  EXPECT_EQ(picker.SecondKey(), 'B');
  EXPECT_EQ(view.comboCaption, u"Ctrl + A + B");
  picker.OnOk();
  EXPECT_TRUE(SameBytes(picker.Entry(), Expected(0x02000000, 0x01, 'A', 'B')));
}

TEST_F(KeyFunPickerTest, HeldKeyCountsOnceEvenAcrossPickers) {
  Open(Busy());
  picker.OnTab(kPickPageCombo);
  Down('A');
  const int captions = view.comboCaptionCalls;
  Down('A');  // auto-repeat
  Down('A');
  EXPECT_EQ(view.comboCaptionCalls, captions);
  // The picker closes with the mouse while A is still held; the next one opens.
  Open(Busy());
  picker.OnTab(kPickPageCombo);
  EXPECT_TRUE(Down('A'));  // taken, but a repeat of the last event
  EXPECT_EQ(picker.FirstKey(), 0);
  Up('A');
  Down('A');
  EXPECT_EQ(picker.FirstKey(), 'A');
}

TEST_F(KeyFunPickerTest, DialogKeysAreCapturedOnlyOnTheCombinationPage) {
  Open(Busy());
  EXPECT_FALSE(Down(27));  // no page yet: Esc works as in any dialog
  picker.OnTab(kPickPageMedia);
  EXPECT_FALSE(Down(13));
  picker.OnTab(kPickPageCombo);
  EXPECT_TRUE(Down(27));
  EXPECT_TRUE(Down(13));
  EXPECT_TRUE(Down(9));  // Tab: taken, so the focus stays
  EXPECT_TRUE(Down(0x1234));  // no key code at all: taken and ignored
  EXPECT_EQ(picker.FirstKey(), 27);
  EXPECT_EQ(picker.SecondKey(), 13);
  EXPECT_EQ(view.closedWith, 0);
}

TEST_F(KeyFunPickerTest, OkChecksOnlyTheCurrentPage) {
  Open(Busy());
  picker.OnTab(kPickPageCombo);
  Tap('C');
  picker.OnTab(kPickPageMedia);  // the combination survives the switch but does not count
  picker.OnOk();
  EXPECT_EQ(view.notices, std::vector<std::u16string>{u"Choose a function first"});
  EXPECT_EQ(view.closedWith, 0);
  EXPECT_TRUE(SameBytes(picker.Entry(), Busy()));
  EXPECT_EQ(picker.FirstKey(), 'C');

  picker.OnMediaPicked(0x04000022);
  EXPECT_EQ(view.mediaCaption, u"Play/Pause");
  picker.OnOk();
  EXPECT_EQ(view.closedWith, kPickOk);
  EXPECT_TRUE(SameBytes(picker.Entry(), Expected(0x04000022)));

  Open(Busy());
  picker.OnTab(kPickPageCombo);
  picker.OnOk();  // nothing captured
  EXPECT_EQ(view.notices.size(), 2u);
}

TEST_F(KeyFunPickerTest, OkWithoutAPageReturnsTheEntryEvenForAMacroThatIsGone) {
  KEYINFO orphan = Coded(5, 0);
  orphan.dwMacroId = 0x123456;  // no such record in MacroList
  orphan.nMatrix = 28;
  Open(orphan);
  EXPECT_EQ(picker.Texts()[0].text, u"Key: ");
  picker.OnOk();
  EXPECT_EQ(view.closedWith, kPickOk);
  EXPECT_TRUE(SameBytes(picker.Outcome(kPickOk).entry, orphan));

  Open(orphan);  // and it can be given something else
  picker.OnTab(kPickPageCombo);
  Tap('X');
  picker.OnOk();
  EXPECT_TRUE(SameBytes(picker.Entry(), Expected(0x02000000, 0, 'X')));
}

TEST_F(KeyFunPickerTest, MediaRowsAndOnlyTheirValuesAreTaken) {
  Open(Busy());
  const std::vector<MediaRow>& rows = picker.Media();
  ASSERT_EQ(rows.size(), 12u);
  const uint32_t order[12] = {0x04000021, 0x04000022, 0x04000025, 0x04000024,
                              0x04000023, 0x04000028, 0x04000026, 0x04000027,
                              0x04000030, 0x04000031, 0x04000032, 0x04000034};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rows[i].value, order[i]) << i;
  EXPECT_EQ(std::u16string(rows[6].text), u"Volume up, the long");  // cut to 19 characters

  picker.OnTab(kPickPageMedia);
  for (uint32_t bad : {0u, 0x04000029u, 0x02000000u, 0xFFFFFFFFu}) picker.OnMediaPicked(bad);
  EXPECT_EQ(picker.ListChoice(), 0u);
  EXPECT_TRUE(SameBytes(picker.Entry(), Busy()));
  picker.OnMediaPicked(0x04000026);
  EXPECT_EQ(picker.ListChoice(), 0x04000026u);
}

TEST_F(KeyFunPickerTest, SwatchGivesAColourOnlyFromARowThatExists) {
  Open(Busy(), false);
  picker.OnSwatchClicked(2);
  EXPECT_EQ(view.closedWith, 0);

  Open(Busy(), true);
  for (int64_t bad : {int64_t{8}, int64_t{-1}, int64_t{1} << 40}) picker.OnSwatchClicked(bad);
  EXPECT_EQ(view.closedWith, 0);
  picker.OnSwatchClicked(7);  // the none mark: unlit
  EXPECT_EQ(view.closedWith, kPickOk);
  const KeyPickOutcome outcome = picker.Outcome(kPickOk);
  EXPECT_EQ(outcome.resultKind, kPickResultColour);
  EXPECT_EQ(outcome.colour, 0u);
  EXPECT_TRUE(SameBytes(outcome.entry, Busy()));

  Open(Busy(), true);
  picker.OnSwatchClicked(3);
  EXPECT_EQ(picker.ResultColour(), 0x00FFFFu);
}

TEST_F(KeyFunPickerTest, RestoreDefaultGivesThisKeysLayoutEntryWhenConfirmed) {
  Open(Busy());
  view.confirmAnswer = false;
  picker.OnRestoreDefault();
  EXPECT_EQ(view.confirms, std::vector<std::u16string>{u"Restore the default?"});
  EXPECT_EQ(view.closedWith, 0);
  EXPECT_TRUE(SameBytes(picker.Entry(), Busy()));

  view.confirmAnswer = true;
  picker.OnRestoreDefault();
  EXPECT_EQ(view.closedWith, kPickOk);
  EXPECT_TRUE(SameBytes(picker.Entry(), DefaultKeyTable[kKeyC]));

  view.closedWith = 0;
  Open(Busy(), false, 200);  // a key index outside the layout has no default
  picker.OnRestoreDefault();
  EXPECT_EQ(view.closedWith, 0);
}

TEST_F(KeyFunPickerTest, TextsFollowThePageAndTheColourRow) {
  Open(Busy(), true);
  std::vector<PickerText> texts = picker.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rect, (PixelRect{20, 10, 200, 30}));
  EXPECT_EQ(texts[1].text, u"Colour");
  EXPECT_EQ(texts[1].rect, (PixelRect{30, 50, 110, 70}));

  picker.OnTab(kPickPageCombo);
  texts = picker.Texts();
  EXPECT_EQ(texts[1].text, u"Press keys");
  EXPECT_EQ(texts[1].rect, (PixelRect{250, 119, 465, 139}));

  picker.OnTab(kPickPageMacro);  // the library folder does not exist: an empty tree
  texts = picker.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1].text, u"Macros");
  EXPECT_EQ(texts[1].rect, (PixelRect{233, 65, 448, 85}));
  EXPECT_EQ(texts[2].text, u"No macros");
  EXPECT_EQ(texts[2].rect, (PixelRect{228, 90, 528, 110}));
  EXPECT_EQ(view.pages, (std::vector<int>{1, 2}));
}

class MacroPageTest : public PickerFixture {
 protected:
  void SetUp() override {
    PickerFixture::SetUp();
    WriteMacro("Mac/Fire.mck", 0x017A0101);  // only 24 bits reach the key
    WriteMacro("Mac/Games/Combo.mck", 0x0201);
    appDataFolder = tmp.U16Path() + u"/";
  }
  void WriteMacro(const std::string& rel, uint32_t id) { WriteTestMacro(tmp, rel, id); }
  TreeItemId Item(TreeItemId parent, const std::u16string& text) {
    return tree.FindChildByText(parent, text);
  }
  TempFolder tmp{"velkor-picker"};
};

TEST_F(MacroPageTest, OnlyASelectedMacroIsAccepted) {
  Open(Busy());
  picker.OnTab(kPickPageMacro);
  ASSERT_EQ(tree.Count(), 3u);
  picker.OnOk();  // nothing selected
  tree.Select(Item(kTreeRoot, u"Games"));
  picker.OnOk();  // a folder
  EXPECT_EQ(view.notices.size(), 2u);
  EXPECT_EQ(view.closedWith, 0);

  tree.Select(Item(kTreeRoot, u"Fire"));
  picker.OnOk();
  EXPECT_EQ(view.closedWith, kPickOk);
  KEYINFO expected = Expected(0x05000000);
  expected.dwMacroId = 0x7A0101;
  EXPECT_TRUE(SameBytes(picker.Entry(), expected));
}

TEST_F(MacroPageTest, OpeningTheMacroPageAgainAddsNoRecords) {
  Open(Busy());
  picker.OnTab(kPickPageMacro);
  picker.OnTab(kPickPageCombo);
  picker.OnTab(kPickPageMacro);  // the tree is already filled
  EXPECT_EQ(tree.Count(), 3u);
  EXPECT_EQ(MacroList.GetCount(), 2u);

  // Each later picker (a new dialog, a new tree: one per key click) fills its own tree from the
  // same folder, and the library in memory stays as long as after the first.
  for (int opening = 2; opening <= 10; ++opening) {
    RecordingPickView otherView;
    TreeModel otherTree;
    KeyFunPicker other(otherView, otherTree);
    KeyPickRequest request;
    request.appDataFolder = appDataFolder;
    request.macroFolders = true;
    other.Open(request);
    other.OnTab(kPickPageMacro);
    EXPECT_EQ(otherTree.Count(), 3u) << opening;
    EXPECT_EQ(MacroList.GetCount(), 2u) << opening;
  }
}

// The page lists the library at once; files no scan has read yet are read meanwhile, and the
// page does not call the library empty while they are.
TEST_F(KeyFunPickerTest, TheMacroPageFillsInWhenItsFilesAreReadAndIsNotCalledEmptyMeanwhile) {
  TempFolder folder{"velkor-picker-reads"};
  WriteTestMacro(folder, "Mac/Solo.mck", 0x0301);
  appDataFolder = folder.U16Path() + u"/";
  ForgetKnownMacroFiles();
  std::atomic<bool> landed{false};
  picker.SetScanLanded([&] { landed = true; });
  Open(Busy());
  picker.OnTab(kPickPageMacro);
  auto saysEmpty = [this] {
    for (const PickerText& text : picker.Texts())
      if (text.text == u"No macros") return true;
    return false;
  };
  EXPECT_TRUE(tree.IsEmpty());
  EXPECT_FALSE(saysEmpty());
  for (int i = 0; i < 5000 && !landed; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(landed);
  EXPECT_TRUE(picker.OnScanLanded());
  EXPECT_EQ(tree.Count(), 1u);
  EXPECT_EQ(MacroList.GetCount(), 1u);
  EXPECT_FALSE(saysEmpty());
}

}  // namespace
