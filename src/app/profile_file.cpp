#include "app/profile_file.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "log/log.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/key_function.h"
#include "profile/profile.h"

namespace {

constexpr size_t kSlotsOffset = sizeof(PROFILEINFO);

static_assert(kSlotsOffset + kProfileFileMacroSlots * kMacroRecordBytes == kProfileFileBytes,
              "a profile file is the record and ten macro slots");

// The names the library's top level already uses, as the file system compares them: each
// file's name without its extension (the name its macro shows), each file's whole name (an
// import must not replace it) and each folder's (folders and macros share the tree's names).
std::set<std::u16string> TopLevelNames(const std::u16string& macroFolder) {
  std::set<std::u16string> names;
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(macroFolder, entries)) return names;
  for (const plat::DirEntry& e : entries) {
    names.insert(plat::FileNameKey(e.name));
    const size_t dot = e.name.rfind(u'.');
    if (!e.isDirectory && dot != std::u16string::npos) names.insert(plat::FileNameKey(e.name.substr(0, dot)));
  }
  return names;
}

bool Taken(const std::u16string& name, const std::set<std::u16string>& taken) {
  return taken.count(plat::FileNameKey(name)) || taken.count(plat::FileNameKey(name + u".mck"));
}

// `base`, or "base (2)", "base (3)", ... cut so the whole stays within 39 characters.
std::u16string UniqueName(const std::u16string& base, std::set<std::u16string>& taken) {
  const size_t limit = kMacroNameUnits - 1;
  std::u16string name = base.substr(0, limit);
  for (int n = 2; Taken(name, taken); ++n) {
    const std::u16string suffix = u" (" + u16::FromUtf8(std::to_string(n)) + u")";
    name = plat::MakeUsableFileName(base.substr(0, limit - suffix.size()), u"Macro", limit) + suffix;
  }
  taken.insert(plat::FileNameKey(name));
  return name;
}

struct ImportedMacro {
  StMacro record;
  std::u16string path;
};

}  // namespace

std::u16string ProfileFileNotice(ProfileFileError error) {
  switch (error) {
    case ProfileFileError::None: return u"";
    case ProfileFileError::TooManyMacros:
      return u"This profile uses more than 10 macros; a profile file holds at most 10. Nothing was written.";
    case ProfileFileError::CreateFailed: return u"Create profile failed.";
    case ProfileFileError::OpenFailed: return u"Open profile failed";
    case ProfileFileError::Empty: return u"Open profile failed.";
    case ProfileFileError::ReadFailed: return u"Read profile failed. The file could not be read to its end.";
    case ProfileFileError::NotAProfile: return u"This is not a valid profile";
    case ProfileFileError::LibraryWriteFailed:
      return u"The macros of this profile could not be saved in the macro library. Nothing was changed.";
  }
  return u"";
}

std::u16string ProposedProfileFileName(const PROFILEINFO& profile) {
  // The name gives way, not the ending: "<long name>.kb" would be saved as it stands (it has an
  // extension, so none is added) and the open dialog, which lists .kbp files, would never show it.
  constexpr size_t kProposalUnits = 19;
  const std::u16string ending = u".kbp";
  size_t n = 0;
  while (n < kProposalUnits - ending.size() && profile.szName[n]) ++n;
  return std::u16string(profile.szName, n) + ending;
}

ProfileFileError BuildProfileFile(const PROFILEINFO& profile, std::vector<uint8_t>& out) {
  out.assign(kProfileFileBytes, 0);
  std::memcpy(out.data(), &profile, sizeof profile);
  std::vector<uint32_t> stored;
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  for (const KEYINFO& key : profile.KeyInfo) {
    if (key.bType != kKeyTypeMacro) continue;
    bool already = false;
    for (uint32_t id : stored) already = already || id == key.dwMacroId;
    if (already) continue;
    const StMacro* macro = FindMacroById(key.dwMacroId);
    if (!macro) continue;
    if (stored.size() == static_cast<size_t>(kProfileFileMacroSlots)) {
      out.clear();
      return ProfileFileError::TooManyMacros;
    }
    StMacro copy = *macro;
    // Buffer numbers belong to one apply run on this machine.
    copy.Macro_Buffer_ID = 0;
    std::memcpy(out.data() + kSlotsOffset + stored.size() * kMacroRecordBytes, &copy, kMacroRecordBytes);
    stored.push_back(key.dwMacroId);
  }
  return ProfileFileError::None;
}

ProfileFileError ExportProfileFile(const PROFILEINFO& profile, const std::u16string& path) {
  std::vector<uint8_t> bytes;
  const ProfileFileError built = BuildProfileFile(profile, bytes);
  if (built != ProfileFileError::None) return built;
  const std::u16string temp = path + u".tmp";
  if (!plat::WriteWholeFile(temp, bytes.data(), bytes.size())) {
    LogPrint(u"Export profile: write %s err=%d", temp.c_str(), static_cast<int>(plat::LastError()));
    plat::RemoveFile(temp);
    return ProfileFileError::CreateFailed;
  }
  if (!plat::MoveReplace(temp, path)) {
    LogPrint(u"Export profile: move to %s err=%d", path.c_str(), static_cast<int>(plat::LastError()));
    plat::RemoveFile(temp);
    return ProfileFileError::CreateFailed;
  }
  return ProfileFileError::None;
}

ProfileFileError ReadProfileFile(const std::u16string& path, std::vector<uint8_t>& bytes) {
  bytes.clear();
  plat::File file = plat::OpenFile(path, plat::FileMode::ReadExisting);
  if (!file) return ProfileFileError::OpenFailed;
  bytes.assign(kProfileFileBytes, 0);
  uint32_t total = 0;
  bool readError = false;
  for (;;) {
    uint32_t got = 0;
    if (!plat::ReadBytes(file, bytes.data() + total, static_cast<uint32_t>(kProfileFileBytes) - total, &got)) {
      readError = true;
      break;
    }
    if (got == 0) break;
    total += got;
    if (total == kProfileFileBytes) break;
  }
  const uint32_t err = plat::LastError();
  plat::CloseFile(file);
  if (readError) {
    // Not a short file: the rest is there but could not be read, and zeros in its place would
    // be taken for settings.
    LogPrint(u"Import profile: read %s err=%d", path.c_str(), static_cast<int>(err));
    bytes.clear();
    return ProfileFileError::ReadFailed;
  }
  if (total == 0) {
    bytes.clear();
    return ProfileFileError::Empty;
  }
  uint32_t magic = 0, id = 0;
  std::memcpy(&magic, bytes.data(), 4);
  std::memcpy(&id, bytes.data() + 4, 4);
  if (magic != kProfileMagic || id == 0) return ProfileFileError::NotAProfile;
  return ProfileFileError::None;
}

std::u16string FileSafeMacroName(const char16_t* name, size_t units) {
  std::u16string in;
  for (size_t i = 0; i < units && name[i]; ++i) in.push_back(name[i]);
  const std::u16string out = plat::MakeUsableFileName(in, u"Macro", kMacroNameUnits - 1);
  // As a macro's file it gets ".mck": "CON" is fine as a name but "CON.mck" is the device, which
  // MakeUsableFileName already turned into "CON_"; so the file name is usable too.
  return out;
}

ProfileFileError ImportProfileFile(const std::vector<uint8_t>& bytes, const std::u16string& appDataFolder,
                                   uint32_t mouseMask, PROFILEINFO& current) {
  if (bytes.size() < kProfileFileBytes) return ProfileFileError::Empty;
  PROFILEINFO incoming;
  std::memcpy(&incoming, bytes.data(), sizeof incoming);
  if (incoming.dwMagic != kProfileMagic || incoming.dwId == 0) return ProfileFileError::NotAProfile;

  const std::u16string macroFolder = MacroFolderPath(appDataFolder);
  std::set<std::u16string> takenNames = TopLevelNames(macroFolder);
  std::map<uint32_t, uint32_t> freshIdOf;  // the file's identifier -> the one it gets here
  std::vector<ImportedMacro> imported;

  for (KEYINFO& key : incoming.KeyInfo) {
    if (key.bType != kKeyTypeMacro) continue;
    auto known = freshIdOf.find(key.dwMacroId);
    if (known == freshIdOf.end()) {
      uint32_t fresh = 0;
      for (int slot = 0; slot < kProfileFileMacroSlots && key.dwMacroId != 0; ++slot) {
        const uint8_t* data = bytes.data() + kSlotsOffset + slot * kMacroRecordBytes;
        uint32_t slotId = 0;
        std::memcpy(&slotId, data + 4, 4);
        if (slotId != key.dwMacroId) continue;
        ImportedMacro m;
        std::memcpy(&m.record, data, kMacroRecordBytes);
        // The first slot with the identifier decides; a damaged one gives no macro. Slots hold
        // records as in memory, not scrambled as in a .mck, but pass the same checks.
        if (m.record.dwMagicNumber != kMacroMagic || HasUnsupportedKey(m.record, mouseMask)) break;
        m.record.Events[kMacroEventEntries - 1] = MACROEVENT{0, 0, 0};
        m.record.Macro_Buffer_ID = 0;
        m.record.dwDirtyFlags = 0;
        m.record.dwMacroId = fresh = MakeProfileId();
        const std::u16string name =
            UniqueName(FileSafeMacroName(m.record.szName, kMacroNameUnits), takenNames);
        std::memset(m.record.szName, 0, sizeof m.record.szName);
        std::memcpy(m.record.szName, name.data(), name.size() * sizeof(char16_t));
        m.path = macroFolder + u"\\" + name + u".mck";
        imported.push_back(m);
        break;
      }
      known = freshIdOf.emplace(key.dwMacroId, fresh).first;
    }
    key.dwMacroId = known->second;
  }

  if (!imported.empty() && !plat::IsDirectory(macroFolder) && !plat::MakeDirectory(macroFolder)) {
    LogPrint(u"Import profile: create %s err=%d", macroFolder.c_str(), static_cast<int>(plat::LastError()));
    return ProfileFileError::LibraryWriteFailed;
  }
  size_t written = 0;
  for (; written < imported.size(); ++written) {
    ImportedMacro& m = imported[written];
    if (!WriteMacroFile(m.path, m.record)) {
      LogPrint(u"Import profile: write %s err=%d", m.path.c_str(), static_cast<int>(plat::LastError()));
      break;
    }
  }
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  size_t appended = 0;
  if (written == imported.size())
    while (appended < imported.size() && AppendMacroCopy(imported[appended].record)) ++appended;
  if (appended < imported.size()) {
    for (size_t i = 0; i < appended; ++i) RemoveMacroById(imported[i].record.dwMacroId);
    // Only the files this import made: each was created where none was.
    for (size_t i = 0; i < written; ++i) plat::RemoveFile(imported[i].path);
    return ProfileFileError::LibraryWriteFailed;
  }
  for (const ImportedMacro& m : imported) SetMacroFile(m.record.dwMacroId, m.path);

  const uint32_t keepId = current.dwId;
  char16_t keepName[20];
  std::memcpy(keepName, current.szName, sizeof keepName);
  current = incoming;
  current.dwId = keepId;
  std::memcpy(current.szName, keepName, sizeof keepName);
  return ProfileFileError::None;
}
