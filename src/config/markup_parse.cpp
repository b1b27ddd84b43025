// The document parser: builds the element table from the scanner's tokens, keeps the stack of
// open elements and closes the ones whose end tag never came.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/markup.h"
#include "config/markup_internal.h"

namespace markup {
namespace {

constexpr uint32_t kStartTagMask = 0x3FFFFF;  // 22 bits
constexpr uint32_t kEndTagMax = 0x3FF;        // 10 bits

// Element names compared as the document compares them: exactly, or with ASCII case folded.
struct NameHash {
  bool fold;
  size_t operator()(std::u16string_view name) const {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char16_t c : name) h = (h ^ (fold ? FoldAscii(c) : c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};

struct NameEqual {
  bool fold;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i] && !(fold && FoldAscii(a[i]) == FoldAscii(b[i]))) return false;
    return true;
  }
};

}  // namespace

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

// ---------------------------------------------------------------------------------------------
// Parsing

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
  // instead of by walking the whole stack, which on deep nesting would be quadratic. Names are
  // views into the text, and a name's entry stays at 0 when its last element closes, so that
  // elements open and close without an allocation each.
  const bool fold = (m_flags & kDocIgnoreCase) != 0;
  std::unordered_map<std::u16string_view, uint32_t, NameHash, NameEqual> openNames(
      16, NameHash{fold}, NameEqual{fold});
  auto nameKey = [this](uint32_t offset, uint32_t count) {
    return std::u16string_view(m_text.data() + offset, count);
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
      if (it != openNames.end() && it->second) --it->second;
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
      auto open = openNames.find(nameKey(nameOffset, nameLength));
      size_t k = open != openNames.end() && open->second ? stack.size() : 0;
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
      NoteProblem([&] { return MalformedMessage(t); });
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

}  // namespace markup
