// Lodrex.dll backed by keyboards in memory, for tests and the demo program folder. Each
// simulated keyboard has the four vendor collections of the real one; every SetFeature call is
// appended to a wire log so that tests see exactly what reached the "device".
//
// Environment (read once, on the first call):
//   LODREX_SIM_VID, LODREX_SIM_PID  identifiers it answers to (C number syntax); by default those
//                                   of cfg.ini beside the DLL
//   LODREX_SIM_PRODUCT              product string, "Gaming Mouse" by default
//   LODREX_SIM_COUNT                keyboards attached, 1 by default
//   LODREX_SIM_FAIL                 failing sends: "*" all, "10:2" the first two of report 10,
//                                   "10:*" or "10" all of report 10; several joined by commas;
//                                   numbers are decimal; an unreadable item is refused with a
//                                   line on stderr
//   LODREX_SIM_LOG                  wire log path, lodrex-sim.log beside the DLL by default
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#define LODREX_EXPORTS
#include "lodrex/lodrex_api.h"

namespace {

struct CollectionKind {
  uint32_t featureLength;  // report identifier included
  uint8_t reportId;
};
// Matrix, lighting, colour, macro: the order a real keyboard enumerates them in.
constexpr CollectionKind kCollections[] = {{577, 9}, {42, 10}, {146, 11}, {961, 12}};
constexpr uint8_t kInputReportId = 7;
constexpr uint32_t kInputReportLength = 5;

struct OpenCollection {
  int keyboard;
  int kind;             // index into kCollections
  HANDLE ownCopy;       // lets a reused handle value be told apart from ours
};

struct FailRule {
  int reportId;  // -1: every report
  long limit;    // -1: every send
};

struct Sim {
  std::mutex lock;
  bool configured = false;
  uint16_t vid = 0, pid = 0;
  std::wstring product = L"Gaming Mouse";
  int keyboards = 1;
  std::vector<FailRule> failRules;
  std::map<int, long> sendsPerReport;
  std::wstring logPath;
  std::map<uint32_t, OpenCollection> handles;
  std::map<std::pair<int, int>, std::vector<uint8_t>> lastFeature;  // (keyboard, kind)
};

Sim g_sim;
LARGE_INTEGER g_loadTime{};
LARGE_INTEGER g_frequency{};
HMODULE g_module = nullptr;

using CompareObjectHandlesFn = BOOL(WINAPI*)(HANDLE, HANDLE);

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  if (n == 0 || n >= 1024) return std::wstring();
  return std::wstring(value, n);
}

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  std::wstring folder(path, n < MAX_PATH ? n : 0);
  size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

long Number(const std::wstring& text, long fallback) {
  if (text.empty()) return fallback;
  wchar_t* end = nullptr;
  long v = static_cast<long>(std::wcstoul(text.c_str(), &end, 0));
  return end && *end == 0 ? v : fallback;
}

// Report identifiers and counts are decimal, as a person writes them: "010" is ten.
bool Decimal(const std::wstring& text, long max, long& value) {
  if (text.empty() || text.size() > 9) return false;
  long v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
  }
  if (v > max) return false;
  value = v;
  return true;
}

// A rule that cannot be read is refused aloud: silently never failing would let a test that
// wanted a failure pass for the wrong reason.
void ParseFailRules(const std::wstring& text, std::vector<FailRule>& rules) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L",;", start);
    std::wstring item = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    while (!item.empty() && item.front() == L' ') item.erase(0, 1);
    while (!item.empty() && item.back() == L' ') item.pop_back();
    if (item == L"*") {
      rules.push_back({-1, -1});
    } else if (!item.empty()) {
      size_t colon = item.find(L':');
      std::wstring id = item.substr(0, colon);
      std::wstring limit = colon == std::wstring::npos ? L"*" : item.substr(colon + 1);
      long report = 0, count = -1;
      if (Decimal(id, 255, report) && (limit == L"*" || Decimal(limit, 0x7FFFFFFF, count))) {
        rules.push_back({static_cast<int>(report), count});
      } else {
        std::fprintf(stderr,
                     "lodrex-sim: LODREX_SIM_FAIL item \"%ls\" refused: write *, a decimal report "
                     "number, or number:count (10:2, 10:*)\n",
                     item.c_str());
        std::fflush(stderr);
      }
    }
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
}

void ConfigureLocked() {
  if (g_sim.configured) return;
  g_sim.configured = true;
  std::wstring folder = ModuleFolder();
  std::wstring ini = folder + L"cfg.ini";
  g_sim.vid = static_cast<uint16_t>(GetPrivateProfileIntW(L"OPT", L"VID", 0, ini.c_str()));
  g_sim.pid = static_cast<uint16_t>(GetPrivateProfileIntW(L"OPT", L"PID", 0, ini.c_str()));
  g_sim.vid = static_cast<uint16_t>(Number(Env(L"LODREX_SIM_VID"), g_sim.vid));
  g_sim.pid = static_cast<uint16_t>(Number(Env(L"LODREX_SIM_PID"), g_sim.pid));
  std::wstring product = Env(L"LODREX_SIM_PRODUCT");
  if (!product.empty()) g_sim.product = product;
  g_sim.keyboards = static_cast<int>(Number(Env(L"LODREX_SIM_COUNT"), 1));
  if (g_sim.keyboards < 0) g_sim.keyboards = 0;
  ParseFailRules(Env(L"LODREX_SIM_FAIL"), g_sim.failRules);
  g_sim.logPath = Env(L"LODREX_SIM_LOG");
  if (g_sim.logPath.empty()) g_sim.logPath = folder + L"lodrex-sim.log";
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

std::wstring DevicePath(int keyboard, int kind) {
  wchar_t path[128];
  swprintf(path, 128, L"\\\\?\\hid#vid_%04x&pid_%04x&mi_%02d#%d&%08x&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
           g_sim.vid, g_sim.pid, kind, keyboard + 7, 0x1d5e0000u + static_cast<unsigned>(keyboard));
  return path;
}

bool SameObject(HANDLE a, HANDLE b) {
  static CompareObjectHandlesFn compare = reinterpret_cast<CompareObjectHandlesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles")));
  DWORD flags = 0;
  if (!GetHandleInformation(a, &flags)) return false;
  return compare ? compare(a, b) != FALSE : true;
}

// The collection behind a handle the program still holds open, or null.
const OpenCollection* FindLocked(uint32_t handle) {
  auto it = g_sim.handles.find(handle);
  if (it == g_sim.handles.end()) return nullptr;
  HANDLE h = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle));
  if (!SameObject(h, it->second.ownCopy)) {
    CloseHandle(it->second.ownCopy);
    g_sim.handles.erase(it);
    return nullptr;
  }
  return &it->second;
}

bool InjectedFailureLocked(int reportId) {
  long sent = g_sim.sendsPerReport[reportId]++;
  for (const FailRule& rule : g_sim.failRules) {
    if (rule.reportId != -1 && rule.reportId != reportId) continue;
    if (rule.limit < 0 || sent < rule.limit) return true;
  }
  return false;
}

void AppendWireLogLocked(uint32_t collectionLength, const uint8_t* buffer, uint32_t length, bool ok) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  unsigned long long ms =
      g_frequency.QuadPart ? (now.QuadPart - g_loadTime.QuadPart) * 1000ULL / g_frequency.QuadPart : 0;
  char head[96];
  int n = std::snprintf(head, sizeof head, "t=%llu col=%u len=%u %s ", ms, collectionLength, length,
                        ok ? "ok" : "fail");
  std::string line(head, n > 0 ? static_cast<size_t>(n) : 0);
  static const char kHex[] = "0123456789abcdef";
  for (uint32_t i = 0; buffer && i < length; ++i) {
    line += kHex[buffer[i] >> 4];
    line += kHex[buffer[i] & 15];
  }
  line += '\n';
  HANDLE file = CreateFileW(g_sim.logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  // Written straight through to the system, so a reader sees each line as soon as the call
  // returns; no fsync, which would add its disk latency to the timings the log records.
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" {

uint32_t LODREX_CALL OpenHidDevice(uint16_t usagePage, uint16_t usage, const char16_t* deviceId,
                                   LodrexReportFilter filter, uint32_t, uint32_t, int32_t debug,
                                   uint32_t, uint32_t, uint32_t* count) {
  std::lock_guard<std::mutex> guard(g_sim.lock);
  ConfigureLocked();
  std::wstring wanted = Upper(deviceId ? reinterpret_cast<const wchar_t*>(deviceId) : L"");
  if (usagePage == 0xFF00 && usage == 1) {
    for (int keyboard = 0; keyboard < g_sim.keyboards; ++keyboard) {
      for (int kind = 0; kind < 4; ++kind) {
        std::wstring path = DevicePath(keyboard, kind);
        if (Upper(path).find(wanted) == std::wstring::npos) continue;
        if (filter && !filter(path.c_str(), nullptr, nullptr, kCollections[kind].featureLength)) continue;
        if (count) {
          ++*count;
          continue;
        }
        HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE own = nullptr;
        if (!h || !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &own, 0, FALSE,
                                   DUPLICATE_SAME_ACCESS)) {
          if (h) CloseHandle(h);
          return 0;
        }
        uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
        auto stale = g_sim.handles.find(value);
        if (stale != g_sim.handles.end()) CloseHandle(stale->second.ownCopy);
        g_sim.handles[value] = OpenCollection{keyboard, kind, own};
        if (debug) OutputDebugStringW((L"Lodrex-sim: opened " + path).c_str());
        return value;
      }
    }
  }
  SetLastError(ERROR_DEVICE_NOT_CONNECTED);
  return 0;
}

uint8_t LODREX_CALL SetFeature(uint32_t handle, const uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(g_sim.lock);
  ConfigureLocked();
  const OpenCollection* col = FindLocked(handle);
  uint32_t colLength = col ? kCollections[col->kind].featureLength : 0;
  DWORD error = ERROR_SUCCESS;
  if (!col) {
    error = ERROR_INVALID_HANDLE;
  } else if (!buffer || length != colLength || buffer[0] != kCollections[col->kind].reportId) {
    error = ERROR_INVALID_PARAMETER;
  } else if (InjectedFailureLocked(buffer[0])) {
    error = ERROR_GEN_FAILURE;
  }
  AppendWireLogLocked(colLength, buffer, length, error == ERROR_SUCCESS);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return 0;
  }
  g_sim.lastFeature[{col->keyboard, col->kind}].assign(buffer, buffer + length);
  return 1;
}

uint8_t LODREX_CALL GetFeature(uint32_t handle, uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(g_sim.lock);
  ConfigureLocked();
  const OpenCollection* col = FindLocked(handle);
  if (!col) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const CollectionKind& kind = kCollections[col->kind];
  if (!buffer || length != kind.featureLength || buffer[0] != kind.reportId) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // A keyboard that was never written reports its tables as zeros.
  auto it = g_sim.lastFeature.find({col->keyboard, col->kind});
  for (uint32_t i = 1; i < length; ++i) buffer[i] = it != g_sim.lastFeature.end() ? it->second[i] : 0;
  return 1;
}

uint8_t LODREX_CALL GetInputReport(uint32_t handle, uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(g_sim.lock);
  ConfigureLocked();
  if (!FindLocked(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!buffer || length != kInputReportLength || buffer[0] != kInputReportId) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Nobody presses the simulated keys.
  for (uint32_t i = 1; i < length; ++i) buffer[i] = 0;
  return 1;
}

uint8_t LODREX_CALL GetProductString(uint32_t handle, char16_t* buffer, uint32_t capacity) {
  std::lock_guard<std::mutex> guard(g_sim.lock);
  ConfigureLocked();
  if (!buffer || !capacity) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = 0;
  if (!FindLocked(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  size_t n = g_sim.product.size() < capacity - 1 ? g_sim.product.size() : capacity - 1;
  for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<char16_t>(g_sim.product[i]);
  buffer[n] = 0;
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_loadTime);
  }
  return TRUE;
}

}  // extern "C"
