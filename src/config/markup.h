// A small, forgiving XML reader for the language file. The whole file is decoded into one
// UTF-16 buffer; elements are indexed into a flat table of records that point into that buffer
// (no text is copied), and a cursor finds elements by name, steps into them and reads their text.
// A flawed document still yields every element that could be placed; the first problem met is
// kept as a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace markup {

// Kinds of node the token scanner reports.
enum NodeKind : int {
  kNodeEndTag = 0,
  kNodeElement = 1,
  kNodeText = 2,
  kNodeWhitespace = 4,
  kNodeCData = 8,
  kNodeProcessingInstruction = 16,
  kNodeComment = 32,
  kNodeDeclaration = 64,
  kNodeMalformed = -1,
  kNodeEndOfDocument = -2,
};

struct Token {
  int kind = kNodeEndOfDocument;
  uint32_t start = 0;
  uint32_t length = 0;
  bool emptyElement = false;  // start tag written as <name ... />
  // For a malformed token: what is wrong, and whether it is cut off by the end of the text
  // rather than holding a wrong character. Only the first problem of a document is told, so the
  // message is built on demand (MalformedMessage), not for every malformed token.
  const char16_t* problem = nullptr;
  bool unterminated = false;
};

// Reads one node of `text` starting at `offset`.
Token ScanToken(const std::u16string& text, uint32_t offset);

// Why a malformed token is malformed ("Comment at offset 12 unterminated", ...).
std::u16string MalformedMessage(const Token& token);

// One element of the table; eight 32-bit fields.
struct ElementRecord {
  uint32_t start = 0;       // offset of the start tag's '<'
  uint32_t length = 0;      // start tag to end of end tag (the tag itself for <a/>)
  uint32_t tagLengths = 0;  // low 22 bits: start-tag length; high 10 bits: end-tag length
  uint32_t levelFlags = 0;  // low 16 bits: depth; flags below
  uint32_t parent = 0;
  uint32_t firstChild = 0;
  uint32_t nextSibling = 0;
  uint32_t prevSibling = 0;  // for a first child: its parent's last child
};

enum : uint32_t {
  kLevelMask = 0xFFFF,
  kFlagFirstChild = 0x80000,
  kFlagNotEnded = 0x100000,
  kFlagProblemBelow = 0x200000,
  kFlagDocNotWellFormed = 0x800000,  // on record 0 only
};

// Replaces character and entity references by the characters they stand for. A reference that
// cannot be decoded is left as written.
std::u16string DecodeEntities(const char16_t* text, size_t length);

// The character of an HTML 4.01 named entity (or "apos"), compared after folding A-Z to lower
// case; 0 when unknown.
uint32_t LookupNamedEntity(const char16_t* name, size_t length);

class MarkupDoc {
 public:
  enum : uint32_t { kDocIgnoreCase = 0x8 };

  MarkupDoc();

  // Reads a file and decodes it into the document text. False when it cannot be read; the
  // diagnostics then carry the system's message.
  bool LoadFile(const std::u16string& path);
  // The same decoding from bytes already in memory.
  bool LoadBytes(const void* data, size_t size);
  // Uses `text` as the document text as is (no decoding).
  void SetDocumentText(std::u16string text);

  // Builds the element table. True only for a well-formed document with exactly one top-level
  // element.
  bool ParseDocument();

  void ResetPosition();
  bool FindElement(const char16_t* name);
  bool FindElement(const std::u16string& name) { return FindElement(name.c_str()); }
  bool EnterElement();
  std::u16string GetElementText() const;
  // The same for any element of the table (0 or out of range: empty).
  std::u16string ElementText(uint32_t index) const;

  // Load diagnostics, then a space and the first problem found, when there was one; empty for a
  // well-formed document.
  const std::u16string& Error() const { return m_result; }
  // What the loader did (encoding, mark, length, conversions).
  const std::u16string& Diagnostics() const { return m_diagnostics; }
  const std::u16string& Text() const { return m_text; }
  const std::u16string& Encoding() const { return m_encoding; }

  uint32_t Flags() const { return m_flags; }
  void SetFlags(uint32_t flags) { m_flags = flags; }

  // Element table access (index 0 is the document itself).
  uint32_t ElementCount() const { return m_count; }
  const ElementRecord& Record(uint32_t index) const;
  uint32_t StartTagLength(uint32_t index) const;
  uint32_t EndTagLength(uint32_t index) const;
  std::u16string ElementName(uint32_t index) const;
  uint32_t CurrentElement() const { return m_current; }
  uint32_t ParentElement() const { return m_parent; }

  // Empties the document.
  void Clear();

 private:
  enum : uint32_t { kPageBits = 16, kPageSize = 1u << kPageBits };

  ElementRecord& Rec(uint32_t index);
  uint32_t AppendRecord();
  void ResetTable(size_t capacity);
  void SetTagLengths(uint32_t index, uint32_t startTag, uint32_t endTag);
  uint32_t NameLength(uint32_t offset) const;  // length of the name after '<' or '</'
  bool NamesMatch(uint32_t index, uint32_t nameOffset, uint32_t nameLength) const;
  void CloseNotEnded(uint32_t index);
  // Marks the document as not well formed; only the first problem's message is kept, so later
  // messages are not even built.
  template <typename MakeMessage>
  void NoteProblem(MakeMessage makeMessage) {
    Rec(0).levelFlags |= kFlagDocNotWellFormed;
    if (m_message.empty()) m_message = makeMessage();
  }
  void FixLevels();
  uint32_t RecordStartingAt(uint32_t offset) const;

  std::u16string m_text;
  std::u16string m_encoding;
  std::u16string m_diagnostics;
  std::u16string m_message;
  std::u16string m_result;
  uint32_t m_flags = 0;

  std::vector<std::vector<ElementRecord>> m_pages;
  uint32_t m_count = 0;
  // Tags too long for their bit fields keep their real lengths here.
  std::unordered_map<uint32_t, uint32_t> m_longStartTags;
  std::unordered_map<uint32_t, uint32_t> m_longEndTags;

  uint32_t m_parent = 0;
  uint32_t m_current = 0;
  uint32_t m_child = 0;
  int m_nodeKind = 0;
  uint32_t m_nodeOffset = 0;
  uint32_t m_nodeLength = 0;
};

}  // namespace markup
