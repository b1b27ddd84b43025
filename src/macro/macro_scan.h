// A library scan for a window that must not wait for the disk: the library is listed into the
// tree at once, with its folders and every macro whose file an earlier scan read (start-up reads
// them all); the files no scan has read yet are read on a thread of the scan's own, and their
// macros join MacroList and the tree when the window takes them in, each where the listing had
// it. Under Wine every file opened is a trip to the server: a library copied in from elsewhere
// would otherwise hold the window still for as long as its files take.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "macro/macro_library.h"

class MacroLibraryScan {
 public:
  // Called on the reading thread once every file is read: the window posts itself a message
  // and calls Land from it.
  using Landed = std::function<void()>;

  MacroLibraryScan() = default;
  ~MacroLibraryScan() { Stop(); }
  MacroLibraryScan(const MacroLibraryScan&) = delete;
  MacroLibraryScan& operator=(const MacroLibraryScan&) = delete;

  // Lists the library into `tree` (which must outlive the scan). Without `landed` the files are
  // read here and now, as LoadMacroLibrary does.
  void Start(const std::u16string& appDataFolder, MacroTreeModel* tree, bool folders, Landed landed);
  // Files are being read, or were read and not taken in yet.
  bool Pending() const { return m_thread.joinable(); }
  // On the window's thread, after `landed`: takes in what was read. False, doing nothing, while
  // the reads go on (a message that came from elsewhere) or when nothing was pending.
  bool Land();
  // The window goes: the reads stop at the next file and nothing is taken in.
  void Stop();

 private:
  MacroScanParams m_params;
  std::vector<PendingMacroFile> m_files;  // the reading thread's until m_done
  std::thread m_thread;
  std::atomic<bool> m_done{false};
  std::atomic<bool> m_stop{false};
};
