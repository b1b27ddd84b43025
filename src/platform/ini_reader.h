// A reader of Windows profile (ini) files that gives the results of GetPrivateProfileIntW and
// GetPrivateProfileStringW, so that cfg.ini is read once and exactly as Windows does in both builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace ini {

// A name as written in the file or asked for, its blanks already trimmed.
struct NameRef {
  const char16_t* text;
  size_t length;
};

// Orders names as the system matches them: ASCII letters without regard to case, and nothing
// after a NUL counts (two names of one length agree up to their first NUL). Lookups compare
// the name asked for in place, without building a key for it.
struct NameLess {
  using is_transparent = void;
  bool operator()(const std::u16string& a, const std::u16string& b) const;
  bool operator()(const std::u16string& a, NameRef b) const;
  bool operator()(NameRef a, const std::u16string& b) const;
};

// A whole file read once: the first section of each name (a later one of the same name is
// ignored, as the system does), and in it the first line of each key, value trimmed and
// unquoted. Names compare without regard to ASCII case.
class Table {
 public:
  Table() = default;
  // `text` is the whole file already decoded to UTF-16.
  explicit Table(const std::u16string& text);
  bool Find(const std::u16string& section, const std::u16string& key, std::u16string& value) const;
  uint32_t GetInt(const std::u16string& section, const std::u16string& key, int32_t defaultValue) const;
  std::u16string GetString(const std::u16string& section, const std::u16string& key,
                           const std::u16string& defaultValue, size_t bufferUnits) const;

 private:
  using Section = std::map<std::u16string, std::u16string, NameLess>;
  // The value of `key` in `section`, or nullptr.
  const std::u16string* Lookup(const std::u16string& section, const std::u16string& key) const;

  std::map<std::u16string, Section, NameLess> m_sections;  // names kept as written, trimmed
};

// The same lookups on text read for one question only.
bool FindValue(const std::u16string& text, const std::u16string& section, const std::u16string& key,
               std::u16string& value);
// What GetPrivateProfileIntW returns for a value (the value already found and trimmed).
uint32_t ParseInt(const std::u16string& value, int32_t defaultValue);
// What GetPrivateProfileStringW leaves in a buffer of `bufferUnits` for a found value.
std::u16string CutString(const std::u16string& value, size_t bufferUnits);
// The two reads over a whole decoded file, as the system's functions answer them.
uint32_t GetInt(const std::u16string& text, const std::u16string& section, const std::u16string& key,
                int32_t defaultValue);
std::u16string GetString(const std::u16string& text, const std::u16string& section,
                         const std::u16string& key, const std::u16string& defaultValue,
                         size_t bufferUnits);
// Decodes a file's bytes: UTF-16LE with a byte-order mark, UTF-8 with or without one.
std::u16string DecodeFile(const std::string& bytes);

}  // namespace ini
