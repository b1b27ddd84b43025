#include "app/profile_file.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "log/log.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/key_function.h"
#include "profile/profile.h"

namespace {

constexpr size_t kSlotsOffset = sizeof(PROFILEINFO);
constexpr char16_t kForbiddenInNames[] = u"\\/:*?\"<>|";

static_assert(kSlotsOffset + kProfileFileMacroSlots * kMacroRecordBytes == kProfileFileBytes,
              "a profile file is the record and ten macro slots");

char16_t FoldCase(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

std::u16string Folded(const std::u16string& s) {
  std::u16string out(s);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

// Names of the macro files directly in the library folder, case folded, without ".mck".
std::set<std::u16string> TopLevelMacroNames(const std::u16string& macroFolder) {
  std::set<std::u16string> names;
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(macroFolder, entries)) return names;
  for (const plat::DirEntry& e : entries) {
    if (e.isDirectory) continue;
    const size_t dot = e.name.rfind(u'.');
    names.insert(Folded(dot == std::u16string::npos ? e.name : e.name.substr(0, dot)));
  }
  return names;
}

// `base`, or "base (2)", "base (3)", ... cut so the whole stays within 39 characters.
std::u16string UniqueName(const std::u16string& base, std::set<std::u16string>& taken) {
  const size_t limit = kMacroNameUnits - 1;
  std::u16string name = base.substr(0, limit);
  for (int n = 2; taken.count(Folded(name)); ++n) {
    const std::u16string suffix = u" (" + u16::FromUtf8(std::to_string(n)) + u")";
    name = base.substr(0, limit - suffix.size()) + suffix;
  }
  taken.insert(Folded(name));
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
  for (;;) {
    uint32_t got = 0;
    if (!plat::ReadBytes(file, bytes.data() + total, static_cast<uint32_t>(kProfileFileBytes) - total, &got) ||
        got == 0)
      break;
    total += got;
    if (total == kProfileFileBytes) break;
  }
  plat::CloseFile(file);
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
  std::u16string out;
  for (size_t i = 0; i < units && name[i]; ++i) {
    const char16_t c = name[i];
    const bool bad = c < 0x20 || c == 0x7F || std::u16string(kForbiddenInNames).find(c) != std::u16string::npos;
    out.push_back(bad ? u'_' : c);
  }
  // The system drops trailing dots and blanks from file names; a name of nothing but those would
  // name no file at all.
  while (!out.empty() && (out.back() == u' ' || out.back() == u'.')) out.pop_back();
  size_t start = 0;
  while (start < out.size() && out[start] == u' ') ++start;
  out = out.substr(start, kMacroNameUnits - 1);
  while (!out.empty() && (out.back() == u' ' || out.back() == u'.')) out.pop_back();
  return out.empty() ? u"Macro" : out;
}

ProfileFileError ImportProfileFile(const std::vector<uint8_t>& bytes, const std::u16string& appDataFolder,
                                   uint32_t mouseMask, PROFILEINFO& current) {
  if (bytes.size() < kProfileFileBytes) return ProfileFileError::Empty;
  PROFILEINFO incoming;
  std::memcpy(&incoming, bytes.data(), sizeof incoming);
  if (incoming.dwMagic != kProfileMagic || incoming.dwId == 0) return ProfileFileError::NotAProfile;

  const std::u16string macroFolder = MacroFolderPath(appDataFolder);
  std::set<std::u16string> takenNames = TopLevelMacroNames(macroFolder);
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
    for (size_t i = 0; i < written; ++i) plat::RemoveFile(imported[i].path);
    return ProfileFileError::LibraryWriteFailed;
  }

  const uint32_t keepId = current.dwId;
  char16_t keepName[20];
  std::memcpy(keepName, current.szName, sizeof keepName);
  current = incoming;
  current.dwId = keepId;
  std::memcpy(current.szName, keepName, sizeof keepName);
  return ProfileFileError::None;
}
