#include "dialogs/key_fun_pick.h"

#include <cstring>

#include "config/key_names.h"
#include "config/layout.h"
#include "config/text_table.h"
#include "controls/key_capture.h"
#include "macro/macro_library.h"
#include "platform/u16.h"
#include "profile/key_function.h"

namespace {

struct MediaSource {
  uint32_t value;
  std::u16string TextSlots::*text;
};

const MediaSource kMediaSources[kMediaRowCount] = {
    {0x04000021, &TextSlots::tc_kbmedia_msel},    {0x04000022, &TextSlots::tc_PL},
    {0x04000025, &TextSlots::tc_next_media},      {0x04000024, &TextSlots::tc_pre_media},
    {0x04000023, &TextSlots::tc_stop},            {0x04000028, &TextSlots::tc_mute},
    {0x04000026, &TextSlots::tc_vol_up},          {0x04000027, &TextSlots::tc_vol_dw},
    {0x04000030, &TextSlots::tc_kbmedia_mail},    {0x04000031, &TextSlots::tc_kbmedia_cal},
    {0x04000032, &TextSlots::tc_kbmedia_explore}, {0x04000034, &TextSlots::tc_kbmedia_main},
};

constexpr uint32_t kComboWord = 0x02000000;
constexpr uint32_t kMacroWord = 0x05000000;
constexpr uint32_t kMacroIdMask = 0xFFFFFF;
constexpr uint32_t kExtendedKeyFlag = 0x01000000;

// Everything after the first dword goes, rcKey and nMatrix included: the opener puts those back
// from the layout.
void ClearAfterFirstDword(KEYINFO& entry) {
  std::memset(reinterpret_cast<uint8_t*>(&entry) + 4, 0, sizeof(KEYINFO) - 4);
}

// The label band from 25 to 5 pixels above a page's control, from 5 to 220 pixels right of
// its left edge.
PixelRect LabelAbove(int left, int top) { return {left + 5, top - 25, left + 220, top - 5}; }

}  // namespace

std::vector<MediaRow> MediaRows() {
  std::vector<MediaRow> rows;
  for (const MediaSource& source : kMediaSources) {
    MediaRow row;
    row.value = source.value;
    u16::CopyTruncated(row.text, kMediaRowTextUnits, g_Texts.*source.text);
    rows.push_back(row);
  }
  return rows;
}

bool IsMediaRowValue(uint32_t value) {
  for (const MediaSource& source : kMediaSources)
    if (source.value == value) return true;
  return false;
}

PickKeyEvent& LastPickKeyEvent() {
  static PickKeyEvent last;
  return last;
}

KeyFunPicker::KeyFunPicker(KeyFunPickView& view, TreeModel& macroTree)
    : m_view(view),
      m_tree(macroTree),
      m_mirror(new MacroTreeMirror(m_library, macroTree)),
      m_swatches(kSwatchColours, kSwatchColourCount, 7) {}

KeyFunPicker::~KeyFunPicker() = default;

void KeyFunPicker::Open(const KeyPickRequest& request) {
  m_request = request;
  m_colourRow = request.colourRow;
  m_resultKind = kPickResultFunction;
  m_entry = request.entry;
  m_resultColour = 0;
  m_page = kPickPageNone;
  std::memset(m_captured, 0, sizeof m_captured);
  m_listChoice = 0;
  m_media = MediaRows();
  m_title = g_Texts.tc_msg34 + KeyFunctionText(m_entry);
}

void KeyFunPicker::OnTab(int page) {
  if (page < kPickPageCombo || page > kPickPageMedia) return;
  if (page == kPickPageMacro && m_tree.IsEmpty() && !m_scan.Pending()) {
    TreeModel::Batch batch(m_tree);
    m_scan.Start(m_request.appDataFolder, &m_library, m_request.macroFolders, m_scanLanded);
  }
  m_page = page;
  m_view.ShowPage(page);
}

bool KeyFunPicker::OnScanLanded() {
  TreeModel::Batch batch(m_tree);
  return m_scan.Land();
}

bool KeyFunPicker::OnKeyMessage(bool up, uint32_t vk, uint32_t keyData) {
  if (m_page != kPickPageCombo) return false;
  if (vk == 0 || vk > 0xFF) return true;  // no key code: taken, and nothing else
  const uint8_t flag = up ? 0x80 : 0;
  const uint8_t code = ui::CapturedKeyCode(static_cast<uint8_t>(vk), (keyData & kExtendedKeyFlag) != 0,
                                           static_cast<uint8_t>(keyData >> 16));
  PickKeyEvent& last = LastPickKeyEvent();
  if (last.vk == code && last.up == flag) return true;  // auto-repeat
  if (!up) {
    if (const uint8_t bit = ui::ModifierBit(code)) {
      m_captured[0] |= bit;
    } else if (m_captured[1] == 0 || m_captured[1] == code) {
      m_captured[1] = code;
    } else if (m_captured[2] == 0) {
      m_captured[2] = code;
    }
    m_view.SetComboCaption(ShortComboText(m_captured[0], m_captured[1], m_captured[2]));
  }
  last.vk = code;
  last.up = flag;
  return true;
}

void KeyFunPicker::OnMediaPicked(uint32_t value) {
  if (!IsMediaRowValue(value)) return;
  m_listChoice = value;
  SetKeyCodeWord(m_entry, value);
  m_view.SetMediaCaption(KeyFunctionText(m_entry));
}

void KeyFunPicker::OnSwatchClicked(int64_t index) {
  if (!m_colourRow || !m_swatches.IsIndex(index)) return;
  m_resultColour = m_swatches.At(index)->colour;
  m_resultKind = kPickResultColour;
  m_view.Close(kPickOk);
}

bool KeyFunPicker::CheckAndWrite() {
  switch (m_page) {
    case kPickPageCombo: {
      if (!m_captured[0] && !m_captured[1] && !m_captured[2] && !m_captured[3]) return false;
      ClearAfterFirstDword(m_entry);
      SetKeyCodeWord(m_entry, kComboWord);
      m_entry.bModifier = m_captured[0];
      m_entry.bVk = m_captured[1];
      m_entry.bVk2 = m_captured[2];
      return true;
    }
    case kPickPageMacro: {
      const MACROITEM* record = m_tree.FindItemRecord(m_tree.Selected());
      if (!record || record->kind != kTreeKindLeaf) return false;
      ClearAfterFirstDword(m_entry);
      SetKeyCodeWord(m_entry, kMacroWord);
      m_entry.dwMacroId = record->value & kMacroIdMask;
      return true;
    }
    case kPickPageMedia:
      if (m_listChoice == 0) return false;
      ClearAfterFirstDword(m_entry);
      SetKeyCodeWord(m_entry, m_listChoice);
      return true;
    default:
      return true;  // no page chosen: the entry goes back as it came
  }
}

void KeyFunPicker::OnOk() {
  if (!CheckAndWrite()) {
    m_view.ShowNotice(g_Texts.tc_msg3);
    return;
  }
  m_view.Close(kPickOk);
}

void KeyFunPicker::OnRestoreDefault() {
  if (!m_view.Confirm(g_Texts.tc_msg14)) return;
  const KEYINFO* layoutDefault = DefaultKeyEntry(m_request.keyIndex);
  if (!layoutDefault) return;
  m_entry = *layoutDefault;
  m_view.Close(kPickOk);
}

void KeyFunPicker::OnCancel() { m_view.Close(kPickCancel); }

KeyPickOutcome KeyFunPicker::Outcome(int modalResult) const {
  KeyPickOutcome outcome;
  outcome.modalResult = modalResult;
  outcome.resultKind = m_resultKind;
  outcome.entry = m_entry;
  outcome.colour = m_resultColour;
  return outcome;
}

std::vector<PickerText> KeyFunPicker::Texts() const {
  using namespace picker_layout;
  std::vector<PickerText> texts{{m_title, kTitle}};
  switch (m_page) {
    case kPickPageCombo:
      texts.push_back({g_Texts.tc_combo_tips, LabelAbove(kPageControlLeft, kPageControlTop)});
      break;
    case kPickPageMacro:
      texts.push_back({g_Texts.tc_macro_list, LabelAbove(kTree.left, kTree.top)});
      if (m_tree.IsEmpty() && !m_scan.Pending())  // "no macros", not while they are read
        texts.push_back({g_Texts.tc_msg9, {kTree.left, kTree.top, kTree.left + 300, kTree.top + 20}});
      break;
    case kPickPageMedia:
      texts.push_back({g_Texts.tc_page3, LabelAbove(kPageControlLeft, kPageControlTop)});
      break;
    default:
      break;
  }
  if (m_colourRow) texts.push_back({g_Texts.tc_adv_str3, kColourLabel});
  return texts;
}
