// The macro library on disk (the Mac folder under the application-data folder) as the
// start-up load sees it, and the lock that keeps the apply worker from reading the current
// profile or MacroList while the user interface is changing them.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// Held by the user-interface thread while it changes the current profile record or MacroList,
// and by the apply sequence while it reads them, so that a run never encodes a half-edited
// record. Recursive because the user-interface thread also runs the apply sequence itself
// (game watch) and may already hold it.
std::recursive_mutex& ProfileDataMutex();

// "%sMac" of the application-data folder (which ends in a backslash).
std::u16string MacroFolderPath(const std::u16string& appDataFolder);

// Loads the library without a tree: every valid macro file directly in Mac, and with
// `foldersFlag` (the MacroDir setting) also those in its sub-folders, whose keys would
// otherwise find no macro at an apply until the editor was opened. Invalid files are skipped
// without a word. Records are appended to MacroList.
bool LoadMacroLibrary(const std::u16string& appDataFolder, bool foldersFlag);

// One folder scan without a tree: `path` with or without its trailing backslash. Folder names
// beginning with '.' or '$' are never entered. Paths of 257 characters or more load nothing.
bool LoadMacroFolder(const std::u16string& path, bool recursive, bool foldersFlag);

// Where a scan with a tree puts what it finds. Item handles are the receiver's own; 0 means
// none, and an insert the receiver refuses (too deep, say) answers 0.
class MacroScanTree {
 public:
  virtual ~MacroScanTree() = default;
  virtual uint32_t InsertFolder(uint32_t parent, const std::u16string& name,
                                const std::u16string& imagePath) = 0;
  virtual uint32_t InsertMacro(uint32_t parent, const std::u16string& name, uint32_t macroId) = 0;
};

struct MacroScanParams {
  MacroScanTree* tree = nullptr;
  uint32_t parent = 0;      // the tree item the folder's contents go under
  bool freshIds = false;    // give every record a new identifier and mark it for writing
  bool foldersFlag = false; // the MacroDir setting: sub-folders exist only with it
};

// One folder scan into a tree. Sub-folders become folder items (with "<name>\\<name>.png" as
// their image) and are entered when `recursive`; a folder the tree refuses is still scanned, so
// its macros reach MacroList without items. Every valid file becomes a macro item named by the
// file name up to its last '.'. A record goes into MacroList only when no record there has its
// identifier yet, so scanning the same folder again adds items, never second copies.
bool LoadMacroFolder(const std::u16string& path, bool recursive, const MacroScanParams& params);
