// The macro editor as a model: what its window shows (the event list, the option controls, the
// Save button, recording or not) and what every click, key and menu pick does to it, to the
// current macro and, through the library commands, to the library. The window turns messages
// into these calls and shows the state after each one:
//
//   WM_INITDIALOG         tree.SetObserver(library tree view); Open(post a message to itself)
//   that message          OnScanLanded()   (the macros whose files were read meanwhile)
//   WM_DESTROY            Close()   (writes every changed macro, however the dialog ends)
//   WM_TREE_CLICK 261     OnLibraryClick(node of lParam or null)
//   WM_TREE_CLICK 262     OnEventClick(row of lParam or -1)
//   WM_TREE_RCLICK 261    flags = OnLibraryRightClick(...); flags != 0: menu of MenuItems(flags)
//   WM_TREE_RCLICK 262    flags = OnEventRightClick(...); likewise
//   WM_MENU_PICKED        OnMenuPicked(wParam, lParam)
//   record button         OnRecordButton()
//   exit button           OnExitButton(): true closes the dialog
//   other buttons         ButtonAllowed() first; then OnDelayCheck / OnMode0 / OnMode2 / OnSave;
//                         insert: items = OnInsertButton(), a menu numbered kMenuInsert if any
//   EN_CHANGE 263         OnLoopTextChanged(field text)
//   WM_MACRO_KEY          OnMacroKey(wParam, lParam & 0x80, GetTickCount())
//   key messages          PreTranslateKey(up, wParam, lParam, GetTickCount()): true swallows
//
// After each call the window shows Events() (refilled when EventsRevision() moved, selecting
// SelectedEvent()), the options, SaveVisible() and LoopFieldVisible(), and lets both lists
// take the mouse only while !IsRecording(). The library tree mirrors the MacroTreeModel
// through its observer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macro/macro_event_list.h"
#include "macro/macro_library_commands.h"
#include "macro/macro_recorder.h"
#include "macro/macro_scan.h"
#include "macro/macro_tree.h"
#include "macro/macro_ui.h"

// Item values of the right-click menus: one bit per command. The set offered is the menu number.
enum : uint32_t {
  kMenuNewMacro = 0x001,
  kMenuNewFolder = 0x002,
  kMenuDeleteItem = 0x004,
  kMenuExportMacro = 0x008,
  kMenuImportMacro = 0x010,
  kMenuRename = 0x020,
  kMenuModifyEvent = 0x040,
  kMenuImportFolder = 0x100,
  kMenuExportFolder = 0x200,
  kMenuDeleteEvent = 0x400,
  kMenuInsert = 0x8000,  // menu number of the insert button's menu
};

// What the insert menu inserts: bits 16..23 of an item's value.
enum : uint32_t {
  kInsertPress = 0xF7,
  kInsertRelease = 0xF8,
  kInsertDelay = 0xF9,
};

struct MacroMenuItem {
  const std::u16string* caption;  // a text-table slot
  uint32_t value;
};

struct MacroEditorConfig {
  std::u16string appDataFolder;
  bool foldersFlag = false;  // MacroDir
  uint32_t mouseMask = 0;    // MacroHasMsKey
};

class MacroEditor {
 public:
  MacroEditor(MacroTreeModel& tree, MacroUi& ui, const MacroEditorConfig& config);

  // Opening lists the library into the tree. With `scanLanded` the files no scan has read yet
  // are read on a thread of their own, and `scanLanded` is called there when they are (the
  // window posts itself a message and calls OnScanLanded); without it they are read at once.
  // Closing (however the window goes) writes every macro with a dirty bit.
  void Open(MacroLibraryScan::Landed scanLanded = nullptr);
  // True when macros came in; the selection and the current macro stay as they were.
  bool OnScanLanded() { return m_scan.Land(); }
  void Close();

  // --- What the window shows -------------------------------------------------------------
  const MacroEventList& Events() const { return m_events; }
  int SelectedEvent() const { return m_selectedEvent; }  // -1: none
  // Grows with every change of the event list, so the window refills it only then.
  uint32_t EventsRevision() const { return m_eventsRevision; }
  bool IsRecording() const { return m_recorder.IsRecording(); }  // lists ignore the mouse
  bool DelayChecked() const { return m_delayChecked; }
  bool Mode0Checked() const { return m_mode0; }
  bool Mode2Checked() const { return m_mode2; }
  const std::u16string& LoopText() const { return m_loopText; }
  bool LoopFieldVisible() const { return m_mode0 && !IsRecording(); }
  bool SaveVisible() const { return m_saveVisible; }
  StMacro* CurrentMacro() const { return m_library.CurrentMacro(); }
  MacroLibraryCommands& Library() { return m_library; }

  // --- Library tree and event list -------------------------------------------------------
  void OnLibraryClick(MacroNode* item);  // null: empty space
  void OnEventClick(int index);          // -1: empty space
  // A right-click: the menu's item set (0: no menu). Selects as a click does first.
  uint32_t OnLibraryRightClick(MacroNode* item);
  uint32_t OnEventRightClick(int index);
  // The items of a right-click menu for the set `flags`, in the order shown.
  static std::vector<MacroMenuItem> MenuItems(uint32_t flags);
  void OnMenuPicked(uint32_t value, uint32_t menuNumber);

  // --- Buttons and fields ----------------------------------------------------------------
  // Every button but the record button first asks this; false while recording, after telling
  // the user to stop first.
  bool ButtonAllowed();
  // The exit button: true when the dialog may close; while recording it is refused as the other
  // buttons are.
  bool OnExitButton() { return ButtonAllowed(); }
  void OnRecordButton();
  void OnDelayCheck();
  void OnMode0();
  void OnMode2();
  void OnLoopTextChanged(const std::u16string& text);
  void OnSave();
  // The insert button: its menu (number kMenuInsert), empty when no macro is selected.
  std::vector<MacroMenuItem> OnInsertButton();

  // --- Keys ------------------------------------------------------------------------------
  // A key message before dispatch (`up` for key-up and system key-up). True: swallow it.
  bool PreTranslateKey(bool up, uint32_t vk, uint32_t lParam, uint32_t tick);
  // WM_MACRO_KEY: one key event (code, release).
  void OnMacroKey(uint32_t code, bool release, uint32_t tick);

 private:
  void ShowMacro(const StMacro& record, bool withEvents);
  void SetEvents(MacroEventList events);
  void ClearEvents() { SetEvents(MacroEventList()); }
  void MarkEvents();
  void MarkOptions();
  void AfterLibraryCommand(MacroLibraryCommands::Outcome outcome, MacroNode* selectedBefore);
  void InsertItems(const MacroEventList& items);
  void Insert(uint32_t kind);
  void ModifyEvent();
  void DeleteEvent();

  MacroTreeModel& m_tree;
  MacroUi& m_ui;
  MacroEditorConfig m_config;
  MacroLibraryCommands m_library;
  MacroLibraryScan m_scan;
  MacroRecorder m_recorder;

  MacroEventList m_events;
  int m_selectedEvent = -1;
  uint32_t m_eventsRevision = 0;
  bool m_delayChecked = true;
  bool m_mode0 = false;
  bool m_mode2 = false;
  bool m_modePicked = false;  // a radio was clicked since the macro was shown
  std::u16string m_loopText;
  bool m_saveVisible = false;
};
