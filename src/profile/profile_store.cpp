#include "profile/profile_store.h"

#include <cstring>
#include <new>
#include <vector>

#include "log/log.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"

ProfileList g_ProfileList;
PROFILEINFO* g_pCurProfile = nullptr;

namespace {

constexpr size_t kRecordBytes = sizeof(PROFILEINFO);

std::u16string StorePath(const std::u16string& folder, const char16_t* name) {
  return u16::Format(u"%s%s", folder.c_str(), name);
}

uint32_t SlotId(const uint8_t* slot) {
  return static_cast<uint32_t>(slot[4]) | (static_cast<uint32_t>(slot[5]) << 8) |
         (static_cast<uint32_t>(slot[6]) << 16) | (static_cast<uint32_t>(slot[7]) << 24);
}

// Writes `data` to a temporary file beside `path` and moves it over `path` once it is complete
// on disk. `what` names the step that failed: 0 create, 1 write, 2 move.
bool ReplaceFile(const std::u16string& path, const void* data, uint32_t size, int& what, uint32_t& err) {
  std::u16string temp = path + u".tmp";
  plat::File f = plat::OpenFile(temp, plat::FileMode::CreateAlways);
  if (!f) {
    what = 0;
    err = plat::LastError();
    return false;
  }
  bool ok = plat::WriteBytes(f, data, size) && plat::FlushBytes(f);
  err = plat::LastError();
  plat::CloseFile(f);
  if (ok && !plat::MoveReplace(temp, path)) {
    what = 2;
    err = plat::LastError();
    plat::RemoveFile(temp);
    return false;
  }
  if (!ok) {
    what = 1;
    plat::RemoveFile(temp);
    return false;
  }
  return true;
}

// The used slots (dwId not 0) of a store image, in slot order; one without memory is skipped.
void AppendStoreRecords(const uint8_t* bytes, size_t size, ProfileList& out) {
  for (size_t offset = 0; offset + kRecordBytes <= size && offset < kStoreBytes; offset += kRecordBytes) {
    if (SlotId(bytes + offset) == 0) continue;
    std::unique_ptr<PROFILEINFO> record(new (std::nothrow) PROFILEINFO);
    if (!record) continue;
    std::memcpy(record.get(), bytes + offset, kRecordBytes);
    out.push_back(std::move(record));
  }
}

}  // namespace

void ClearProfileList() {
  g_pCurProfile = nullptr;
  g_ProfileList.clear();
}

PROFILEINFO* FindProfile(uint32_t id) {
  if (id == 0) return nullptr;
  for (auto& record : g_ProfileList)
    if (record && record->dwId == id) return record.get();
  return nullptr;
}

bool ProfileListHasId(uint32_t id) { return FindProfile(id) != nullptr; }

bool LoadProfileStore(const std::u16string& appDataFolder) {
  std::vector<uint8_t> buffer(kStoreBytes, 0);
  plat::File f = plat::OpenFile(StorePath(appDataFolder, u"pro.dct"), plat::FileMode::ReadExisting);
  bool opened = static_cast<bool>(f);
  if (!opened) {
    LogPrint(u"Open pro file err=%d", static_cast<int>(plat::LastError()));
  } else {
    uint32_t got = 0;
    plat::ReadBytes(f, buffer.data(), kStoreBytes, &got);  // a short file leaves zero slots
    plat::CloseFile(f);
  }
  LoadProfileStoreFromBytes(buffer.data(), buffer.size());
  return opened;
}

void LoadProfileStoreFromBytes(const uint8_t* bytes, size_t size) {
  ClearProfileList();
  if (bytes) AppendStoreRecords(bytes, size, g_ProfileList);
}

void ProfileStoreImage(std::vector<uint8_t>& buffer) {
  buffer.assign(kStoreBytes, 0);
  int slot = 0;
  for (const auto& record : g_ProfileList) {
    if (slot == kStoreSlots) break;
    if (!record || record->dwId == 0) continue;
    std::memcpy(buffer.data() + slot * kRecordBytes, record.get(), kRecordBytes);
    ++slot;
  }
}

bool SaveProfileStore(const std::u16string& appDataFolder) {
  std::vector<uint8_t> buffer;
  ProfileStoreImage(buffer);
  int failed = 0;
  uint32_t err = 0;
  if (ReplaceFile(StorePath(appDataFolder, u"pro.dct"), buffer.data(), kStoreBytes, failed, err)) return true;
  // A temporary file that cannot take pro.dct's place is pro.dct that cannot be created.
  if (failed == 1)
    LogPrint(u"Save pro: WriteFile err=%d", static_cast<int>(err));
  else
    LogPrint(u"Save pro: CreateFile err=%d", static_cast<int>(err));
  return false;
}

bool SaveCurrentProfileId(const std::u16string& appDataFolder) {
  if (!g_pCurProfile) return false;
  uint32_t id = g_pCurProfile->dwId;
  uint8_t bytes[4] = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id >> 16),
                      static_cast<uint8_t>(id >> 24)};
  int failed = 0;
  uint32_t err = 0;
  return ReplaceFile(StorePath(appDataFolder, u"curid.dct"), bytes, sizeof bytes, failed, err);
}

uint32_t LoadCurrentProfileId(const std::u16string& appDataFolder) {
  plat::File f = plat::OpenFile(StorePath(appDataFolder, u"curid.dct"), plat::FileMode::ReadExisting);
  if (!f) return 0;
  uint8_t bytes[4] = {};
  uint32_t got = 0;
  plat::ReadBytes(f, bytes, sizeof bytes, &got);
  plat::CloseFile(f);
  return ProfileIdFromBytes(bytes, got);
}

uint32_t ProfileIdFromBytes(const uint8_t* bytes, size_t size) {
  uint32_t id = 0;
  for (size_t i = 0; bytes && i < size && i < 4; ++i) id |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  return id;
}

int AddDefaultProfilesUnlessThree(const std::u16string& baseName) {
  if (g_ProfileList.size() == 3) return 0;
  int added = 0;
  for (int n = 1; n <= 3; ++n) {
    std::unique_ptr<PROFILEINFO> record(new (std::nothrow) PROFILEINFO);
    if (!record) break;
    NewProfile(u16::Format(u"%s%d", baseName.c_str(), n).c_str(), record.get());
    g_ProfileList.push_back(std::move(record));
    ++added;
  }
  return added;
}
