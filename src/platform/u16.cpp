#include "platform/u16.h"

#include <cstdio>
#include <cstring>
#include <cstdint>

namespace u16 {
namespace {

struct Directive {
  bool left = false, plus = false, space = false, zero = false, alt = false;
  int width = 0;
  int precision = -1;
  enum Length { None, Short, Char, Long, LongLong, Size } length = None;
};

void Pad(std::u16string& out, size_t count, char16_t fill) { out.append(count, fill); }

void EmitField(std::u16string& out, const Directive& dir, const std::u16string& body) {
  size_t width = dir.width > 0 ? static_cast<size_t>(dir.width) : 0;
  if (body.size() >= width) {
    out += body;
  } else if (dir.left) {
    out += body;
    Pad(out, width - body.size(), u' ');
  } else {
    Pad(out, width - body.size(), u' ');
    out += body;
  }
}

void EmitInteger(std::u16string& out, const Directive& dir, bool negative, uint64_t magnitude,
                 unsigned base, bool upper, const char* prefix) {
  char digits[72];
  int n = 0;
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  if (magnitude == 0 && dir.precision != 0) digits[n++] = '0';
  while (magnitude) {
    digits[n++] = set[magnitude % base];
    magnitude /= base;
  }
  std::u16string sign;
  if (negative) sign = u"-";
  else if (dir.plus) sign = u"+";
  else if (dir.space) sign = u" ";
  for (const char* p = prefix; p && *p; ++p) sign += static_cast<char16_t>(*p);
  std::u16string number;
  int zeros = dir.precision > n ? dir.precision - n : 0;
  if (dir.zero && !dir.left && dir.precision < 0) {
    int room = dir.width - static_cast<int>(sign.size()) - n;
    if (room > zeros) zeros = room;
  }
  number.append(static_cast<size_t>(zeros), u'0');
  while (n) number += static_cast<char16_t>(digits[--n]);
  EmitField(out, dir, sign + number);
}

}  // namespace

std::u16string VFormat(const char16_t* format, va_list args) {
  std::u16string out;
  if (!format) return out;
  for (const char16_t* p = format; *p; ++p) {
    if (*p != u'%') {
      out += *p;
      continue;
    }
    const char16_t* start = p++;
    if (*p == u'%') {
      out += u'%';
      continue;
    }
    Directive dir;
    for (;; ++p) {
      if (*p == u'-') dir.left = true;
      else if (*p == u'+') dir.plus = true;
      else if (*p == u' ') dir.space = true;
      else if (*p == u'0') dir.zero = true;
      else if (*p == u'#') dir.alt = true;
      else break;
    }
    if (*p == u'*') {
      dir.width = va_arg(args, int);
      if (dir.width < 0) {
        dir.left = true;
        dir.width = -dir.width;
      }
      ++p;
    } else {
      while (*p >= u'0' && *p <= u'9') dir.width = dir.width * 10 + (*p++ - u'0');
    }
    if (*p == u'.') {
      ++p;
      dir.precision = 0;
      if (*p == u'*') {
        dir.precision = va_arg(args, int);
        ++p;
      } else {
        while (*p >= u'0' && *p <= u'9') dir.precision = dir.precision * 10 + (*p++ - u'0');
      }
    }
    bool narrowString = false;
    if (*p == u'h') {
      ++p;
      dir.length = Directive::Short;
      narrowString = true;
      if (*p == u'h') {
        ++p;
        dir.length = Directive::Char;
      }
    } else if (*p == u'l') {
      ++p;
      dir.length = Directive::Long;
      if (*p == u'l') {
        ++p;
        dir.length = Directive::LongLong;
      }
    } else if (*p == u'I' && p[1] == u'6' && p[2] == u'4') {
      p += 3;
      dir.length = Directive::LongLong;
    } else if (*p == u'z') {
      ++p;
      dir.length = Directive::Size;
    }
    auto signedArg = [&]() -> int64_t {
      switch (dir.length) {
        case Directive::LongLong: return va_arg(args, long long);
        case Directive::Long: return va_arg(args, long);
        case Directive::Size: return static_cast<int64_t>(va_arg(args, size_t));
        case Directive::Short: return static_cast<short>(va_arg(args, int));
        case Directive::Char: return static_cast<signed char>(va_arg(args, int));
        default: return va_arg(args, int);
      }
    };
    auto unsignedArg = [&]() -> uint64_t {
      switch (dir.length) {
        case Directive::LongLong: return va_arg(args, unsigned long long);
        case Directive::Long: return va_arg(args, unsigned long);
        case Directive::Size: return va_arg(args, size_t);
        case Directive::Short: return static_cast<unsigned short>(va_arg(args, unsigned));
        case Directive::Char: return static_cast<unsigned char>(va_arg(args, unsigned));
        default: return va_arg(args, unsigned);
      }
    };
    switch (*p) {
      case u'd':
      case u'i': {
        int64_t v = signedArg();
        uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        EmitInteger(out, dir, v < 0, magnitude, 10, false, nullptr);
        break;
      }
      case u'u': EmitInteger(out, dir, false, unsignedArg(), 10, false, nullptr); break;
      case u'o': EmitInteger(out, dir, false, unsignedArg(), 8, false, dir.alt ? "0" : nullptr); break;
      case u'x':
      case u'X': {
        uint64_t v = unsignedArg();
        bool upper = *p == u'X';
        EmitInteger(out, dir, false, v, 16, upper, dir.alt && v ? (upper ? "0X" : "0x") : nullptr);
        break;
      }
      case u'p': {
        Directive ptrDir;
        ptrDir.width = static_cast<int>(sizeof(void*) * 2);
        ptrDir.zero = true;
        EmitInteger(out, ptrDir, false, reinterpret_cast<uintptr_t>(va_arg(args, void*)), 16, true,
                    nullptr);
        break;
      }
      case u'c': {
        std::u16string one;
        if (dir.length == Directive::Short) one += static_cast<char16_t>(static_cast<unsigned char>(va_arg(args, int)));
        else one += static_cast<char16_t>(va_arg(args, int));
        EmitField(out, dir, one);
        break;
      }
      case u'S':
        narrowString = true;
        [[fallthrough]];
      case u's': {
        std::u16string text;
        if (narrowString) {
          const char* s = va_arg(args, const char*);
          if (!s) s = "(null)";
          for (size_t i = 0; s[i] && (dir.precision < 0 || i < static_cast<size_t>(dir.precision)); ++i)
            text += static_cast<char16_t>(static_cast<unsigned char>(s[i]));
        } else {
          const char16_t* s = va_arg(args, const char16_t*);
          if (!s) s = u"(null)";
          for (size_t i = 0; s[i] && (dir.precision < 0 || i < static_cast<size_t>(dir.precision)); ++i)
            text += s[i];
        }
        EmitField(out, dir, text);
        break;
      }
      default:
        // An unknown conversion is copied as written so that a bad format never reads an argument.
        out.append(start, p + (*p ? 1 : 0));
        if (!*p) return out;
        break;
    }
  }
  return out;
}

std::u16string Format(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::u16string s = VFormat(format, args);
  va_end(args);
  return s;
}

namespace {

// Decodes one UTF-8 sequence at p[0..n); false for an invalid, overlong, surrogate or truncated one.
bool DecodeUtf8(const unsigned char* p, size_t n, size_t& len, uint32_t& cp) {
  unsigned c = p[0];
  if (c < 0x80) { cp = c; len = 1; return true; }
  if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
  else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
  else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
  else return false;
  if (n < len) return false;
  for (size_t k = 1; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  return cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

bool IsValidUtf8(const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0, len = 0; i < size; i += len) {
    uint32_t cp;
    if (!DecodeUtf8(p + i, size - i, len, cp)) return false;
  }
  return true;
}

std::u16string FromUtf8(const std::string& text) { return FromUtf8(text.data(), text.size()); }

std::u16string FromUtf8(const char* text, size_t size) {
  std::u16string out;
  // No byte sequence gives more UTF-16 units than it has bytes: one allocation for the whole text.
  out.reserve(size);
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0, n = size;
  while (i < n) {
    size_t len;
    uint32_t cp;
    if (!DecodeUtf8(p + i, n - i, len, cp)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += len;
  }
  return out;
}

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::u16string FromAscii(const char* text) {
  std::u16string out;
  for (; text && *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return out;
}

void CopyTruncated(char16_t* dest, size_t capacity, const std::u16string& source) {
  if (!dest || capacity == 0) return;
  size_t n = source.size() < capacity - 1 ? source.size() : capacity - 1;
  if (n) std::memcpy(dest, source.data(), n * sizeof(char16_t));
  dest[n] = 0;
}

size_t BoundedLength(const char16_t* text, size_t capacity) {
  size_t n = 0;
  while (text && n < capacity && text[n]) ++n;
  return n;
}

char16_t ToUpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool EqualNoCase(const char16_t* a, const char16_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    if (!a[i]) return true;
  }
  return true;
}

bool ContainsNoCase(const std::u16string& text, const std::u16string& part) {
  if (part.size() > text.size()) return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i)
    if (EqualNoCase(text.c_str() + i, part.c_str(), part.size())) return true;
  return false;
}

}  // namespace u16
