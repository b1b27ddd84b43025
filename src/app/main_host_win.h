// The main window's device and system: the keyboard through CUSBDriver and the apply worker,
// and the running processes the game watch looks at.
#pragma once

#include "app/main_presenter.h"
#include "app/process_list_win.h"

class CUSBDriver;

class MainHostWin : public MainHost {
 public:
  explicit MainHostWin(CUSBDriver& driver) : m_driver(driver) {}
  bool DeviceOpen() override;
  int CountDevices() override;
  void StartApplyWorker() override;
  void RequestApply(uint32_t flags) override;
  void QueueFullApply() override;
  SendResult ApplyNow(const PROFILEINFO& profile) override;
  std::vector<RunningProcess> RunningProcesses() override;

 private:
  CUSBDriver& m_driver;
  ProcessList m_processes;
};
