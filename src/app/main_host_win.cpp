#include "app/main_host_win.h"

#include <windows.h>
#include <tlhelp32.h>

#include "device/apply.h"
#include "device/usb_driver.h"
#include "profile/profile_store.h"

bool MainHostWin::DeviceOpen() { return m_driver.m_hMatrix.load() != 0; }

int MainHostWin::CountDevices() { return m_driver.CountDevices(); }

void MainHostWin::StartApplyWorker() {
  ::StartApplyWorker(&m_driver, [] { return static_cast<const PROFILEINFO*>(g_pCurProfile); });
}

void MainHostWin::RequestApply(uint32_t flags) { ::RequestApply(flags); }

void MainHostWin::QueueFullApply() { QueueApply(APPLY_WAIT_PROGRESS | APPLY_MATRIX | APPLY_LED | APPLY_COLOR); }

MainHost::SendResult MainHostWin::ApplyNow(const PROFILEINFO& profile) {
  const int result = TryApplySetting(nullptr, &m_driver, &profile, 0, APPLY_MATRIX | APPLY_LED | APPLY_COLOR);
  if (result == kApplyDeviceBusy) return SendResult::kDeviceBusy;
  return result ? SendResult::kDone : SendResult::kFailed;
}

std::vector<RunningProcess> MainHostWin::RunningProcesses() {
  std::vector<RunningProcess> out;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return out;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    const wchar_t* name = entry.szExeFile;
    out.push_back(RunningProcess{entry.th32ProcessID,
                                 std::u16string(reinterpret_cast<const char16_t*>(name), wcsnlen(name, MAX_PATH))});
  }
  CloseHandle(snapshot);
  return out;
}
