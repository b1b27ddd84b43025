#include "macro/macro_scan.h"

#include "config/settings.h"

void MacroLibraryScan::Start(const std::u16string& appDataFolder, MacroTreeModel* tree, bool folders,
                             Landed landed) {
  Stop();
  if (!tree) return;
  if (!landed) {
    LoadMacroLibrary(appDataFolder, tree, folders);
    return;
  }
  m_params = MacroScanParams();
  m_params.tree = tree;
  m_params.parent = tree->Root();
  m_params.folders = folders;
  m_params.pending = &m_files;
  LoadMacroFolder(MacroFolderPath(appDataFolder), true, m_params);
  m_params.pending = nullptr;
  if (m_files.empty()) return;
  const uint32_t mouseMask = static_cast<uint32_t>(g_Settings.MacroHasMsKey);
  m_done = false;
  m_stop = false;
  m_thread = std::thread([this, mouseMask, landed] {
    for (PendingMacroFile& file : m_files) {
      if (m_stop) return;
      ReadPendingMacroFile(file, mouseMask);
    }
    m_done = true;
    landed();
  });
}

bool MacroLibraryScan::Land() {
  if (!m_thread.joinable() || !m_done) return false;
  m_thread.join();
  AcceptPendingMacroFiles(m_files, m_params);
  m_files.clear();
  return true;
}

void MacroLibraryScan::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  m_files.clear();
  m_done = false;
}
