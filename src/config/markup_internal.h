// What the markup reader's files share: the character classes of names and blanks, and the
// small text helpers the scanner, the loader, the parser and the cursor all lean on. Not part of
// the reader's interface; only src/config/markup*.cpp include it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/u16.h"

namespace markup {

inline bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

inline bool IsNameEnd(char16_t c) { return IsBlank(c) || c == u'/' || c == u'>'; }

inline char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

inline std::u16string Num(uint32_t value) { return u16::Format(u"%u", value); }

// Offset of `pattern` in text at or after `from`, or npos.
inline size_t FindFrom(const std::u16string& text, size_t from, const char16_t* pattern) {
  return from > text.size() ? std::u16string::npos : text.find(pattern, from);
}

}  // namespace markup
