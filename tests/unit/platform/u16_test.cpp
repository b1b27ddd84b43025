#include "platform/u16.h"

#include <gtest/gtest.h>

namespace {

TEST(U16Format, ConversionsAsTheWidePrintfFamily) {
  EXPECT_EQ(u16::Format(u"%02u:%02u.%03u   ", 7u, 3u, 45u), u"07:03.045   ");
  EXPECT_EQ(u16::Format(u"Launch %04d-%d-%d:%dH, App Ver=%s", 2026, 12, 9, 23, u"1.0"),
            u"Launch 2026-12-9:23H, App Ver=1.0");
  EXPECT_EQ(u16::Format(u"%02x %02X|%x", 0xABu, 0x5u, 0xDEADu), u"ab 05|dead");
  EXPECT_EQ(u16::Format(u"err=0x%x err=%d", 0x1Fu, -5), u"err=0x1f err=-5");
  EXPECT_EQ(u16::Format(u"[%5d|%-5d|%+d|%05d]", 42, 42, 42, -42), u"[   42|42   |+42|-0042]");
  EXPECT_EQ(u16::Format(u"%hs/%S/%c/%%", "ab", "cd", u'Z'), u"ab/cd/Z/%");
  EXPECT_EQ(u16::Format(u"%.2s|%6s", u"abcdef", u"xy"), u"ab|    xy");
  EXPECT_EQ(u16::Format(u"%lld %I64u %zu", -1LL, 18446744073709551615ULL, static_cast<size_t>(3)),
            u"-1 18446744073709551615 3");
  EXPECT_EQ(u16::Format(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
  // An unknown conversion is copied, not guessed at, and a trailing % is harmless.
  EXPECT_EQ(u16::Format(u"a%qb%"), u"a%qb%");
}

TEST(U16Utf8, RoundTripsAndReplacesInvalidBytes) {
  const std::u16string text = u"K\u00e9y \u20ac \U0001F3AE";
  EXPECT_EQ(u16::FromUtf8(u16::ToUtf8(text)), text);
  EXPECT_EQ(u16::FromUtf8("a\xff" "b\xc3"), u"a\uFFFDb\uFFFD");
  EXPECT_EQ(u16::FromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");  // overlong
}

TEST(U16Buffers, CopyTruncatesAndTerminates) {
  char16_t buf[4] = {u'x', u'x', u'x', u'x'};
  u16::CopyTruncated(buf, 4, u"abcdef");
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(u16::BoundedLength(u"abcdef", 4), 4u);
  EXPECT_TRUE(u16::EqualNoCase(u"Keyboard Driver!", u"KEYBOARD driver", 15));
  EXPECT_FALSE(u16::EqualNoCase(u"Keyboard", u"Keyb0ard", 8));
}

}  // namespace
