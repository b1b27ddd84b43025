// The file helpers of the macro library: paths that must fit the system's 260-unit buffers,
// folders made on demand, copies and deletions of whole folder trees, and the names a user may
// give a macro or a folder.
#pragma once

#include <string>

#include "platform/platform.h"

// Longest path the library hands to the system (a 260-unit buffer with its NUL).
constexpr size_t kMacroMaxPathChars = 259;
// Folder paths this long or longer are neither listed nor entered: the "\*" of a listing would
// not fit.
constexpr size_t kMacroMaxFolderChars = 257;

// Makes every missing folder on the way to `path`; its last component (a file name) is left
// out. Logs "MakeSureFolderExist: create dir %s, err=0x%x" and fails when one cannot be made.
bool MakeSureFolderExist(const std::u16string& path);

// Creates or replaces a file for writing, making its folders when they are missing.
plat::File MyCreateFile(const std::u16string& path);

// Copies without replacing an existing target, making the target's folders when missing.
bool MyCopyFile(const std::u16string& from, const std::u16string& to);

// Deletes the folder and everything in it. Links (junctions, symbolic links) inside it, or the
// folder itself when it is one, are removed as links: what they point to is never touched.
// An empty path fails; so does one of 257 characters or more, with kErrFilenameTooLong.
bool DeleteFolderTree(const std::u16string& folder);

// Copies the folder `from` with its whole tree into `into` (so into\<last part of from>\...),
// never replacing a file and going on past a failed copy. Folders whose names begin with '.' or
// '$' and links are left out. Refuses (false, nothing copied) when `into` is `from` or lies
// below it, where the walk would copy its own copies.
bool CopyFolderTree(const std::u16string& from, const std::u16string& into);

// True when `path` is `folder` or lies below it (either separator, letter case ignored).
bool IsSameOrBelow(const std::u16string& path, const std::u16string& folder);

// True for the root of a drive or share ("C:\", "D:", "\\server\share"): no folder of its own.
bool IsVolumeRoot(const std::u16string& path);

// The last component of a path (after its last separator), trailing separators ignored.
std::u16string LastPathPart(const std::u16string& path);

// A name typed for a macro or folder, cut at its last '.' when `cutExtension` and trimmed of
// blanks. False when the name, or the file it becomes (with ".mck" for a macro), is one the
// system would not keep as given (plat::CheckFileName): empty, a forbidden or control character,
// "." or "..", a trailing dot or blank, a device name.
bool CleanItemName(const std::u16string& typed, bool cutExtension, std::u16string* clean,
                   bool isMacro = false);

// The name of the file (a macro, "<name>.mck") or folder an item of that name is written as.
std::u16string ItemFileName(const std::u16string& name, bool isMacro);

// A folder name the library scans never enter.
inline bool IsSkippedFolderName(const std::u16string& name) {
  return name.empty() || name[0] == u'.' || name[0] == u'$';
}
