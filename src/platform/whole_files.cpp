// Whole-file reads and writes, built on the seam's file handles so both builds share them.
#include "platform/platform.h"

namespace plat {

bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>& out, size_t maxBytes) {
  out.clear();
  File f = OpenFile(path, FileMode::ReadExisting);
  if (!f) return false;
  uint8_t chunk[65536];
  bool ok = true;
  while (out.size() < maxBytes) {
    size_t want = maxBytes - out.size();
    if (want > sizeof chunk) want = sizeof chunk;
    uint32_t got = 0;
    if (!ReadBytes(f, chunk, static_cast<uint32_t>(want), &got)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  uint32_t err = LastError();
  CloseFile(f);
  SetLastError(ok ? 0 : err);
  return ok;
}

bool WriteWholeFile(const std::u16string& path, const void* data, size_t size) {
  File f = OpenFile(path, FileMode::CreateAlways);
  if (!f) return false;
  bool ok = WriteBytes(f, data, static_cast<uint32_t>(size));
  uint32_t err = LastError();
  CloseFile(f);
  SetLastError(ok ? 0 : err);
  return ok;
}

}  // namespace plat
