#include "macro/macro_editor.h"

#include <mutex>
#include <utility>

#include "config/text_table.h"
#include "macro/macro_library.h"
#include "platform/u16.h"

namespace {

constexpr uint32_t kInsertItemLow = 0x80;
constexpr uint32_t kMouseDelayMs = 50;

// The left-hand code of the first modifier present, in the order Ctrl, Shift, Alt, Windows.
uint32_t ModifierCode(uint8_t modifiers) {
  if (modifiers & 0x11) return 162;
  if (modifiers & 0x22) return 160;
  if (modifiers & 0x44) return 164;
  if (modifiers & 0x88) return 91;
  return 0;
}

// Records are changed only while the apply worker cannot be reading them.
using Lock = std::lock_guard<std::recursive_mutex>;

void MarkDirty(StMacro* record, uint32_t bits) {
  Lock lock(ProfileDataMutex());
  if (record) record->dwDirtyFlags |= bits;
}

// Enter, Escape, Space and F1 would close the dialog or call for help.
bool IsDialogKey(uint32_t vk) { return vk == 0x0D || vk == 0x1B || vk == 0x20 || vk == 0x70; }

// The repeat count typed: 0 for anything that is not a number of at most nine digits.
uint32_t ParseLoopCount(const std::u16string& text) {
  if (text.empty() || text.size() > 9) return 0;
  uint32_t n = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    n = n * 10 + static_cast<uint32_t>(c - u'0');
  }
  return n;
}

const std::u16string* MouseLabel(uint32_t code) {
  switch (code) {
    case kMouseClick: return &g_Texts.tc_click;
    case kMouseMenu: return &g_Texts.tc_menu;
    case kMouseMiddle: return &g_Texts.tc_middle;
    case kMouseForward: return &g_Texts.tc_forward;
    case kMouseBack: return &g_Texts.tc_back;
    case kMouseScrollUp: return &g_Texts.tc_scrollup;
    default: return &g_Texts.tc_scrolldown;
  }
}

}  // namespace

MacroEditor::MacroEditor(MacroTreeModel& tree, MacroUi& ui, const MacroEditorConfig& config)
    : m_tree(tree), m_ui(ui), m_config(config),
      m_library(tree, ui, config.appDataFolder, config.foldersFlag, config.mouseMask) {}

void MacroEditor::Open(MacroLibraryScan::Landed scanLanded) {
  m_scan.Start(m_config.appDataFolder, &m_tree, m_config.foldersFlag, std::move(scanLanded));
}

void MacroEditor::Close() {
  m_scan.Stop();
  m_recorder.Stop();
  m_library.FlushAll();
}

void MacroEditor::SetEvents(MacroEventList events) {
  m_events = std::move(events);
  m_selectedEvent = -1;
  ++m_eventsRevision;
}

void MacroEditor::MarkEvents() {
  MarkDirty(CurrentMacro(), kMacroDirtyEvents);
  m_saveVisible = true;
}

void MacroEditor::MarkOptions() {
  MarkDirty(CurrentMacro(), kMacroDirtyOptions);
  m_saveVisible = true;
}

void MacroEditor::ShowMacro(const StMacro& record, bool withEvents) {
  m_delayChecked = record.bAutoDelay != 0;
  m_loopText.clear();
  m_modePicked = false;
  switch (record.dwLoopMode) {
    case 0:
      m_mode0 = true;
      m_mode2 = false;
      m_loopText = u16::Format(u"%d", static_cast<int>(record.wLoopCount));
      break;
    case 1:
      m_mode0 = m_mode2 = false;
      break;
    case 2:
      m_mode0 = false;
      m_mode2 = true;
      break;
    default:
      break;  // unknown modes leave the radios as they were
  }
  if (withEvents) SetEvents(EventsOfMacro(record));
}

// --- Library tree and event list -------------------------------------------------------------

void MacroEditor::OnLibraryClick(MacroNode* item) {
  if (IsRecording()) return;
  if (item && !m_tree.Contains(item)) item = nullptr;
  m_tree.Select(item);
  // Changes on screen that were not saved are dropped; the record keeps its dirty bits.
  if (item && item->IsMacro()) {
    if (StMacro* record = CurrentMacro()) ShowMacro(*record, true);
    else ClearEvents();
  } else {
    ClearEvents();
  }
  if (item) m_saveVisible = false;
}

void MacroEditor::OnEventClick(int index) {
  if (IsRecording()) return;
  m_selectedEvent = index >= 0 && index < static_cast<int>(m_events.size()) ? index : -1;
}

uint32_t MacroEditor::OnLibraryRightClick(MacroNode* item) {
  if (IsRecording()) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg17);
    return 0;
  }
  if (!item) {
    m_tree.Select(nullptr);
    ClearEvents();
    return m_config.foldersFlag ? 0x313 : 0x011;
  }
  OnLibraryClick(item);
  return item->IsFolder() ? 0x337 : 0x02C;
}

uint32_t MacroEditor::OnEventRightClick(int index) {
  if (IsRecording()) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg17);
    return 0;
  }
  OnEventClick(index);
  return m_selectedEvent >= 0 ? 0x440 : 0;
}

std::vector<MacroMenuItem> MacroEditor::MenuItems(uint32_t flags) {
  const MacroMenuItem all[] = {
      {&g_Texts.tc_macro_msg5, kMenuNewMacro},      {&g_Texts.tc_macro_msg6, kMenuNewFolder},
      {&g_Texts.tc_macro_msg4, kMenuExportMacro},   {&g_Texts.tc_macro_msg20, kMenuRename},
      {&g_Texts.tc_macro_msg7, kMenuModifyEvent},   {&g_Texts.tc_macro_msg10, kMenuDeleteItem},
      {&g_Texts.tc_macro_msg10, kMenuDeleteEvent},  {&g_Texts.tc_macro_msg3, kMenuImportMacro},
      {&g_Texts.tc_macro_msg21, kMenuImportFolder}, {&g_Texts.tc_macro_msg22, kMenuExportFolder},
  };
  std::vector<MacroMenuItem> items;
  for (const MacroMenuItem& item : all)
    if (flags & item.value) items.push_back(item);
  return items;
}

void MacroEditor::AfterLibraryCommand(MacroLibraryCommands::Outcome outcome,
                                      MacroNode* selectedBefore) {
  using Outcome = MacroLibraryCommands::Outcome;
  switch (outcome) {
    case Outcome::None:
      break;
    case Outcome::TreeChanged:
      // A new folder took the selection: the events of the macro selected before go.
      if (m_tree.Selected() != selectedBefore) OnLibraryClick(m_tree.Selected());
      break;
    case Outcome::MacroCreated:
      ClearEvents();
      if (StMacro* record = CurrentMacro()) ShowMacro(*record, false);
      m_saveVisible = true;
      break;
    case Outcome::MacroImported:
      if (StMacro* record = CurrentMacro()) ShowMacro(*record, true);
      m_saveVisible = false;
      break;
    case Outcome::ItemDeleted:
      ClearEvents();
      m_saveVisible = false;
      break;
  }
}

void MacroEditor::OnMenuPicked(uint32_t value, uint32_t menuNumber) {
  if (IsRecording()) return;
  if (menuNumber == kMenuInsert || (value & 0xFFFF) == kInsertItemLow) {
    Insert((value >> 16) & 0xFF);
    return;
  }
  MacroNode* before = m_tree.Selected();
  using Outcome = MacroLibraryCommands::Outcome;
  Outcome outcome = Outcome::None;
  switch (value) {
    case kMenuNewMacro: outcome = m_library.NewMacro(); break;
    case kMenuNewFolder: outcome = m_library.NewFolder(); break;
    case kMenuDeleteItem: outcome = m_library.Delete(); break;
    case kMenuExportMacro: outcome = m_library.ExportMacro(); break;
    case kMenuImportMacro: outcome = m_library.ImportMacro(); break;
    case kMenuRename: outcome = m_library.Rename(); break;
    case kMenuImportFolder: outcome = m_library.ImportFolder(); break;
    case kMenuExportFolder: outcome = m_library.ExportFolder(); break;
    case kMenuModifyEvent: ModifyEvent(); return;
    case kMenuDeleteEvent: DeleteEvent(); return;
    default: return;
  }
  AfterLibraryCommand(outcome, before);
}

// --- Buttons and fields ----------------------------------------------------------------------

bool MacroEditor::ButtonAllowed() {
  if (!IsRecording()) return true;
  m_ui.ShowMessage(g_Texts.tc_macro_msg17);
  return false;
}

void MacroEditor::OnRecordButton() {
  if (IsRecording()) {
    m_recorder.Stop();
    MarkDirty(CurrentMacro(), kMacroDirtyBits);
    m_saveVisible = true;
    return;
  }
  if (!CurrentMacro()) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg1);
    return;
  }
  m_recorder.Start();
  ClearEvents();
}

void MacroEditor::OnDelayCheck() {
  if (!ButtonAllowed()) return;
  // Only the control changes; Save takes its state along with any other option change.
  m_delayChecked = !m_delayChecked;
}

void MacroEditor::OnMode0() {
  if (!ButtonAllowed()) return;
  m_mode0 = true;
  m_mode2 = false;
  m_modePicked = true;
  m_loopText.assign(1, u'1');  // not = u"1": GCC 12 warns falsely (-Wrestrict) on that at -O2
  MarkOptions();
}

void MacroEditor::OnMode2() {
  if (!ButtonAllowed()) return;
  m_mode0 = false;
  m_mode2 = true;
  m_modePicked = true;
  m_loopText.clear();
  MarkOptions();
}

void MacroEditor::OnLoopTextChanged(const std::u16string& text) {
  m_loopText = text;
  // Cleared on the way to another count: the field stays empty rather than refilled under the
  // user's caret, and nothing is marked yet.
  if (text.empty()) return;
  const uint32_t n = ParseLoopCount(text);
  if (n >= 1 && n <= static_cast<uint32_t>(kMacroMaxRepeat)) {
    MarkOptions();
    return;
  }
  m_ui.ShowMessage(u16::Format(u"Loop Count = 1 ~ %d", kMacroMaxRepeat));
  m_loopText.assign(1, u'1');
}

void MacroEditor::OnSave() {
  if (!ButtonAllowed()) return;
  StMacro* record = CurrentMacro();
  std::unique_lock<std::recursive_mutex> lock(ProfileDataMutex());
  if (record && (record->dwDirtyFlags & kMacroDirtyOptions)) {
    record->bAutoDelay = m_delayChecked ? 1 : 0;
    if (m_mode2) {
      record->dwLoopMode = 2;
    } else if (record->dwLoopMode == 1 && !m_modePicked) {
      record->dwLoopMode = 1;
    } else {
      const uint32_t n = ParseLoopCount(m_loopText);
      record->dwLoopMode = 0;
      record->wLoopCount = static_cast<uint16_t>(n == 0 ? 1 : n > kMacroMaxRepeat ? kMacroMaxRepeat : n);
    }
  }
  if (record && (record->dwDirtyFlags & kMacroDirtyEvents)) {
    MacroEventList events = m_events;
    NormaliseEvents(events);
    if (!(events == m_events)) SetEvents(std::move(events));
    StoreEvents(m_events, *record);
  }
  lock.unlock();  // the flush takes it for itself, and not while it writes the file
  MacroNode* item = m_tree.Selected();
  if (item && item->IsMacro()) {
    Flush_Dirty_Macro(item, &m_tree, m_config.appDataFolder);
    // Still marked changed: the file could not be written, and the button says so.
    lock.lock();
    m_saveVisible = record && (record->dwDirtyFlags & kMacroDirtyBits) != 0;
  }
}

std::vector<MacroMenuItem> MacroEditor::OnInsertButton() {
  std::vector<MacroMenuItem> items;
  if (!ButtonAllowed()) return items;
  if (!CurrentMacro()) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg1);
    return items;
  }
  items.push_back({&g_Texts.tc_macro_msg14, (kInsertPress << 16) | kInsertItemLow});
  items.push_back({&g_Texts.tc_macro_msg15, (kInsertRelease << 16) | kInsertItemLow});
  items.push_back({&g_Texts.tc_macro_msg16, (kInsertDelay << 16) | kInsertItemLow});
  for (uint32_t code = kMouseCodeFirst; code <= kMouseCodeLast; ++code)
    if (m_config.mouseMask & (1u << (code - kMouseCodeFirst)))
      items.push_back({MouseLabel(code), (code << 16) | kInsertItemLow});
  return items;
}

void MacroEditor::InsertItems(const MacroEventList& items) {
  if (items.empty()) return;
  const bool anchored = m_selectedEvent >= 0;
  const size_t at = anchored ? static_cast<size_t>(m_selectedEvent) : m_events.size();
  const int selected = anchored ? m_selectedEvent + static_cast<int>(items.size()) : -1;
  m_events.insert(m_events.begin() + static_cast<std::ptrdiff_t>(at), items.begin(), items.end());
  ++m_eventsRevision;
  m_selectedEvent = selected;  // the anchor stays selected
  MarkEvents();
}

void MacroEditor::Insert(uint32_t kind) {
  StMacro* record = CurrentMacro();
  if (!record) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg1);
    return;
  }
  if (kind == kInsertPress || kind == kInsertRelease) {
    CapturedKey key;
    // Only the key itself: a capture of modifiers alone inserts nothing.
    if (!m_ui.AskKey(g_Texts.tc_msg7, &key) || key.vk == 0) return;
    InsertItems({{kind == kInsertPress ? kEventPress : kEventRelease, key.vk}});
  } else if (kind == kInsertDelay) {
    uint32_t ms = 0;
    if (!m_ui.AskNumber(g_Texts.tc_macro_msg12, &ms)) return;
    InsertItems({{kEventDelay, ClampHandDelay(ms)}});
  } else if (kind >= kMouseCodeFirst && kind <= kMouseCodeFirst + 4) {
    MacroEventList items{{kEventPress, kind}};
    if (record->bAutoDelay == 1) items.push_back({kEventDelay, kMouseDelayMs});
    items.push_back({kEventRelease, kind});
    InsertItems(items);
  } else if (kind == kMouseScrollUp) {
    InsertItems({{kEventRelease, kind}});
  } else if (kind == kMouseScrollDown) {
    InsertItems({{kEventPress, kind}});
  }
}

void MacroEditor::ModifyEvent() {
  if (m_selectedEvent < 0) {
    m_ui.ShowMessage(g_Texts.tc_macro_msg1);
    return;
  }
  MacroEventItem& item = m_events[static_cast<size_t>(m_selectedEvent)];
  if (item.kind == kEventDelay) {
    uint32_t ms = 0;
    if (!m_ui.AskNumber(g_Texts.tc_macro_msg12, &ms)) return;
    item.value = ClampHandDelay(ms);
  } else {
    CapturedKey key;
    if (!m_ui.AskKey(g_Texts.tc_msg7, &key)) return;
    const uint32_t code = key.vk ? key.vk : ModifierCode(key.modifiers);
    if (code == 0) return;
    item.value = code;
  }
  ++m_eventsRevision;
  MarkEvents();
}

void MacroEditor::DeleteEvent() {
  if (m_selectedEvent < 0) return;
  m_events.erase(m_events.begin() + m_selectedEvent);
  m_selectedEvent = -1;
  ++m_eventsRevision;
  MarkEvents();
}

// --- Keys ------------------------------------------------------------------------------------

bool MacroEditor::PreTranslateKey(bool up, uint32_t vk, uint32_t lParam, uint32_t tick) {
  if (IsRecording()) {
    OnMacroKey(CapturedKeyCode(vk, lParam), up, tick);
    return true;
  }
  return IsDialogKey(vk);
}

void MacroEditor::OnMacroKey(uint32_t code, bool release, uint32_t tick) {
  if (m_recorder.TakeKey(code, release, tick, m_delayChecked, m_events)) {
    m_selectedEvent = -1;
    ++m_eventsRevision;
  }
}
