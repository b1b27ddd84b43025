#include "config/markup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/u16.h"

using markup::MarkupDoc;
using markup::Token;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Utf16(const std::u16string& s, bool bigEndian, bool bom) {
  std::vector<uint8_t> out;
  std::u16string all = bom ? u"\uFEFF" + s : s;
  for (char16_t c : all) {
    uint8_t lo = c & 0xFF, hi = c >> 8;
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

std::u16string U(const std::string& utf8) { return u16::FromUtf8(utf8); }

// ---------------------------------------------------------------------------------------------
// Loading

struct LoadCase {
  const char* what;
  std::vector<uint8_t> bytes;
  std::u16string text;
  std::u16string encoding;
  std::vector<std::u16string> diagnostics;  // fragments that must appear
};

TEST(MarkupLoad, DecodesEachEncodingAndSaysHow) {
  const std::vector<LoadCase> cases = {
      {"UTF-16LE mark", Utf16(u"<a>\u00e9\u4e2d</a>", false, true), u"<a>\u00e9\u4e2d</a>",
       u"UTF-16LE", {u" BOM +", u"length 20 "}},
      {"UTF-16BE mark", Utf16(u"<a>\u00e9</a>", true, true), u"<a>\u00e9</a>", u"UTF-16BE",
       {u" BOM +", u"endian swap "}},
      {"UTF-16 nulls", Utf16(std::u16string(u"<a>x\0y</a>\0", 11), false, true), u"<a>xy</a>",
       u"UTF-16LE", {u"(2 nulls removed) "}},
      {"UTF-8 mark", Bytes("\xEF\xBB\xBF<a>\xC3\xA9</a>"), u"<a>\u00e9</a>", u"UTF-8",
       {u" BOM +", u"to 8 wide chars "}},
      {"xml declaration UTF-8", Bytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xE2\x82\xAC</a>"),
       U("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xE2\x82\xAC</a>"), u"UTF-8", {}},
      {"xml declaration windows-1252", Bytes("<?xml version='1.0' encoding='windows-1252'?><a>\x80\xE9</a>"),
       u"<?xml version='1.0' encoding='windows-1252'?><a>\u20ac\u00e9</a>", u"windows-1252", {}},
      {"xml declaration ISO-8859-1", Bytes("<?xml encoding=\"ISO-8859-1\"?><a>\x80</a>"),
       u"<?xml encoding=\"ISO-8859-1\"?><a>\u0080</a>", u"ISO-8859-1", {}},
      {"html meta charset",
       Bytes("<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\">"
             "</head><body>\x93</body></html>"),
       u"<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\">"
       u"</head><body>\u201c</body></html>",
       u"windows-1252", {}},
      {"xml declaration without encoding, then html meta",
       Bytes("<?xml version=\"1.0\"?><html><head><meta http-equiv=\"Content-Type\" "
             "content=\"text/html; charset=windows-1252\"/></head>\x93</html>"),
       u"<?xml version=\"1.0\"?><html><head><meta http-equiv=\"Content-Type\" "
       u"content=\"text/html; charset=windows-1252\"/></head>\u201c</html>",
       u"windows-1252", {}},
      {"meta after head is not read",
       Bytes("<html><head></head><meta http-equiv=\"Content-Type\" content=\"charset=iso-8859-1\">"
             "\xC3\xA9"),
       U("<html><head></head><meta http-equiv=\"Content-Type\" content=\"charset=iso-8859-1\">"
         "\xC3\xA9"),
       u"UTF-8", {}},
      {"undeclared, starts with <", Bytes("<a>\xC3\xA9</a>"), u"<a>\u00e9</a>", u"UTF-8",
       {u"length 9 ", u"to 8 wide chars "}},
      {"detected UTF-8", Bytes("x <a>\xC3\xA9</a>"), u"x <a>\u00e9</a>", u"UTF-8",
       {u"(used UTF-8 detection) "}},
      {"not UTF-8, nothing declared", Bytes("x \xE9\x80"), u"x \u00e9\u20ac", u"windows-1252", {}},
      // Code pages of other languages go through the system's converter.
      {"xml declaration GB2312", Bytes("<?xml encoding=\"GB2312\"?><a>\xBC\xFC\xC5\xCC</a>"),
       u"<?xml encoding=\"GB2312\"?><a>\u952e\u76d8</a>", u"GB2312", {}},
      {"xml declaration Shift_JIS", Bytes("<?xml encoding='Shift_JIS'?><a>\x83\x4c\x81\x5b</a>"),
       u"<?xml encoding='Shift_JIS'?><a>\u30ad\u30fc</a>", u"Shift_JIS", {}},
      {"xml declaration windows-1251", Bytes("<?xml encoding=\"windows-1251\"?><a>\xCA\xEB</a>"),
       u"<?xml encoding=\"windows-1251\"?><a>\u041a\u043b</a>", u"windows-1251", {}},
      {"html meta ISO-8859-2", Bytes("<html><head><meta http-equiv=\"Content-Type\" "
                                     "content=\"text/html; charset=iso-8859-2\"></head>\xB1</html>"),
       u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">"
       u"</head>\u0105</html>",
       u"iso-8859-2", {}},
      {"KOI8-R", Bytes("<?xml encoding=\"KOI8-R\"?><a>\xEB</a>"),
       u"<?xml encoding=\"KOI8-R\"?><a>\u041a</a>", u"KOI8-R", {}},
      {"GBK cut off inside a character", Bytes("<?xml encoding=\"gbk\"?><a>\xBC"),
       u"<?xml encoding=\"gbk\"?><a>\uFFFD", u"gbk", {}},
      {"unknown name, valid UTF-8", Bytes("<?xml encoding=\"x-klingon\"?>\xC3\xA9"),
       U("<?xml encoding=\"x-klingon\"?>\xC3\xA9"), u"x-klingon", {u"(used UTF-8 detection) "}},
      {"unknown name, not UTF-8", Bytes("<?xml encoding=\"x-klingon\"?>\x80"),
       u"<?xml encoding=\"x-klingon\"?>\u20ac", u"x-klingon", {}},
      {"odd UTF-16 byte dropped", {0xFF, 0xFE, '<', 0, 'a', 0, '/', 0, '>', 0, 'x'}, u"<a/>",
       u"UTF-16LE", {}},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    MarkupDoc doc;
    ASSERT_TRUE(doc.LoadBytes(c.bytes.data(), c.bytes.size()));
    EXPECT_EQ(c.text, doc.Text());
    EXPECT_EQ(c.encoding, doc.Encoding());
    EXPECT_EQ(0u, doc.Diagnostics().find(c.encoding)) << u16::ToUtf8(doc.Diagnostics());
    for (const std::u16string& fragment : c.diagnostics)
      EXPECT_NE(std::u16string::npos, doc.Diagnostics().find(fragment))
          << u16::ToUtf8(doc.Diagnostics()) << " lacks " << u16::ToUtf8(fragment);
  }
}

TEST(MarkupLoad, EmptyAndMissingFiles) {
  MarkupDoc doc;
  EXPECT_TRUE(doc.LoadBytes("", 0));
  EXPECT_EQ(u"0 length ", doc.Diagnostics());
  EXPECT_FALSE(doc.ParseDocument());
  EXPECT_EQ(u"0 length  Empty document", doc.Error());

  EXPECT_FALSE(doc.LoadFile(u"no\\such\\folder\\text.xml"));
  EXPECT_EQ(u"The system cannot find the file specified.", doc.Diagnostics());
  EXPECT_TRUE(doc.Text().empty());
}

// ---------------------------------------------------------------------------------------------
// Token scanner

TEST(MarkupScan, NodeKindsAndMalformedTokens) {
  struct Case {
    std::u16string text;
    uint32_t offset;
    int kind;
    uint32_t length;
    std::u16string message;
  };
  const std::vector<Case> cases = {
      {u"<a b='>'>", 0, markup::kNodeElement, 9, u""},
      {u"<_x/>", 0, markup::kNodeElement, 5, u""},
      {u"<\u00e9>", 0, markup::kNodeElement, 3, u""},
      {u"</a >x", 0, markup::kNodeEndTag, 5, u""},
      {u"ab<", 0, markup::kNodeText, 2, u""},
      {u" \t\r\n<", 0, markup::kNodeWhitespace, 4, u""},
      {u"<![CDATA[<x>]]>", 0, markup::kNodeCData, 15, u""},
      {u"<?pi x?>", 0, markup::kNodeProcessingInstruction, 8, u""},
      {u"<!-- > -->", 0, markup::kNodeComment, 10, u""},
      {u"<!DOCTYPE x \">\">", 0, markup::kNodeDeclaration, 16, u""},
      {u"<!ENTITY x>", 0, markup::kNodeDeclaration, 11, u""},
      {u"ab", 2, markup::kNodeEndOfDocument, 0, u""},
      {u"x<a b='>", 1, -1, 7, u"Element tag at offset 1 unterminated"},
      {u"</a", 0, -1, 3, u"Element end tag at offset 0 unterminated"},
      {u"<![CDATA[x]>", 0, -1, 12, u"CDATA Section at offset 0 unterminated"},
      {u"<?pi >", 0, -1, 6, u"Processing instruction at offset 0 unterminated"},
      {u"<!-- x", 0, -1, 6, u"Comment at offset 0 unterminated"},
      {u"<!DOCTYPE", 0, -1, 9, u"Doctype at offset 0 unterminated"},
      {u"ab<", 2, -1, 1, u"tag at offset 2 unterminated"},
      {u"<1a>", 0, -1, 1, u"Incorrect tag name character at offset 0"},
      {u"< a>", 0, -1, 1, u"Incorrect tag name character at offset 0"},
      {u"<[a>", 0, -1, 1, u"Incorrect tag name character at offset 0"},
      {u"<!x>", 0, -1, 1, u"Incorrect ! tag at offset 0"},
      {u"<!-x->", 0, -1, 1, u"Incorrect comment tag at offset 0"},
      {u"<![x]>", 0, -1, 1, u"Incorrect tag at offset 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.text));
    Token t = markup::ScanToken(c.text, c.offset);
    EXPECT_EQ(c.kind, t.kind);
    EXPECT_EQ(c.offset, t.start);
    EXPECT_EQ(c.length, t.length);
    EXPECT_EQ(c.message, markup::MalformedMessage(t));
  }
  EXPECT_TRUE(markup::ScanToken(u"<a />", 0).emptyElement);
  EXPECT_FALSE(markup::ScanToken(u"<a x='/'>", 0).emptyElement);
}

// ---------------------------------------------------------------------------------------------
// Parsing

struct Parsed {
  MarkupDoc doc;
  bool ok;
  explicit Parsed(const std::u16string& text) {
    doc.SetDocumentText(text);
    ok = doc.ParseDocument();
  }
  // Index of the n-th element in document order.
  const markup::ElementRecord& operator[](uint32_t i) const { return doc.Record(i); }
};

TEST(MarkupParse, WellFormedTreeLinksAndLengths) {
  Parsed p(u"<?xml version='1.0'?><r><a x='1'>t</a><b/><c></c></r>");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(u"", p.doc.Error());
  ASSERT_EQ(5u, p.doc.ElementCount());
  const markup::ElementRecord &r = p[1], &a = p[2], &b = p[3], &c = p[4];
  EXPECT_EQ(1u, p[0].firstChild);
  EXPECT_EQ(p.doc.Text().size(), p[0].length);
  EXPECT_EQ(21u, r.start);
  EXPECT_EQ(p.doc.Text().size() - 21, r.length);
  EXPECT_EQ(2u, r.firstChild);
  EXPECT_EQ(markup::kFlagFirstChild | 0u, r.levelFlags);
  // first child's previous sibling is the parent's last child
  EXPECT_EQ(4u, a.prevSibling);
  EXPECT_EQ(3u, a.nextSibling);
  EXPECT_EQ(2u, b.prevSibling);
  EXPECT_EQ(0u, c.nextSibling);
  EXPECT_EQ(markup::kFlagFirstChild | 1u, a.levelFlags);
  EXPECT_EQ(1u, b.levelFlags);
  EXPECT_EQ(1u, b.parent);
  EXPECT_EQ(9u, p.doc.StartTagLength(2));
  EXPECT_EQ(4u, p.doc.EndTagLength(2));
  EXPECT_EQ(14u, a.length);
  EXPECT_EQ(4u, b.length);
  EXPECT_EQ(0u, p.doc.EndTagLength(3));
}

TEST(MarkupParse, UnclosedChildIsNotEndedAndItsChildrenMoveOut) {
  Parsed p(u"<a><b><c/>text</a>");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(u"End tag 'a' at offset 15 does not match start tag 'b' at offset 3", p.doc.Error());
  const markup::ElementRecord &a = p[1], &b = p[2], &c = p[3];
  EXPECT_EQ(18u, a.length);
  EXPECT_EQ(3u, b.length);  // just its start tag
  EXPECT_TRUE(b.levelFlags & markup::kFlagNotEnded);
  EXPECT_FALSE(a.levelFlags & markup::kFlagProblemBelow);  // nothing malformed inside b
  EXPECT_TRUE(p[0].levelFlags & markup::kFlagDocNotWellFormed);
  // c follows b under a, one level up
  EXPECT_EQ(0u, b.firstChild);
  EXPECT_EQ(3u, b.nextSibling);
  EXPECT_EQ(1u, c.parent);
  EXPECT_EQ(2u, c.prevSibling);
  EXPECT_EQ(2u, a.firstChild);
  EXPECT_EQ(3u, b.prevSibling);  // the last child of a is now c
  EXPECT_EQ(1u, c.levelFlags & markup::kLevelMask);
  EXPECT_FALSE(c.levelFlags & markup::kFlagFirstChild);
}

TEST(MarkupParse, ProblemFlagClimbsOutOfUnendedElements) {
  // The malformed "<!x" sits in c; closing c and b as not ended hands its flag up to a, which
  // its own end tag closes properly, so r stays clean.
  Parsed p(u"<r><a><b><c><!x></a></r>");
  EXPECT_EQ(u"Incorrect ! tag at offset 12", p.doc.Error());
  const markup::ElementRecord &r = p[1], &a = p[2], &b = p[3], &c = p[4];
  EXPECT_TRUE(c.levelFlags & markup::kFlagProblemBelow);
  EXPECT_TRUE(b.levelFlags & markup::kFlagProblemBelow);
  EXPECT_TRUE(a.levelFlags & markup::kFlagProblemBelow);
  EXPECT_FALSE(r.levelFlags & markup::kFlagProblemBelow);
  EXPECT_TRUE(c.levelFlags & markup::kFlagNotEnded);
  EXPECT_FALSE(a.levelFlags & markup::kFlagNotEnded);
  EXPECT_EQ(2u, c.parent);  // moved out of b, beside it under a
  EXPECT_EQ(2u, c.levelFlags & markup::kLevelMask);
}

TEST(MarkupParse, DocumentMessages) {
  struct Case {
    std::u16string text;
    bool ok;
    std::u16string message;
  };
  const std::vector<Case> cases = {
      {u"</x><a/>", false, u"No start tag for end tag 'x' at offset 0"},
      {u"</x>", false, u"No root element"},  // the document verdict replaces the first message
      {u"", false, u"Empty document"},
      {u"  <!-- c -->  ", false, u"No root element"},
      {u"<a/><b/>", false, u"Root element has sibling"},
      {u"<r></r", false, u"Element end tag at offset 3 unterminated"},
      {u"<r><a>", false, u"Root element has sibling"},  // a moved out of the unended r
      {u"<a>", false, u"Element 'a' at offset 0 not ended"},
      {u"<r><!x></q></r>", false, u"Incorrect ! tag at offset 3"},  // first message wins
      {u"<r><a></b></a></r>", false, u"No start tag for end tag 'b' at offset 6"},
      {u"<A></a>", false, u"No start tag for end tag 'a' at offset 3"},  // names are case-sensitive
      {u"<r>\n<a>&amp;</a>\n</r>\n", true, u""},
      // A name whose elements have all closed is no longer open.
      {u"<r><a></a><a></a></a></r>", false, u"No start tag for end tag 'a' at offset 17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.text));
    Parsed p(c.text);
    EXPECT_EQ(c.ok, p.ok);
    EXPECT_EQ(c.message, p.doc.Error());
  }
}

TEST(MarkupParse, IgnoreCaseMatchesEndTagsWithFoldedNames) {
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"<R><Item></iTEM></r>", u""},
      {u"<r><a></A></a></r>", u"No start tag for end tag 'a' at offset 10"},
      {u"<r><\u00e9></\u00c9></r>", u"No start tag for end tag '\u00c9' at offset 6"},  // only ASCII folds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.first));
    MarkupDoc doc;
    doc.SetFlags(MarkupDoc::kDocIgnoreCase);
    doc.SetDocumentText(c.first);
    EXPECT_EQ(c.second.empty(), doc.ParseDocument());
    EXPECT_EQ(c.second, doc.Error());
  }
}

TEST(MarkupParse, ResultCarriesLoadDiagnostics) {
  const std::string xml = "<r><a></r>";
  MarkupDoc doc;
  ASSERT_TRUE(doc.LoadBytes(xml.data(), xml.size()));
  EXPECT_FALSE(doc.ParseDocument());
  EXPECT_EQ(doc.Diagnostics() + u" End tag 'r' at offset 7 does not match start tag 'a' at offset 3",
            doc.Error());
}

TEST(MarkupParse, UnendedNestingAtEndOfDocumentStaysLinear) {
  // Every element is closed as not ended; each must come out as a top-level sibling with its
  // level recomputed. Neither that nor the stray end tags may cost quadratic time.
  std::u16string text;
  const uint32_t depth = 70000;
  for (uint32_t i = 0; i < depth; ++i) text += u"<e>";
  for (uint32_t i = 0; i < depth; ++i) text += u"</x>";
  Parsed p(text);
  EXPECT_EQ(u"Root element has sibling", p.doc.Error());
  ASSERT_EQ(depth + 1, p.doc.ElementCount());
  uint32_t n = 0;
  for (uint32_t i = p[0].firstChild; i; i = p[i].nextSibling, ++n) {
    ASSERT_EQ(0u, p[i].parent);
    ASSERT_EQ(0u, p[i].levelFlags & markup::kLevelMask);
  }
  EXPECT_EQ(depth, n);
}

TEST(MarkupParse, DeepNestingKeepsLevelInsideItsField) {
  std::u16string text;
  const uint32_t depth = 70000;
  for (uint32_t i = 0; i < depth; ++i) text += u"<e>";
  for (uint32_t i = 0; i < depth; ++i) text += u"</e>";
  Parsed p(text);
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(markup::kFlagFirstChild | markup::kLevelMask, p[depth].levelFlags);  // clamped, flags intact
}

TEST(MarkupParse, LongTagsKeepTheirLengths) {
  std::u16string pad(2000, u' ');
  Parsed p(u"<r><a" + pad + u">x</a" + pad + u"></r>");
  ASSERT_TRUE(p.ok);
  p.doc.ResetPosition();
  ASSERT_TRUE(p.doc.FindElement(u"r"));
  p.doc.EnterElement();
  ASSERT_TRUE(p.doc.FindElement(u"a"));
  EXPECT_EQ(2004u, p.doc.EndTagLength(2));
  EXPECT_EQ(u"x", p.doc.GetElementText());
}

// ---------------------------------------------------------------------------------------------
// Cursor and text

TEST(MarkupCursor, NameMatching) {
  struct Case {
    const char16_t* search;
    bool found;
  };
  const Case cases[] = {
      {u"item", true},       {u"item[2]", true},  {u"item/x", true}, {u"item=1", true},
      {u"item x", true},     {u"item]", true},    {u"ite", false},   {u"items", false},
      {u"Item", false},      {u"item.", false},   {u"", false},
  };
  Parsed p(u"<r><itemx/><item>v</item></r>");
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.search));
    p.doc.ResetPosition();
    ASSERT_TRUE(p.doc.FindElement(u"r"));
    ASSERT_TRUE(p.doc.EnterElement());
    EXPECT_EQ(c.found, p.doc.FindElement(c.search));
    if (c.found) {
      EXPECT_EQ(u"v", p.doc.GetElementText());
    }
  }
}

TEST(MarkupCursor, IgnoreCaseFoldsAsciiUntilAWideCharacterMatches) {
  Parsed p(u"<r><ItEm/><x\u00e9Ab/><\u00e9a/></r>");
  p.doc.SetFlags(MarkupDoc::kDocIgnoreCase);
  auto found = [&](const char16_t* name) {
    p.doc.ResetPosition();
    p.doc.FindElement(u"R");
    p.doc.EnterElement();
    return p.doc.FindElement(name);
  };
  EXPECT_TRUE(found(u"item"));
  EXPECT_TRUE(found(u"X\u00e9Ab"));
  EXPECT_FALSE(found(u"x\u00e9ab"));
  EXPECT_FALSE(found(u"\u00c9a"));
  EXPECT_TRUE(found(u"\u00e9a"));
}

TEST(MarkupCursor, FindWalksSiblingsAndEnterDescends) {
  Parsed p(u"<r><k>1</k><x><k>inner</k></x><k>2</k></r>");
  MarkupDoc& d = p.doc;
  d.ResetPosition();
  EXPECT_FALSE(d.EnterElement());
  EXPECT_FALSE(d.FindElement(u"k"));  // not a top-level element
  ASSERT_TRUE(d.FindElement(u"r"));
  ASSERT_TRUE(d.EnterElement());
  ASSERT_TRUE(d.FindElement(u"k"));
  EXPECT_EQ(u"1", d.GetElementText());
  ASSERT_TRUE(d.FindElement(u"k"));  // the next one after the current
  EXPECT_EQ(u"2", d.GetElementText());
  EXPECT_FALSE(d.FindElement(u"k"));
  EXPECT_EQ(u"2", d.GetElementText());  // a failed search leaves the cursor
}

TEST(MarkupText, ContentKinds) {
  struct Case {
    std::u16string xml;
    std::u16string text;
  };
  const std::vector<Case> cases = {
      {u"<a>A &amp; B</a>", u"A & B"},
      {u"<a> x <!-- c --><?p?>y<b>child</b><c/>z </a>", u" x yz "},
      {u"<a><![CDATA[&amp; <raw>]]> &lt;</a>", u"&amp; <raw> <"},
      {u"<a><![CDATA[]]]></a>", u"]"},
      {u"<a/>", u""},
      {u"<a></a>", u""},
      {u"<a><b>x</a>", u"x"},  // b was never ended: its would-be text belongs to a
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.xml));
    Parsed p(c.xml);
    p.doc.ResetPosition();
    ASSERT_TRUE(p.doc.FindElement(u"a"));
    EXPECT_EQ(c.text, p.doc.GetElementText());
  }
}

TEST(MarkupText, EntityDecoding) {
  struct Case {
    std::u16string in, out;
  };
  const std::vector<Case> cases = {
      {u"&lt;&#65;&#x42;&bogus;", u"<AB&bogus;"},
      {u"&LT;&#X41;&Amp;&apos;&quot;&gt;", u"<A&'\">"},
      {u"&nbsp;&euro;&thetasym;&diams;&yuml;&Yuml;", u"\u00a0\u20ac\u03d1\u2666\u00ff\u00ff"},
      {u"&Omega;&omega;", u"\u03c9\u03c9"},  // folded names collide; the lower-case one wins
      {u"&#x1F600;&#128512;", u"\U0001F600\U0001F600"},
      {u"&#0;&#x;&#;&;&amp&#xD800;&#x110000;", u"&#0;&#x;&#;&;&amp&#xD800;&#x110000;"},
      {u"&#12a;&abcdefghij;&#00000065;", u"&#12a;&abcdefghij;A"},
      {u"a&b", u"a&b"},
      {u"&&amp;", u"&&"},
      {u"&am\u00e9;", u"&am\u00e9;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.in));
    EXPECT_EQ(c.out, markup::DecodeEntities(c.in.data(), c.in.size()));
  }
}

}  // namespace
