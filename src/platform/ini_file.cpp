// The parts of plat::IniFile both builds share; each build's platform file constructs it from a
// path, reading and parsing the file there and then.
#include "platform/platform.h"

namespace plat {

IniFile IniFile::FromText(const std::u16string& text) {
  IniFile file;
  file.m_table = ini::Table(text);
  file.m_parsed = true;
  return file;
}

uint32_t IniFile::GetInt(const std::u16string& section, const std::u16string& key,
                         int32_t defaultValue) const {
  if (m_parsed) return m_table.GetInt(section, key, defaultValue);
  return IniGetInt(section, key, defaultValue, m_path);
}

std::u16string IniFile::GetString(const std::u16string& section, const std::u16string& key,
                                  const std::u16string& defaultValue, size_t bufferUnits) const {
  if (m_parsed) return m_table.GetString(section, key, defaultValue, bufferUnits);
  return IniGetString(section, key, defaultValue, bufferUnits, m_path);
}

}  // namespace plat
