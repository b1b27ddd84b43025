// The macro library on disk (the Mac folder under the application-data folder): loading it into
// MacroList and into a library tree, the path of a tree item, and writing changed records back.
// Also the lock that keeps the apply worker from reading the current profile or MacroList while
// the user interface is changing them.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "macro/macro_record.h"
#include "macro/macro_tree.h"
#include "platform/platform.h"

// Held by the user-interface thread while it changes the current profile record or MacroList,
// and by the apply sequence while it reads them, so that a run never encodes a half-edited
// record. Recursive because the user-interface thread also runs the apply sequence itself
// (game watch) and may already hold it.
std::recursive_mutex& ProfileDataMutex();

// "%sMac" of the application-data folder (which ends in a backslash).
std::u16string MacroFolderPath(const std::u16string& appDataFolder);

// A macro file a scan listed but did not read: read elsewhere (ReadPendingMacroFile, on any
// thread), its record is taken in later by AcceptPendingMacroFiles.
struct PendingMacroFile {
  // The folder items its macro goes under, by name from the top (not by pointer: the user may
  // remove them meanwhile); no item at all for a file in a folder the tree refused.
  std::vector<std::u16string> folders;
  bool item = true;
  size_t position = 0;  // how many items that folder had when the listing met the file
  plat::DirEntry entry;
  std::u16string path;
  MacroReadResult result = MacroReadResult::OpenFailed;
  StMacro record = {};
};

struct MacroScanParams {
  MacroTreeModel* tree = nullptr;  // none: records only
  MacroNode* parent = nullptr;     // where the items go; none (a refused folder): no items
  bool freshIds = false;           // give every record a new identifier and mark it changed
  bool folders = false;            // the MacroDir setting
  // With a tree: a file that must be read is listed here, and left out of the tree and
  // MacroList, instead of read now. Files the scan knows still go in at once.
  std::vector<PendingMacroFile>* pending = nullptr;
};

// One folder scan: every valid macro file (any extension) becomes a record at the tail of
// MacroList and, with a tree, a macro item; sub-folders become folder items (with their icon
// "<name>\<name>.png" when it exists) and, when `recursive`, are scanned into them. Without a
// tree, sub-folders are scanned only with `folders` on. Folders whose names begin with '.' or
// '$', links and paths of 257 characters or more are not entered. A record whose identifier
// MacroList already holds is not appended again (its item still is), so loading the same
// library again leaves MacroList as it was; but a file whose identifier belongs to the record of
// another file that is still there (a copy made in the file manager) gets a fresh identifier,
// written into it at once, so each file keeps a record of its own. A scan of files whose
// identifiers are all distinct writes nothing. Invalid files are skipped without a word.
bool LoadMacroFolder(const std::u16string& path, bool recursive, const MacroScanParams& params);

// Reads a listed file as a scan would; touches nothing but the file and `file`, so any thread
// may run it.
void ReadPendingMacroFile(PendingMacroFile& file, uint32_t mouseMask);
// Takes in what was read, on the thread that owns the tree and MacroList, as the scan would have
// there and then: each macro goes to its place in the listing among the items shown meanwhile.
// A file whose folder item was removed or renamed meanwhile is left to the next scan.
void AcceptPendingMacroFiles(std::vector<PendingMacroFile>& files, const MacroScanParams& params);

// The file each record belongs to (read from or last written to); empty when it has none yet.
void SetMacroFile(uint32_t id, const std::u16string& path);
std::u16string MacroFileOf(uint32_t id);
void ForgetMacroFile(uint32_t id);
// A folder moved from `from` to `to`: the records of the files below it follow.
void MoveMacroFiles(const std::u16string& from, const std::u16string& to);

// Scans remember the identifier of every valid file they read and do not read a file again while
// its size and write time are unchanged and MacroList holds its record (fresh-identifier scans
// always read). Forgetting makes the next scan read everything, knowing no record's file.
void ForgetKnownMacroFiles();

// The whole library: into `tree`'s root when a tree is given, else records only.
bool LoadMacroLibrary(const std::u16string& appDataFolder, MacroTreeModel* tree, bool foldersFlag);

// Start-up form: records only. With `foldersFlag` (the MacroDir setting) the sub-folders are
// loaded too, so that keys holding their macros work at an apply before the editor was opened.
bool LoadMacroLibrary(const std::u16string& appDataFolder, bool foldersFlag);
bool LoadMacroFolder(const std::u16string& path, bool recursive, bool foldersFlag);

// "<app data>Mac\<folder>\...\<file>" for a macro item (the file it was read from, or
// "<name>.mck" before it was first written), "...\<folder>" for a folder item.
// False for no tree or item, an item of another tree, or a path that would not fit in 259
// characters: a cut path would name another file.
bool TreeItem_To_FilePath(const MacroNode* item, const MacroTreeModel* tree,
                          const std::u16string& appDataFolder, std::u16string* path);

// Writes the record of a macro item when one of its dirty bits is set, holding ProfileDataMutex
// while it takes the record. The file is written beside the old one under a temporary name and
// then moved over it, so a failed write leaves the old file whole and the record still marked
// changed; a macro's first write moves only where no file is yet. Always 0, so that it can serve
// as a walk visitor.
int Flush_Dirty_Macro(MacroNode* item, MacroTreeModel* tree, const std::u16string& appDataFolder);
// Flushes every macro item below `parent` (the whole tree from its root when null).
void FlushMacroTree(MacroTreeModel* tree, MacroNode* parent, const std::u16string& appDataFolder);

// The name a flush gives its file while writing it (its last character made '~'); scans skip
// such leftovers of a flush that was cut off, and any other name ending in '~'.
std::u16string FlushTempPath(const std::u16string& path);
bool IsFlushTempName(const std::u16string& name);
