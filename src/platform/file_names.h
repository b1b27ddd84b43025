// Names that become files or folders: whether the system would store a name as given, and
// whether two names are one file to it. Every place that turns a name into a path asks here, so
// that no name slips past one check and not another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// Longest path the system's 260-unit buffers hold (without the NUL); every path we make, and
// every path below a folder we make or rename, stays within it.
constexpr size_t kMaxPathChars = 259;

// The upper case the file system compares names by: simple upper-casing of one UTF-16 unit over
// the basic plane, the way the file system's own table does it (not only A-Z).
char16_t FileNameUpper(char16_t c);
// The name upper-cased unit by unit: equal keys are the same file name.
std::u16string FileNameKey(const std::u16string& name);
// True when the system takes the two names (or paths) for one file.
bool SameFileName(const std::u16string& a, const std::u16string& b);

// Why the system would not store a name (one path component) as it was given.
enum class FileNameFault {
  None,
  Empty,
  Character,      // one of \ / : * ? " < > | or a control character
  DotName,        // "." or "..": this folder or the one above
  TrailingDotOrBlank,  // dropped by the system: "Games." is the folder "Games"
  DeviceName,     // CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with ¹²³), CONIN$, CONOUT$,
                  // in any letter case and with any extension: a device, not a file
};
FileNameFault CheckFileName(const std::u16string& name);
inline bool IsUsableFileName(const std::u16string& name) {
  return CheckFileName(name) == FileNameFault::None;
}

// A name that came from outside (a file's content) made storable: forbidden and control
// characters become '_', blanks at either end and trailing dots go, a device name gets a '_'
// after it, and an empty result becomes `fallback`. The result is at most `maxChars` long.
std::u16string MakeUsableFileName(const std::u16string& name, const std::u16string& fallback,
                                  size_t maxChars);

// True when the path "<folder>\<name>" and the longest path below it (`longestBelow`
// characters after "<folder>\<name>") fit in kMaxPathChars.
inline bool PathFits(const std::u16string& folder, const std::u16string& name, size_t longestBelow = 0) {
  return folder.size() + 1 + name.size() + longestBelow <= kMaxPathChars;
}

// True when `path` names something strictly inside `folder` (never the folder itself or a place
// outside it), each part below the folder a usable name, so the system cannot read it as a
// place above (".."), the folder itself ("."), another name ("a.") or a device.
bool IsStrictlyInside(const std::u16string& path, const std::u16string& folder);

}  // namespace plat
