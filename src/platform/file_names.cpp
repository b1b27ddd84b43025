#include "platform/file_names.h"

namespace plat {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }
bool IsForbidden(char16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  for (char16_t f : u"\\/:*?\"<>|")
    if (f && c == f) return true;
  return false;
}

// The system reads "CON.txt" and "con .mck" as the device too: what counts is the part before
// the first dot, blanks at its end dropped.
bool IsDeviceName(const std::u16string& name) {
  size_t end = name.find(u'.');
  if (end == std::u16string::npos) end = name.size();
  while (end > 0 && IsBlank(name[end - 1])) --end;
  const std::u16string base = FileNameKey(name.substr(0, end));
  static const char16_t* const kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  for (const char16_t* device : kDevices)
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0)) {
    const char16_t n = base[3];
    return (n >= u'0' && n <= u'9') || n == 0xB9 || n == 0xB2 || n == 0xB3;
  }
  return false;
}

}  // namespace

std::u16string FileNameKey(const std::u16string& name) {
  std::u16string key(name);
  for (char16_t& c : key) c = FileNameUpper(c);
  return key;
}

bool SameFileName(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsSeparator(a[i]) && IsSeparator(b[i])) continue;
    if (FileNameUpper(a[i]) != FileNameUpper(b[i])) return false;
  }
  return true;
}

FileNameFault CheckFileName(const std::u16string& name) {
  if (name.empty()) return FileNameFault::Empty;
  for (char16_t c : name)
    if (IsForbidden(c)) return FileNameFault::Character;
  if (name == u"." || name == u"..") return FileNameFault::DotName;
  if (name.back() == u'.' || IsBlank(name.back())) return FileNameFault::TrailingDotOrBlank;
  if (IsDeviceName(name)) return FileNameFault::DeviceName;
  return FileNameFault::None;
}

std::u16string MakeUsableFileName(const std::u16string& name, const std::u16string& fallback,
                                  size_t maxChars) {
  std::u16string out;
  for (char16_t c : name) out.push_back(IsForbidden(c) ? u'_' : c);
  size_t start = 0;
  while (start < out.size() && IsBlank(out[start])) ++start;
  out = out.substr(start, maxChars);
  while (!out.empty() && (out.back() == u'.' || IsBlank(out.back()))) out.pop_back();
  if (out.empty()) out = fallback.substr(0, maxChars);
  if (IsDeviceName(out)) {
    // "CON" -> "CON_", "nul.txt" -> "nul_.txt": the device part is no longer a device.
    size_t end = out.find(u'.');
    if (end == std::u16string::npos) end = out.size();
    while (end > 0 && IsBlank(out[end - 1])) --end;
    out.insert(end, 1, u'_');
    if (out.size() > maxChars) out = fallback.substr(0, maxChars);
  }
  return out;
}

bool IsStrictlyInside(const std::u16string& path, const std::u16string& folder) {
  std::u16string base = folder;
  while (!base.empty() && IsSeparator(base.back())) base.pop_back();
  if (base.empty() || path.size() <= base.size() + 1) return false;
  if (!SameFileName(path.substr(0, base.size()), base) || !IsSeparator(path[base.size()])) return false;
  size_t start = base.size() + 1;
  for (;;) {
    size_t sep = start;
    while (sep < path.size() && !IsSeparator(path[sep])) ++sep;
    if (!IsUsableFileName(path.substr(start, sep - start))) return false;
    if (sep >= path.size()) return true;
    start = sep + 1;
  }
}

}  // namespace plat
