// The system's open and save dialogs, as every window of ours asks them for one file.
#pragma once

#include <windows.h>

#include <string>

struct FileDialogRequest {
  bool save = false;
  // Pairs of label and pattern, each ending in a zero, the whole list in one more: L"a\0*.a\0".
  std::wstring filter;
  const wchar_t* defaultExtension = nullptr;  // without the dot; added to a name typed without one
  std::u16string proposedName;
  // Open: only a file that is there can be chosen. Without it the caller reports a name that
  // names nothing itself, in its own words.
  bool mustExist = true;
};

// One filter entry: what the list shows, and the pattern it stands for.
std::wstring FileFilter(const std::u16string& label, const wchar_t* pattern);

// Runs the dialog over `owner`; false when the user cancelled. The program's current folder
// stays where it was.
bool AskFilePath(HWND owner, const FileDialogRequest& request, std::u16string* path);
