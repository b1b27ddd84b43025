#include "log/log.h"

#include <cstdarg>
#include <mutex>

#include "platform/platform.h"
#include "platform/u16.h"
#include "records/profile_record.h"

int32_t g_Debug = 0;
LogWriter LogPrint = LogToDebugger;

namespace {

constexpr size_t kDebuggerBufferUnits = 512;
constexpr int64_t kLogSizeLimit = 512000;

std::u16string g_logPath;
// Entries from the UI thread, the apply worker and the listener are written one at a time, so
// that none is dropped when two threads log at once.
std::mutex g_fileMutex;

std::u16string CutToBuffer(std::u16string text) {
  if (text.size() > kDebuggerBufferUnits - 1) text.resize(kDebuggerBufferUnits - 1);
  return text;
}

// What a text-mode stream stores: narrow characters, every "\n" written as "\r\n".
std::string TextModeBytes(const std::u16string& text) {
  std::string narrow = plat::ToNarrow(text), out;
  out.reserve(narrow.size() + 8);
  for (char c : narrow) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Callers log a failure and then report its code: writing the entry (opening Log.txt that
// already exists, say) must not put another code in its place.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : m_code(plat::LastError()) {}
  ~LastErrorKeeper() { plat::SetLastError(m_code); }
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

 private:
  uint32_t m_code;
};

}  // namespace

const std::u16string& LogFilePath() { return g_logPath; }

void LogInit() {
  std::u16string desktop;
  plat::GetKnownFolder(plat::KnownFolder::Desktop, desktop);
  g_logPath = u16::Format(u"%s\\Log.txt", desktop.c_str());
  if (g_logPath.size() > 259) g_logPath.resize(259);
  LogPrint = LogToDebugger;
  if (g_Debug != 2) return;

  if (!plat::AppendToFile(g_logPath, "", 0)) {
    LogToDebugger(u"Open Log failed");
    return;
  }
  if (plat::FileSize(g_logPath) > kLogSizeLimit) plat::WriteWholeFile(g_logPath, "", 0);
  LogPrint = LogToFile;
}

void LogToDebugger(const char16_t* format, ...) {
  if (g_Debug == 0) return;
  LastErrorKeeper keep;
  va_list args;
  va_start(args, format);
  std::u16string text = CutToBuffer(u16::VFormat(format, args));
  va_end(args);
  plat::DebugOutput(text);
}

void LogToFile(const char16_t* format, ...) {
  if (g_Debug == 0) return;
  LastErrorKeeper keep;
  va_list args;
  va_start(args, format);
  std::u16string message = u16::VFormat(format, args);
  va_end(args);

  plat::LocalTime t = plat::NowLocal();
  std::u16string entry = u16::Format(u"%s", u"\r\n") +
                         u16::Format(u"%02u:%02u.%03u   ", t.minute, t.second, t.milliseconds) + message;
  std::string bytes = TextModeBytes(entry);
  std::lock_guard<std::mutex> lock(g_fileMutex);
  if (!plat::AppendToFile(g_logPath, bytes.data(), bytes.size())) plat::DebugOutput(u"Open Log failed");
}

void LogHexDump(const uint8_t* buffer, int length, int perLine, const char16_t* prefix) {
  if (g_Debug == 0 || !buffer || perLine <= 0) return;
  std::u16string line;
  if (prefix) line = u16::Format(u"\n%s ", prefix);
  for (int i = 0; i < length; ++i) {
    line += u16::Format(u"%02x ", buffer[i]);
    if ((i + 1) % perLine == 0) {
      LogPrint(CutToBuffer(line).c_str());
      line.clear();
      if (prefix) line = u16::Format(u"%s ", prefix);
    }
  }
  LogPrint(CutToBuffer(line).c_str());
}

const char16_t* LedModeName(uint32_t mode) {
  static const char16_t* const kNames[kLedModes] = {u"Breathe", u"Neon",     u"FixedOn", u"GaoShou",
                                                    u"TaXue",   u"HunGuang", u"PaoMa",   u"XuanCai",
                                                    u"MiaoShou", u"LiuGuang"};
  return mode < kLedModes ? kNames[mode] : u"UnKnown";
}

void DumpProfileSettings(const PROFILEINFO* record) {
  if (g_Debug == 0 || !record) return;
  LogToDebugger(u"-------------Cfg---------------");
  LogToDebugger(u"nCurLedMode= %d (%s)", static_cast<int>(record->nCurLedMode), LedModeName(record->nCurLedMode));
  // An out-of-range mode has no parameters of its own; show mode 0's rather than read past the table.
  const LEDPARAM& p = record->LedParam[record->nCurLedMode < kLedModes ? record->nCurLedMode : 0];
  LogToDebugger(u"    nSpeed=0x%x, nDirect=0x%x, nLight=0x%x, nColor=0x%x, bRandomColor=0x%x", p.nSpeed,
                p.nDirect, p.nLight, p.nColor, p.bRandomColor);
  LogToDebugger(u"nCurGameGroup= %d", record->nCurGameGroup);
}
