#include "dialogs/macro_dlg_win.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "config/folders.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/file_dialog_win.h"
#include "controls/menu_library.h"
#include "controls/msg_dlg_win.h"
#include "log/log.h"
#include "macro/macro_event_list.h"

namespace {

enum : UINT {
  kIdLibrary = 261,
  kIdEvents = 262,
  kIdLoopField = 263,
  kIdRecord = 300,
  kIdDelay,
  kIdMode2,
  kIdMode0,
  kIdInsert,
  kIdSave,
  kIdExit,
};

constexpr int kRecordTop = 74;
constexpr int kDelayTop = 129;
constexpr int kMode2Top = 156;
constexpr int kMode0Top = 184;
constexpr int kInsertTop = 269;
constexpr int kSaveLeftOffset = 80;
constexpr int kSaveTop = 309;
constexpr int kRecordTextIdle = 30;
constexpr int kRecordTextRecording = 40;
constexpr int kLibraryMenuWidth = 150;
constexpr int kInsertMenuWidth = 124;
constexpr COLORREF kFieldText = 0xC8C8C8;
constexpr COLORREF kFieldBack = 0x141414;
constexpr COLORREF kListFrame = 0x646464;
constexpr uint32_t kListAlpha = 0xC8;
constexpr UINT kLabelFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
// Posted by the library's scan once the files it had to read are read.
constexpr UINT kScanLanded = WM_APP + 0x32;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string Narrow(const wchar_t* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

RECT ToRect(const RECT32& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// A settings colour (0x00BBGGRR) as a list fill (0xAARRGGBB).
uint32_t ListFill(uint32_t colour) {
  return (kListAlpha << 24) | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

bool IsKeyMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

MacroEditorConfig EditorConfig() {
  MacroEditorConfig config;
  config.appDataFolder = g_AppDataFolder;
  config.foldersFlag = g_Settings.MacroDir != 0;
  config.mouseMask = static_cast<uint32_t>(g_Settings.MacroHasMsKey);
  return config;
}

RECT ControlRect(HWND control, HWND parent) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

CMacroDlg::CMacroDlg() : m_editor(m_library, *this, EditorConfig()) {}

CMacroDlg::~CMacroDlg() { Destroy(); }

int CMacroDlg::DoModal(HWND owner) {
  if (!Build(owner)) {
    Destroy();
    return 0;
  }
  const int result = RunModal(owner);
  Destroy();
  return result;
}

bool CMacroDlg::Build(HWND owner) {
  if (!m_background.LoadSkin(u"macro_nr.png")) {
    LogPrint(u"CMacroDlg: macro_nr.png not loaded");
    return false;
  }
  const int width = m_background.width();
  const int height = m_background.height();
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &around);
  const int left = around.left + ((around.right - around.left) - width) / 2;
  const int top = around.top + ((around.bottom - around.top) - height) / 2;

  m_font.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg"));
  m_fieldBrush.Reset(CreateSolidBrush(kFieldBack));
  // Never the main window's title: a second copy finds the main window by it.
  const std::wstring title = Wide(g_Texts.tc_page2.empty() ? std::u16string(u"Macros") : g_Texts.tc_page2);
  if (!Create(kMacroDlgClass, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
              RECT{left, top, left + width, top + height}, owner, title.c_str()))
    return false;
  CreateButtons();
  CreateLists();
  {
    // Thousands of items: the tree repaints once, after the last.
    TreeModel::Batch batch(m_libraryTree.Model());
    m_editor.Open([window = hwnd()] { PostMessageW(window, kScanLanded, 0, 0); });
  }
  // Tells in the log whether opening the editor read any macro twice.
  LogPrint(u"CMacroDlg: %d library items, %d macros in memory", static_cast<int>(m_library.Count()),
           static_cast<int>(MacroList.GetCount()));
  Refresh();
  return true;
}

void CMacroDlg::CreateButtons() {
  const bool tips = g_Settings.BtnTips != 0;
  const int x = g_Settings.Macro_Opt_X;
  m_exit.CreatePngBtn(hwnd(), &m_background, u"exit_nr.png", u"exit_ov.png", u"exit_ov.png", nullptr, false, u"",
                      false, m_background.width() - 36, 10, kIdExit);
  m_record.CreatePngBtn(hwnd(), &m_background, u"recbtn_nr.png", u"recbtn_nr.png", u"recbtn_dn.png", nullptr,
                        false, g_Texts.tc_macro_start, tips, x, kRecordTop, kIdRecord);
  m_record.SetCaption(g_Texts.tc_macro_start, kRecordTextIdle);
  m_record.SetTooltip(g_Texts.tc_macro_start);
  m_delayCheck.CreatePngBtn(hwnd(), &m_background, u"check_nr.png", u"check_ov.png", u"check_dn.png", nullptr,
                            true, u"", false, x, kDelayTop, kIdDelay);
  m_mode2.CreatePngBtn(hwnd(), &m_background, u"radio_nr.png", u"radio_ov.png", u"radio_dn.png", nullptr, true,
                       u"", false, x, kMode2Top, kIdMode2);
  m_mode0.CreatePngBtn(hwnd(), &m_background, u"radio_nr.png", u"radio_ov.png", u"radio_dn.png", nullptr, true,
                       u"", false, x, kMode0Top, kIdMode0);
  // The editor decides every check mark; a click only tells it.
  for (CPngBtn* box : {&m_delayCheck, &m_mode2, &m_mode0}) box->SetAutoToggle(false);
  m_insert.CreatePngBtn(hwnd(), &m_background, u"combo_nr.png", u"combo_ov.png", u"combo_nr.png", nullptr, false,
                        g_Texts.tc_macro_loop, false, x, kInsertTop, kIdInsert);
  m_insert.SetCaption(g_Texts.tc_macro_loop, 8);
  m_save.CreatePngBtn(hwnd(), &m_background, u"btn_ov.png", u"btn_nr.png", u"btn_nr.png", nullptr, false,
                      g_Texts.tc_macro_msg19, false, x + kSaveLeftOffset, kSaveTop, kIdSave);
  for (CPngBtn* button : {&m_record, &m_insert, &m_save}) button->SetFont(m_font.get());

  const RECT radio = ControlRect(m_mode0.hwnd(), hwnd());
  m_loopField = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_BORDER | ES_NUMBER | ES_CENTER | ES_AUTOHSCROLL,
                                radio.right + 8, radio.bottom + 5, 80, 22, hwnd(),
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kIdLoopField)), GetModuleHandleW(nullptr),
                                nullptr);
  SendMessageW(m_loopField, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  SendMessageW(m_loopField, EM_SETLIMITTEXT, 5, 0);
}

void CMacroDlg::CreateLists() {
  const ui::SkinImage* under = g_Settings.ListTrans ? &m_background : nullptr;
  for (CTreeCtrlEx* list : {&m_libraryTree, &m_eventList})
    list->SetColours(ListFill(g_Settings.LstBox_bkg_clr), ListFill(g_Settings.LstBox_item_clr),
                     g_Settings.LstBox_txt_clr_dn, g_Settings.LstBox_txt_clr_nr, kListFrame);
  m_libraryTree.CreateSkinned(hwnd(), kIdLibrary, under, u"open.png", u"close.png", ToRect(g_Settings.rcMacroList));
  m_eventList.CreateSkinned(hwnd(), kIdEvents, under, nullptr, nullptr, ToRect(g_Settings.rcKeyList));
  const char16_t* icons[3] = {u"UP_N.png", u"DN_N.png", u"TM_N.png"};
  for (int i = 0; i < 3; ++i) {
    m_eventIcons[i] = LoadTreeItemImage(g_ProgramFolder + u"skins\\" + icons[i]);
    if (m_eventIcons[i] && m_eventIcons[i]->Width() <= 0) m_eventIcons[i].reset();
  }
  m_mirror.reset(new MacroTreeMirror(m_library, m_libraryTree.Model()));
}

void CMacroDlg::Refresh() {
  if (m_editor.EventsRevision() != m_shownRevision) RefillEvents();
  const int selected = m_editor.SelectedEvent();
  const TreeItemId item =
      selected >= 0 && selected < static_cast<int>(m_eventItems.size()) ? m_eventItems[selected] : kTreeNoItem;
  if (m_eventList.Model().Selected() != item) m_eventList.Model().Select(item);

  m_delayCheck.SetChecked(m_editor.DelayChecked());
  m_mode0.SetChecked(m_editor.Mode0Checked());
  m_mode2.SetChecked(m_editor.Mode2Checked());
  ShowWindow(m_save.hwnd(), m_editor.SaveVisible() ? SW_SHOWNA : SW_HIDE);

  wchar_t shown[16] = {};
  GetWindowTextW(m_loopField, shown, 16);
  const std::wstring wanted = Wide(m_editor.LoopText());
  if (wanted != shown) {
    m_settingField = true;
    SetWindowTextW(m_loopField, wanted.c_str());
    m_settingField = false;
  }
  ShowWindow(m_loopField, m_editor.LoopFieldVisible() ? SW_SHOWNA : SW_HIDE);

  const bool recording = m_editor.IsRecording();
  m_libraryTree.Model().SetMouseEnabled(!recording);
  m_eventList.Model().SetMouseEnabled(!recording);
  if (recording != m_recordingShown) {
    m_recordingShown = recording;
    const std::u16string& caption = recording ? g_Texts.tc_macro_stop : g_Texts.tc_macro_start;
    m_record.SetForcedDown(recording);
    m_record.SetCaption(caption, kRecordTextRecording);
    m_record.SetTooltip(caption);
    // Keys go to the dialog, which hands them to the recording.
    if (recording) SetFocus(hwnd());
  }
}

void CMacroDlg::RefillEvents() {
  m_shownRevision = m_editor.EventsRevision();
  TreeModel& list = m_eventList.Model();
  list.ClearAll();
  m_eventItems.clear();
  for (const MacroEventItem& event : m_editor.Events()) {
    MACROITEM record;
    record.value = event.value;
    record.subType = event.kind;
    record.kind = kTreeKindLeaf;
    if (event.kind <= kEventDelay) record.image = m_eventIcons[event.kind];
    m_eventItems.push_back(list.AppendRootLeaf(MacroEventText(event), record));
  }
  // A recording grows at the bottom: keep its newest event in sight.
  if (m_editor.IsRecording()) list.ScrollTo(list.MaxTopRow());
}

void CMacroDlg::Draw(HDC dc, const RECT& client) {
  m_background.Draw(dc, client);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, g_Settings.Txt_clr);
  ui::Selected font(dc, m_font.get());
  auto text = [dc](const std::u16string& s, RECT r) {
    const std::wstring wide = Wide(s);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, kLabelFormat);
  };
  const RECT32& lib = g_Settings.rcMacroList;
  const RECT32& keys = g_Settings.rcKeyList;
  text(g_Texts.tc_macro_list, RECT{lib.left + 2, lib.top - 20, lib.left + 140, lib.top});
  text(g_Texts.tc_macro_key_list, RECT{keys.left + 2, keys.top - 20, keys.left + 140, keys.top});
  text(g_Texts.tc_macro_msg9, RECT{lib.left, lib.bottom + 10, lib.left + 400, lib.bottom + 30});
  const std::pair<const CPngBtn*, const std::u16string*> labels[] = {
      {&m_delayCheck, &g_Texts.tc_macro_auto}, {&m_mode2, &g_Texts.tc_macro_loop2}, {&m_mode0, &g_Texts.tc_macro_loop1}};
  for (const auto& label : labels) {
    const RECT r = ControlRect(label.first->hwnd(), hwnd());
    text(*label.second, RECT{r.right + 8, r.top, r.right + 270, r.bottom});
  }
}

void CMacroDlg::OnCommand(WPARAM wParam, HWND from) {
  if (LOWORD(wParam) == kIdLoopField) {
    if (HIWORD(wParam) == EN_CHANGE && !m_settingField) OnLoopText();
    return;
  }
  if (from) OnButton(from);
}

void CMacroDlg::OnButton(HWND from) {
  controls::CloseSkinnedMenu(hwnd());
  if (from == m_exit.hwnd()) {
    if (m_editor.OnExitButton()) EndModal(1);
    else Refresh();
    return;
  }
  if (from == m_record.hwnd()) {
    m_editor.OnRecordButton();
    Refresh();
    return;
  }
  const bool known = from == m_delayCheck.hwnd() || from == m_mode0.hwnd() || from == m_mode2.hwnd() ||
                     from == m_save.hwnd() || from == m_insert.hwnd();
  if (!known || !m_editor.ButtonAllowed()) {
    Refresh();
    return;
  }
  if (from == m_delayCheck.hwnd()) m_editor.OnDelayCheck();
  else if (from == m_mode0.hwnd()) m_editor.OnMode0();
  else if (from == m_mode2.hwnd()) m_editor.OnMode2();
  else if (from == m_save.hwnd()) m_editor.OnSave();
  else if (from == m_insert.hwnd()) {
    const std::vector<MacroMenuItem> items = m_editor.OnInsertButton();
    const RECT r = ControlRect(m_insert.hwnd(), nullptr);
    OpenMenu(items, kMenuInsert, r.left, r.bottom, kInsertMenuWidth);
  }
  Refresh();
}

void CMacroDlg::OnTreeClick(WPARAM control, LPARAM item, bool right) {
  const TreeItemId id = static_cast<TreeItemId>(item);
  uint32_t flags = 0;
  if (control == kIdLibrary) {
    controls::CloseSkinnedMenu(hwnd());
    if (!right) m_mirror->SelectionFromView();
    MacroNode* node = id ? m_mirror->NodeOf(id) : nullptr;
    if (right) flags = m_editor.OnLibraryRightClick(node);
    else m_editor.OnLibraryClick(node);
  } else if (control == kIdEvents) {
    auto at = std::find(m_eventItems.begin(), m_eventItems.end(), id);
    const int index = id && at != m_eventItems.end() ? static_cast<int>(at - m_eventItems.begin()) : -1;
    if (right) flags = m_editor.OnEventRightClick(index);
    else m_editor.OnEventClick(index);
  } else {
    return;
  }
  Refresh();
  if (right && flags != 0) {
    POINT cursor{};
    GetCursorPos(&cursor);
    OpenMenu(MacroEditor::MenuItems(flags), flags, cursor.x + 2, cursor.y, kLibraryMenuWidth);
  }
}

void CMacroDlg::OpenMenu(const std::vector<MacroMenuItem>& items, uint32_t menuNumber, int x, int y, int width) {
  if (items.empty()) return;
  std::vector<VorlaxItem> menu;
  menu.reserve(items.size());
  for (const MacroMenuItem& item : items) menu.push_back(controls::MenuItem(item.value, *item.caption));
  controls::OpenSkinnedMenu(hwnd(), x, y, width, menuNumber, menu.data(), static_cast<int32_t>(menu.size()));
}

void CMacroDlg::OnLoopText() {
  wchar_t text[16] = {};
  GetWindowTextW(m_loopField, text, 16);
  m_editor.OnLoopTextChanged(Narrow(text));
  Refresh();
}

void CMacroDlg::OnLeftDown(LPARAM lParam) {
  controls::CloseSkinnedMenu(hwnd());
  ui::DragByBackground(hwnd(), lParam);
}

LRESULT CMacroDlg::OnFieldColour(HDC dc) {
  SetTextColor(dc, kFieldText);
  SetBkColor(dc, kFieldBack);
  return reinterpret_cast<LRESULT>(m_fieldBrush.get());
}

bool CMacroDlg::PreTranslateMessage(MSG& msg) {
  if (!IsKeyMessage(msg.message)) return false;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  const bool recording = m_editor.IsRecording();
  // The key's own time, not the time it is handled: a busy moment on this thread must not
  // lengthen the delay recorded before it.
  const bool swallow = m_editor.PreTranslateKey(up, static_cast<uint32_t>(msg.wParam),
                                                static_cast<uint32_t>(msg.lParam), msg.time);
  if (recording) Refresh();
  return swallow;
}

LRESULT CMacroDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT painted = 0;
  if (ui::HandlePaintMessage(hwnd(), m_buffer, msg, wParam, painted,
                             [this](HDC dc, const RECT& client) { Draw(dc, client); }))
    return painted;
  switch (msg) {
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == m_loopField) return OnFieldColour(reinterpret_cast<HDC>(wParam));
      return Default(msg, wParam, lParam);
    case WM_COMMAND: OnCommand(wParam, reinterpret_cast<HWND>(lParam)); return 0;
    case WM_TREE_CLICK: OnTreeClick(wParam, lParam, false); return 0;
    case WM_TREE_RCLICK: OnTreeClick(wParam, lParam, true); return 0;
    case WM_MENU_PICKED:
      controls::CloseSkinnedMenu(hwnd());
      m_editor.OnMenuPicked(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
      Refresh();
      return 0;
    case kScanLanded: {
      TreeModel::Batch batch(m_libraryTree.Model());
      if (m_editor.OnScanLanded())
        LogPrint(u"CMacroDlg: %d library items, %d macros in memory", static_cast<int>(m_library.Count()),
                 static_cast<int>(MacroList.GetCount()));
      return 0;
    }
    case WM_MACRO_KEY:
      m_editor.OnMacroKey(static_cast<uint32_t>(wParam), (lParam & 0x80) != 0, GetMessageTime());
      Refresh();
      return 0;
    case WM_LBUTTONDOWN: OnLeftDown(lParam); return 0;
    case WM_CLOSE: EndModal(1); return 0;
    case WM_DESTROY:
      // A menu must not outlive its owner; changed macros are written however the window goes.
      controls::CloseSkinnedMenu(hwnd());
      m_editor.Close();
      return Default(msg, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd());
      return 0;
    default: return Default(msg, wParam, lParam);
  }
}

// --- What the editor asks of the user ------------------------------------------------------

void CMacroDlg::ShowMessage(const std::u16string& text) { ShowNotice(hwnd(), text); }

bool CMacroDlg::Confirm(const std::u16string& text) { return ShowConfirm(hwnd(), text); }

bool CMacroDlg::AskText(const std::u16string& prompt, std::u16string* text) {
  CMsgDlg box;
  box.SetType(2);
  box.SetMessage(prompt);
  if (box.DoModal(hwnd()) != ui::kMsgOk) return false;
  *text = box.Text();
  return true;
}

bool CMacroDlg::AskNumber(const std::u16string& prompt, uint32_t* value) {
  CMsgDlg box;
  box.SetType(3);
  box.SetMessage(prompt);
  if (box.DoModal(hwnd()) != ui::kMsgOk) return false;
  *value = static_cast<uint32_t>(std::max<int32_t>(box.Number(), 0));
  return true;
}

bool CMacroDlg::AskKey(const std::u16string& prompt, CapturedKey* key) {
  CMsgDlg box;
  box.SetType(4);
  box.SetSingleKey(true);
  box.SetMessage(prompt);
  if (box.DoModal(hwnd()) != ui::kMsgOk) return false;
  key->vk = box.Key1();
  key->modifiers = box.Modifiers();
  return true;
}

namespace {

bool RunFileDialog(HWND owner, bool save, const std::u16string& proposed, std::u16string* path) {
  FileDialogRequest request;
  request.save = save;
  request.filter = FileFilter(u"mck(*.mck)", L"*.mck");
  request.defaultExtension = L"mck";
  request.proposedName = proposed;
  return AskFilePath(owner, request, path);
}

}  // namespace

bool CMacroDlg::AskSavePath(const std::u16string& fileName, std::u16string* path) {
  return RunFileDialog(hwnd(), true, fileName, path);
}

bool CMacroDlg::AskOpenPath(std::u16string* path) { return RunFileDialog(hwnd(), false, u"", path); }

bool CMacroDlg::ChooseFolder(std::u16string* path) {
  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  // The edit box lets a user type or paste a path instead of walking the whole tree to it.
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return false;
  wchar_t buffer[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListW(chosen, buffer);
  CoTaskMemFree(chosen);
  if (!ok || !buffer[0]) return false;
  *path = Narrow(buffer);
  return true;
}

void CMacroDlg::SetBusy(bool busy) {
  // The thread handles no messages meanwhile, so the cursor set here stays until it is put back.
  if (busy) m_cursorBeforeBusy = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  else SetCursor(m_cursorBeforeBusy ? m_cursorBeforeBusy : LoadCursorW(nullptr, IDC_ARROW));
}

int RunMacroDlg(HWND owner) {
  CMacroDlg dialog;
  return dialog.DoModal(owner);
}
