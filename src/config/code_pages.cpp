#include "config/code_pages.h"

#include <cstring>

namespace markup {
namespace {

struct NamedPage {
  const char* name;  // lower case, as registered names and their common aliases are written
  uint32_t codePage;
};

constexpr NamedPage kNames[] = {
    // Chinese
    {"gb2312", 936}, {"gbk", 936}, {"cp936", 936}, {"ms936", 936}, {"windows-936", 936},
    {"x-gbk", 936}, {"csgb2312", 936}, {"gb_2312-80", 936}, {"euc-cn", 936}, {"x-euc-cn", 936},
    {"gb18030", 54936}, {"big5", 950}, {"big-5", 950}, {"cp950", 950}, {"csbig5", 950},
    {"x-x-big5", 950}, {"windows-950", 950},
    // Japanese
    {"shift_jis", 932}, {"shift-jis", 932}, {"sjis", 932}, {"x-sjis", 932}, {"ms_kanji", 932},
    {"csshiftjis", 932}, {"cp932", 932}, {"ms932", 932}, {"windows-31j", 932},
    {"windows-932", 932}, {"euc-jp", 20932}, {"x-euc-jp", 20932},
    // Korean
    {"euc-kr", 949}, {"cp949", 949}, {"uhc", 949}, {"windows-949", 949}, {"ks_c_5601-1987", 949},
    {"ks_c_5601", 949}, {"ksc5601", 949}, {"csksc56011987", 949}, {"korean", 949},
    // Cyrillic
    {"koi8-r", 20866}, {"koi8r", 20866}, {"cskoi8r", 20866}, {"koi8-u", 21866},
    {"cp866", 866}, {"ibm866", 866},
    // Thai and the DOS pages
    {"windows-874", 874}, {"cp874", 874}, {"tis-620", 874}, {"cp437", 437}, {"ibm437", 437},
    {"cp850", 850}, {"ibm850", 850}, {"macintosh", 10000}, {"x-mac-roman", 10000},
    // ISO-8859 by their other names
    {"latin2", 28592}, {"l2", 28592}, {"latin3", 28593}, {"latin4", 28594}, {"cyrillic", 28595},
    {"arabic", 28596}, {"greek", 28597}, {"hebrew", 28598}, {"latin5", 28599}, {"l5", 28599},
    {"latin9", 28605}, {"latin-9", 28605},
};

// "windows-1250".."windows-1258", "cp1250", "x-cp1250" and the like.
uint32_t WindowsPage(const std::string& n) {
  for (const char* prefix : {"windows-", "x-cp", "cp", "win"}) {
    size_t len = std::strlen(prefix);
    if (n.size() == len + 4 && n.compare(0, len, prefix) == 0 && n.compare(len, 3, "125") == 0 &&
        n[len + 3] >= '0' && n[len + 3] <= '8')
      return 1250u + static_cast<uint32_t>(n[len + 3] - '0');
  }
  return 0;
}

// "iso-8859-2", "iso8859-2", "iso_8859-2", "iso_8859-2:1987" ... for the parts Windows has.
uint32_t IsoPage(const std::string& n) {
  for (const char* prefix : {"iso-8859-", "iso8859-", "iso_8859-", "iso8859_"}) {
    size_t len = std::strlen(prefix);
    if (n.compare(0, len, prefix) != 0) continue;
    size_t i = len;
    unsigned part = 0;
    while (i < n.size() && n[i] >= '0' && n[i] <= '9' && part < 100) part = part * 10 + (n[i++] - '0');
    if (i == len || (i < n.size() && n[i] != ':')) return 0;
    switch (part) {
      case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 13: case 15:
        return 28590u + part;
      default:
        return 0;
    }
  }
  return 0;
}

}  // namespace

uint32_t CodePageForName(const std::u16string& name) {
  std::string n;
  for (char16_t c : name) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') continue;
    if (c > 0x7F) return 0;
    char a = static_cast<char>(c);
    n += (a >= 'A' && a <= 'Z') ? static_cast<char>(a - 'A' + 'a') : a;
  }
  for (const NamedPage& p : kNames)
    if (n == p.name) return p.codePage;
  if (uint32_t page = WindowsPage(n)) return page;
  return IsoPage(n);
}

}  // namespace markup
