// Getting a document's text: reading a file, finding its encoding (byte-order mark, declared
// encoding, UTF-8 detection) and converting its bytes to UTF-16, with the diagnostics that say
// what was done.
#include <algorithm>
#include <string>
#include <vector>

#include "config/code_pages.h"
#include "config/markup.h"
#include "config/markup_internal.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace markup {
namespace {

// Offsets are 32-bit; a language file is a few kilobytes, so anything this large is refused
// rather than risking offsets that wrap.
constexpr size_t kMaxFileBytes = 256u * 1024u * 1024u;
constexpr size_t kMaxDocumentChars = kMaxFileBytes;

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

enum class Conversion { None, Utf8, Windows1252, Latin1, CodePage };

Conversion ConversionFor(const std::u16string& name, uint32_t& codePage) {
  std::u16string n;
  for (char16_t c : name)
    if (!IsBlank(c)) n += FoldAscii(c);
  if (n == u"utf-8" || n == u"utf8") return Conversion::Utf8;
  if (n == u"windows-1252" || n == u"cp1252" || n == u"x-cp1252") return Conversion::Windows1252;
  if (n == u"iso-8859-1" || n == u"iso8859-1" || n == u"iso_8859-1" || n == u"latin1" ||
      n == u"l1" || n == u"us-ascii" || n == u"ascii")
    return Conversion::Latin1;
  codePage = CodePageForName(name);
  return codePage ? Conversion::CodePage : Conversion::None;
}

// windows-1252 differs from ISO-8859-1 only in 0x80-0x9F; the five undefined bytes keep their
// ISO-8859-1 value.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string ConvertBytes(const uint8_t* p, size_t n, Conversion conv) {
  if (conv == Conversion::Utf8)
    return u16::FromUtf8(reinterpret_cast<const char*>(p), n);
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
// Document text

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
    uint32_t codePage = 0;
    if (bom) {
      conv = Conversion::Utf8;
    } else {
      size_t sampleSize = std::min<size_t>(size, 1024);
      std::u16string sample(sampleSize, u'\0');
      for (size_t k = 0; k < sampleSize; ++k) sample[k] = p[k];
      std::u16string declared = DeclaredEncoding(sample);
      if (!declared.empty()) {
        m_encoding = declared;
        conv = ConversionFor(declared, codePage);
      } else if (sample[0] == u'<') {
        m_encoding = u"UTF-8";
        conv = Conversion::Utf8;
      }
    }
    const uint8_t* body = p + skip;
    size_t bodySize = size - skip;
    // A page the system cannot convert is as good as a name nobody knows.
    if (conv == Conversion::CodePage && !plat::DecodeCodePage(codePage, body, bodySize, text))
      conv = Conversion::None;
    if (conv == Conversion::None) {
      // Nothing usable declared: UTF-8 when the bytes are valid UTF-8, else the system's code
      // page for an undeclared file and the Western one for a name nobody knows (which stays
      // in the diagnostics).
      if (u16::IsValidUtf8(body, bodySize)) {
        conv = Conversion::Utf8;
        if (m_encoding.empty()) m_encoding = u"UTF-8";
        extra += u"(used UTF-8 detection) ";
      } else if (!m_encoding.empty() || plat::AnsiCodePage() == 1252 ||
                 !plat::DecodeCodePage(plat::AnsiCodePage(), body, bodySize, text)) {
        conv = Conversion::Windows1252;
        if (m_encoding.empty()) m_encoding = u"windows-1252";
      } else {
        // Undeclared, not markup at its start (that would have meant UTF-8) and not UTF-8: a
        // file saved in the system's own code page.
        conv = Conversion::CodePage;
        m_encoding = u16::Format(u"cp%u", plat::AnsiCodePage());
      }
    }
    if (conv != Conversion::CodePage) text = ConvertBytes(body, bodySize, conv);
    extra += u16::Format(u"to %u wide chars ", static_cast<uint32_t>(text.size()));
  }

  std::u16string encoding = m_encoding;
  SetDocumentText(std::move(text));
  m_encoding = encoding;
  m_diagnostics = m_encoding + (bom ? u" BOM +" : u"") +
                  u16::Format(u" length %u ", static_cast<uint32_t>(size)) + extra;
  return true;
}

}  // namespace markup
