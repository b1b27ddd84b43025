// The one seam between Velkor's portable logic and the operating system.
// Portable code includes this header and never a Windows header. Paths are UTF-16 with
// backslashes as on Windows; the POSIX build maps them to slashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ini_reader.h"

namespace plat {

// Windows error codes; the POSIX build maps errno onto the same numbers so that portable code
// logs identically in both builds.
enum : uint32_t {
  kErrSuccess = 0,
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrTooManyOpenFiles = 4,
  kErrAccessDenied = 5,
  kErrInvalidHandle = 6,
  kErrNotEnoughMemory = 8,
  kErrNoMoreFiles = 18,
  kErrWriteFault = 29,
  kErrReadFault = 30,
  kErrSharingViolation = 32,
  kErrHandleEof = 38,
  kErrHandleDiskFull = 39,
  kErrNotSupported = 50,
  kErrFileExists = 80,
  kErrInvalidParameter = 87,
  kErrDiskFull = 112,
  kErrInsufficientBuffer = 122,
  kErrInvalidName = 123,
  kErrModNotFound = 126,
  kErrProcNotFound = 127,
  kErrDirNotEmpty = 145,
  kErrAlreadyExists = 183,
  kErrFilenameTooLong = 206,
};

uint32_t LastError();
void SetLastError(uint32_t code);

// ---------------------------------------------------------------------------------------------
// Files
struct File {
  void* impl = nullptr;
  explicit operator bool() const { return impl != nullptr; }
};

enum class FileMode {
  ReadExisting,  // read access, others may read, the file must exist
  ReadShared,    // the same, and others may also write (a file another program holds open)
  CreateAlways,  // read and write access, others may read and write, replaces any file
  CreateNew,     // the same, but only where no file exists yet (else kErrFileExists)
};

File OpenFile(const std::u16string& path, FileMode mode);
// Reads up to `size` bytes; `*got` receives the count actually read (0 at the end).
bool ReadBytes(File file, void* buffer, uint32_t size, uint32_t* got);
// Writes all `size` bytes or fails (a short write fails with kErrHandleDiskFull).
bool WriteBytes(File file, const void* buffer, uint32_t size);
// Pushes written data to the disk (FlushFileBuffers / fsync).
bool FlushBytes(File file);
void CloseFile(File& file);

// Reads at most `maxBytes` of a file (shared read, existing only).
bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>& out,
                   size_t maxBytes = SIZE_MAX);
// Creates or replaces a file with exactly these bytes.
bool WriteWholeFile(const std::u16string& path, const void* data, size_t size);
// Appends bytes at the end of a file, creating it when missing.
bool AppendToFile(const std::u16string& path, const void* data, size_t size);
// Renames `from` to `to`, replacing `to` when it exists, durably. A read-only `to` is not
// replaced (kErrAccessDenied).
bool MoveReplace(const std::u16string& from, const std::u16string& to);
bool RemoveFile(const std::u16string& path);
bool RemoveDirectory(const std::u16string& path);
bool PathExists(const std::u16string& path);
bool IsDirectory(const std::u16string& path);
bool MakeDirectory(const std::u16string& path);  // fails with kErrAlreadyExists when present
int64_t FileSize(const std::u16string& path);     // -1 when it cannot be read

struct DirEntry {
  std::u16string name;
  bool isDirectory = false;  // a folder, or a link (junction, symbolic link) to one
  bool isLink = false;       // a junction or symbolic link: what it points to lives elsewhere
  // As the listing gives them, at no extra cost: a file's size in bytes and its last write
  // time (system units, comparable only with other values of the same system).
  int64_t size = 0;
  uint64_t writeTime = 0;
};
// Lists a folder's entries without "." and "..", in the order the system gives them.
bool ListDirectory(const std::u16string& folder, std::vector<DirEntry>& out);
// True when the path itself is a junction or symbolic link (to a file or a folder).
bool IsLink(const std::u16string& path);
// Removes a junction or symbolic link itself, never what it points to.
bool RemoveLink(const std::u16string& path);
// Renames a file or folder; fails with kErrAlreadyExists when `to` exists.
bool MovePath(const std::u16string& from, const std::u16string& to);
// Copies a file. Without `overwrite` an existing target fails with kErrFileExists. A copy that
// fails half way leaves no target behind.
bool CopyFileTo(const std::u16string& from, const std::u16string& to, bool overwrite);
// Clears read-only and the like, so the file can be deleted.
bool SetNormalAttributes(const std::u16string& path);

// ---------------------------------------------------------------------------------------------
// Time
struct LocalTime {  // the fields of SYSTEMTIME, in its order
  uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};
LocalTime NowLocal();
uint32_t TickCount();  // milliseconds since an arbitrary start, wrapping like GetTickCount
void SleepMs(uint32_t ms);

// ---------------------------------------------------------------------------------------------
// Talking to the user and the debugger
enum : uint32_t {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbYesNo = 0x4,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };
// A plain system message box without an owner window. Returns the button pressed.
int ShowMessageBox(const std::u16string& text, const std::u16string& title, uint32_t flags);
void DebugOutput(const std::u16string& text);
// Converts to the process's narrow character set (the ANSI code page on Windows).
std::string ToNarrow(const std::u16string& text);
// Converts bytes of a Windows code page (936, 1251, 28592, ...) to UTF-16 through the system:
// MultiByteToWideChar on Windows, iconv of the C library elsewhere. Bytes that are no character
// of the page become U+FFFD. False, `out` empty, for a page the system cannot convert.
bool DecodeCodePage(uint32_t codePage, const void* data, size_t size, std::u16string& out);
// The system's ANSI code page (GetACP); 1252 where there is none.
uint32_t AnsiCodePage();
// The system's message for a Windows error code, as FormatMessageW gives it (it may end in a line
// break); the POSIX build has the same texts for the codes it maps errno to.
std::u16string ErrorText(uint32_t code);

// ---------------------------------------------------------------------------------------------
// Folders
enum class KnownFolder { Desktop, LocalAppData };
// The folder without a trailing backslash; false when the system has none.
bool GetKnownFolder(KnownFolder which, std::u16string& out);
// The executable's folder, ending in a backslash.
std::u16string ProgramFolder();

// ---------------------------------------------------------------------------------------------
// Private-profile (ini) reads, with the results of GetPrivateProfileIntW/StringW.
uint32_t IniGetInt(const std::u16string& section, const std::u16string& key, int32_t defaultValue,
                   const std::u16string& path);
// At most bufferUnits - 1 characters, as a buffer of that size would hold.
std::u16string IniGetString(const std::u16string& section, const std::u16string& key,
                            const std::u16string& defaultValue, size_t bufferUnits,
                            const std::u16string& path);

// One ini file asked many questions, with the same answers as the two functions above: the
// Windows build asks the system each time, the POSIX build reads and parses the file once.
class IniFile {
 public:
  explicit IniFile(std::u16string path);
  // A file's decoded text, answered by the portable reader in both builds (tests, fuzzing).
  static IniFile FromText(const std::u16string& text);
  uint32_t GetInt(const std::u16string& section, const std::u16string& key, int32_t defaultValue) const;
  std::u16string GetString(const std::u16string& section, const std::u16string& key,
                           const std::u16string& defaultValue, size_t bufferUnits) const;

 private:
  IniFile() = default;
  std::u16string m_path;
  ini::Table m_table;
  bool m_parsed = false;  // answers come from m_table, not the system
};

// ---------------------------------------------------------------------------------------------
// Dynamic libraries
void* LoadDynamicLibrary(const std::u16string& path);
void* FindSymbol(void* library, const char* name);
void FreeDynamicLibrary(void* library);

// ---------------------------------------------------------------------------------------------
// Overrides: every hook left empty uses the system. Tests set hooks to run without waiting and
// to see what was shown; the console tool (velkorctl) sends message boxes to stderr through
// `messageBox`. Velkor.exe sets none.
struct Hooks {
  std::function<void(uint32_t ms)> sleep;
  std::function<LocalTime()> localTime;
  std::function<uint32_t()> tickCount;
  std::function<int(const std::u16string& text, const std::u16string& title, uint32_t flags)>
      messageBox;
  std::function<void(const std::u16string& text)> debugOutput;
  // Returns a Windows error code to make a write to `path` fail with, or 0 to let it through.
  std::function<uint32_t(const std::u16string& path)> failWrite;
  // The same for reads: a read of `path` fails with the code after the first `*goodBytes`
  // bytes of the file were handed out.
  std::function<uint32_t(const std::u16string& path, uint32_t* goodBytes)> failRead;
  std::function<bool(KnownFolder which, std::u16string& out)> knownFolder;
  std::function<std::u16string()> programFolder;
};
Hooks& TestHooks();
void ResetTestHooks();

}  // namespace plat
