// pro.dct and curid.dct from arbitrary bytes: the first byte picks how many of the following bytes
// (0..8) form curid.dct, the rest is pro.dct. Whatever loads must save and load back unchanged.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "log/log.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"
#include "profile/profile_store.h"

namespace {

std::string g_dir;

void Write(const char* name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen((g_dir + "/" + name).c_str(), "wb");
  if (!f) abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

std::vector<std::vector<uint8_t>> Snapshot() {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& r : g_ProfileList) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(r.get());
    out.emplace_back(p, p + sizeof(PROFILEINFO));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_dir.empty()) {
    char dir[] = "/tmp/velkor-fuzz-store-XXXXXX";
    if (!mkdtemp(dir)) abort();
    g_dir = dir;
    plat::TestHooks().debugOutput = [](const std::u16string&) {};
    g_Debug = 1;
    LogInit();
  }
  const std::u16string folder = u16::FromUtf8(g_dir + "/");
  size_t idBytes = size ? data[0] % 9 : 0;
  if (size) {
    ++data;
    --size;
  }
  if (idBytes > size) idBytes = size;
  Write("curid.dct", data, idBytes);
  Write("pro.dct", data + idBytes, size - idBytes);

  LoadProfileStore(folder);
  if (g_ProfileList.size() > static_cast<size_t>(kStoreSlots)) abort();
  uint32_t id = LoadCurrentProfileId(folder);
  g_pCurProfile = FindProfile(id);
  if (!g_pCurProfile && !g_ProfileList.empty()) g_pCurProfile = g_ProfileList.front().get();
  unsigned types = 0;
  for (const auto& r : g_ProfileList) {
    if (r->dwId == 0) abort();
    for (int slot = 0; slot < kKeySlots; ++slot)
      if (const KEYINFO* k = ProfileKeyEntry(r.get(), slot)) types += k->bType;
  }
  if (types == 0xFFFFFFFFu) printf(" ");  // keeps the reads

  const auto before = Snapshot();
  if (!SaveProfileStore(folder)) abort();
  if (g_pCurProfile && !SaveCurrentProfileId(folder)) abort();
  LoadProfileStore(folder);
  if (Snapshot() != before) abort();
  if (!before.empty() && LoadCurrentProfileId(folder) == 0) abort();
  ClearProfileList();
  return 0;
}
