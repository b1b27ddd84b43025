#include "app/process_list_win.h"

#include <windows.h>
#include <winternl.h>

namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
// Small to start with and grown to what the machine needs: the system may stage its answer in a
// buffer as large as ours on every call.
constexpr size_t kFirstBufferBytes = 32 * 1024;
// Processes start between asking for the size and reading: room for a few more.
constexpr size_t kGrowthSlackBytes = 16 * 1024;
constexpr int kAttempts = 4;

using QueryInfo = LONG(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);

QueryInfo QueryFunction() {
  static const QueryInfo query = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return QueryInfo();
    return reinterpret_cast<QueryInfo>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  }();
  return query;
}

}  // namespace

std::vector<RunningProcess> ProcessList::Read() {
  const QueryInfo query = QueryFunction();
  if (!query) return {};
  // A question with no room for the answer: the system only says how long the answer would be.
  ULONG answerBytes = 0;
  if (query(SystemProcessInformation, nullptr, 0, &answerBytes) != kInfoLengthMismatch) answerBytes = 0;
  if (!m_reuse.MustRead(answerBytes)) {
    m_reuse.Reused();
    return m_last;
  }
  m_last = ReadAll();
  m_reuse.Read(m_last.empty() ? 0 : answerBytes);
  return m_last;
}

std::vector<RunningProcess> ProcessList::ReadAll() {
  std::vector<RunningProcess> out;
  const QueryInfo query = QueryFunction();
  if (!query) return out;
  if (m_buffer.empty()) m_buffer.resize(kFirstBufferBytes / sizeof(uint64_t));
  LONG status = kInfoLengthMismatch;
  for (int attempt = 0; attempt < kAttempts && status == kInfoLengthMismatch; ++attempt) {
    ULONG needed = 0;
    const ULONG bytes = static_cast<ULONG>(m_buffer.size() * sizeof(uint64_t));
    status = query(SystemProcessInformation, m_buffer.data(), bytes, &needed);
    if (status == kInfoLengthMismatch) {
      const size_t want = (needed > bytes ? needed : bytes * 2) + kGrowthSlackBytes;
      m_buffer.assign((want + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    }
  }
  if (status < 0) return out;

  const auto* at = reinterpret_cast<const unsigned char*>(m_buffer.data());
  const unsigned char* const end = at + m_buffer.size() * sizeof(uint64_t);
  for (;;) {
    const auto* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
    const auto* name = reinterpret_cast<const char16_t*>(info->ImageName.Buffer);
    out.push_back(RunningProcess{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info->UniqueProcessId)),
                                 name ? std::u16string(name, info->ImageName.Length / sizeof(wchar_t))
                                      : std::u16string()});
    const ULONG next = info->NextEntryOffset;
    if (next == 0 || next > static_cast<size_t>(end - at) - sizeof(SYSTEM_PROCESS_INFORMATION)) break;
    at += next;
  }
  return out;
}
