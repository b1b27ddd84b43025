// A reader of Windows profile (ini) files that gives the results of GetPrivateProfileIntW and
// GetPrivateProfileStringW, so that cfg.ini is read once and exactly as Windows does in both builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace ini {

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
  std::map<std::u16string, std::map<std::u16string, std::u16string>> m_sections;
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
