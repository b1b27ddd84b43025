// The key function picker apart from its window: the key capture, the media rows, the macro
// page's tree, the colour row, restore default, and what OK hands back. The window
// (CKeyFunPickDlg) turns messages into the calls below and shows what the view interface asks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/color_swatch.h"
#include "controls/macro_tree_mirror.h"
#include "controls/pixel_rect.h"
#include "controls/tree_model.h"
#include "macro/macro_scan.h"
#include "records/profile_record.h"

// Modal results, as the dialog ends.
constexpr int kPickOk = 1;
constexpr int kPickCancel = 2;

// What OK hands back.
constexpr int kPickResultFunction = 1;
constexpr int kPickResultColour = 2;

constexpr int kPickPageNone = -1;
constexpr int kPickPageCombo = 1;
constexpr int kPickPageMacro = 2;
constexpr int kPickPageMedia = 3;

// What the opener gives the picker.
struct KeyPickRequest {
  int keyIndex = 0;             // 0..143
  bool colourRow = false;       // the profile is in the per-key colour mode
  KEYINFO entry{};              // the key's current entry
  std::u16string appDataFolder; // the macro page scans its Mac folder
  bool macroFolders = false;    // the MacroDir setting
};

// What the picker gives back.
struct KeyPickOutcome {
  int modalResult = kPickCancel;
  int resultKind = kPickResultFunction;
  KEYINFO entry{};       // with kPickResultFunction
  uint32_t colour = 0;   // with kPickResultColour, 0x00BBGGRR; 0 is unlit
};

// One row of the media drop-down: the first dword of the entry it produces and its text.
constexpr int kMediaRowCount = 12;
constexpr int kMediaRowTextUnits = 20;
struct MediaRow {
  uint32_t value;
  char16_t text[kMediaRowTextUnits];  // at most 19 characters
};
// The rows in list order, texts from the text table.
std::vector<MediaRow> MediaRows();
// Whether a value reported by the drop-down is one of the rows'.
bool IsMediaRowValue(uint32_t value);

// The last key event any picker saw, kept for the whole process so that a key still held when
// one picker closed does not count as a fresh press in the next.
struct PickKeyEvent {
  uint8_t vk = 0;
  uint8_t up = 0;  // 0x80 for a release
};
PickKeyEvent& LastPickKeyEvent();

// Places in the picker's client area.
namespace picker_layout {
constexpr PixelRect kCloseHotSpot{429, 11, 473, 30};
constexpr PixelRect kRestoreHotSpot{479, 5, 518, 35};
constexpr int kTabLeft = 27;
constexpr int kTabTops[3] = {90, 154, 218};
constexpr int kOkLeft = 390, kCancelLeft = 465, kButtonTop = 312;
constexpr int kPageControlLeft = 245, kPageControlTop = 144;  // drop-down and combination display
constexpr PixelRect kTree{228, 90, 457, 285};
constexpr PixelRect kFirstSwatch{100, 50, 122, 72};
constexpr int kSwatchGap = 20;
constexpr PixelRect kTitle{20, 10, 200, 30};
constexpr PixelRect kColourLabel{30, 50, 110, 70};
constexpr PixelRect kPageArea{193, 50, 538, 310};  // repainted on a page switch
constexpr uint32_t kTextColour = 0xC8C8C8;
constexpr uint32_t kTextFormat = 0x8134;  // single line, vertically centred, end ellipsis
}  // namespace picker_layout

// What the window does when the picker asks.
class KeyFunPickView {
 public:
  virtual ~KeyFunPickView() = default;
  // Marks the page's tab alone as selected, shows the page's control alone and repaints the
  // page area.
  virtual void ShowPage(int page) = 0;
  virtual void SetComboCaption(const std::u16string& text) = 0;
  virtual void SetMediaCaption(const std::u16string& text) = 0;
  // The application's message box with one text: a notice (OK only), a confirmation (OK and
  // Cancel; true for OK).
  virtual void ShowNotice(const std::u16string& text) = 0;
  virtual bool Confirm(const std::u16string& text) = 0;
  // Ends the dialog with kPickOk or kPickCancel.
  virtual void Close(int modalResult) = 0;
};

// A text the window paints, with its place.
struct PickerText {
  std::u16string text;
  PixelRect rect;
};

class KeyFunPicker {
 public:
  // `macroTree` is the macro page's tree control; the picker shows the macro library in it,
  // read from disk the first time the page shows.
  KeyFunPicker(KeyFunPickView& view, TreeModel& macroTree);
  ~KeyFunPicker();

  // The state a new dialog starts with for this request.
  void Open(const KeyPickRequest& request);
  // With this set, the macro page lists the library at once and the files no scan has read yet
  // are read on a thread of their own; `landed` is called there when they are (the window posts
  // itself a message and calls OnScanLanded). Without it the page reads them before it shows.
  void SetScanLanded(MacroLibraryScan::Landed landed) { m_scanLanded = std::move(landed); }
  // True when macros came in; the selection stays as it was.
  bool OnScanLanded();

  void OnTab(int page);
  // A key message meant for the dialog or any of its controls. True when the picker took it
  // (on the combination page every key message is taken, Tab, Enter and Esc included).
  bool OnKeyMessage(bool up, uint32_t vk, uint32_t keyData);
  void OnMediaPicked(uint32_t value);
  void OnSwatchClicked(int64_t index);
  void OnOk();
  void OnRestoreDefault();
  void OnCancel();

  KeyPickOutcome Outcome(int modalResult) const;

  int CurrentPage() const { return m_page; }
  int ResultKind() const { return m_resultKind; }
  const KEYINFO& Entry() const { return m_entry; }
  uint32_t ResultColour() const { return m_resultColour; }
  uint8_t Modifiers() const { return m_captured[0]; }
  uint8_t FirstKey() const { return m_captured[1]; }
  uint8_t SecondKey() const { return m_captured[2]; }
  uint32_t ListChoice() const { return m_listChoice; }
  bool HasColourRow() const { return m_colourRow; }
  const SwatchRow& Swatches() const { return m_swatches; }
  const std::vector<MediaRow>& Media() const { return m_media; }

  // Texts over the background: the title, the current page's label, the empty macro list's
  // notice and, with the colour row, its label.
  std::vector<PickerText> Texts() const;

 private:
  bool CheckAndWrite();

  KeyFunPickView& m_view;
  TreeModel& m_tree;
  MacroTreeModel m_library;
  std::unique_ptr<MacroTreeMirror> m_mirror;
  MacroLibraryScan::Landed m_scanLanded;
  MacroLibraryScan m_scan;
  KeyPickRequest m_request;
  bool m_colourRow = false;
  int m_resultKind = kPickResultFunction;
  KEYINFO m_entry{};
  uint32_t m_resultColour = 0;
  int m_page = kPickPageNone;
  uint8_t m_captured[4] = {0, 0, 0, 0};  // modifier bits, first key, second key, spare
  uint32_t m_listChoice = 0;
  std::u16string m_title;
  SwatchRow m_swatches;
  std::vector<MediaRow> m_media;
};
