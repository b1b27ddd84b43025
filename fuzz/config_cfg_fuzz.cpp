// cfg.ini from arbitrary bytes, loaded through the normal path: settings, then the layout. Message
// boxes return at once; the log goes to a scratch folder. Whatever loads must keep the layout's promises.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "platform/ini_reader.h"
#include "platform/platform.h"
#include "platform/u16.h"

namespace {
std::string g_dir;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_dir.empty()) {
    // Inputs that turn on the file log write Log.txt there: a memory-backed folder keeps the
    // disk out of every such run.
    char shm[] = "/dev/shm/velkor-fuzz-cfg-XXXXXX";
    char tmp[] = "/tmp/velkor-fuzz-cfg-XXXXXX";
    const char* dir = mkdtemp(shm);
    if (!dir) dir = mkdtemp(tmp);
    if (!dir) abort();
    g_dir = dir;
    atexit([] {
      std::remove((g_dir + "/Log.txt").c_str());
      std::remove(g_dir.c_str());
    });
    plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) {
      return plat::kIdOk;
    };
    plat::TestHooks().debugOutput = [](const std::u16string&) {};
    plat::TestHooks().knownFolder = [](plat::KnownFolder, std::u16string& out) {
      out = u16::FromUtf8(g_dir);
      return true;
    };
  }
  // The bytes are decoded as a file's would be and read from memory: the disk adds nothing
  // but time.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!LoadConfigFrom(plat::IniFile::FromText(ini::DecodeFile(bytes)))) abort();
  if (g_Debug == 2) std::remove((g_dir + "/Log.txt").c_str());

  if (g_Settings.LEDParam[0] > 9) abort();
  if (g_KeyCount < 0 || g_KeyCount > kKeySlots) abort();
  for (int slot = 0; slot < g_KeyCount; ++slot)
    if (DefaultKeyTable[slot].nMatrix < 0 || DefaultKeyTable[slot].nMatrix >= kKeySlots) abort();
  if (g_UnRectKey.nPoints < 0 || g_UnRectKey.nPoints > kMaxPolygonPoints) abort();
  int poly = PolygonKeySlot();
  if (poly < -1 || poly >= g_KeyCount) abort();
  // A key's top-left corner hits it or an earlier slot.
  for (int slot = 0; slot < g_KeyCount; ++slot) {
    const RECT32& r = DefaultKeyTable[slot].rcKey;
    int hit = HitTestLayout(r.left, r.top);
    if (hit < -1 || hit >= g_KeyCount) abort();
    if (slot != poly && r.left < r.right && r.top < r.bottom && (hit == -1 || hit > slot)) abort();
  }
  HitTestLayout(INT32_MIN, INT32_MAX);
  return 0;
}
