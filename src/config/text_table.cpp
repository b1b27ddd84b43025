#include "config/text_table.h"

#include <cstring>
#include <map>

#include "config/markup.h"

TextSlots g_Texts;

namespace {

struct KeySlot {
  const char* name;
  const char16_t* name16;
  std::u16string TextSlots::*slot;
};

#define VELKOR_TEXT_KEY_ENTRY(name) {#name, u## #name, &TextSlots::name},
const KeySlot kKeys[] = {VELKOR_TEXT_KEYS(VELKOR_TEXT_KEY_ENTRY)};
#undef VELKOR_TEXT_KEY_ENTRY

static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == 172, "text.xml has 172 keys");

// The language file's document lives for the whole process, like the texts read from it.
markup::MarkupDoc& TextDocument() {
  static markup::MarkupDoc doc;
  return doc;
}

}  // namespace

const size_t kTextKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

// Each key is looked for in the top-level config element, and when it is not there, in the
// first config element among the children of the one just searched, and so on inwards; within
// an element the first child of that name counts. One walk over those elements' children
// places every key at once, instead of a search of them for each of the 164 keys.
void FillTextTable(const markup::MarkupDoc& doc) {
  static const std::map<std::u16string, size_t> kIndex = [] {
    std::map<std::u16string, size_t> index;
    for (size_t i = 0; i < sizeof(kKeys) / sizeof(kKeys[0]); ++i) index.emplace(kKeys[i].name16, i);
    return index;
  }();
  uint32_t element[sizeof(kKeys) / sizeof(kKeys[0])] = {};
  uint32_t config = 0;  // the element searched last; 0 is the document
  for (;;) {
    uint32_t next = 0;
    for (uint32_t child = doc.Record(config).firstChild; child; child = doc.Record(child).nextSibling) {
      std::u16string name = doc.ElementName(child);
      if (!next && name == u"config") next = child;
      if (!config) continue;  // the document's own children hold no texts
      auto key = kIndex.find(name);
      if (key != kIndex.end() && !element[key->second]) element[key->second] = child;
    }
    if (!next) break;
    config = next;
  }
  for (size_t i = 0; i < sizeof(kKeys) / sizeof(kKeys[0]); ++i)
    g_Texts.*(kKeys[i].slot) = element[i] ? doc.ElementText(element[i]) : u"";
}

bool LoadTextTable(const std::u16string& path) {
  markup::MarkupDoc& doc = TextDocument();
  bool loaded = doc.LoadFile(path);
  // A flawed document still gives every text the parser could place, so the verdict is not used.
  if (loaded) doc.ParseDocument();
  FillTextTable(doc);
  return loaded;
}

bool LoadTextTableFromBytes(const void* data, size_t size) {
  markup::MarkupDoc& doc = TextDocument();
  bool loaded = doc.LoadBytes(data, size);
  if (loaded) doc.ParseDocument();
  FillTextTable(doc);
  return loaded;
}

void ClearTextTable() { g_Texts = TextSlots(); }

const char* TextKeyName(size_t index) { return index < kTextKeyCount ? kKeys[index].name : nullptr; }

const std::u16string* FindTextSlot(const char* name) {
  if (!name) return nullptr;
  for (const KeySlot& k : kKeys)
    if (std::strcmp(k.name, name) == 0) return &(g_Texts.*(k.slot));
  return nullptr;
}
