#include <gtest/gtest.h>

#include <string>

#include "platform/file_names.h"
#include "platform/u16.h"

namespace {

using plat::FileNameFault;

TEST(FileNames, EachNameTheSystemWouldNotKeepAsGivenIsRefusedForItsReason) {
  struct Case {
    std::u16string name;
    FileNameFault fault;
  } cases[] = {
      {u"Games", FileNameFault::None},
      {u"a.b.mck", FileNameFault::None},
      {u".hidden", FileNameFault::None},
      {u"CONSOLE", FileNameFault::None},  // only the device names themselves
      {u"COM10", FileNameFault::None},
      {u"Äpfel", FileNameFault::None},
      {u"", FileNameFault::Empty},
      {u"a:b", FileNameFault::Character},
      {u"a|b", FileNameFault::Character},
      {u"tab\there", FileNameFault::Character},
      {std::u16string(u"x\x7F"), FileNameFault::Character},
      {u".", FileNameFault::DotName},
      {u"..", FileNameFault::DotName},
      {u"...", FileNameFault::TrailingDotOrBlank},
      {u"Games.", FileNameFault::TrailingDotOrBlank},
      {u"Mr ", FileNameFault::TrailingDotOrBlank},
      {u"CON", FileNameFault::DeviceName},
      {u"con", FileNameFault::DeviceName},
      {u"Nul.mck", FileNameFault::DeviceName},
      {u"aux.tar.gz", FileNameFault::DeviceName},
      {u"PRN .txt", FileNameFault::DeviceName},
      {u"com7", FileNameFault::DeviceName},
      {u"LPT9.mck", FileNameFault::DeviceName},
      {u"lpt\u00B9", FileNameFault::DeviceName},
      {u"CONOUT$", FileNameFault::DeviceName},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::CheckFileName(c.name), c.fault) << u16::ToUtf8(c.name);
}

TEST(FileNames, NamesFromFilesAreMadeStorable) {
  struct Case {
    std::u16string in, out;
    size_t max;
  } cases[] = {{u"Combo", u"Combo", 39},      {u"a/b:c", u"a_b_c", 39},   {u"  Mr. ", u"Mr", 39},
               {u"..", u"Macro", 39},         {u"", u"Macro", 39},        {u"CON", u"CON_", 39},
               {u"nul.txt", u"nul_.txt", 39}, {u"Com1 ", u"Com1_", 39},   {u"xxxxxx", u"xxxx", 4},
               {u"LPT1", u"Macr", 4}};  // no room for the '_': the fallback
  for (const Case& c : cases) {
    const std::u16string out = plat::MakeUsableFileName(c.in, u"Macro", c.max);
    EXPECT_EQ(out, c.out) << u16::ToUtf8(c.in);
    EXPECT_TRUE(plat::IsUsableFileName(out)) << u16::ToUtf8(c.in);
  }
}

TEST(FileNames, CaseIsIgnoredOverUnicodeAsTheFileSystemIgnoresIt) {
  EXPECT_TRUE(plat::SameFileName(u"Äpfel", u"äpfel"));
  EXPECT_TRUE(plat::SameFileName(u"ΣΟΦΊΑ", u"σοφία"));
  EXPECT_TRUE(plat::SameFileName(u"Ärger.mck", u"äRGER.MCK"));
  EXPECT_TRUE(plat::SameFileName(u"Mac\\Games", u"mac/games"));
  EXPECT_TRUE(plat::SameFileName(u"\u0444\u0430\u0439\u043B", u"\u0424\u0410\u0419\u041B"));  // Cyrillic
  EXPECT_FALSE(plat::SameFileName(u"Apfel", u"Äpfel"));
  EXPECT_FALSE(plat::SameFileName(u"straße", u"STRASSE"));  // one unit against two: no simple mapping
  EXPECT_EQ(plat::FileNameUpper(u'\u00DF'), u'\u00DF');
  EXPECT_EQ(plat::FileNameUpper(u'\u00FF'), u'\u0178');
  EXPECT_EQ(plat::FileNameUpper(u'\u1F80'), u'\u1F88');
  EXPECT_EQ(plat::FileNameUpper(u'\uFF41'), u'\uFF21');  // fullwidth a
  EXPECT_EQ(plat::FileNameUpper(u'\u0130'), u'\u0130');  // between two runs of pairs
  EXPECT_EQ(plat::FileNameUpper(u'\u0101'), u'\u0100');
  EXPECT_EQ(plat::FileNameUpper(u'\u0100'), u'\u0100');
}

TEST(FileNames, OnlyPathsStrictlyInsideAFolderAndOfUsableNamesCount) {
  const std::u16string mac = u"C:\\Data\\Mac";
  struct Case {
    std::u16string path;
    bool inside;
  } cases[] = {{u"C:\\Data\\Mac\\Games", true},         {u"c:\\data\\MAC\\Games\\Fire.mck", true},
               {u"C:\\Data\\Mac", false},               {u"C:\\Data\\Mac\\", false},
               {u"C:\\Data\\Mac\\..", false},           {u"C:\\Data\\Mac\\.", false},
               {u"C:\\Data\\Mac\\..\\..\\x", false},    {u"C:\\Data\\Mac\\Games.", false},
               {u"C:\\Data\\Mac\\CON", false},          {u"C:\\Data\\Macro\\a", false},
               {u"C:\\Data\\Mac\\a\\\\b", false},       {u"C:\\Data", false}};
  for (const Case& c : cases) EXPECT_EQ(plat::IsStrictlyInside(c.path, mac), c.inside) << u16::ToUtf8(c.path);
}

}  // namespace
