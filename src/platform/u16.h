// UTF-16 text helpers shared by every subsystem: printf-style formatting with a char16_t
// format (as the wide printf family on Windows reads it: %s takes a UTF-16 string, %hs a narrow
// one) and conversions between UTF-8 and UTF-16.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace u16 {

// Supports flags "-+ 0#", width and precision (also "*"), length modifiers h, hh, l, ll, I64,
// z, and conversions d i u x X o c s S p %. %s takes const char16_t*, %hs and %S const char*,
// %c and %lc a char16_t passed as int, %hc a char. A null string prints "(null)".
std::u16string Format(const char16_t* format, ...);
std::u16string VFormat(const char16_t* format, va_list args);

std::u16string FromUtf8(const std::string& text);  // invalid bytes become U+FFFD
std::u16string FromUtf8(const char* text, size_t size);
bool IsValidUtf8(const void* data, size_t size);     // no invalid, overlong or surrogate sequence
// Appends a code point (at most 0x10FFFF), as a surrogate pair above the basic plane.
void AppendCodePoint(std::u16string& out, uint32_t cp);
std::string ToUtf8(const std::u16string& text);     // lone surrogates become U+FFFD
std::u16string FromAscii(const char* text);

// Copies at most capacity - 1 units and a terminating NUL into a fixed buffer.
void CopyTruncated(char16_t* dest, size_t capacity, const std::u16string& source);
// Length of a NUL-terminated buffer of at most `capacity` units.
size_t BoundedLength(const char16_t* text, size_t capacity);

// ASCII-only case-insensitive comparison of the first `count` units, as the system's
// case-insensitive compare behaves for the texts Velkor compares.
bool EqualNoCase(const char16_t* a, const char16_t* b, size_t count);
char16_t ToUpperAscii(char16_t c);
// Whether `part` occurs in `text`, compared as EqualNoCase does.
bool ContainsNoCase(const std::u16string& text, const std::u16string& part);

}  // namespace u16
