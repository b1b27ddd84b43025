// The executable names of the running processes, read in one system call into a buffer kept
// between calls: the game watch asks every tick, and a tool-help snapshot costs a file mapping
// per process walked (under Wine a server round trip each). A tick whose processes have not
// changed keeps the last list (see ProcessListReuse).
#pragma once

#include <cstdint>
#include <vector>

#include "app/main_model.h"

class ProcessList {
 public:
  // Every running process with its executable's file name; empty when the system refuses.
  std::vector<RunningProcess> Read();

 private:
  std::vector<RunningProcess> ReadAll();

  // 8-byte elements keep the system's records aligned.
  std::vector<uint64_t> m_buffer;
  std::vector<RunningProcess> m_last;
  ProcessListReuse m_reuse;
};
