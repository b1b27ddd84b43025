// The cursor over a parsed document: finds elements by name, steps into them and reads an
// element's own text with its references decoded.
#include <algorithm>
#include <string>

#include "config/markup.h"
#include "config/markup_internal.h"

namespace markup {

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

uint32_t MarkupDoc::RecordStartingAt(uint32_t offset) const {
  uint32_t lo = 1, hi = m_count;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (Record(mid).start < offset) lo = mid + 1;
    else hi = mid;
  }
  return (lo < m_count && Record(lo).start == offset) ? lo : 0;
}

std::u16string MarkupDoc::GetElementText() const { return ElementText(m_current); }

std::u16string MarkupDoc::ElementText(uint32_t index) const {
  if (!index || index >= m_count) return std::u16string();
  const ElementRecord& rec = Record(index);
  size_t begin = static_cast<size_t>(rec.start) + StartTagLength(index);
  size_t end = static_cast<size_t>(rec.start) + rec.length;
  uint32_t endTag = EndTagLength(index);
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
