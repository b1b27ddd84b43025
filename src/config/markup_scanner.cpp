// The token scanner: reads one node (text, tag, comment, CDATA, ...) of a document's text and
// says where it ends, or why it is malformed.
#include <string>

#include "config/markup.h"
#include "config/markup_internal.h"

namespace markup {
namespace {

bool IsNameStart(char16_t c) {
  if (c == u':' || c == u'_') return true;
  if (c < u'A') return false;
  return !(c >= u'[' && c <= u'`');
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

Token Malformed(uint32_t start, uint32_t length, const char16_t* problem, bool unterminated) {
  Token t;
  t.kind = kNodeMalformed;
  t.start = start;
  t.length = length;
  t.problem = problem;
  t.unterminated = unterminated;
  return t;
}

Token Unterminated(const std::u16string& text, uint32_t start, const char16_t* what) {
  return Malformed(start, static_cast<uint32_t>(text.size() - start), what, true);
}

Token Incorrect(uint32_t start, const char16_t* what) {
  // Only the '<' is consumed; what follows is read again as ordinary content.
  return Malformed(start, 1, what, false);
}

}  // namespace

std::u16string MalformedMessage(const Token& token) {
  if (token.kind != kNodeMalformed || !token.problem) return std::u16string();
  if (token.unterminated)
    return std::u16string(token.problem) + u" at offset " + Num(token.start) + u" unterminated";
  return std::u16string(u"Incorrect ") + token.problem + u" at offset " + Num(token.start);
}

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

}  // namespace markup
