// Times the macro editor's folder import inside one process: from the folder's choice to the
// library tree (mirrored into the tree control's model, as the editor's window shows it) holding
// every imported macro, with their files written. Used by tools/bench_import_folder.py:
//
//   bench_import_folder <app-data folder> <folder of macros> <runs>
//       prints "import <ms> <items>" per run; before each run the imported copy is removed
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_clock_win.h"
#include "config/settings.h"
#include "controls/macro_tree_mirror.h"
#include "controls/tree_model.h"
#include "macro/macro_files.h"
#include "macro/macro_library.h"
#include "macro/macro_library_commands.h"
#include "macro/macro_record.h"

namespace {

std::u16string U16(const char* s) {
  std::u16string out;
  for (; *s; ++s) out.push_back(static_cast<unsigned char>(*s));
  return out;
}

// Chooses the one folder it was given; everything else is answered "no".
class ChosenFolderUi : public MacroUi {
 public:
  explicit ChosenFolderUi(std::u16string folder) : m_folder(std::move(folder)) {}
  void ShowMessage(const std::u16string& text) override {
    std::fprintf(stderr, "message: %s\n", std::string(text.begin(), text.end()).c_str());
  }
  bool Confirm(const std::u16string&) override { return true; }
  bool AskText(const std::u16string&, std::u16string*) override { return false; }
  bool AskNumber(const std::u16string&, uint32_t*) override { return false; }
  bool AskKey(const std::u16string&, CapturedKey*) override { return false; }
  bool AskSavePath(const std::u16string&, std::u16string*) override { return false; }
  bool AskOpenPath(std::u16string*) override { return false; }
  bool ChooseFolder(std::u16string* path) override {
    *path = m_folder;
    return true;
  }

 private:
  std::u16string m_folder;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_import_folder <app-data folder> <folder of macros> <runs>\n");
    return 2;
  }
  std::u16string appData = U16(argv[1]);
  if (appData.back() != u'\\') appData += u'\\';
  const std::u16string pack = U16(argv[2]);
  const int runs = std::atoi(argv[3]);
  g_Settings.MacroDir = 1;
  g_Settings.MacroHasMsKey = 0x7F;
  const std::u16string copy = MacroFolderPath(appData) + u"\\" + LastPathPart(pack);
  for (int run = 0; run < runs; ++run) {
    DeleteFolderTree(copy);
    MacroList.RemoveAll();
    ForgetKnownMacroFiles();
    MacroTreeModel library;
    TreeModel view;
    ChosenFolderUi ui(pack);
    MacroLibraryCommands commands(library, ui, appData, true, 0x7F);
    commands.Load();
    MacroTreeMirror mirror(library, view);
    const double start = NowMs();
    commands.ImportFolder();
    const double ms = NowMs() - start;
    std::printf("import %.1f %zu\n", ms, library.Count());
    std::fflush(stdout);
  }
  DeleteFolderTree(copy);
  return 0;
}
