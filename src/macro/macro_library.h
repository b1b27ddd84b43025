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
