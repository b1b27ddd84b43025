// pro.dct and curid.dct from arbitrary bytes: the first byte picks how many of the following bytes
// (0..8) form curid.dct, the rest is pro.dct. Whatever loads must save and load back unchanged.
// Loading from memory goes through the same slot reading as the file path, without the disk.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "profile/profile.h"
#include "profile/profile_store.h"

namespace {

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
  size_t idBytes = size ? data[0] % 9 : 0;
  if (size) {
    ++data;
    --size;
  }
  if (idBytes > size) idBytes = size;

  LoadProfileStoreFromBytes(data + idBytes, size - idBytes);
  if (g_ProfileList.size() > static_cast<size_t>(kStoreSlots)) abort();
  uint32_t id = ProfileIdFromBytes(data, idBytes);
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
  static std::vector<uint8_t> image;  // kept: a fresh 354 kB buffer per input costs more than the rest
  ProfileStoreImage(image);
  if (image.size() != kStoreBytes) abort();
  const uint32_t currentId = g_pCurProfile ? g_pCurProfile->dwId : 0;
  LoadProfileStoreFromBytes(image.data(), image.size());
  if (Snapshot() != before) abort();
  if (!before.empty() && !FindProfile(currentId)) abort();
  ClearProfileList();
  return 0;
}
