#include "config/text_table.h"

#include <cstring>

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

static_assert(sizeof(kKeys) / sizeof(kKeys[0]) == 167, "text.xml has 167 keys");

// The language file's document lives for the whole process, like the texts read from it.
markup::MarkupDoc& TextDocument() {
  static markup::MarkupDoc doc;
  return doc;
}

// Searches the top-level config element for the key, and when it is not there, the first config
// element among the children of the one just searched, and so on inwards.
std::u16string LookUp(markup::MarkupDoc& doc, const char16_t* key) {
  doc.ResetPosition();
  while (doc.FindElement(u"config")) {
    doc.EnterElement();
    if (doc.FindElement(key)) return doc.GetElementText();
  }
  return std::u16string();
}

void FillSlots(markup::MarkupDoc& doc, bool loaded) {
  for (const KeySlot& k : kKeys) g_Texts.*(k.slot) = loaded ? LookUp(doc, k.name16) : u"";
}

}  // namespace

const size_t kTextKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

bool LoadTextTable(const std::u16string& path) {
  markup::MarkupDoc& doc = TextDocument();
  bool loaded = doc.LoadFile(path);
  // A flawed document still gives every text the parser could place, so the verdict is not used.
  if (loaded) doc.ParseDocument();
  FillSlots(doc, loaded);
  return loaded;
}

bool LoadTextTableFromBytes(const void* data, size_t size) {
  markup::MarkupDoc& doc = TextDocument();
  bool loaded = doc.LoadBytes(data, size);
  if (loaded) doc.ParseDocument();
  FillSlots(doc, loaded);
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
