// Valid macro files for tests that scan a library folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_record.h"
#include "unit/temp_folder.h"

// Writes a macro with identifier `id` to `rel` inside `folder`, making the folders above it.
inline void WriteTestMacro(const TempFolder& folder, const std::string& rel, uint32_t id) {
  folder.MakeFolder(rel.substr(0, rel.rfind('/')));
  StMacro record;
  std::memset(&record, 0, sizeof record);
  record.dwMagicNumber = kMacroMagic;
  record.dwMacroId = id;
  ASSERT_TRUE(WriteMacroFile(folder.U16Path(rel), record));
}
