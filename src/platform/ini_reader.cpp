#include "platform/ini_reader.h"

#include "platform/u16.h"

namespace ini {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

NameRef Trimmed(const char16_t* text, size_t length) {
  size_t b = 0, e = length;
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return NameRef{text + b, e - b};
}

NameRef Trimmed(const std::u16string& name) { return Trimmed(name.data(), name.size()); }

bool Less(NameRef a, NameRef b) {
  bool endedA = false, endedB = false;
  const size_t common = a.length < b.length ? a.length : b.length;
  for (size_t i = 0; i < common; ++i) {
    char16_t ca = endedA ? 0 : a.text[i], cb = endedB ? 0 : b.text[i];
    endedA = ca == 0;
    endedB = cb == 0;
    if (ca >= u'a' && ca <= u'z') ca = static_cast<char16_t>(ca - u'a' + u'A');
    if (cb >= u'a' && cb <= u'z') cb = static_cast<char16_t>(cb - u'a' + u'A');
    if (ca != cb) return ca < cb;
  }
  return a.length < b.length;
}

}  // namespace

bool NameLess::operator()(const std::u16string& a, const std::u16string& b) const {
  return Less(Trimmed(a), Trimmed(b));
}
bool NameLess::operator()(const std::u16string& a, NameRef b) const { return Less(Trimmed(a), b); }
bool NameLess::operator()(NameRef a, const std::u16string& b) const { return Less(a, Trimmed(b)); }

Table::Table(const std::u16string& text) {
  Section* current = nullptr;
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
      NameRef name = Trimmed(t + b + 1, (close == std::u16string::npos || close >= e ? e : close) - b - 1);
      auto added = m_sections.emplace(std::u16string(name.text, name.length), Section());
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
    NameRef name = Trimmed(t + b, eq - b);
    current->emplace(std::u16string(name.text, name.length), std::u16string(t + vb, ve - vb));
  }
}

const std::u16string* Table::Lookup(const std::u16string& section, const std::u16string& key) const {
  auto s = m_sections.find(Trimmed(section));
  if (s == m_sections.end()) return nullptr;
  auto k = s->second.find(Trimmed(key));
  return k == s->second.end() ? nullptr : &k->second;
}

bool Table::Find(const std::u16string& section, const std::u16string& key, std::u16string& value) const {
  const std::u16string* found = Lookup(section, key);
  if (!found) return false;
  value = *found;
  return true;
}

uint32_t Table::GetInt(const std::u16string& section, const std::u16string& key,
                       int32_t defaultValue) const {
  const std::u16string* found = Lookup(section, key);
  return found ? ParseInt(*found, defaultValue) : static_cast<uint32_t>(defaultValue);
}

std::u16string Table::GetString(const std::u16string& section, const std::u16string& key,
                                const std::u16string& defaultValue, size_t bufferUnits) const {
  const std::u16string* found = Lookup(section, key);
  return CutString(found ? *found : defaultValue, bufferUnits);
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
    out.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return out;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return u16::FromUtf8(bytes.data() + 3, bytes.size() - 3);
  return u16::FromUtf8(bytes);
}

}  // namespace ini
