#include "app/main_host_win.h"

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

std::vector<RunningProcess> MainHostWin::RunningProcesses() { return m_processes.Read(); }
