#include "macro/macro_editor.h"

#include <gtest/gtest.h>

#include "log/log.h"
#include "macro/macro_library.h"
#include "unit/macro/library_fixture.h"

namespace {

constexpr uint32_t kA = 'A', kB = 'B';
constexpr MacroEventItem P(uint32_t vk) { return {kEventPress, vk}; }
constexpr MacroEventItem R(uint32_t vk) { return {kEventRelease, vk}; }
constexpr MacroEventItem D(uint32_t ms) { return {kEventDelay, ms}; }

// A packed record's field as a value: gtest would bind a reference to a misaligned address.
template <typename T>
T Field(T value) { return value; }

class MacroEditorTest : public LibraryFixture {
 protected:
  void SetUp() override {
    LibraryFixture::SetUp();
    StMacro fire = Record(0x71, u"Fire");
    WriteMacro("Mac/Fire.mck", fire);
    editor_.Open();
    SelectFire();
  }
  void SelectFire() { editor_.OnLibraryClick(tree_.FindChild(tree_.Root(), u"Fire")); }
  // Key-down and key-up messages at the given ticks, through the pre-translation hook.
  void Keys(std::initializer_list<std::pair<int, uint32_t>> events, uint32_t gap) {
    for (const auto& e : events) {
      tick_ += gap;
      editor_.PreTranslateKey(e.first < 0, static_cast<uint32_t>(e.first < 0 ? -e.first : e.first), 0, tick_);
    }
  }

  MacroTreeModel tree_;
  MacroEditorConfig config_{AppData(), true, 0x7F};
  MacroEditor editor_{tree_, ui_, config_};
  uint32_t tick_ = 1000;
};

TEST_F(MacroEditorTest, RecordingTakesOnePressAndReleaseWithTheDelaysBetween) {
  editor_.OnRecordButton();
  ASSERT_TRUE(editor_.IsRecording());
  EXPECT_FALSE(editor_.LoopFieldVisible());
  // A held A repeats its key-down; the repeats are dropped.
  Keys({{'A', 0}}, 0);
  Keys({{'A', 0}, {'A', 0}}, 30);
  tick_ = 1000;
  Keys({{-'A', 0}, {'B', 0}, {-'B', 0}}, 1000);
  EXPECT_EQ(editor_.Events(), (MacroEventList{P(kA), D(1000), R(kA), D(1000), P(kB), D(1000), R(kB)}));
  EXPECT_EQ(MeasureEventUnits(editor_.Events()), 11);
  EXPECT_EQ(MeasureEventUnits({P(kA), D(2000), R(kA), D(2000), P(kB), D(2000), R(kB)}), 20);

  tick_ += 25000;
  editor_.OnMacroKey(kA, false, tick_);
  EXPECT_EQ(editor_.Events()[editor_.Events().size() - 2], D(kMacroMaxDelayMs));

  // Codes no list can hold are ignored.
  const size_t n = editor_.Events().size();
  editor_.OnMacroKey(0, false, tick_ += 10);
  editor_.OnMacroKey(256, true, tick_ += 10);
  EXPECT_EQ(editor_.Events().size(), n);

  editor_.OnRecordButton();
  EXPECT_FALSE(editor_.IsRecording());
  EXPECT_TRUE(editor_.SaveVisible());
  EXPECT_EQ(editor_.CurrentMacro()->dwDirtyFlags, kMacroDirtyBits);
  // Keys that arrive while not recording are ignored.
  editor_.OnMacroKey(kB, true, tick_ += 10);
  EXPECT_EQ(editor_.Events().size(), n);
}

TEST_F(MacroEditorTest, RecordingStopsGrowingAtTheSizeLimitUntilStartedAgain) {
  editor_.OnDelayCheck();  // no delays
  editor_.OnRecordButton();
  for (uint32_t i = 0; i < 60; ++i) editor_.OnMacroKey('A' + i % 20, i % 2 == 1, tick_ += 100);
  EXPECT_EQ(editor_.Events().size(), 45u);  // 4 + 45 units is more than 48
  for (const MacroEventItem& item : editor_.Events()) EXPECT_NE(item.kind, kEventDelay);
  editor_.OnRecordButton();
  editor_.OnRecordButton();
  editor_.OnMacroKey(kA, false, tick_ += 100);
  EXPECT_EQ(editor_.Events(), MacroEventList{P(kA)});
}

TEST_F(MacroEditorTest, KeyMessagesAreCapturedOnlyWhileRecording) {
  EXPECT_TRUE(editor_.PreTranslateKey(false, 0x0D, 0, 0));   // Enter would close the dialog
  EXPECT_TRUE(editor_.PreTranslateKey(true, 0x70, 0, 0));    // F1
  EXPECT_FALSE(editor_.PreTranslateKey(false, kA, 0, 0));
  EXPECT_TRUE(editor_.Events().empty());

  EXPECT_EQ(CapturedKeyCode(17, 1u << 24), 163u);
  EXPECT_EQ(CapturedKeyCode(18, 1u << 24), 165u);
  EXPECT_EQ(CapturedKeyCode(16, 0x36u << 16), 161u);  // right Shift's scan code
  EXPECT_EQ(CapturedKeyCode(16, 0x2Au << 16), 16u);
  EXPECT_EQ(CapturedKeyCode(17, 0), 17u);

  editor_.OnRecordButton();
  EXPECT_TRUE(editor_.PreTranslateKey(false, 17, 1u << 24, 5000));
  EXPECT_EQ(editor_.Events(), MacroEventList{P(163)});
}

TEST_F(MacroEditorTest, NothingButTheRecordButtonActsWhileRecording) {
  editor_.OnRecordButton();
  EXPECT_FALSE(editor_.ButtonAllowed());
  EXPECT_EQ(editor_.OnLibraryRightClick(nullptr), 0u);
  EXPECT_TRUE(editor_.OnInsertButton().empty());
  editor_.OnSave();
  EXPECT_FALSE(editor_.OnExitButton());  // the dialog stays open
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>(5, u"recording"));
  EXPECT_TRUE(ui_.texts.empty());

  // Recording needs a macro.
  editor_.OnRecordButton();
  editor_.OnLibraryClick(nullptr);
  ui_.shown.clear();
  editor_.OnRecordButton();
  EXPECT_FALSE(editor_.IsRecording());
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"select a macro"});
  EXPECT_TRUE(editor_.OnExitButton());
}

TEST(MacroEventListTest, NormalisingDropsLeadingItemsMergesDelaysAndRepeats) {
  struct Case {
    MacroEventList in, out;
  } cases[] = {
      {{D(10), R(kA), P(kA), R(kA)}, {P(kA), R(kA)}},
      {{P(kA), D(100), D(250), R(kA)}, {P(kA), D(350), R(kA)}},
      {{P(kA), D(100), D(100), D(100)}, {P(kA), D(200), D(100)}},
      {{P(kA), P(kA), R(kA), R(kA), P(kB)}, {P(kA), R(kA), P(kB)}},
      {{P(kA), P(kB)}, {P(kA), P(kB)}},
      {{R(kA), D(5)}, {}},
  };
  for (Case& c : cases) {
    NormaliseEvents(c.in);
    EXPECT_EQ(c.in, c.out);
  }
}

TEST(MacroEventListTest, StoringGivesEachEventTheDelayAfterIt) {
  StMacro m;
  std::memset(&m, 0xEE, sizeof m);
  StoreEvents({P(kA), D(200), D(100), R(kA), P(0x100), R(kB)}, m);  // 0x100 stores as code 0
  EXPECT_EQ(MacroEventCount(m), 3);
  EXPECT_EQ(Field(m.Events[0].wVk), kA);
  EXPECT_EQ(Field(m.Events[0].wDown), 1);
  EXPECT_EQ(Field(m.Events[0].dwDelay), 200u);
  EXPECT_EQ(Field(m.Events[1].dwDelay), 0u);  // the 100 ms delay belongs to no event
  EXPECT_EQ(Field(m.Events[2].wVk), kB);      // the zero code did not end the list
  EXPECT_EQ(Field(m.Events[kMacroEventEntries - 1].wVk), 0);

  MacroEventList many;
  for (int i = 0; i < 100; ++i) many.push_back(i % 2 ? R(kA) : P(kA));
  StoreEvents(many, m);
  EXPECT_EQ(MacroEventCount(m), kMacroMaxEvents);
}

TEST_F(MacroEditorTest, AStoredMacroShowsItsFirstSixteenEventsAndSavesThose) {
  StMacro* fire = editor_.CurrentMacro();
  for (int i = 0; i < 30; ++i) fire->Events[i] = {static_cast<uint16_t>(kA + i % 20), static_cast<uint16_t>(i % 2 == 0), 40};
  fire->dwLoopMode = 1;
  SelectFire();
  EXPECT_EQ(editor_.Events().size(), 32u);  // 16 events and the delay after each
  EXPECT_EQ(editor_.Events()[1], D(40));
  EXPECT_FALSE(editor_.Mode0Checked());
  EXPECT_FALSE(editor_.Mode2Checked());

  editor_.OnEventClick(31);
  editor_.OnMenuPicked(kMenuDeleteEvent, 0x440);
  EXPECT_TRUE(editor_.SaveVisible());
  editor_.OnSave();
  EXPECT_EQ(MacroEventCount(*fire), 16);
  EXPECT_EQ(fire->dwLoopMode, 1u);  // mode 1 stays while no radio was clicked
  EXPECT_FALSE(editor_.SaveVisible());
  EXPECT_EQ(MacroEventCount(ReadMacro("Mac/Fire.mck")), 16);
}

TEST_F(MacroEditorTest, InsertingKeysDelaysAndMouseActionsBeforeTheSelectedItem) {
  std::vector<MacroMenuItem> menu = editor_.OnInsertButton();
  ASSERT_EQ(menu.size(), 3u + 7u);
  EXPECT_EQ(menu[3].value, 0xF00080u);
  ui_.keys = {CapturedKey{kA, 0}, CapturedKey{0, 0x02}};
  editor_.OnMenuPicked(0xF70080, kMenuInsert);
  editor_.OnMenuPicked(0xF80080, kMenuInsert);  // modifiers alone insert nothing
  ui_.numbers = {5, 30000};
  editor_.OnMenuPicked(0xF90080, kMenuInsert);
  editor_.OnMenuPicked(0xF90080, kMenuInsert);
  EXPECT_EQ(editor_.Events(), (MacroEventList{P(kA), D(10), D(20470)}));

  editor_.OnEventClick(1);
  editor_.OnMenuPicked(0xF00080, kMenuInsert);  // left click, delays on
  EXPECT_EQ(editor_.Events(), (MacroEventList{P(kA), P(240), D(50), R(240), D(10), D(20470)}));
  EXPECT_EQ(editor_.SelectedEvent(), 4);
  editor_.OnMenuPicked(0xF50080, kMenuInsert);
  editor_.OnMenuPicked(0xF60080, kMenuInsert);
  EXPECT_EQ(editor_.Events()[4], R(245));
  EXPECT_EQ(editor_.Events()[5], P(246));

  // Modifying: a capture of modifiers alone gives the left-hand code of the first.
  editor_.OnEventClick(0);
  ui_.keys = {CapturedKey{0, 0x06}};
  editor_.OnMenuPicked(kMenuModifyEvent, 0x440);
  EXPECT_EQ(editor_.Events()[0], P(160));
  EXPECT_EQ(editor_.CurrentMacro()->dwDirtyFlags, kMacroDirtyEvents);

  editor_.OnEventClick(-1);
  ui_.shown.clear();
  editor_.OnMenuPicked(kMenuModifyEvent, 0x440);
  EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"select a macro"});
}

TEST_F(MacroEditorTest, TheRepeatCountAndModesReachTheRecordOnSave) {
  editor_.OnMode0();
  EXPECT_EQ(editor_.LoopText(), u"1");
  for (const char16_t* bad : {u"0", u"256", u"99999999999"}) {
    ui_.shown.clear();
    editor_.OnLoopTextChanged(bad);
    EXPECT_EQ(ui_.shown, std::vector<std::u16string>{u"Loop Count = 1 ~ 255"});
    EXPECT_EQ(editor_.LoopText(), u"1");
  }
  // Cleared to type a new count: the field stays empty (the window shows LoopText()) and
  // nothing is marked, until the digits come.
  const uint32_t dirtyBefore = editor_.CurrentMacro()->dwDirtyFlags;
  editor_.OnLoopTextChanged(u"");
  EXPECT_EQ(editor_.LoopText(), u"");
  EXPECT_EQ(editor_.CurrentMacro()->dwDirtyFlags, dirtyBefore);
  editor_.OnLoopTextChanged(u"12");
  editor_.OnDelayCheck();
  editor_.OnSave();
  StMacro* fire = editor_.CurrentMacro();
  EXPECT_EQ(fire->dwLoopMode, 0u);
  EXPECT_EQ(fire->wLoopCount, 12);
  EXPECT_EQ(fire->bAutoDelay, 0u);
  EXPECT_EQ(ReadMacro("Mac/Fire.mck").wLoopCount, 12);

  editor_.OnMode2();
  EXPECT_FALSE(editor_.LoopFieldVisible());
  // A save that could not be written keeps its button, so it does not look done; the next one
  // writes.
  plat::TestHooks().failWrite = [](const std::u16string&) { return uint32_t{plat::kErrAccessDenied}; };
  editor_.OnSave();
  EXPECT_EQ(fire->dwLoopMode, 2u);
  EXPECT_TRUE(editor_.SaveVisible());
  EXPECT_EQ(ReadMacro("Mac/Fire.mck").dwLoopMode, 0u);
  plat::TestHooks().failWrite = nullptr;
  editor_.OnSave();
  EXPECT_FALSE(editor_.SaveVisible());
  EXPECT_EQ(ReadMacro("Mac/Fire.mck").dwLoopMode, 2u);
}

TEST_F(MacroEditorTest, ClosingWritesANewMacroThatWasNeverSaved) {
  EXPECT_EQ(editor_.OnLibraryRightClick(nullptr), 0x313u);
  ui_.texts = {u"Fresh"};
  editor_.OnMenuPicked(kMenuNewMacro, 0x313);
  EXPECT_TRUE(editor_.SaveVisible());
  EXPECT_TRUE(editor_.Mode0Checked());
  EXPECT_EQ(editor_.LoopText(), u"1");
  EXPECT_FALSE(Exists("Mac/Fresh.mck"));
  editor_.Close();
  EXPECT_EQ(Text(ReadMacro("Mac/Fresh.mck")), u"Fresh");
}

TEST_F(MacroEditorTest, MenusOfferTheCommandsOfWhatWasClicked) {
  MacroNode* folder = tree_.InsertFolder(tree_.Root(), u"Games", u"", false);
  EXPECT_EQ(editor_.OnLibraryRightClick(folder), 0x337u);
  EXPECT_EQ(tree_.Selected(), folder);
  EXPECT_EQ(editor_.OnLibraryRightClick(tree_.FindChild(tree_.Root(), u"Fire")), 0x02Cu);
  EXPECT_EQ(editor_.OnEventRightClick(-1), 0u);
  std::vector<MacroMenuItem> items = MacroEditor::MenuItems(0x337);
  std::vector<uint32_t> values;
  for (const MacroMenuItem& i : items) values.push_back(i.value);
  EXPECT_EQ(values, (std::vector<uint32_t>{0x001, 0x002, 0x020, 0x004, 0x010, 0x100, 0x200}));
}

}  // namespace
