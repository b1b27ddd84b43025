#include "config/markup.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/u16.h"

namespace markup {
namespace {

// Offsets are 32-bit; a language file is a few kilobytes, so anything this large is refused
// rather than risking offsets that wrap.
constexpr size_t kMaxFileBytes = 256u * 1024u * 1024u;
constexpr size_t kMaxDocumentChars = kMaxFileBytes;

constexpr uint32_t kStartTagMask = 0x3FFFFF;  // 22 bits
constexpr uint32_t kEndTagMax = 0x3FF;        // 10 bits

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

bool IsNameStart(char16_t c) {
  if (c == u':' || c == u'_') return true;
  if (c < u'A') return false;
  return !(c >= u'[' && c <= u'`');
}

bool IsNameEnd(char16_t c) { return IsBlank(c) || c == u'/' || c == u'>'; }

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::u16string Num(uint32_t value) { return u16::Format(u"%u", value); }

// Offset of `pattern` in text at or after `from`, or npos.
size_t FindFrom(const std::u16string& text, size_t from, const char16_t* pattern) {
  return from > text.size() ? std::u16string::npos : text.find(pattern, from);
}

// End of a tag: the offset of the '>' that closes it, skipping quoted attribute values.
size_t FindTagEnd(const std::u16string& text, size_t from) {
  char16_t quote = 0;
  for (size_t j = from; j < text.size(); ++j) {
    char16_t ch = text[j];
    if (quote) {
      if (ch == quote) quote = 0;
    } else if (ch == u'"' || ch == u'\'') {
      quote = ch;
    } else if (ch == u'>') {
      return j;
    }
  }
  return std::u16string::npos;
}

Token Malformed(uint32_t start, uint32_t length, std::u16string message) {
  Token t;
  t.kind = kNodeMalformed;
  t.start = start;
  t.length = length;
  t.message = std::move(message);
  return t;
}

Token Unterminated(const std::u16string& text, uint32_t start, const char16_t* what) {
  return Malformed(start, static_cast<uint32_t>(text.size() - start),
                   std::u16string(what) + u" at offset " + Num(start) + u" unterminated");
}

Token Incorrect(uint32_t start, const char16_t* what) {
  // Only the '<' is consumed; what follows is read again as ordinary content.
  return Malformed(start, 1, std::u16string(u"Incorrect ") + what + u" at offset " + Num(start));
}

// The value of a reference name after '&' (already folded to lower case), 0 when it names
// nothing.
uint32_t ReferenceValue(const char16_t* name, size_t length) {
  if (name[0] != u'#') return LookupNamedEntity(name, length);
  bool hex = length > 1 && name[1] == u'x';
  size_t i = hex ? 2 : 1;
  if (i >= length) return 0;
  uint32_t value = 0;
  for (; i < length; ++i) {
    char16_t c = name[i];
    uint32_t digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else return 0;
    value = value * (hex ? 16 : 10) + digit;  // at most 8 digits: cannot overflow
  }
  return value;
}

// ---------------------------------------------------------------------------------------------
// Encodings

struct Attribute {
  std::u16string name, value;
};

// Attributes of a tag's text, from just after its name up to its end.
std::vector<Attribute> ParseAttributes(const std::u16string& text, size_t from, size_t end) {
  std::vector<Attribute> attrs;
  size_t i = from;
  while (i < end) {
    while (i < end && IsBlank(text[i])) ++i;
    size_t nameStart = i;
    while (i < end && !IsBlank(text[i]) && text[i] != u'=' && text[i] != u'>' && text[i] != u'/' &&
           text[i] != u'?')
      ++i;
    if (i == nameStart) {
      ++i;
      continue;
    }
    Attribute a;
    a.name = text.substr(nameStart, i - nameStart);
    while (i < end && IsBlank(text[i])) ++i;
    if (i < end && text[i] == u'=') {
      ++i;
      while (i < end && IsBlank(text[i])) ++i;
      if (i < end && (text[i] == u'"' || text[i] == u'\'')) {
        char16_t q = text[i++];
        size_t v = i;
        while (i < end && text[i] != q) ++i;
        a.value = text.substr(v, i - v);
        if (i < end) ++i;
      } else {
        size_t v = i;
        while (i < end && !IsBlank(text[i]) && text[i] != u'>') ++i;
        a.value = text.substr(v, i - v);
      }
    }
    attrs.push_back(std::move(a));
  }
  return attrs;
}

bool EqualsNoCase(const std::u16string& a, const char16_t* b) {
  size_t n = std::char_traits<char16_t>::length(b);
  return a.size() == n && u16::EqualNoCase(a.c_str(), b, n);
}

const std::u16string* FindAttribute(const std::vector<Attribute>& attrs, const char16_t* name) {
  for (const Attribute& a : attrs)
    if (EqualsNoCase(a.name, name)) return &a.value;
  return nullptr;
}

// The value after "charset" "=" in a content-type string.
std::u16string CharsetOf(const std::u16string& content) {
  std::u16string folded;
  for (char16_t c : content) folded += FoldAscii(c);
  size_t at = folded.find(u"charset");
  while (at != std::u16string::npos) {
    size_t i = at + 7;
    while (i < content.size() && IsBlank(content[i])) ++i;
    if (i < content.size() && content[i] == u'=') {
      ++i;
      while (i < content.size() && (IsBlank(content[i]) || content[i] == u'"' || content[i] == u'\''))
        ++i;
      size_t v = i;
      while (i < content.size() && !IsBlank(content[i]) && content[i] != u';' &&
             content[i] != u'"' && content[i] != u'\'')
        ++i;
      return content.substr(v, i - v);
    }
    at = folded.find(u"charset", at + 7);
  }
  return std::u16string();
}

// The encoding a document declares in its first bytes: the xml declaration, or for an html page
// a meta element of its head.
std::u16string DeclaredEncoding(const std::u16string& sample) {
  if (sample.compare(0, 5, u"<?xml") == 0 && sample.size() > 5 &&
      (IsBlank(sample[5]) || sample[5] == u'?')) {
    size_t end = FindFrom(sample, 5, u"?>");
    if (end == std::u16string::npos) end = sample.size();
    std::vector<Attribute> attrs = ParseAttributes(sample, 5, end);
    const std::u16string* enc = FindAttribute(attrs, u"encoding");
    if (enc) return *enc;
    // A declaration without an encoding (an XHTML page, say) still lets the head declare one.
  }
  bool inHtml = false;
  uint32_t offset = 0;
  for (;;) {
    Token t = ScanToken(sample, offset);
    if (t.kind == kNodeEndOfDocument) break;
    if (t.kind == kNodeElement || t.kind == kNodeEndTag) {
      size_t nameStart = t.start + (t.kind == kNodeEndTag ? 2 : 1);
      size_t tagEnd = t.start + t.length;
      size_t i = nameStart;
      while (i < tagEnd && !IsNameEnd(sample[i])) ++i;
      std::u16string name = sample.substr(nameStart, i - nameStart);
      if (t.kind == kNodeEndTag) {
        if (inHtml && EqualsNoCase(name, u"head")) break;
      } else if (EqualsNoCase(name, u"html")) {
        inHtml = true;
      } else if (inHtml && EqualsNoCase(name, u"meta")) {
        std::vector<Attribute> attrs = ParseAttributes(sample, i, tagEnd);
        const std::u16string* equiv = FindAttribute(attrs, u"http-equiv");
        const std::u16string* content = FindAttribute(attrs, u"content");
        if (equiv && content && EqualsNoCase(*equiv, u"Content-Type")) {
          std::u16string charset = CharsetOf(*content);
          if (!charset.empty()) return charset;
        }
      }
    }
    offset = t.start + t.length;
  }
  return std::u16string();
}

enum class Conversion { None, Utf8, Windows1252, Latin1 };

Conversion ConversionFor(const std::u16string& name) {
  std::u16string n;
  for (char16_t c : name)
    if (!IsBlank(c)) n += FoldAscii(c);
  if (n == u"utf-8" || n == u"utf8") return Conversion::Utf8;
  if (n == u"windows-1252" || n == u"cp1252" || n == u"x-cp1252") return Conversion::Windows1252;
  if (n == u"iso-8859-1" || n == u"iso8859-1" || n == u"iso_8859-1" || n == u"latin1" ||
      n == u"l1" || n == u"us-ascii" || n == u"ascii")
    return Conversion::Latin1;
  return Conversion::None;
}

// windows-1252 differs from ISO-8859-1 only in 0x80-0x9F; the five undefined bytes keep their
// ISO-8859-1 value.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string ConvertBytes(const uint8_t* p, size_t n, Conversion conv) {
  if (conv == Conversion::Utf8)
    return u16::FromUtf8(std::string(reinterpret_cast<const char*>(p), n));
  std::u16string out(n, u'\0');
  for (size_t i = 0; i < n; ++i) {
    uint8_t b = p[i];
    out[i] = (conv == Conversion::Windows1252 && b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80]
                                                                          : static_cast<char16_t>(b);
  }
  return out;
}

// The system's text for an error code, on one line and at most 100 characters.
std::u16string ShortErrorText(uint32_t code) {
  std::u16string text = plat::ErrorText(code);
  size_t eol = text.find_first_of(u"\r\n");
  if (eol != std::u16string::npos) text.resize(eol);
  if (text.size() > 100) text.resize(100);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Token scanner

Token ScanToken(const std::u16string& text, uint32_t offset) {
  const size_t n = text.size();
  Token t;
  t.start = offset;
  if (offset >= n) return t;  // end of document
  if (text[offset] != u'<') {
    size_t j = offset;
    bool blank = true;
    while (j < n && text[j] != u'<') {
      if (!IsBlank(text[j])) blank = false;
      ++j;
    }
    t.kind = blank ? kNodeWhitespace : kNodeText;
    t.length = static_cast<uint32_t>(j - offset);
    return t;
  }
  if (offset + 1 >= n) return Unterminated(text, offset, u"tag");
  char16_t c1 = text[offset + 1];
  size_t end;
  if (IsNameStart(c1) || c1 == u'/') {
    end = FindTagEnd(text, offset + 2);
    if (end == std::u16string::npos)
      return Unterminated(text, offset, c1 == u'/' ? u"Element end tag" : u"Element tag");
    t.kind = c1 == u'/' ? kNodeEndTag : kNodeElement;
    t.length = static_cast<uint32_t>(end + 1 - offset);
    t.emptyElement = t.kind == kNodeElement && text[end - 1] == u'/';
    return t;
  }
  if (c1 == u'?') {
    end = FindFrom(text, offset + 2, u"?>");
    if (end == std::u16string::npos) return Unterminated(text, offset, u"Processing instruction");
    t.kind = kNodeProcessingInstruction;
    t.length = static_cast<uint32_t>(end + 2 - offset);
    return t;
  }
  if (c1 != u'!') return Incorrect(offset, u"tag name character");
  if (offset + 2 >= n) return Unterminated(text, offset, u"tag");
  char16_t c2 = text[offset + 2];
  if (c2 == u'-') {
    if (offset + 3 >= n) return Unterminated(text, offset, u"Comment");
    if (text[offset + 3] != u'-') return Incorrect(offset, u"comment tag");
    end = FindFrom(text, offset + 4, u"-->");
    if (end == std::u16string::npos) return Unterminated(text, offset, u"Comment");
    t.kind = kNodeComment;
    t.length = static_cast<uint32_t>(end + 3 - offset);
    return t;
  }
  if (c2 == u'[') {
    if (offset + 3 >= n) return Unterminated(text, offset, u"tag");
    if (text[offset + 3] != u'C') return Incorrect(offset, u"tag");
    end = FindFrom(text, offset + 3, u"]]>");
    if (end == std::u16string::npos) return Unterminated(text, offset, u"CDATA Section");
    t.kind = kNodeCData;
    t.length = static_cast<uint32_t>(end + 3 - offset);
    return t;
  }
  if (c2 == u'D' || c2 == u'E' || c2 == u'A' || c2 == u'N') {
    end = FindTagEnd(text, offset + 2);
    if (end == std::u16string::npos) return Unterminated(text, offset, u"Doctype");
    t.kind = kNodeDeclaration;
    t.length = static_cast<uint32_t>(end + 1 - offset);
    return t;
  }
  return Incorrect(offset, u"! tag");
}

// ---------------------------------------------------------------------------------------------
// Entities

std::u16string DecodeEntities(const char16_t* text, size_t length) {
  std::u16string out;
  out.reserve(length);
  size_t i = 0;
  while (i < length) {
    char16_t c = text[i];
    if (c != u'&') {
      out += c;
      ++i;
      continue;
    }
    // At most 9 ASCII characters, then ';'.
    char16_t name[10];
    size_t len = 0;
    while (len < 10 && i + 1 + len < length) {
      char16_t ch = text[i + 1 + len];
      if (ch == u';' || ch >= 128) break;
      name[len++] = FoldAscii(ch);
    }
    bool terminated = len >= 1 && len <= 9 && i + 1 + len < length && text[i + 1 + len] == u';';
    uint32_t value = terminated ? ReferenceValue(name, len) : 0;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      out += u'&';
      ++i;
      continue;
    }
    u16::AppendCodePoint(out, value);
    i += len + 2;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Document

MarkupDoc::MarkupDoc() { Clear(); }

void MarkupDoc::Clear() {
  m_text.clear();
  m_encoding.clear();
  m_diagnostics.clear();
  m_message.clear();
  m_result.clear();
  ResetTable(8);
  ResetPosition();
}

void MarkupDoc::SetDocumentText(std::u16string text) {
  Clear();
  if (text.size() > kMaxDocumentChars) text.resize(kMaxDocumentChars);
  m_text = std::move(text);
  Rec(0).length = static_cast<uint32_t>(m_text.size());
}

bool MarkupDoc::LoadFile(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  if (!plat::ReadWholeFile(path, bytes, kMaxFileBytes + 1)) {
    uint32_t err = plat::LastError();
    Clear();
    m_diagnostics = ShortErrorText(err);
    return false;
  }
  if (bytes.size() > kMaxFileBytes) {
    Clear();
    m_diagnostics = u"File too large";
    return false;
  }
  return LoadBytes(bytes.data(), bytes.size());
}

bool MarkupDoc::LoadBytes(const void* data, size_t size) {
  Clear();
  if (size > kMaxFileBytes) {
    m_diagnostics = u"File too large";
    return false;
  }
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (size == 0) {
    m_diagnostics = u"0 length ";
    return true;
  }

  size_t skip = 0;
  int unit = 1;
  bool bigEndian = false;
  if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    m_encoding = u"UTF-8";
    skip = 3;
  } else if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    m_encoding = u"UTF-16LE";
    skip = 2;
    unit = 2;
  } else if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    m_encoding = u"UTF-16BE";
    skip = 2;
    unit = 2;
    bigEndian = true;
  }
  const bool bom = skip != 0;

  std::u16string extra;
  std::u16string text;
  if (unit == 2) {
    size_t units = (size - skip) / 2;  // an odd last byte is no character
    uint32_t nulls = 0;
    text.reserve(units);
    for (size_t k = 0; k < units; ++k) {
      const uint8_t* q = p + skip + 2 * k;
      char16_t ch = bigEndian ? static_cast<char16_t>((q[0] << 8) | q[1])
                              : static_cast<char16_t>((q[1] << 8) | q[0]);
      if (ch == 0) {
        ++nulls;
        continue;
      }
      text += ch;
    }
    if (bigEndian) extra += u"endian swap ";
    if (nulls) extra += u16::Format(u"(%u nulls removed) ", nulls);
  } else {
    Conversion conv = Conversion::None;
    if (bom) {
      conv = Conversion::Utf8;
    } else {
      size_t sampleSize = std::min<size_t>(size, 1024);
      std::u16string sample(sampleSize, u'\0');
      for (size_t k = 0; k < sampleSize; ++k) sample[k] = p[k];
      std::u16string declared = DeclaredEncoding(sample);
      if (!declared.empty()) {
        m_encoding = declared;
        conv = ConversionFor(declared);
      } else if (sample[0] == u'<') {
        m_encoding = u"UTF-8";
        conv = Conversion::Utf8;
      }
    }
    const uint8_t* body = p + skip;
    size_t bodySize = size - skip;
    if (conv == Conversion::None) {
      // Nothing usable declared: UTF-8 when the bytes are valid UTF-8, else the Western code
      // page. A declared name we cannot convert stays in the diagnostics.
      if (u16::IsValidUtf8(body, bodySize)) {
        conv = Conversion::Utf8;
        if (m_encoding.empty()) m_encoding = u"UTF-8";
        extra += u"(used UTF-8 detection) ";
      } else {
        conv = Conversion::Windows1252;
        if (m_encoding.empty()) m_encoding = u"windows-1252";
      }
    }
    text = ConvertBytes(body, bodySize, conv);
    extra += u16::Format(u"to %u wide chars ", static_cast<uint32_t>(text.size()));
  }

  std::u16string encoding = m_encoding;
  SetDocumentText(std::move(text));
  m_encoding = encoding;
  m_diagnostics = m_encoding + (bom ? u" BOM +" : u"") +
                  u16::Format(u" length %u ", static_cast<uint32_t>(size)) + extra;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Element table

void MarkupDoc::ResetTable(size_t capacity) {
  m_pages.clear();
  m_pages.emplace_back();
  m_pages[0].reserve(std::min<size_t>(capacity, kPageSize));
  m_pages[0].push_back(ElementRecord());
  m_count = 1;
  m_longStartTags.clear();
  m_longEndTags.clear();
}

const ElementRecord& MarkupDoc::Record(uint32_t index) const {
  static const ElementRecord kNone;
  if (index >= m_count) return kNone;
  return m_pages[index >> kPageBits][index & (kPageSize - 1)];
}

ElementRecord& MarkupDoc::Rec(uint32_t index) {
  return m_pages[index >> kPageBits][index & (kPageSize - 1)];
}

uint32_t MarkupDoc::AppendRecord() {
  if (m_pages.back().size() == kPageSize) {
    if (m_pages.size() == kPageSize) return 0;  // 2^32 records: cannot happen below the size cap
    m_pages.emplace_back();
    m_pages.back().reserve(kPageSize);
  }
  m_pages.back().push_back(ElementRecord());
  return m_count++;
}

void MarkupDoc::SetTagLengths(uint32_t index, uint32_t startTag, uint32_t endTag) {
  uint32_t s = startTag, e = endTag;
  if (s > kStartTagMask) {
    m_longStartTags[index] = s;
    s = kStartTagMask;
  } else {
    m_longStartTags.erase(index);
  }
  if (e > kEndTagMax) {
    m_longEndTags[index] = e;
    e = kEndTagMax;
  } else {
    m_longEndTags.erase(index);
  }
  Rec(index).tagLengths = s | (e << 22);
}

uint32_t MarkupDoc::StartTagLength(uint32_t index) const {
  uint32_t s = Record(index).tagLengths & kStartTagMask;
  if (s == kStartTagMask) {
    auto it = m_longStartTags.find(index);
    if (it != m_longStartTags.end()) return it->second;
  }
  return s;
}

uint32_t MarkupDoc::EndTagLength(uint32_t index) const {
  uint32_t e = Record(index).tagLengths >> 22;
  if (e == kEndTagMax) {
    auto it = m_longEndTags.find(index);
    if (it != m_longEndTags.end()) return it->second;
  }
  return e;
}

uint32_t MarkupDoc::NameLength(uint32_t offset) const {
  uint32_t i = offset;
  while (i < m_text.size() && !IsNameEnd(m_text[i])) ++i;
  return i - offset;
}

std::u16string MarkupDoc::ElementName(uint32_t index) const {
  if (index == 0 || index >= m_count) return std::u16string();
  uint32_t start = Record(index).start + 1;
  return m_text.substr(start, NameLength(start));
}

bool MarkupDoc::NamesMatch(uint32_t index, uint32_t nameOffset, uint32_t nameLength) const {
  uint32_t start = Record(index).start + 1;
  if (NameLength(start) != nameLength) return false;
  for (uint32_t i = 0; i < nameLength; ++i) {
    char16_t a = m_text[start + i], b = m_text[nameOffset + i];
    if (a != b && !((m_flags & kDocIgnoreCase) && FoldAscii(a) == FoldAscii(b))) return false;
  }
  return true;
}


// Closes an element whose end tag never came: it shrinks to its start tag and its children
// move out to follow it under its own parent.
void MarkupDoc::CloseNotEnded(uint32_t index) {
  ElementRecord& rec = Rec(index);
  uint32_t startTag = StartTagLength(index);
  rec.length = startTag;
  rec.levelFlags |= kFlagNotEnded;
  SetTagLengths(index, startTag, 0);
  uint32_t first = rec.firstChild;
  if (!first) return;
  uint32_t parent = rec.parent;
  uint32_t last = Rec(first).prevSibling;
  for (uint32_t c = first; c; c = Rec(c).nextSibling) Rec(c).parent = parent;
  Rec(first).levelFlags &= ~kFlagFirstChild;
  Rec(first).prevSibling = index;
  uint32_t oldNext = rec.nextSibling;
  rec.nextSibling = first;
  rec.firstChild = 0;
  Rec(last).nextSibling = oldNext;
  if (oldNext) {
    Rec(oldNext).prevSibling = last;
  } else {
    Rec(Rec(parent).firstChild).prevSibling = last;
  }
}

// Depths follow the final tree: elements moved out of an unended parent rise one level.
void MarkupDoc::FixLevels() {
  uint32_t node = Rec(0).firstChild;
  uint32_t depth = 0;
  while (node) {
    ElementRecord& r = Rec(node);
    r.levelFlags = (r.levelFlags & ~kLevelMask) | std::min<uint32_t>(depth, kLevelMask);
    if (r.firstChild) {
      node = r.firstChild;
      ++depth;
      continue;
    }
    while (node && !Rec(node).nextSibling) {
      node = Rec(node).parent;
      if (depth) --depth;
    }
    if (node) node = Rec(node).nextSibling;
  }
}

uint32_t MarkupDoc::RecordStartingAt(uint32_t offset) const {
  uint32_t lo = 1, hi = m_count;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (Record(mid).start < offset) lo = mid + 1;
    else hi = mid;
  }
  return (lo < m_count && Record(lo).start == offset) ? lo : 0;
}

bool MarkupDoc::ParseDocument() {
  const uint32_t length = static_cast<uint32_t>(m_text.size());
  ResetTable(length / 64 + 8);
  Rec(0).length = length;
  m_message.clear();
  m_result.clear();
  ResetPosition();

  std::vector<uint32_t> stack;
  stack.reserve(6);
  // How many open elements carry each name: an end tag that matches none is told at once
  // instead of by walking the whole stack, which on deep nesting would be quadratic.
  std::unordered_map<std::u16string, uint32_t> openNames;
  auto nameKey = [this](uint32_t offset, uint32_t count) {
    std::u16string key = m_text.substr(offset, count);
    if (m_flags & kDocIgnoreCase)
      for (char16_t& c : key) c = FoldAscii(c);
    return key;
  };
  auto push = [&](uint32_t index) {
    if (stack.size() == stack.capacity()) stack.reserve(stack.capacity() * 2 + 6);
    stack.push_back(index);
    uint32_t nameOffset = Rec(index).start + 1;
    ++openNames[nameKey(nameOffset, NameLength(nameOffset))];
  };
  auto pop = [&](size_t newSize) {
    while (stack.size() > newSize) {
      uint32_t nameOffset = Rec(stack.back()).start + 1;
      auto it = openNames.find(nameKey(nameOffset, NameLength(nameOffset)));
      if (it != openNames.end() && --it->second == 0) openNames.erase(it);
      stack.pop_back();
    }
  };
  // Closes stack[from..] as not ended. A problem below climbs one level per element closed,
  // innermost first; the tree is rebuilt outermost first, so that each child moves only once.
  auto closeAbove = [&](size_t from) {
    for (size_t k = stack.size(); k-- > from;)
      if (k > 0 && (Rec(stack[k]).levelFlags & kFlagProblemBelow))
        Rec(stack[k - 1]).levelFlags |= kFlagProblemBelow;
    for (size_t k = from; k < stack.size(); ++k) CloseNotEnded(stack[k]);
    pop(from);
  };

  uint32_t offset = 0;
  for (;;) {
    Token t = ScanToken(m_text, offset);
    if (t.kind == kNodeEndOfDocument) break;
    if (t.kind == kNodeElement) {
      uint32_t index = AppendRecord();
      if (index) {
        uint32_t parent = stack.empty() ? 0 : stack.back();
        ElementRecord& rec = Rec(index);
        rec.start = t.start;
        rec.length = t.length;
        rec.parent = parent;
        rec.levelFlags = std::min<uint32_t>(static_cast<uint32_t>(stack.size()), kLevelMask);
        SetTagLengths(index, t.length, 0);
        ElementRecord& p = Rec(parent);
        if (!p.firstChild) {
          p.firstChild = index;
          rec.levelFlags |= kFlagFirstChild;
          rec.prevSibling = index;
        } else {
          uint32_t last = Rec(p.firstChild).prevSibling;
          Rec(last).nextSibling = index;
          rec.prevSibling = last;
          Rec(p.firstChild).prevSibling = index;
        }
        if (!t.emptyElement) push(index);
      }
    } else if (t.kind == kNodeEndTag) {
      uint32_t nameOffset = t.start + 2;
      uint32_t nameLength = NameLength(nameOffset);
      size_t k = openNames.count(nameKey(nameOffset, nameLength)) ? stack.size() : 0;
      while (k > 0 && !NamesMatch(stack[k - 1], nameOffset, nameLength)) --k;
      if (k == 0) {
        NoteProblem([&] {
          return u"No start tag for end tag '" + m_text.substr(nameOffset, nameLength) +
                 u"' at offset " + Num(t.start);
        });
      } else {
        uint32_t index = stack[k - 1];
        if (k < stack.size()) {
          uint32_t inner = stack.back();
          NoteProblem([&] {
            return u"End tag '" + m_text.substr(nameOffset, nameLength) + u"' at offset " +
                   Num(t.start + 1) + u" does not match start tag '" + ElementName(inner) +
                   u"' at offset " + Num(Rec(inner).start);
          });
          closeAbove(k);
        }
        ElementRecord& rec = Rec(index);
        rec.length = t.start + t.length - rec.start;
        SetTagLengths(index, StartTagLength(index), t.length);
        pop(stack.size() - 1);
      }
    } else if (t.kind == kNodeMalformed) {
      NoteProblem([&] { return t.message; });
      if (!stack.empty()) Rec(stack.back()).levelFlags |= kFlagProblemBelow;
    }
    offset = t.start + t.length;
  }
  if (!stack.empty()) {
    uint32_t inner = stack.back();
    NoteProblem([&] {
      return u"Element '" + ElementName(inner) + u"' at offset " + Num(Rec(inner).start) +
             u" not ended";
    });
    closeAbove(0);
  }
  FixLevels();

  bool ok = !(Rec(0).levelFlags & kFlagDocNotWellFormed);
  uint32_t root = Rec(0).firstChild;
  if (length == 0) {
    m_message = u"Empty document";
    ok = false;
  } else if (!root) {
    m_message = u"No root element";
    ok = false;
  } else if (Rec(root).nextSibling) {
    m_message = u"Root element has sibling";
    ok = false;
  }
  if (!m_message.empty())
    m_result = m_diagnostics.empty() ? m_message : m_diagnostics + u" " + m_message;
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Cursor

void MarkupDoc::ResetPosition() {
  m_parent = 0;
  m_current = 0;
  m_child = 0;
  m_nodeKind = 0;
  m_nodeOffset = 0;
  m_nodeLength = 0;
}

bool MarkupDoc::FindElement(const char16_t* name) {
  if (!name) return false;
  uint32_t index = m_current ? Rec(m_current).nextSibling : Rec(m_parent).firstChild;
  const bool ignoreCase = (m_flags & kDocIgnoreCase) != 0;
  const size_t size = m_text.size();
  for (; index; index = Rec(index).nextSibling) {
    // One pass over the element's name: it must end exactly where the searched name ends or
    // reaches one of the characters that may follow a name in a search string.
    const char16_t* text = m_text.data() + Rec(index).start + 1;
    const size_t room = size - (Rec(index).start + 1);
    bool exactFromHere = false;
    size_t i = 0;
    for (;; ++i) {
      if (i == room || IsNameEnd(text[i])) {
        char16_t after = name[i];
        if (after == 0 || after == u' ' || after == u'=' || after == u'/' || after == u'[' ||
            after == u']') {
          m_current = index;
          m_nodeKind = 1;
          m_nodeOffset = 0;
          m_nodeLength = 0;
          return true;
        }
        break;
      }
      char16_t a = text[i], b = name[i];
      if (b == 0) break;
      if (a == b) {
        if (a >= 128) exactFromHere = true;
        continue;
      }
      if (!ignoreCase || exactFromHere || FoldAscii(a) != FoldAscii(b)) break;
    }
  }
  return false;
}

bool MarkupDoc::EnterElement() {
  if (!m_current) return false;
  m_parent = m_current;
  m_current = 0;
  m_child = 0;
  m_nodeKind = 0;
  return true;
}

std::u16string MarkupDoc::GetElementText() const {
  if (!m_current || m_current >= m_count) return std::u16string();
  const ElementRecord& rec = Record(m_current);
  size_t begin = static_cast<size_t>(rec.start) + StartTagLength(m_current);
  size_t end = static_cast<size_t>(rec.start) + rec.length;
  uint32_t endTag = EndTagLength(m_current);
  end = end >= endTag ? end - endTag : 0;
  end = std::min(end, m_text.size());
  if (begin >= end) return std::u16string();
  const char16_t* base = m_text.data();
  if (std::char_traits<char16_t>::find(base + begin, end - begin, u'<') == nullptr)
    return DecodeEntities(base + begin, end - begin);

  std::u16string out;
  size_t offset = begin;
  while (offset < end) {
    Token t = ScanToken(m_text, static_cast<uint32_t>(offset));
    if (t.kind == kNodeEndOfDocument) break;
    size_t tokenEnd = std::min<size_t>(static_cast<size_t>(t.start) + t.length, end);
    if (t.kind == kNodeText || t.kind == kNodeWhitespace) {
      out += DecodeEntities(base + t.start, tokenEnd - t.start);
    } else if (t.kind == kNodeCData) {
      size_t from = static_cast<size_t>(t.start) + 9;  // after "<![CDATA["
      size_t to = tokenEnd >= 3 ? tokenEnd - 3 : tokenEnd;
      if (from < to) out.append(base + from, to - from);
    } else if (t.kind == kNodeElement) {
      // A child's own text is not part of this element's text.
      uint32_t child = RecordStartingAt(t.start);
      if (child) tokenEnd = std::max(tokenEnd, static_cast<size_t>(Record(child).start) +
                                                   Record(child).length);
    }
    offset = std::max(tokenEnd, offset + 1);
  }
  return out;
}

}  // namespace markup
