#include "dialogs/key_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "unit/dialogs/picker_fixture.h"
#include "profile/profile.h"

namespace {

// A main window whose picker answers with `outcome` and whose view and panel record calls.
class RecordingHost : public KeyEditHost {
 public:
  KeyPickOutcome RunPicker(const KeyPickRequest& request) override {
    requests.push_back(request);
    return outcome;
  }
  int SelectedKey() const override { return selectedKey; }
  void SetKeyColour(int slot, uint32_t colour) override { colours.push_back({slot, colour}); }
  void CommitLighting() override { ++commits; }
  void SetKeyMark(int slot, bool hasFunction) override { marks.push_back({slot, hasFunction}); }
  void RedrawKeys() override { ++redraws; }
  void RequestApply(uint32_t flags) override { applies.push_back(flags); }

  KeyPickOutcome outcome;
  int selectedKey = kKeyC;
  std::vector<KeyPickRequest> requests;
  std::vector<std::pair<int, uint32_t>> colours;
  std::vector<std::pair<int, bool>> marks;
  int commits = 0;
  int redraws = 0;
  std::vector<uint32_t> applies;
};

class KeyEditTest : public PickerFixture {
 protected:
  void SetUp() override {
    PickerFixture::SetUp();
    std::memset(&profile, 0, sizeof profile);
    profile.KeyInfo[kKeyC] = DefaultKeyTable[kKeyC];
    g_Settings.ApplyNow = 1;
  }
  KeyPickOutcome Function(const KEYINFO& entry) {
    KeyPickOutcome outcome;
    outcome.modalResult = kPickOk;
    outcome.entry = entry;
    return outcome;
  }
  KeyEditResult Edit(int key = kKeyC) { return EditKeyFromPicker(&profile, key, u"C:\\data\\", host); }

  PROFILEINFO profile;
  RecordingHost host;
};

TEST_F(KeyEditTest, TheKeysEntryAndTheColourModeGoToThePicker) {
  profile.nCurLedMode = 3;
  g_Settings.MacroDir = 1;
  EXPECT_EQ(Edit(), KeyEditResult::Cancelled);
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0].keyIndex, kKeyC);
  EXPECT_TRUE(host.requests[0].colourRow);
  EXPECT_TRUE(host.requests[0].macroFolders);
  EXPECT_EQ(host.requests[0].appDataFolder, u"C:\\data\\");
  EXPECT_TRUE(SameBytes(host.requests[0].entry, DefaultKeyTable[kKeyC]));
  EXPECT_TRUE(SameBytes(profile.KeyInfo[kKeyC], DefaultKeyTable[kKeyC]));
  EXPECT_TRUE(host.applies.empty());

  profile.nCurLedMode = 2;
  Edit();
  EXPECT_FALSE(host.requests[1].colourRow);
}

TEST_F(KeyEditTest, NoProfileOrNoSuchKeyOpensNothing) {
  EXPECT_EQ(EditKeyFromPicker(nullptr, kKeyC, u"", host), KeyEditResult::NoProfile);
  for (int bad : {-1, 104, 144, 1 << 20}) EXPECT_EQ(Edit(bad), KeyEditResult::NoSuchKey) << bad;
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(KeyEditTest, FunctionIsStoredWithTheLayoutsPlaceAndMarked) {
  host.outcome = Function(Keys(0x01, 'C', 0));  // the picker clears rcKey and nMatrix
  EXPECT_EQ(Edit(), KeyEditResult::FunctionStored);
  const KEYINFO& stored = profile.KeyInfo[kKeyC];
  EXPECT_EQ(KeyCodeWord(stored), 0x02000000u);
  EXPECT_EQ(stored.bModifier, 0x01);
  EXPECT_EQ(stored.bVk, 'C');
  EXPECT_EQ(stored.nMatrix, 28);
  EXPECT_EQ(stored.rcKey.left, 127);
  EXPECT_EQ(host.marks, (std::vector<std::pair<int, bool>>{{kKeyC, true}}));
  EXPECT_EQ(host.redraws, 1);
  EXPECT_EQ(host.applies, std::vector<uint32_t>{1});

  host.outcome = Function(DefaultKeyTable[kKeyC]);  // back to the default: the mark goes
  g_Settings.ApplyNow = 0;
  EXPECT_EQ(Edit(), KeyEditResult::FunctionStored);
  EXPECT_EQ(host.marks.back(), (std::pair<int, bool>{kKeyC, false}));
  EXPECT_EQ(host.applies.size(), 1u);
}

TEST_F(KeyEditTest, TheSamePlainKeyChangesNothingButAnAddedSecondKeyIsStored) {
  host.outcome = Function(Keys(0, 'C', 0));
  EXPECT_EQ(Edit(), KeyEditResult::Unchanged);
  EXPECT_TRUE(host.applies.empty());
  EXPECT_TRUE(host.marks.empty());

  host.outcome = Function(Keys(0, 'C', 'D'));
  EXPECT_EQ(Edit(), KeyEditResult::FunctionStored);
  EXPECT_EQ(profile.KeyInfo[kKeyC].bVk2, 'D');
}

TEST_F(KeyEditTest, FunctionNeedsTheViewsSelectedKey) {
  host.outcome = Function(Keys(0, 'X', 0));
  host.selectedKey = -1;
  EXPECT_EQ(Edit(), KeyEditResult::NoSelectedKey);
  EXPECT_TRUE(SameBytes(profile.KeyInfo[kKeyC], DefaultKeyTable[kKeyC]));
  EXPECT_TRUE(host.applies.empty());
}

TEST_F(KeyEditTest, ColourGoesToTheViewAndThePanelNotTheKeysFunction) {
  profile.nCurLedMode = 3;
  host.outcome.modalResult = kPickOk;
  host.outcome.resultKind = kPickResultColour;
  host.outcome.colour = 0x00FF00;
  host.outcome.entry = Keys(0, 'Z', 0);
  EXPECT_EQ(Edit(), KeyEditResult::ColourSet);
  EXPECT_EQ(host.colours, (std::vector<std::pair<int, uint32_t>>{{kKeyC, 0x00FF00}}));
  EXPECT_EQ(host.commits, 1);
  EXPECT_EQ(host.applies, std::vector<uint32_t>{4});
  EXPECT_TRUE(SameBytes(profile.KeyInfo[kKeyC], DefaultKeyTable[kKeyC]));
}

}  // namespace
