// The POSIX ini reader must answer exactly as GetPrivateProfileIntW/StringW do; here both read
// the same tricky files under Wine and are compared key by key.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ini_reader.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {

std::u16string TempPath(const char16_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::u16string(reinterpret_cast<const char16_t*>(dir)) + name;
}

struct IniFile {
  std::u16string path;
  std::u16string text;
  IniFile(const char16_t* name, const std::string& utf8) : path(TempPath(name)) {
    EXPECT_TRUE(plat::WriteWholeFile(path, utf8.data(), utf8.size()));
    text = ini::DecodeFile(utf8);
  }
  ~IniFile() { plat::RemoveFile(path); }
};

const char kTricky[] =
    "; a comment line\r\n"
    "[OPT]\r\n"
    "hex=0x1A\r\n"
    "hexupper=0X1f\r\n"
    "lead= 12\r\n"
    "neg=-5\r\n"
    "pos=+7\r\n"
    "junk=12abc\r\n"
    "octal=010\r\n"
    "neghex=-0x10\r\n"
    "quoted=\"34\"\r\n"
    "squoted='35'\r\n"
    "inline=5 ; c\r\n"
    "word=abc\r\n"
    "empty=\r\n"
    "blanks=   \r\n"
    "big=4294967297\r\n"
    "huge=99999999999999999999\r\n"
    "  spaced key  =  spaced value  \r\n"
    "Mixed=Case\r\n"
    "dup=first\r\n"
    "dup=second\r\n"
    "long=abcdefghijklmnopqrstuvwxyz0123456789\r\n"
    "list=1, 2 ,3,,4,\r\n"
    "half=\"open\r\n"
    "noequals\r\n"
    "eqonly==x\r\n"
    "[opt]\r\n"
    "late=9\r\n"
    "[ Other ]\r\n"
    "hex=0x2B\r\n"
    "[OPT]\r\n"
    "again=11\r\n"
    "dup=third\r\n";

const char16_t* const kKeys[] = {u"hex",  u"hexupper", u"lead",  u"neg",   u"pos",     u"junk",
                                 u"octal", u"neghex",  u"quoted", u"squoted", u"inline", u"word",
                                 u"empty", u"blanks",  u"big",   u"huge",  u"spaced key", u"mixed",
                                 u"MIXED", u"dup",     u"long",  u"list",  u"half",    u"noequals",
                                 u"eqonly", u"late",   u"again", u"missing"};

TEST(IniReader, IntegersMatchTheSystem) {
  IniFile f(u"velkor_ini_int.ini", kTricky);
  for (const char16_t* section : {u"OPT", u"opt", u"Other", u"Nope"}) {
    for (const char16_t* key : kKeys) {
      for (int32_t def : {0, -3, 77}) {
        uint32_t system = plat::IniGetInt(section, key, def, f.path);
        uint32_t ours = ini::GetInt(f.text, section, key, def);
        EXPECT_EQ(ours, system) << u16::ToUtf8(section) << "/" << u16::ToUtf8(key) << " default " << def;
      }
    }
  }
}

TEST(IniReader, StringsMatchTheSystemForEveryBufferSize) {
  IniFile f(u"velkor_ini_str.ini", kTricky);
  for (const char16_t* section : {u"OPT", u"Other", u"Nope"}) {
    for (const char16_t* key : kKeys) {
      for (size_t units : {1u, 2u, 5u, 30u, 50u, 512u}) {
        std::u16string system = plat::IniGetString(section, key, u"dflt", units, f.path);
        std::u16string ours = ini::GetString(f.text, section, key, u"dflt", units);
        EXPECT_EQ(u16::ToUtf8(ours), u16::ToUtf8(system))
            << u16::ToUtf8(section) << "/" << u16::ToUtf8(key) << " buffer " << units;
      }
    }
  }
}

// plat::IniFile reads the file once; what it answers must still be what the system reads from
// the file, whatever its encoding.
TEST(IniReader, AFileReadOnceAnswersAsTheSystem) {
  const std::string ansi = "[OPT]\r\nname=caf\xE9 cr\xE8me\r\nword=abc\r\n";
  const std::string utf16 = [] {
    std::string bytes = "\xFF\xFE";
    for (char c : std::string("[OPT]\r\nname=caf\xE9\r\nword=ab\r\n")) {
      bytes += c;
      bytes += '\0';
    }
    return bytes;
  }();
  const std::string utf8 = "\xEF\xBB\xBF[OPT]\r\nname=caf\xC3\xA9\r\n";
  for (const std::string& content : {std::string(kTricky), ansi, utf8, utf16}) {
    IniFile f(u"velkor_ini_once.ini", content);
    const plat::IniFile once(f.path);
    for (const char16_t* section : {u"OPT", u"Other"}) {
      for (const char16_t* key : {u"name", u"word", u"hex", u"dup", u"spaced key", u"list", u"missing"}) {
        EXPECT_EQ(u16::ToUtf8(once.GetString(section, key, u"dflt", 512)),
                  u16::ToUtf8(plat::IniGetString(section, key, u"dflt", 512, f.path)))
            << u16::ToUtf8(section) << "/" << u16::ToUtf8(key);
        EXPECT_EQ(once.GetInt(section, key, 7), plat::IniGetInt(section, key, 7, f.path));
      }
    }
  }
  EXPECT_EQ(plat::IniFile(TempPath(u"velkor_no_such.ini")).GetString(u"OPT", u"hex", u"d", 10), u"d");
}

TEST(IniReader, MissingFileGivesDefaults) {
  std::u16string path = TempPath(u"velkor_no_such.ini");
  EXPECT_EQ(plat::IniGetInt(u"OPT", u"hex", 42, path), 42u);
  EXPECT_EQ(ini::GetInt(u"", u"OPT", u"hex", 42), 42u);
  EXPECT_EQ(plat::IniGetString(u"OPT", u"hex", u"d", 10, path), u"d");
  EXPECT_EQ(ini::GetString(u"", u"OPT", u"hex", u"d", 10), u"d");
}

}  // namespace
