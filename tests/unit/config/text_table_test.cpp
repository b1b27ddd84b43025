#include "config/text_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/markup.h"
#include "platform/u16.h"

namespace {

std::u16string ShippedTextXml() {
  std::string here = __FILE__;
  std::string root = here.substr(0, here.rfind("tests/unit/config/"));
  return u16::FromUtf8(root + "assets/text.xml");
}

bool Load(const std::string& xml) { return LoadTextTableFromBytes(xml.data(), xml.size()); }

size_t FilledSlots() {
  size_t n = 0;
  for (size_t i = 0; i < kTextKeyCount; ++i) n += !FindTextSlot(TextKeyName(i))->empty();
  return n;
}

class TextTableTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearTextTable(); }
};

TEST_F(TextTableTest, ShippedFileFillsEverySlot) {
  ASSERT_EQ(172u, kTextKeyCount);
  ASSERT_TRUE(LoadTextTable(ShippedTextXml()));
  for (size_t i = 0; i < kTextKeyCount; ++i)
    EXPECT_FALSE(FindTextSlot(TextKeyName(i))->empty()) << TextKeyName(i);
  EXPECT_EQ(u"Keyboard Driver", g_Texts.tc_title);
  EXPECT_EQ(std::u16string::npos, g_Texts.tc_protitle.find(u'%'));  // used as "%s 1"
  EXPECT_EQ(std::u16string::npos, g_Texts.tc_proname.find(u'%'));   // used as "%s%d"

  markup::MarkupDoc doc;
  ASSERT_TRUE(doc.LoadFile(ShippedTextXml()));
  EXPECT_TRUE(doc.ParseDocument()) << u16::ToUtf8(doc.Error());
}

TEST_F(TextTableTest, NamesAndSlots) {
  EXPECT_STREQ("tc_title", TextKeyName(0));
  EXPECT_STREQ("tc_profile_programs", TextKeyName(171));
  EXPECT_EQ(nullptr, TextKeyName(172));
  EXPECT_EQ(&g_Texts.tc_PL, FindTextSlot("tc_PL"));
  EXPECT_EQ(&g_Texts.tc_msg15, FindTextSlot("tc_msg15"));
  EXPECT_EQ(nullptr, FindTextSlot("tc_pl"));
  EXPECT_EQ(nullptr, FindTextSlot("tc_msg37"));
  // every key has a slot of its own
  for (size_t i = 0; i < kTextKeyCount; ++i)
    for (size_t j = i + 1; j < kTextKeyCount; ++j)
      ASSERT_NE(FindTextSlot(TextKeyName(i)), FindTextSlot(TextKeyName(j)));
}

TEST_F(TextTableTest, LookupRules) {
  struct Case {
    const char* what;
    std::string xml;
    std::vector<std::pair<const char*, std::u16string>> expect;
  };
  const std::vector<Case> cases = {
      {"first of two duplicates counts",
       "<config><tc_ok>First</tc_ok><tc_ok>Second</tc_ok></config>", {{"tc_ok", u"First"}}},
      {"nested config searched when the outer one lacks the key",
       "<config><tc_ok>Outer</tc_ok><config><tc_ok>Inner</tc_ok><tc_exit>Bye</tc_exit>"
       "<config><tc_apply>Deep</tc_apply></config></config></config>",
       {{"tc_ok", u"Outer"}, {"tc_exit", u"Bye"}, {"tc_apply", u"Deep"}}},
      {"only the first nested config is searched",
       "<config><config><tc_ok>A</tc_ok></config><config><tc_exit>B</tc_exit></config></config>",
       {{"tc_ok", u"A"}, {"tc_exit", u""}}},
      {"names are case-sensitive", "<config><tc_pl>Play</tc_pl><TC_OK>OK</TC_OK></config>",
       {{"tc_PL", u""}, {"tc_ok", u""}}},
      {"a key is not matched by a longer name",
       "<config><tc_msg10>Ten</tc_msg10><tc_page1x>x</tc_page1x></config>",
       {{"tc_msg1", u""}, {"tc_msg10", u"Ten"}, {"tc_page1", u""}}},
      {"attributes and entities",
       "<config><tc_ok id=\"1\">Save &amp; exit &#8364; &nbsp;&bogus;</tc_ok></config>",
       {{"tc_ok", u"Save & exit \u20ac \u00a0&bogus;"}}},
      {"CDATA is raw; comments and child elements add nothing",
       "<config><tc_ok>a<![CDATA[&amp;<b>]]><!-- c -->z<i>x</i></tc_ok></config>",
       {{"tc_ok", u"a&amp;<b>z"}}},
      {"whitespace is kept", "<config><tc_proname>Profile </tc_proname></config>",
       {{"tc_proname", u"Profile "}}},
      {"empty element", "<config><tc_ok/><tc_exit></tc_exit></config>",
       {{"tc_ok", u""}, {"tc_exit", u""}}},
      {"no config element", "<texts><tc_ok>OK</tc_ok></texts>", {{"tc_ok", u""}}},
      {"config below another top-level element", "<root><config><tc_ok>OK</tc_ok></config></root>",
       {{"tc_ok", u""}}},
      {"flawed document keeps what could be placed",
       "<config><tc_ok>OK</tc_ok><tc_exit>Exit<tc_apply>Apply</tc_apply></config>",
       {{"tc_ok", u"OK"}, {"tc_exit", u""}, {"tc_apply", u"Apply"}}},
      // config itself is never ended: its children move out beside it, so nothing is found
      {"truncated document", "<config><tc_ok>OK</tc_ok><tc_exit>Ex",
       {{"tc_ok", u""}, {"tc_exit", u""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearTextTable();
    EXPECT_TRUE(Load(c.xml));
    for (const auto& e : c.expect) EXPECT_EQ(e.second, *FindTextSlot(e.first)) << e.first;
  }
}

TEST_F(TextTableTest, BadFilesLeaveEveryTextEmpty) {
  const std::string binary("\x00\xFF\x13\x80\x00<\x01\xFE", 8);
  const std::vector<std::string> files = {"", binary, "<config", "plain text", "<?xml?>"};
  for (const std::string& f : files) {
    ASSERT_TRUE(Load("<config><tc_ok>OK</tc_ok></config>"));
    ASSERT_EQ(1u, FilledSlots());
    Load(f);
    EXPECT_EQ(0u, FilledSlots());
  }
  ASSERT_TRUE(Load("<config><tc_ok>OK</tc_ok></config>"));
  EXPECT_FALSE(LoadTextTable(u"/nonexistent/folder/text.xml"));
  EXPECT_EQ(0u, FilledSlots());
}

TEST_F(TextTableTest, Utf16File) {
  std::u16string xml = u"<config><tc_title>Tastatur \u00fc\u4e2d</tc_title></config>";
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t c : xml) {
    bytes.push_back(c & 0xFF);
    bytes.push_back(c >> 8);
  }
  ASSERT_TRUE(LoadTextTableFromBytes(bytes.data(), bytes.size()));
  EXPECT_EQ(u"Tastatur \u00fc\u4e2d", g_Texts.tc_title);
}

}  // namespace
