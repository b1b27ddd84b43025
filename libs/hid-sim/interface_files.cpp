#include "interface_files.h"

#include <cwchar>
#include <map>
#include <mutex>

namespace hidsim {

namespace {

// Handles of ours on the files of collections that "another program" holds: opened with no
// sharing, they make every open for reading or writing fail with a sharing violation, while an
// open without access rights, which asks only for attributes, still succeeds.
std::mutex g_lock;
std::map<std::wstring, HANDLE> g_held;

std::wstring Folder() {
  wchar_t temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  std::wstring folder(temp, n < MAX_PATH ? n : 0);
  wchar_t own[48];
  swprintf(own, 48, L"lodrex-hid-sim-%lu\\", static_cast<unsigned long>(GetCurrentProcessId()));
  return folder + own;
}

}  // namespace

std::wstring InterfacePath(const sim::CollectionRef& c) {
  sim::KeyboardModel& model = sim::Model();
  std::wstring folder = Folder();
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring path = folder + model.InterfaceName(c);
  bool busy = model.Busy(c);
  std::lock_guard<std::mutex> guard(g_lock);
  if (!g_held.count(path)) {
    // The system ignores the sharing of a handle without read or write access.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, busy ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (busy && file != INVALID_HANDLE_VALUE)
      g_held[path] = file;
    else if (file != INVALID_HANDLE_VALUE)
      CloseHandle(file);
  }
  return L"\\\\?\\" + path;
}

bool CollectionOf(HANDLE handle, sim::CollectionRef& c) {
  wchar_t path[1024];
  DWORD n = GetFinalPathNameByHandleW(handle, path, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 1024) return false;
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  return slash && sim::KeyboardModel::ParseInterfaceName(slash + 1, c);
}

void RemoveInterfaceFiles() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    for (auto& held : g_held) CloseHandle(held.second);
    g_held.clear();
  }
  std::wstring folder = Folder();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace hidsim
