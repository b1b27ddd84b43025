// The floor for loading the macro library: a plain Win32 walk that opens every file under a
// folder, reads its first 834 bytes and closes it, nothing else. Prints the time of each pass.
//   raw_read <folder> [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int ReadTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return 0;
  int files = 0;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      files += ReadTree(path);
      continue;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    char bytes[834];
    DWORD got = 0;
    if (ReadFile(file, bytes, sizeof bytes, &got, nullptr) && got == sizeof bytes) ++files;
    CloseHandle(file);
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: raw_read FOLDER [PASSES]\n");
    return 2;
  }
  const int passes = argc > 2 ? _wtoi(argv[2]) : 1;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < passes; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const int files = ReadTree(argv[1]);
    QueryPerformanceCounter(&end);
    std::printf("raw read %.1f ms, %d files\n",
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                files);
  }
  return 0;
}
