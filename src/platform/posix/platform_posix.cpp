// The platform seam on POSIX: native unit tests and Linux tools. Paths arrive in Windows form
// and are mapped to slashes; errno is mapped to the Windows error codes.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/ini_reader.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace plat {
namespace {

thread_local uint32_t g_lastError = 0;

Hooks& HooksRef() {
  static Hooks hooks;
  return hooks;
}

uint32_t FromErrno(int e) {
  switch (e) {
    case 0: return kErrSuccess;
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrAccessDenied;
    case EISDIR: return kErrAccessDenied;
    case EEXIST: return kErrAlreadyExists;
    case EMFILE:
    case ENFILE: return kErrTooManyOpenFiles;
    case ENOMEM: return kErrNotEnoughMemory;
    case ENOSPC: return kErrDiskFull;
    case EBADF: return kErrInvalidHandle;
    case EINVAL: return kErrInvalidParameter;
    case ENAMETOOLONG: return kErrFilenameTooLong;
    case ENOTEMPTY: return kErrDirNotEmpty;
    case EIO: return kErrWriteFault;
    default: return kErrAccessDenied;
  }
}

void SetFromErrno() { g_lastError = FromErrno(errno); }

std::string NativePath(const std::u16string& path) {
  std::string p = u16::ToUtf8(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

struct PosixFile {
  int fd;
  std::u16string path;
};

}  // namespace

uint32_t LastError() { return g_lastError; }
void SetLastError(uint32_t code) { g_lastError = code; }

Hooks& TestHooks() { return HooksRef(); }
void ResetTestHooks() { HooksRef() = Hooks(); }

File OpenFile(const std::u16string& path, FileMode mode) {
  File file;
  std::string native = NativePath(path);
  const bool create = mode == FileMode::CreateAlways || mode == FileMode::CreateNew;
  int flags = mode == FileMode::CreateAlways ? (O_RDWR | O_CREAT | O_TRUNC)
              : mode == FileMode::CreateNew  ? (O_RDWR | O_CREAT | O_EXCL)
                                             : O_RDONLY;
  struct stat st;
  if (::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    g_lastError = mode == FileMode::CreateNew ? kErrFileExists : kErrAccessDenied;
    return file;
  }
  int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetFromErrno();
    if (errno == ENOENT && create) g_lastError = kErrPathNotFound;
    if (errno == EEXIST) g_lastError = kErrFileExists;
    return file;
  }
  file.impl = new PosixFile{fd, path};
  g_lastError = 0;
  return file;
}

bool ReadBytes(File file, void* buffer, uint32_t size, uint32_t* got) {
  if (got) *got = 0;
  if (!file) {
    g_lastError = kErrInvalidHandle;
    return false;
  }
  auto* f = static_cast<PosixFile*>(file.impl);
  if (HooksRef().failRead) {
    uint32_t good = 0;
    if (uint32_t code = HooksRef().failRead(f->path, &good)) {
      const off_t at = ::lseek(f->fd, 0, SEEK_CUR);
      if (at >= 0 && static_cast<uint64_t>(at) >= good) {
        g_lastError = code;
        return false;
      }
      if (at >= 0 && size > good - static_cast<uint32_t>(at)) size = good - static_cast<uint32_t>(at);
    }
  }
  uint32_t total = 0;
  while (total < size) {
    ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + total, size - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetFromErrno();
      if (got) *got = total;
      return false;
    }
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  if (got) *got = total;
  return true;
}

bool WriteBytes(File file, const void* buffer, uint32_t size) {
  if (!file) {
    g_lastError = kErrInvalidHandle;
    return false;
  }
  auto* f = static_cast<PosixFile*>(file.impl);
  if (HooksRef().failWrite) {
    if (uint32_t code = HooksRef().failWrite(f->path)) {
      // A failing disk usually takes part of the data first; write half to show what is left.
      ssize_t ignored = ::write(f->fd, buffer, size / 2);
      (void)ignored;
      g_lastError = code;
      return false;
    }
  }
  uint32_t total = 0;
  while (total < size) {
    ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + total, size - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetFromErrno();
      return false;
    }
    if (n == 0) {
      g_lastError = kErrHandleDiskFull;
      return false;
    }
    total += static_cast<uint32_t>(n);
  }
  return true;
}

bool FlushBytes(File file) {
  if (!file) {
    g_lastError = kErrInvalidHandle;
    return false;
  }
  if (::fsync(static_cast<PosixFile*>(file.impl)->fd) != 0) {
    SetFromErrno();
    return false;
  }
  return true;
}

void CloseFile(File& file) {
  if (!file) return;
  auto* f = static_cast<PosixFile*>(file.impl);
  ::close(f->fd);
  delete f;
  file.impl = nullptr;
}

bool AppendToFile(const std::u16string& path, const void* data, size_t size) {
  int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetFromErrno();
    return false;
  }
  PosixFile pf{fd, path};
  File f;
  f.impl = &pf;
  bool ok = WriteBytes(f, data, static_cast<uint32_t>(size));
  ::close(fd);
  return ok;
}

bool MoveReplace(const std::u16string& from, const std::u16string& to) {
  // As on Windows, a read-only file (no write permission for its owner) is not replaced; rename
  // alone would replace it.
  struct stat st;
  if (::stat(NativePath(to).c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) {
    g_lastError = kErrAccessDenied;
    return false;
  }
  if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) {
    SetFromErrno();
    return false;
  }
  // Make the rename itself durable: sync the folder that holds the new name.
  std::string dir = NativePath(to);
  size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : dir.substr(0, slash ? slash : 1);
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

bool RemoveFile(const std::u16string& path) {
  if (::unlink(NativePath(path).c_str()) != 0) {
    SetFromErrno();
    return false;
  }
  return true;
}

bool RemoveDirectory(const std::u16string& path) {
  if (::rmdir(NativePath(path).c_str()) != 0) {
    SetFromErrno();
    return false;
  }
  return true;
}

bool PathExists(const std::u16string& path) {
  struct stat st;
  return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::u16string& path) {
  struct stat st;
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::u16string& path) {
  if (::mkdir(NativePath(path).c_str(), 0755) != 0) {
    SetFromErrno();
    // A missing parent folder is a missing path to Windows, not a missing file.
    if (errno == ENOENT) g_lastError = kErrPathNotFound;
    return false;
  }
  return true;
}

int64_t FileSize(const std::u16string& path) {
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) != 0) {
    SetFromErrno();
    return -1;
  }
  return static_cast<int64_t>(st.st_size);
}

bool ListDirectory(const std::u16string& folder, std::vector<DirEntry>& out) {
  out.clear();
  std::string native = NativePath(folder);
  DIR* d = ::opendir(native.c_str());
  if (!d) {
    SetFromErrno();
    return false;
  }
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = u16::FromUtf8(name);
    const std::string full = native + "/" + name;
    struct stat st;
    entry.isLink = ::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (::stat(full.c_str(), &st) == 0) {
      entry.isDirectory = S_ISDIR(st.st_mode);
      entry.size = static_cast<int64_t>(st.st_size);
      entry.writeTime = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
    }
    out.push_back(entry);
  }
  ::closedir(d);
  return true;
}

bool IsLink(const std::u16string& path) {
  struct stat st;
  return ::lstat(NativePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool RemoveLink(const std::u16string& path) {
  if (!IsLink(path)) {
    g_lastError = kErrInvalidParameter;
    return false;
  }
  return RemoveFile(path);
}

bool MovePath(const std::u16string& from, const std::u16string& to) {
  // rename() would replace an existing file or empty folder; the system this mirrors refuses.
  struct stat st;
  if (::lstat(NativePath(to).c_str(), &st) == 0) {
    g_lastError = kErrAlreadyExists;
    return false;
  }
  if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) {
    SetFromErrno();
    if (errno == ENOENT && PathExists(from)) g_lastError = kErrPathNotFound;
    return false;
  }
  return true;
}

bool CopyFileTo(const std::u16string& from, const std::u16string& to, bool overwrite) {
  int in = ::open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetFromErrno();
    return false;
  }
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
  int out = ::open(NativePath(to).c_str(), flags, 0644);
  if (out < 0) {
    int e = errno;
    ::close(in);
    g_lastError = e == EEXIST ? kErrFileExists : e == ENOENT ? kErrPathNotFound : FromErrno(e);
    return false;
  }
  PosixFile target{out, to};
  File f;
  f.impl = &target;
  bool ok = true;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetFromErrno();
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!WriteBytes(f, buf, static_cast<uint32_t>(n))) {
      ok = false;
      break;
    }
  }
  uint32_t err = g_lastError;
  ::close(in);
  ::close(out);
  if (!ok) {
    ::unlink(NativePath(to).c_str());
    g_lastError = err;
    return false;
  }
  g_lastError = 0;
  return true;
}

// Deleting a file needs no rights on the file itself here, only on its folder.
bool SetNormalAttributes(const std::u16string& path) {
  if (!PathExists(path)) {
    g_lastError = kErrFileNotFound;
    return false;
  }
  return true;
}

LocalTime NowLocal() {
  if (HooksRef().localTime) return HooksRef().localTime();
  timeval tv;
  ::gettimeofday(&tv, nullptr);
  tm parts;
  time_t secs = tv.tv_sec;
  ::localtime_r(&secs, &parts);
  LocalTime t;
  t.year = static_cast<uint16_t>(parts.tm_year + 1900);
  t.month = static_cast<uint16_t>(parts.tm_mon + 1);
  t.dayOfWeek = static_cast<uint16_t>(parts.tm_wday);
  t.day = static_cast<uint16_t>(parts.tm_mday);
  t.hour = static_cast<uint16_t>(parts.tm_hour);
  t.minute = static_cast<uint16_t>(parts.tm_min);
  t.second = static_cast<uint16_t>(parts.tm_sec);
  t.milliseconds = static_cast<uint16_t>(tv.tv_usec / 1000);
  return t;
}

uint32_t TickCount() {
  if (HooksRef().tickCount) return HooksRef().tickCount();
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

void SleepMs(uint32_t ms) {
  if (HooksRef().sleep) return HooksRef().sleep(ms);
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int ShowMessageBox(const std::u16string& text, const std::u16string& title, uint32_t flags) {
  if (HooksRef().messageBox) return HooksRef().messageBox(text, title, flags);
  std::fprintf(stderr, "[%s] %s\n", u16::ToUtf8(title).c_str(), u16::ToUtf8(text).c_str());
  return (flags & 0xF) == kMbYesNo ? kIdYes : kIdOk;
}

void DebugOutput(const std::u16string& text) {
  if (HooksRef().debugOutput) return HooksRef().debugOutput(text);
  std::string s = u16::ToUtf8(text);
  std::fwrite(s.data(), 1, s.size(), stderr);
}

std::string ToNarrow(const std::u16string& text) { return u16::ToUtf8(text); }

namespace {
// The C library's name of a Windows code page.
std::string IconvName(uint32_t codePage) {
  switch (codePage) {
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    case 10000: return "MACINTOSH";
    case 65001: return "UTF-8";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28606) return "ISO-8859-" + std::to_string(codePage - 28590);
  return "CP" + std::to_string(codePage);
}
}  // namespace

bool DecodeCodePage(uint32_t codePage, const void* data, size_t size, std::u16string& out) {
  out.clear();
  if (codePage == 0) return false;
  iconv_t cd = ::iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* in = const_cast<char*>(static_cast<const char*>(data));
  size_t inLeft = size;
  std::vector<char> buffer(4 * size + 16);
  while (inLeft > 0) {
    char* dest = buffer.data();
    size_t destLeft = buffer.size();
    size_t r = ::iconv(cd, &in, &inLeft, &dest, &destLeft);
    const char* produced = buffer.data();
    for (; produced + 1 < dest; produced += 2)
      out += static_cast<char16_t>(static_cast<uint8_t>(produced[0]) |
                                   (static_cast<uint8_t>(produced[1]) << 8));
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // A byte that starts no character of the page (or a cut-off one at the end): one
    // replacement character, and on with the next byte.
    out += u'\uFFFD';
    ++in;
    --inLeft;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  ::iconv_close(cd);
  return true;
}

uint32_t AnsiCodePage() { return 1252; }

std::u16string ErrorText(uint32_t code) {
  const char16_t* text = nullptr;
  switch (code) {
    case kErrSuccess: text = u"The operation completed successfully."; break;
    case kErrFileNotFound: text = u"The system cannot find the file specified."; break;
    case kErrPathNotFound: text = u"The system cannot find the path specified."; break;
    case kErrTooManyOpenFiles: text = u"The system cannot open the file."; break;
    case kErrAccessDenied: text = u"Access is denied."; break;
    case kErrInvalidHandle: text = u"The handle is invalid."; break;
    case kErrNotEnoughMemory:
      text = u"Not enough memory resources are available to process this command.";
      break;
    case kErrReadFault: text = u"The system cannot read from the specified device."; break;
    case kErrWriteFault: text = u"The system cannot write to the specified device."; break;
    case kErrSharingViolation:
      text = u"The process cannot access the file because it is being used by another process.";
      break;
    case kErrHandleEof: text = u"Reached the end of the file."; break;
    case kErrDiskFull:
    case kErrHandleDiskFull: text = u"There is not enough space on the disk."; break;
    case kErrInvalidParameter: text = u"The parameter is incorrect."; break;
    case kErrInvalidName:
      text = u"The filename, directory name, or volume label syntax is incorrect.";
      break;
    case kErrAlreadyExists: text = u"Cannot create a file when that file already exists."; break;
    case kErrFilenameTooLong: text = u"The filename or extension is too long."; break;
    default: return u16::Format(u"Error %u\r\n", code);
  }
  return std::u16string(text) + u"\r\n";
}

bool GetKnownFolder(KnownFolder which, std::u16string& out) {
  if (HooksRef().knownFolder) return HooksRef().knownFolder(which, out);
  const char* home = std::getenv("HOME");
  if (!home) return false;
  if (which == KnownFolder::Desktop) {
    out = u16::FromUtf8(std::string(home) + "/Desktop");
  } else {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    out = u16::FromUtf8(xdg ? std::string(xdg) : std::string(home) + "/.local/share");
  }
  return true;
}

std::u16string ProgramFolder() {
  if (HooksRef().programFolder) return HooksRef().programFolder();
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return u"./";
  std::string p(buf, static_cast<size_t>(n));
  return u16::FromUtf8(p.substr(0, p.rfind('/') + 1));
}

namespace {
std::u16string IniText(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return std::u16string();
  return ini::DecodeFile(std::string(bytes.begin(), bytes.end()));
}
}  // namespace

uint32_t IniGetInt(const std::u16string& section, const std::u16string& key, int32_t defaultValue,
                   const std::u16string& path) {
  return IniFile(path).GetInt(section, key, defaultValue);
}

std::u16string IniGetString(const std::u16string& section, const std::u16string& key,
                            const std::u16string& defaultValue, size_t bufferUnits,
                            const std::u16string& path) {
  return IniFile(path).GetString(section, key, defaultValue, bufferUnits);
}

IniFile::IniFile(std::u16string path)
    : m_path(std::move(path)), m_table(IniText(m_path)), m_parsed(true) {}

void* LoadDynamicLibrary(const std::u16string& path) {
  void* h = ::dlopen(NativePath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) g_lastError = kErrModNotFound;
  return h;
}

void* FindSymbol(void* library, const char* name) {
  void* p = library ? ::dlsym(library, name) : nullptr;
  if (!p) g_lastError = kErrProcNotFound;
  return p;
}

void FreeDynamicLibrary(void* library) {
  if (library) ::dlclose(library);
}

}  // namespace plat
