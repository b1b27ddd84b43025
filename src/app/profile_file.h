// Profile files (.kbp): a profile record and the macros its keys use, so a setup can be passed to
// someone else whole. 17196 bytes: the 8856-byte record as held in memory, then ten 834-byte
// macro slots in the order they were filled, unused slots zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "records/profile_record.h"

constexpr size_t kProfileFileBytes = 17196;
constexpr int kProfileFileMacroSlots = 10;

enum class ProfileFileError {
  None,
  TooManyMacros,       // export: the keys use more distinct macros than the file holds
  CreateFailed,        // export: the file could not be written whole
  OpenFailed,          // import: the file cannot be opened
  Empty,               // import: nothing could be read
  ReadFailed,          // import: a read error before the end (not a short file)
  NotAProfile,         // import: wrong magic or identifier 0
  LibraryWriteFailed,  // import: a macro of the file could not be written into the library
};

// What the user is told; empty for None.
std::u16string ProfileFileNotice(ProfileFileError error);

// "<name>.kbp" in at most 19 characters, as the save dialog proposes it; a longer name is cut,
// the ending never.
std::u16string ProposedProfileFileName(const PROFILEINFO& profile);

// The file image of a profile. A macro used by several keys takes one slot; keys whose macro is
// not in the macro list take none.
ProfileFileError BuildProfileFile(const PROFILEINFO& profile, std::vector<uint8_t>& out);
// Builds and writes the file beside its final name, then moves it there: a failed write leaves
// no partial file and whatever was at `path` before.
ProfileFileError ExportProfileFile(const PROFILEINFO& profile, const std::u16string& path);

// Reads a file for import: at most 17196 bytes, a shorter file padded with zeros; a read that
// fails before the end refuses the file (ReadFailed).
ProfileFileError ReadProfileFile(const std::u16string& path, std::vector<uint8_t>& bytes);

// Loads a file image into `current`, keeping its identifier and name. The macros the file's keys
// use join the library first: each gets an identifier no macro in memory holds and a file name
// safe for the system and unique among the library's top-level names (as the file system
// compares them), is written as a new .mck in the library folder, only where no file is yet, and appended to the macro list, and the keys are made to point at it.
// Keys whose macro the file does not carry (or carries damaged) point at no macro. Nothing
// changes, on disk or in memory, unless every step succeeds.
ProfileFileError ImportProfileFile(const std::vector<uint8_t>& bytes, const std::u16string& appDataFolder,
                                   uint32_t mouseMask, PROFILEINFO& current);

// A macro name from a record's name field that can be a file name (plat::MakeUsableFileName): no
// \ / : * ? " < > | or control characters, no leading or trailing blanks or trailing dots, no
// device name, at most 39 characters, never empty.
std::u16string FileSafeMacroName(const char16_t* name, size_t units);
