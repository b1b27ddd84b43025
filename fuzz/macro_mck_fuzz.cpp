// The .mck reader sees files of any length and content: library scans read whatever sits in
// the macro folder, imports read whatever the user picks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "macro/macro_record.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool hooked = [] {
    plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) {
      return plat::kIdOk;
    };
    return true;
  }();
  (void)hooked;

  // Exact-size copy so that any read past the input is caught.
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  const uint32_t masks[] = {0x00, 0x01, 0x7F, size ? data[size - 1] : 0u};
  for (uint32_t mask : masks) {
    for (MacroReadMode mode : {MacroReadMode::LibraryScan, MacroReadMode::Import}) {
      StMacro record;
      if (ReadMacroBytes(copy, size, mode, mask, &record) != MacroReadResult::Ok) continue;
      if (record.dwMagicNumber != kMacroMagic || HasUnsupportedKey(record, mask)) std::abort();
      if (MacroEventCount(record) > kMacroEventEntries) std::abort();
      if (record.Macro_Buffer_ID != 0) std::abort();
      // Everything but the buffer number (which a read always clears) comes back as it was.
      uint8_t again[kMacroRecordBytes];
      EncodeMacroBytes(record, again);
      const size_t id = offsetof(StMacro, Macro_Buffer_ID);
      if (std::memcmp(again, copy, id) != 0) std::abort();
      const size_t rest = id + sizeof record.Macro_Buffer_ID;
      if (std::memcmp(again + rest, copy + rest, kMacroRecordBytes - rest) != 0) std::abort();
    }
  }
  std::free(copy);
  return 0;
}
