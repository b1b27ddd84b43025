// The library scan under the real file system's sharing rules: a macro file that another program
// holds open for writing (an editor, a sync tool) still loads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/platform.h"

namespace {

std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

TEST(MacroLibraryShared, FileHeldOpenForWritingStillLoads) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring data = std::wstring(temp) + L"velkor-held-mck\\";
  const std::wstring mac = data + L"Mac\\";
  const std::wstring file = mac + L"Held.mck";
  CreateDirectoryW(data.c_str(), nullptr);
  CreateDirectoryW(mac.c_str(), nullptr);

  StMacro record;
  ASSERT_TRUE(NewMacro(u"Held", &record));
  record.Events[0] = MACROEVENT{0x41, 1, 20};
  ASSERT_TRUE(WriteMacroFile(U16(file), record));

  // The way a writer typically holds a file: write access, others may read.
  HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);

  std::memset(&g_Settings, 0, sizeof g_Settings);
  plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) { return 1; };
  MacroList.RemoveAll();
  EXPECT_TRUE(LoadMacroLibrary(U16(data), false));
  const StMacro* loaded = FindMacroById(record.dwMacroId);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Events[0].wVk, 0x41);

  // An import reads it as well, without a box.
  StMacro imported;
  EXPECT_EQ(ReadMacroFile(U16(file), MacroReadMode::Import, 0, &imported), MacroReadResult::Ok);

  CloseHandle(writer);
  MacroList.RemoveAll();
  plat::ResetTestHooks();
  DeleteFileW(file.c_str());
  RemoveDirectoryW(mac.c_str());
  RemoveDirectoryW(data.c_str());
}

}  // namespace
