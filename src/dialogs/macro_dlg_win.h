// The macro editor window: the skinned modal dialog over MacroEditor. It turns clicks, keys and
// menu picks into the editor's calls and shows the editor's state after each one; the library
// tree mirrors the editor's MacroTreeModel, the event list is refilled from Events() whenever
// the editor says it changed. Its questions to the user (names, numbers, keys, files) go to the
// skinned message box and the system's file and folder dialogs.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "controls/gdi_win.h"
#include "controls/macro_tree_mirror.h"
#include "controls/png_btn_win.h"
#include "controls/skin_image_win.h"
#include "controls/tree_ctrl_ex_win.h"
#include "controls/window_base_win.h"
#include "macro/macro_editor.h"

// The window class, for tests and tools that look for the editor.
constexpr wchar_t kMacroDlgClass[] = L"VelkorMacroEditor";

class CMacroDlg : public ui::WindowBase, private MacroUi {
 public:
  CMacroDlg();
  ~CMacroDlg() override;

  // Builds the editor centred over `owner`, loads the library and runs modally until the exit
  // button; every changed macro is written when the window goes. 0 when it could not show.
  int DoModal(HWND owner);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG& msg) override;

 private:
  // MacroUi
  void ShowMessage(const std::u16string& text) override;
  bool Confirm(const std::u16string& text) override;
  bool AskText(const std::u16string& prompt, std::u16string* text) override;
  bool AskNumber(const std::u16string& prompt, uint32_t* value) override;
  bool AskKey(const std::u16string& prompt, CapturedKey* key) override;
  bool AskSavePath(const std::u16string& fileName, std::u16string* path) override;
  bool AskOpenPath(std::u16string* path) override;
  bool ChooseFolder(std::u16string* path) override;
  void SetBusy(bool busy) override;

  HCURSOR m_cursorBeforeBusy = nullptr;

  bool Build(HWND owner);
  void CreateButtons();
  void CreateLists();
  void Draw(HDC dc, const RECT& client);
  // Shows what the editor holds now: events (when they moved), options, record state.
  void Refresh();
  void RefillEvents();
  void OnCommand(WPARAM wParam, HWND from);
  void OnButton(HWND from);
  void OnTreeClick(WPARAM control, LPARAM item, bool right);
  void OpenMenu(const std::vector<MacroMenuItem>& items, uint32_t menuNumber, int x, int y, int width);
  void OnLoopText();
  void OnLeftDown(LPARAM lParam);
  LRESULT OnFieldColour(HDC dc);

  MacroTreeModel m_library;
  MacroEditor m_editor;
  CTreeCtrlEx m_libraryTree;
  CTreeCtrlEx m_eventList;
  std::unique_ptr<MacroTreeMirror> m_mirror;
  std::vector<TreeItemId> m_eventItems;  // the list's item of each event, in order
  uint32_t m_shownRevision = 0;
  ItemImageRef m_eventIcons[3];  // release, press, delay

  ui::SkinImage m_background;
  ui::Font m_font;
  ui::Brush m_fieldBrush;
  ui::OffscreenBuffer m_buffer;
  CPngBtn m_record;
  CPngBtn m_delayCheck;
  CPngBtn m_mode2;
  CPngBtn m_mode0;
  CPngBtn m_insert;
  CPngBtn m_save;
  CPngBtn m_exit;
  HWND m_loopField = nullptr;
  bool m_settingField = false;  // the field's text is being set from the editor
  bool m_recordingShown = false;
};

// The macro editor as the main window opens it: modal over `owner`, returns when it is closed.
int RunMacroDlg(HWND owner);
