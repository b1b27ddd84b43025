// The profiles on disk: pro.dct (40 fixed slots of one PROFILEINFO each, packed from slot 0, no
// header) and curid.dct (the current profile's identifier), both in the app-data folder, which
// the functions take ending in a backslash. In memory: the process-wide profile list, in file
// order, owning its records, and the current profile, a pointer into it.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "records/profile_record.h"

constexpr int kStoreSlots = 40;
constexpr uint32_t kStoreBytes = kStoreSlots * sizeof(PROFILEINFO);  // 354240

using ProfileList = std::list<std::unique_ptr<PROFILEINFO>>;
extern ProfileList g_ProfileList;
// Null, or a record owned by g_ProfileList.
extern PROFILEINFO* g_pCurProfile;

// Replaces the list with the used slots of pro.dct (dwId not 0), in slot order. A missing file
// logs "Open pro file err=%d" and leaves the list empty; a short file counts its missing slots as
// empty. The current profile is cleared, since its record is gone.
bool LoadProfileStore(const std::u16string& appDataFolder);

// The same from a store image already in memory (`size` may be anything; missing slots are empty).
void LoadProfileStoreFromBytes(const uint8_t* bytes, size_t size);
// The pro.dct image SaveProfileStore writes, into `image` (whose memory is reused).
void ProfileStoreImage(std::vector<uint8_t>& image);

// Writes the first 40 records with an identifier to pro.dct, the rest of the file zero. The file
// is written beside the old one and moved over it only once complete, so a failed save leaves the
// previous store as it was.
bool SaveProfileStore(const std::u16string& appDataFolder);

// Writes the current profile's identifier to curid.dct; does nothing without a current profile.
// Failures are silent: the old identifier stays.
bool SaveCurrentProfileId(const std::u16string& appDataFolder);
// The identifier in curid.dct (up to 4 bytes, little-endian), or 0 when it cannot be read.
uint32_t LoadCurrentProfileId(const std::u16string& appDataFolder);
// The identifier in the first `size` (at most 4) bytes of a curid.dct image.
uint32_t ProfileIdFromBytes(const uint8_t* bytes, size_t size);

// What the main window does after loading: a list that does not hold exactly three profiles
// gets three new default ones appended, named "%s%d" from `baseName` (tc_proname) and 1, 2, 3.
// Returns how many were added.
int AddDefaultProfilesUnlessThree(const std::u16string& baseName);

// Finds a record of the list by identifier (nullptr for 0 or none).
PROFILEINFO* FindProfile(uint32_t id);
bool ProfileListHasId(uint32_t id);
// Frees every record and clears the current profile.
void ClearProfileList();
