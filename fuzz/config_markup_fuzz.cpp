// Feeds arbitrary bytes through the language-file path: decoding, parsing, the cursor, element
// text and the text table's lookups, and checks that the element table stays inside the text.
// Each input is decoded and parsed once; the text table fills its slots from that same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/markup.h"
#include "config/text_table.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckTable(const markup::MarkupDoc& doc) {
  const uint32_t count = doc.ElementCount();
  const size_t length = doc.Text().size();
  Check(doc.Record(0).length == length);
  for (uint32_t i = 1; i < count; ++i) {
    const markup::ElementRecord& r = doc.Record(i);
    Check(r.start < length && doc.Text()[r.start] == u'<');
    Check(static_cast<size_t>(r.start) + r.length <= length);
    Check(doc.StartTagLength(i) + doc.EndTagLength(i) <= r.length);
    Check(r.parent < i && r.firstChild < count && r.nextSibling < count && r.prevSibling < count);
    uint32_t level = r.levelFlags & markup::kLevelMask;
    uint32_t parentLevel = doc.Record(r.parent).levelFlags & markup::kLevelMask;
    if (r.parent) Check(level == (parentLevel == markup::kLevelMask ? parentLevel : parentLevel + 1));
    else Check(level == 0);
    if (r.nextSibling) Check(doc.Record(r.nextSibling).parent == r.parent);
  }
}

// Walks the tree with the cursor, reading every element's text.
void Walk(markup::MarkupDoc& doc) {
  doc.ResetPosition();
  uint32_t steps = 0;
  std::u16string names[4];
  for (int depth = 0; depth < 4; ++depth) {
    uint32_t first = doc.ParentElement() ? doc.Record(doc.ParentElement()).firstChild
                                         : doc.Record(0).firstChild;
    if (!first) return;
    names[depth] = doc.ElementName(first);
    while (doc.FindElement(names[depth]) && ++steps < 10000) doc.GetElementText();
    doc.ResetPosition();
    for (int d = 0; d <= depth; ++d) {
      if (!doc.FindElement(names[d]) || !doc.EnterElement()) return;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  markup::MarkupDoc doc;
  if (size && (data[0] & 1)) doc.SetFlags(markup::MarkupDoc::kDocIgnoreCase);
  if (doc.LoadBytes(data, size)) {
    doc.ParseDocument();
    CheckTable(doc);
    Walk(doc);
    markup::DecodeEntities(doc.Text().data(), doc.Text().size());
  }
  FillTextTable(doc);
  return 0;
}
