// Character and entity references: decoding them in text, and the named ones, the 252 of
// HTML 4.01 plus "apos".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/markup.h"
#include "config/markup_internal.h"
#include "platform/u16.h"

namespace markup {
namespace {

struct NamedEntity {
  const char* name;
  uint32_t code;
};

const NamedEntity kEntities[] = {
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164}, {"yen", 165},
    {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169}, {"ordf", 170}, {"laquo", 171},
    {"not", 172}, {"shy", 173}, {"reg", 174}, {"macr", 175}, {"deg", 176}, {"plusmn", 177},
    {"sup2", 178}, {"sup3", 179}, {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183},
    {"cedil", 184}, {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
    {"Atilde", 195}, {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199}, {"Egrave", 200},
    {"Eacute", 201}, {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204}, {"Iacute", 205}, {"Icirc", 206},
    {"Iuml", 207}, {"ETH", 208}, {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212},
    {"Otilde", 213}, {"Ouml", 214}, {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218},
    {"Ucirc", 219}, {"Uuml", 220}, {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224},
    {"aacute", 225}, {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229}, {"aelig", 230},
    {"ccedil", 231}, {"egrave", 232}, {"eacute", 233}, {"ecirc", 234}, {"euml", 235}, {"igrave", 236},
    {"iacute", 237}, {"icirc", 238}, {"iuml", 239}, {"eth", 240}, {"ntilde", 241}, {"ograve", 242},
    {"oacute", 243}, {"ocirc", 244}, {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248},
    {"ugrave", 249}, {"uacute", 250}, {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254},
    {"yuml", 255}, {"fnof", 402}, {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916},
    {"Epsilon", 917}, {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927}, {"Pi", 928},
    {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934}, {"Chi", 935},
    {"Psi", 936}, {"Omega", 937}, {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948},
    {"epsilon", 949}, {"zeta", 950}, {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954},
    {"lambda", 955}, {"mu", 956}, {"nu", 957}, {"xi", 958}, {"omicron", 959}, {"pi", 960},
    {"rho", 961}, {"sigmaf", 962}, {"sigma", 963}, {"tau", 964}, {"upsilon", 965}, {"phi", 966},
    {"chi", 967}, {"psi", 968}, {"omega", 969}, {"thetasym", 977}, {"upsih", 978}, {"piv", 982},
    {"bull", 8226}, {"hellip", 8230}, {"prime", 8242}, {"Prime", 8243}, {"oline", 8254},
    {"frasl", 8260}, {"weierp", 8472}, {"image", 8465}, {"real", 8476}, {"trade", 8482},
    {"alefsym", 8501}, {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595},
    {"harr", 8596}, {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659},
    {"hArr", 8660}, {"forall", 8704}, {"part", 8706}, {"exist", 8707}, {"empty", 8709},
    {"nabla", 8711}, {"isin", 8712}, {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721},
    {"minus", 8722}, {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734},
    {"ang", 8736}, {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746}, {"int", 8747},
    {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776}, {"ne", 8800}, {"equiv", 8801},
    {"le", 8804}, {"ge", 8805}, {"sub", 8834}, {"sup", 8835}, {"nsub", 8836}, {"sube", 8838},
    {"supe", 8839}, {"oplus", 8853}, {"otimes", 8855}, {"perp", 8869}, {"sdot", 8901},
    {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001},
    {"rang", 9002}, {"loz", 9674}, {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829},
    {"diams", 9830}, {"quot", 34}, {"amp", 38}, {"lt", 60}, {"gt", 62}, {"OElig", 338},
    {"oelig", 339}, {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376}, {"circ", 710}, {"tilde", 732},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205}, {"lrm", 8206},
    {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216}, {"rsquo", 8217},
    {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222}, {"dagger", 8224},
    {"Dagger", 8225}, {"permil", 8240}, {"lsaquo", 8249}, {"rsaquo", 8250}, {"euro", 8364},
    {"apos", 39},
};
static_assert(sizeof(kEntities) / sizeof(kEntities[0]) == 253, "252 HTML 4.01 names plus apos");

constexpr size_t kBuckets = 130;

size_t BucketOf(const char* name) {
  size_t sum = 0;
  for (const char* p = name; *p; ++p) sum += static_cast<unsigned char>(FoldAscii(static_cast<char16_t>(*p)));
  return sum % kBuckets;
}

// Names hashed by the sum of their (folded) character codes; built once.
const std::vector<std::vector<const NamedEntity*>>& Buckets() {
  static const std::vector<std::vector<const NamedEntity*>> buckets = [] {
    std::vector<std::vector<const NamedEntity*>> b(kBuckets);
    for (const NamedEntity& e : kEntities) b[BucketOf(e.name)].push_back(&e);
    return b;
  }();
  return buckets;
}

// The value of a reference name after '&' (already folded to lower case), 0 when it names
// nothing.
uint32_t ReferenceValue(const char16_t* name, size_t length) {
  if (name[0] != u'#') return LookupNamedEntity(name, length);
  bool hex = length > 1 && name[1] == u'x';
  size_t i = hex ? 2 : 1;
  if (i >= length) return 0;
  uint32_t value = 0;
  for (; i < length; ++i) {
    char16_t c = name[i];
    uint32_t digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else return 0;
    value = value * (hex ? 16 : 10) + digit;  // at most 8 digits: cannot overflow
  }
  return value;
}

}  // namespace

uint32_t LookupNamedEntity(const char16_t* name, size_t length) {
  if (length == 0 || length > 9) return 0;
  size_t sum = 0;
  for (size_t i = 0; i < length; ++i) {
    if (name[i] >= 128) return 0;
    sum += FoldAscii(name[i]);
  }
  // Folding makes pairs such as Omega/omega collide; the lower-case one is the folded spelling
  // and wins.
  uint32_t folded = 0;
  for (const NamedEntity* e : Buckets()[sum % kBuckets]) {
    size_t i = 0;
    bool exact = true, same = true;
    for (; i < length && e->name[i]; ++i) {
      char16_t want = FoldAscii(name[i]);
      char16_t have = static_cast<char16_t>(e->name[i]);
      if (FoldAscii(have) != want) { same = false; break; }
      if (have != want) exact = false;
    }
    if (!same || i != length || e->name[i] != 0) continue;
    if (exact) return e->code;
    if (!folded) folded = e->code;
  }
  return folded;
}

std::u16string DecodeEntities(const char16_t* text, size_t length) {
  std::u16string out;
  out.reserve(length);
  size_t i = 0;
  while (i < length) {
    char16_t c = text[i];
    if (c != u'&') {
      out += c;
      ++i;
      continue;
    }
    // At most 9 ASCII characters, then ';'.
    char16_t name[10];
    size_t len = 0;
    while (len < 10 && i + 1 + len < length) {
      char16_t ch = text[i + 1 + len];
      if (ch == u';' || ch >= 128) break;
      name[len++] = FoldAscii(ch);
    }
    bool terminated = len >= 1 && len <= 9 && i + 1 + len < length && text[i + 1 + len] == u';';
    uint32_t value = terminated ? ReferenceValue(name, len) : 0;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      out += u'&';
      ++i;
      continue;
    }
    u16::AppendCodePoint(out, value);
    i += len + 2;
  }
  return out;
}

}  // namespace markup
