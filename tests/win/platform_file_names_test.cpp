// The name rule and the case comparison against the system's own handling of names: what the
// system takes for one file, the rule takes for one too; what it reads as another place or a
// device, the rule refuses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/file_names.h"
#include "platform/platform.h"

namespace {

std::u16string U(const wchar_t* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); }
const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

TEST(FileNamesOnTheSystem, EveryUnitTheSystemUpperCasesIsOneNameForTheComparisonToo) {
  using Upcase = WCHAR(WINAPI*)(WCHAR);
  auto upcase = reinterpret_cast<Upcase>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
  ASSERT_NE(upcase, nullptr);
  int mismatches = 0;
  for (uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const char16_t system = static_cast<char16_t>(upcase(static_cast<WCHAR>(c)));
    if (plat::FileNameUpper(static_cast<char16_t>(c)) == plat::FileNameUpper(system)) continue;
    if (++mismatches <= 10) ADD_FAILURE() << std::hex << "U+" << c << " -> U+" << static_cast<uint32_t>(system);
  }
  EXPECT_EQ(mismatches, 0);
}

class FileNamesOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_dir = U(temp) + u"velkor-names-" + std::u16string(1, static_cast<char16_t>(u'a' + GetCurrentProcessId() % 26));
    CreateDirectoryW(W(m_dir), nullptr);
  }
  void TearDown() override {
    for (const char16_t* f : {u"\\\u00C4pfel.mck", u"\\Games\\x.mck"}) DeleteFileW(W(m_dir + f));
    RemoveDirectoryW(W(m_dir + u"\\Games"));
    RemoveDirectoryW(W(m_dir));
  }
  std::u16string m_dir;
};

TEST_F(FileNamesOnDisk, TheSystemTakesEveryRefusedNameForAnotherPlaceOrADevice) {
  ASSERT_TRUE(plat::WriteWholeFile(m_dir + u"\\\u00C4pfel.mck", "a", 1));
  // "Äpfel" and "äpfel" are one file to the system, as to the comparison.
  EXPECT_TRUE(plat::PathExists(m_dir + u"\\\u00E4pfel.mck"));
  EXPECT_TRUE(plat::SameFileName(u"\u00C4pfel.mck", u"\u00E4pfel.mck"));

  ASSERT_TRUE(CreateDirectoryW(W(m_dir + u"\\Games"), nullptr));
  ASSERT_TRUE(plat::WriteWholeFile(m_dir + u"\\Games\\x.mck", "x", 1));
  wchar_t full[MAX_PATH];
  struct Case {
    std::u16string name;  // as a folder below m_dir
    std::u16string systemReads;  // what the system makes of m_dir\name ("" = a device)
  } cases[] = {
      {u"..", m_dir.substr(0, m_dir.rfind(u'\\'))},
      {u".", m_dir},
      {u"Games.", m_dir + u"\\Games"},
      {u"Games ", m_dir + u"\\Games"},
      {u"CON", u""},
      {u"nul.mck", u""},
      {u"com1", u""},
      {u"LPT3.txt", u""},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(plat::IsUsableFileName(c.name));
    ASSERT_GT(GetFullPathNameW(W(m_dir + u"\\" + c.name), MAX_PATH, full, nullptr), 0u);
    const std::u16string got = U(full);
    if (c.systemReads.empty())
      EXPECT_EQ(got.compare(0, 4, u"\\\\.\\"), 0) << std::string(got.begin(), got.end());
    else
      EXPECT_TRUE(plat::SameFileName(got, c.systemReads)) << std::string(got.begin(), got.end());
  }
  // The trailing dot names the folder that is there: its file is found through it.
  EXPECT_TRUE(plat::PathExists(m_dir + u"\\Games.\\x.mck"));
}

}  // namespace
