#include "controls/file_dialog_win.h"

#include <commdlg.h>

namespace {

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The dialogs' library brings the printing system with it, whose start costs more than anything
// else loaded at start-up under Wine: it is loaded when the first dialog opens.
FileDialogFunction DialogFunction(bool save) {
  static const HMODULE library = LoadLibraryW(L"comdlg32.dll");
  if (!library) return nullptr;
  return reinterpret_cast<FileDialogFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, save ? "GetSaveFileNameW" : "GetOpenFileNameW")));
}

}  // namespace

std::wstring FileFilter(const std::u16string& label, const wchar_t* pattern) {
  std::wstring entry(label.begin(), label.end());
  entry.push_back(L'\0');
  entry += pattern;
  entry.push_back(L'\0');
  return entry;
}

bool AskFilePath(HWND owner, const FileDialogRequest& request, std::u16string* path) {
  wchar_t buffer[MAX_PATH] = {};
  const std::wstring proposed(request.proposedName.begin(), request.proposedName.end());
  proposed.copy(buffer, MAX_PATH - 1);
  std::wstring filter = request.filter;
  filter.push_back(L'\0');  // the list's own end, whatever the caller's string held
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = request.defaultExtension;
  ofn.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (request.save) ofn.Flags |= OFN_OVERWRITEPROMPT;
  else if (request.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  const FileDialogFunction ask = DialogFunction(request.save);
  if (!ask || !ask(&ofn)) return false;
  const size_t n = wcsnlen(buffer, MAX_PATH);
  path->assign(buffer, buffer + n);
  return true;
}
