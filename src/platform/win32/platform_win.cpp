// The platform seam on Windows: the product's implementation.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

// <windows.h> maps RemoveDirectory to RemoveDirectoryW, which would rename the seam's own
// function here and leave callers of plat::RemoveDirectory without a definition.
#undef RemoveDirectory

#include <cstdio>
#include <vector>

#include "platform/platform.h"
#include "platform/ini_reader.h"
#include "platform/u16.h"

namespace plat {
namespace {

Hooks& HooksRef() {
  static Hooks hooks;
  return hooks;
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
std::u16string U(const wchar_t* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); }

// Junctions and symbolic links only: other reparse points (cloud placeholders, deduplicated
// files) hold their data where they stand.
bool IsLinkData(const WIN32_FIND_DATAW& fd) {
  return (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         (fd.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT || fd.dwReserved0 == IO_REPARSE_TAG_SYMLINK);
}

struct WinFile {
  HANDLE handle;
  std::u16string path;
};

}  // namespace

uint32_t LastError() { return ::GetLastError(); }
void SetLastError(uint32_t code) { ::SetLastError(code); }

Hooks& TestHooks() { return HooksRef(); }
void ResetTestHooks() { HooksRef() = Hooks(); }

File OpenFile(const std::u16string& path, FileMode mode) {
  File file;
  HANDLE h = INVALID_HANDLE_VALUE;
  switch (mode) {
    case FileMode::ReadExisting:
      h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
      break;
    case FileMode::ReadShared:
      h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      break;
    case FileMode::CreateAlways:
      h = ::CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      break;
    case FileMode::CreateNew:
      h = ::CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      break;
  }
  if (h == INVALID_HANDLE_VALUE) return file;
  file.impl = new WinFile{h, path};
  return file;
}

bool ReadBytes(File file, void* buffer, uint32_t size, uint32_t* got) {
  if (got) *got = 0;
  if (!file) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  auto* f = static_cast<WinFile*>(file.impl);
  if (HooksRef().failRead) {
    uint32_t good = 0;
    if (uint32_t code = HooksRef().failRead(f->path, &good)) {
      const LONG at = static_cast<LONG>(::SetFilePointer(f->handle, 0, nullptr, FILE_CURRENT));
      if (static_cast<uint32_t>(at) >= good) {
        ::SetLastError(code);
        return false;
      }
      if (size > good - static_cast<uint32_t>(at)) size = good - static_cast<uint32_t>(at);
    }
  }
  DWORD n = 0;
  BOOL ok = ::ReadFile(f->handle, buffer, size, &n, nullptr);
  if (got) *got = n;
  return ok != FALSE;
}

bool WriteBytes(File file, const void* buffer, uint32_t size) {
  if (!file) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  auto* f = static_cast<WinFile*>(file.impl);
  if (HooksRef().failWrite) {
    if (uint32_t code = HooksRef().failWrite(f->path)) {
      DWORD half = 0;
      ::WriteFile(f->handle, buffer, size / 2, &half, nullptr);
      ::SetLastError(code);
      return false;
    }
  }
  DWORD n = 0;
  if (!::WriteFile(f->handle, buffer, size, &n, nullptr)) return false;
  if (n != size) {
    ::SetLastError(ERROR_HANDLE_DISK_FULL);
    return false;
  }
  return true;
}

bool FlushBytes(File file) {
  if (!file) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return ::FlushFileBuffers(static_cast<WinFile*>(file.impl)->handle) != FALSE;
}

void CloseFile(File& file) {
  if (!file) return;
  auto* f = static_cast<WinFile*>(file.impl);
  DWORD err = ::GetLastError();
  ::CloseHandle(f->handle);
  ::SetLastError(err);
  delete f;
  file.impl = nullptr;
}

bool AppendToFile(const std::u16string& path, const void* data, size_t size) {
  HANDLE h = ::CreateFileW(W(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  WinFile wf{h, path};
  File f;
  f.impl = &wf;
  bool ok = size == 0 || WriteBytes(f, data, static_cast<uint32_t>(size));
  DWORD err = ::GetLastError();
  ::CloseHandle(h);
  ::SetLastError(err);
  return ok;
}

bool MoveReplace(const std::u16string& from, const std::u16string& to) {
  // Windows refuses to replace a read-only file, Wine does not: a file the user protected must
  // stay as it is under both.
  const DWORD attributes = ::GetFileAttributesW(W(to));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return ::MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool RemoveFile(const std::u16string& path) { return ::DeleteFileW(W(path)) != FALSE; }
bool RemoveDirectory(const std::u16string& path) { return ::RemoveDirectoryW(W(path)) != FALSE; }
bool PathExists(const std::u16string& path) { return ::PathFileExistsW(W(path)) != FALSE; }

bool IsDirectory(const std::u16string& path) {
  DWORD a = ::GetFileAttributesW(W(path));
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectory(const std::u16string& path) { return ::CreateDirectoryW(W(path), nullptr) != FALSE; }

int64_t FileSize(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(W(path), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool ListDirectory(const std::u16string& folder, std::vector<DirEntry>& out) {
  out.clear();
  std::u16string pattern = folder;
  if (!pattern.empty() && pattern.back() != u'\\' && pattern.back() != u'/') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(pattern), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    std::u16string name = U(fd.cFileName);
    if (name == u"." || name == u"..") continue;
    DirEntry entry{name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, IsLinkData(fd)};
    entry.size = (static_cast<int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    entry.writeTime = (static_cast<uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) | fd.ftLastWriteTime.dwLowDateTime;
    out.push_back(entry);
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  ::SetLastError(0);
  return true;
}

bool IsLink(const std::u16string& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(path), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return IsLinkData(fd);
}

bool RemoveLink(const std::u16string& path) {
  if (!IsLink(path)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // A junction or folder link goes as a folder, a file link as a file; the target stays.
  DWORD a = ::GetFileAttributesW(W(path));
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY))
    return ::RemoveDirectoryW(W(path)) != FALSE;
  return ::DeleteFileW(W(path)) != FALSE;
}

bool MovePath(const std::u16string& from, const std::u16string& to) {
  return ::MoveFileW(W(from), W(to)) != FALSE;
}

bool CopyFileTo(const std::u16string& from, const std::u16string& to, bool overwrite) {
  return ::CopyFileW(W(from), W(to), overwrite ? FALSE : TRUE) != FALSE;
}

bool SetNormalAttributes(const std::u16string& path) {
  return ::SetFileAttributesW(W(path), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

LocalTime NowLocal() {
  if (HooksRef().localTime) return HooksRef().localTime();
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.dayOfWeek = st.wDayOfWeek;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  return t;
}

uint32_t TickCount() {
  if (HooksRef().tickCount) return HooksRef().tickCount();
  return ::GetTickCount();
}

void SleepMs(uint32_t ms) {
  if (HooksRef().sleep) return HooksRef().sleep(ms);
  ::Sleep(ms);
}

int ShowMessageBox(const std::u16string& text, const std::u16string& title, uint32_t flags) {
  if (HooksRef().messageBox) return HooksRef().messageBox(text, title, flags);
  return ::MessageBoxW(nullptr, W(text), W(title), flags);
}

void DebugOutput(const std::u16string& text) {
  if (HooksRef().debugOutput) return HooksRef().debugOutput(text);
  ::OutputDebugStringW(W(text));
}

std::string ToNarrow(const std::u16string& text) {
  if (text.empty()) return std::string();
  int n = ::WideCharToMultiByte(CP_ACP, 0, W(text), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(CP_ACP, 0, W(text), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::u16string ErrorText(uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string out;
  if (n && buffer) out.assign(reinterpret_cast<const char16_t*>(buffer), n);
  if (buffer) ::LocalFree(buffer);
  if (out.empty()) out = u16::Format(u"Error %u\r\n", code);
  return out;
}

bool GetKnownFolder(KnownFolder which, std::u16string& out) {
  if (HooksRef().knownFolder) return HooksRef().knownFolder(which, out);
  wchar_t path[MAX_PATH] = {0};
  int csidl = which == KnownFolder::Desktop ? CSIDL_DESKTOPDIRECTORY : CSIDL_LOCAL_APPDATA;
  if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return false;
  out = U(path);
  return true;
}

std::u16string ProgramFolder() {
  if (HooksRef().programFolder) return HooksRef().programFolder();
  wchar_t path[MAX_PATH] = {0};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string p(reinterpret_cast<const char16_t*>(path), n);
  size_t slash = p.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string(u".\\") : p.substr(0, slash + 1);
}

uint32_t IniGetInt(const std::u16string& section, const std::u16string& key, int32_t defaultValue,
                   const std::u16string& path) {
  return ::GetPrivateProfileIntW(W(section), W(key), defaultValue, W(path));
}

std::u16string IniGetString(const std::u16string& section, const std::u16string& key,
                            const std::u16string& defaultValue, size_t bufferUnits,
                            const std::u16string& path) {
  if (bufferUnits == 0) return std::u16string();
  std::vector<wchar_t> buffer(bufferUnits, L'\0');
  DWORD n = ::GetPrivateProfileStringW(W(section), W(key), W(defaultValue), buffer.data(),
                                       static_cast<DWORD>(bufferUnits), W(path));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), n);
}

namespace {

// The file as the system's profile functions read it: UTF-16 or UTF-8 when a byte-order mark
// says so, otherwise text in the ANSI code page. Empty when it cannot be read: every key then
// answers its default, as the system does for a missing file.
std::u16string ProfileText(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty()) return std::u16string();
  const std::string raw(bytes.begin(), bytes.end());
  if (raw.compare(0, 2, "\xFF\xFE") == 0 || raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return ini::DecodeFile(raw);
  if (raw.compare(0, 2, "\xFE\xFF") == 0) {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]);
    return text;
  }
  std::u16string text;
  DecodeCodePage(AnsiCodePage(), bytes.data(), bytes.size(), text);
  return text;
}

}  // namespace

// Read once and answered from memory: the system's functions open the file again for every key,
// which cfg.ini's hundred and more keys turned into a visible part of start-up.
IniFile::IniFile(std::u16string path) : m_path(std::move(path)), m_table(ProfileText(m_path)), m_parsed(true) {}

bool DecodeCodePage(uint32_t codePage, const void* data, size_t size, std::u16string& out) {
  out.clear();
  if (!::IsValidCodePage(codePage)) return false;
  if (size == 0) return true;
  if (size > 0x7FFFFFFF) return false;
  const char* bytes = static_cast<const char*>(data);
  int n = ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (n <= 0) return false;
  std::vector<wchar_t> buffer(static_cast<size_t>(n));
  n = ::MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), buffer.data(), n);
  if (n <= 0) return false;
  out.assign(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<size_t>(n));
  return true;
}

uint32_t AnsiCodePage() { return ::GetACP(); }

void* LoadDynamicLibrary(const std::u16string& path) { return ::LoadLibraryW(W(path)); }

void* FindSymbol(void* library, const char* name) {
  if (!library) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeDynamicLibrary(void* library) {
  if (library) ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace plat
