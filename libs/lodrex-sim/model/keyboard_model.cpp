#include "model/keyboard_model.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace sim {

namespace {

KeyboardModel g_model;

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  if (n == 0 || n >= 1024) return std::wstring();
  return std::wstring(value, n);
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

std::wstring Trimmed(std::wstring item) {
  while (!item.empty() && item.front() == L' ') item.erase(0, 1);
  while (!item.empty() && item.back() == L' ') item.pop_back();
  return item;
}

// Calls `each` with every non-empty item of a list joined by commas or semicolons.
template <typename Each>
void ForEachItem(const std::wstring& text, Each each) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L",;", start);
    std::wstring item = Trimmed(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (!item.empty()) each(item);
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
}

// An item that cannot be read is refused aloud: silently ignoring it would let a test that
// wanted a failure pass for the wrong reason.
void Refuse(const char* variable, const std::wstring& item, const char* expected) {
  std::fprintf(stderr, "lodrex-sim: %s item \"%ls\" refused: write %s\n", variable, item.c_str(), expected);
  std::fflush(stderr);
}

uint32_t Serial(int keyboard) { return 0x1d5e0000u + static_cast<unsigned>(keyboard); }

}  // namespace

// The model is linked into each face's DLL, so its own address names the folder it reads from.
KeyboardModel& Model() {
  g_model.Configure(FolderOfModuleAt(&g_model));
  return g_model;
}

std::wstring FolderOfModuleAt(const void* address) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(address), &module);
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder(path, n < MAX_PATH ? n : 0);
  size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

// The wire log's times count from the loading of the DLL.
KeyboardModel::KeyboardModel() {
  QueryPerformanceFrequency(&m_frequency);
  QueryPerformanceCounter(&m_start);
}

void KeyboardModel::Configure(const std::wstring& folder) {
  std::lock_guard<std::mutex> guard(m_lock);
  ConfigureLocked(folder);
}

void KeyboardModel::ConfigureLocked(const std::wstring& folder) {
  if (m_configured) return;
  m_configured = true;
  std::wstring ini = folder + L"cfg.ini";
  m_vid = static_cast<uint16_t>(GetPrivateProfileIntW(L"OPT", L"VID", 0, ini.c_str()));
  m_pid = static_cast<uint16_t>(GetPrivateProfileIntW(L"OPT", L"PID", 0, ini.c_str()));
  m_vid = static_cast<uint16_t>(Number(Env(L"LODREX_SIM_VID"), m_vid));
  m_pid = static_cast<uint16_t>(Number(Env(L"LODREX_SIM_PID"), m_pid));
  std::wstring product = Env(L"LODREX_SIM_PRODUCT");
  if (!product.empty()) m_product = product;
  long count = Number(Env(L"LODREX_SIM_COUNT"), 1);
  m_keyboards.assign(count < 0 ? 0 : count > 16 ? 16 : static_cast<size_t>(count), Keyboard());

  ForEachItem(Env(L"LODREX_SIM_FAIL"), [this](const std::wstring& item) {
    if (item == L"*") {
      m_failRules.push_back({-1, -1});
      return;
    }
    size_t colon = item.find(L':');
    std::wstring limit = colon == std::wstring::npos ? L"*" : item.substr(colon + 1);
    long report = 0, sends = -1;
    if (Decimal(item.substr(0, colon), 255, report) && (limit == L"*" || Decimal(limit, 0x7FFFFFFF, sends)))
      m_failRules.push_back({static_cast<int>(report), sends});
    else
      Refuse("LODREX_SIM_FAIL", item, "*, a decimal report number, or number:count (10:2, 10:*)");
  });
  ForEachItem(Env(L"LODREX_SIM_BUSY"), [this](const std::wstring& item) {
    size_t colon = item.find(L':');
    long keyboard = 0, report = 0;
    bool ok = colon == std::wstring::npos
                  ? Decimal(item, 255, report)
                  : Decimal(item.substr(0, colon), 16, keyboard) && keyboard > 0 &&
                        Decimal(item.substr(colon + 1), 255, report);
    if (ok)
      m_busy.push_back({static_cast<int>(keyboard) - 1, static_cast<int>(report)});
    else
      Refuse("LODREX_SIM_BUSY", item, "decimal report numbers, or keyboard:report (11, 2:11)");
  });
  std::wstring unplug = Env(L"LODREX_SIM_UNPLUG");
  if (!unplug.empty() && !Decimal(unplug, 0x7FFFFFFF, m_unplugAfter)) {
    m_unplugAfter = -1;
    Refuse("LODREX_SIM_UNPLUG", unplug, "the decimal number of reports after which the keyboard is pulled out");
  }
  m_logPath = Env(L"LODREX_SIM_LOG");
  if (m_logPath.empty()) m_logPath = folder + L"lodrex-sim.log";
}

uint16_t KeyboardModel::Vid() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_vid;
}

uint16_t KeyboardModel::Pid() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_pid;
}

std::wstring KeyboardModel::Product() {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_product;
}

int KeyboardModel::Keyboards() {
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int>(m_keyboards.size());
}

bool KeyboardModel::Busy(const CollectionRef& c) {
  if (c.kind >= 0 && c.kind < kKinds && kCollections[c.kind].usagePage != kVendorUsagePage) return true;
  std::lock_guard<std::mutex> guard(m_lock);
  for (const BusyRule& rule : m_busy)
    if ((rule.keyboard < 0 || rule.keyboard == c.keyboard) && c.kind >= 0 && c.kind < kKinds &&
        rule.reportId == kCollections[c.kind].reportId)
      return true;
  return false;
}

std::vector<CollectionRef> KeyboardModel::Attached() {
  std::lock_guard<std::mutex> guard(m_lock);
  std::vector<CollectionRef> out;
  for (size_t k = 0; k < m_keyboards.size(); ++k) {
    Keyboard& kb = m_keyboards[k];
    if (kb.unplugged) {
      if (!kb.missedOnce) {
        kb.missedOnce = true;
        continue;
      }
      kb.unplugged = false;
      ++kb.plug;
    }
    for (int kind = 0; kind < kKinds; ++kind) out.push_back({static_cast<int>(k), kind, kb.plug});
  }
  return out;
}

bool KeyboardModel::LiveLocked(const CollectionRef& c) const {
  if (c.keyboard < 0 || static_cast<size_t>(c.keyboard) >= m_keyboards.size() || c.kind < 0 || c.kind >= kKinds)
    return false;
  const Keyboard& kb = m_keyboards[c.keyboard];
  return !kb.unplugged && kb.plug == c.plug;
}

bool KeyboardModel::Live(const CollectionRef& c) {
  std::lock_guard<std::mutex> guard(m_lock);
  return LiveLocked(c);
}

bool KeyboardModel::InjectedFailureLocked(int reportId) {
  long sent = m_sendsPerReport[reportId]++;
  for (const FailRule& rule : m_failRules) {
    if (rule.reportId != -1 && rule.reportId != reportId) continue;
    if (rule.limit < 0 || sent < rule.limit) return true;
  }
  return false;
}

uint32_t KeyboardModel::SetFeature(const CollectionRef* c, const uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(m_lock);
  uint32_t colLength = c && c->kind >= 0 && c->kind < kKinds ? kCollections[c->kind].featureLength : 0;
  uint32_t error = ERROR_SUCCESS;
  if (!c) {
    error = ERROR_INVALID_HANDLE;
  } else if (!LiveLocked(*c)) {
    error = ERROR_DEVICE_NOT_CONNECTED;
  } else if (!buffer || length != colLength || buffer[0] != kCollections[c->kind].reportId) {
    error = ERROR_INVALID_PARAMETER;
  } else if (InjectedFailureLocked(buffer[0])) {
    error = ERROR_GEN_FAILURE;
  }
  AppendWireLogLocked(colLength, buffer, length, error == ERROR_SUCCESS);
  if (error == ERROR_SUCCESS) m_lastFeature[{c->keyboard, c->kind}].assign(buffer, buffer + length);
  if (c && LiveLocked(*c)) {
    Keyboard& kb = m_keyboards[c->keyboard];
    if (m_unplugAfter >= 0 && !kb.pulledBefore && ++kb.reportsTaken >= m_unplugAfter) {
      kb.unplugged = kb.pulledBefore = true;
      kb.missedOnce = false;
    }
  }
  return error;
}

uint32_t KeyboardModel::GetFeature(const CollectionRef& c, uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!LiveLocked(c)) return ERROR_DEVICE_NOT_CONNECTED;
  const CollectionKind& kind = kCollections[c.kind];
  if (!buffer || length != kind.featureLength || buffer[0] != kind.reportId) return ERROR_INVALID_PARAMETER;
  auto it = m_lastFeature.find({c.keyboard, c.kind});
  for (uint32_t i = 1; i < length; ++i) buffer[i] = it != m_lastFeature.end() ? it->second[i] : 0;
  return ERROR_SUCCESS;
}

uint32_t KeyboardModel::GetInputReport(const CollectionRef& c, uint8_t* buffer, uint32_t length) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!LiveLocked(c)) return ERROR_DEVICE_NOT_CONNECTED;
  const CollectionKind& kind = kCollections[c.kind];
  if (!buffer || !kind.inputLength || length != kind.inputLength || buffer[0] != kind.inputReportId)
    return ERROR_INVALID_PARAMETER;
  for (uint32_t i = 1; i < length; ++i) buffer[i] = 0;
  return ERROR_SUCCESS;
}

void KeyboardModel::AppendWireLogLocked(uint32_t collectionLength, const uint8_t* buffer, uint32_t length,
                                        bool ok) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  unsigned long long ms =
      m_frequency.QuadPart ? (now.QuadPart - m_start.QuadPart) * 1000ULL / m_frequency.QuadPart : 0;
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
  HANDLE file = CreateFileW(m_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  // Written straight through to the system, so a reader sees each line as soon as the call
  // returns; no fsync, which would add its disk latency to the timings the log records.
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring KeyboardModel::InterfaceName(const CollectionRef& c) {
  std::lock_guard<std::mutex> guard(m_lock);
  wchar_t name[160];
  swprintf(name, 160, L"hid#vid_%04x&pid_%04x&mi_%02d#%d&%08x&%u&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
           m_vid, m_pid, c.kind, c.keyboard + 7, Serial(c.keyboard), c.plug);
  return name;
}

bool KeyboardModel::ParseInterfaceName(const std::wstring& name, CollectionRef& c) {
  unsigned vid = 0, pid = 0, serial = 0, plug = 0;
  int kind = -1, instance = -1, used = 0;
  if (swscanf(name.c_str(), L"hid#vid_%4x&pid_%4x&mi_%2d#%d&%8x&%u&0000#%n", &vid, &pid, &kind, &instance,
              &serial, &plug, &used) != 6 ||
      used == 0)
    return false;
  if (kind < 0 || kind >= kKinds || instance < 7 || serial != Serial(instance - 7)) return false;
  c = CollectionRef{instance - 7, kind, plug};
  return true;
}

std::wstring KeyboardModel::NodeId(int keyboard, int kind, NodeLevel level) {
  std::lock_guard<std::mutex> guard(m_lock);
  wchar_t id[160];
  switch (level) {
    case NodeLevel::kCollection:
      swprintf(id, 160, L"HID\\VID_%04X&PID_%04X&MI_%02d\\%d&%08X&0&0000", m_vid, m_pid, kind, keyboard + 7,
               Serial(keyboard));
      break;
    case NodeLevel::kInterface:
      swprintf(id, 160, L"USB\\VID_%04X&PID_%04X&MI_%02d\\%d&%08X&0&%04d", m_vid, m_pid, kind, keyboard + 6,
               Serial(keyboard), kind);
      break;
    case NodeLevel::kDevice:
      swprintf(id, 160, L"USB\\VID_%04X&PID_%04X\\LDX%08X", m_vid, m_pid, Serial(keyboard));
      break;
  }
  return id;
}

}  // namespace sim
