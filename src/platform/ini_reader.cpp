#include "platform/ini_reader.h"

#include "platform/u16.h"

namespace ini {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

std::u16string Trim(const std::u16string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Names as the table keeps them: ASCII letters in one case, and nothing after a NUL counts
// (two names of one length agree up to their first NUL).
std::u16string NameKey(const std::u16string& name) {
  std::u16string key = Trim(name);
  bool ended = false;
  for (char16_t& c : key) {
    if (ended || c == 0) {
      ended = true;
      c = 0;
    } else if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - u'a' + u'A');
    }
  }
  return key;
}

}  // namespace

Table::Table(const std::u16string& text) {
  std::map<std::u16string, std::u16string>* current = nullptr;
  const char16_t* t = text.data();
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(u'\n', pos);
    if (end == std::u16string::npos) end = text.size();
    // The line trimmed, by index: a copy of every line would cost more than the rest.
    size_t b = pos, e = end;
    pos = end + 1;
    while (b < e && IsBlank(t[b])) ++b;
    while (e > b && IsBlank(t[e - 1])) --e;
    if (b == e || t[b] == u';') continue;
    if (t[b] == u'[') {
      size_t close = text.find(u']', b);
      std::u16string name(t + b + 1, (close == std::u16string::npos || close >= e ? e : close) - b - 1);
      auto added = m_sections.emplace(NameKey(name), std::map<std::u16string, std::u16string>());
      current = added.second ? &added.first->second : nullptr;
      continue;
    }
    if (!current) continue;
    size_t eq = text.find(u'=', b);
    if (eq == std::u16string::npos || eq >= e) continue;  // a line without "=" holds no key
    size_t vb = eq + 1, ve = e;
    while (vb < ve && IsBlank(t[vb])) ++vb;
    if (ve - vb >= 2 && (t[vb] == u'"' || t[vb] == u'\'') && t[ve - 1] == t[vb]) {
      ++vb;
      --ve;
    }
    current->emplace(NameKey(std::u16string(t + b, eq - b)), std::u16string(t + vb, ve - vb));
  }
}

bool Table::Find(const std::u16string& section, const std::u16string& key, std::u16string& value) const {
  auto s = m_sections.find(NameKey(section));
  if (s == m_sections.end()) return false;
  auto k = s->second.find(NameKey(key));
  if (k == s->second.end()) return false;
  value = k->second;
  return true;
}

uint32_t Table::GetInt(const std::u16string& section, const std::u16string& key,
                       int32_t defaultValue) const {
  std::u16string value;
  if (!Find(section, key, value)) return static_cast<uint32_t>(defaultValue);
  return ParseInt(value, defaultValue);
}

std::u16string Table::GetString(const std::u16string& section, const std::u16string& key,
                                const std::u16string& defaultValue, size_t bufferUnits) const {
  std::u16string value;
  if (!Find(section, key, value)) value = defaultValue;
  return CutString(value, bufferUnits);
}

bool FindValue(const std::u16string& text, const std::u16string& section, const std::u16string& key,
               std::u16string& value) {
  return Table(text).Find(section, key, value);
}

uint32_t ParseInt(const std::u16string& value, int32_t defaultValue) {
  size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
  if (i == value.size()) return static_cast<uint32_t>(defaultValue);
  bool negative = false;
  if (value[i] == u'-' || value[i] == u'+') negative = value[i++] == u'-';
  unsigned base = 10;
  if (i + 1 < value.size() && value[i] == u'0' && value[i + 1] == u'x') {
    base = 16;
    i += 2;
  }
  uint32_t result = 0;
  for (; i < value.size(); ++i) {
    char16_t c = value[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else break;
    result = result * base + digit;
  }
  return negative ? 0u - result : result;
}

std::u16string CutString(const std::u16string& value, size_t bufferUnits) {
  if (bufferUnits == 0) return std::u16string();
  return value.substr(0, bufferUnits - 1);
}

uint32_t GetInt(const std::u16string& text, const std::u16string& section, const std::u16string& key,
                int32_t defaultValue) {
  return Table(text).GetInt(section, key, defaultValue);
}

std::u16string GetString(const std::u16string& text, const std::u16string& section,
                         const std::u16string& key, const std::u16string& defaultValue,
                         size_t bufferUnits) {
  return Table(text).GetString(section, key, defaultValue, bufferUnits);
}

std::u16string DecodeFile(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return out;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return u16::FromUtf8(bytes.substr(3));
  return u16::FromUtf8(bytes);
}

}  // namespace ini
