// .kbp import into a library that already holds files, some of which look like what an import
// would write: whatever the bytes, no file outside the library changes, no file that was there
// changes, and every macro the profile's keys then point at loads back from a file of its own
// inside the library.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/profile_file.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/key_function.h"
#include "profile/profile.h"

namespace {

std::u16string g_root;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Every file below `folder`, by path relative to it, with its bytes.
void Snapshot(const std::u16string& folder, const std::u16string& rel, std::map<std::u16string, std::vector<uint8_t>>& out) {
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder + rel, entries)) return;
  for (const plat::DirEntry& e : entries) {
    const std::u16string path = rel + u"/" + e.name;
    if (e.isDirectory) {
      out[path + u"/"];
      Snapshot(folder, path, out);
    } else {
      plat::ReadWholeFile(folder + path, out[path]);
    }
  }
}

void RemoveBelow(const std::u16string& folder) {
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return;
  for (const plat::DirEntry& e : entries) {
    const std::u16string path = folder + u"/" + e.name;
    if (e.isDirectory) {
      RemoveBelow(path);
      plat::RemoveDirectory(path);
    } else {
      plat::RemoveFile(path);
    }
  }
}

void WriteMacro(const std::u16string& path, uint32_t id, const char16_t* name) {
  StMacro m;
  NewMacro(name, &m);
  m.dwMacroId = id;
  m.Events[0] = MACROEVENT{0x41, 1, 10};
  uint8_t bytes[kMacroRecordBytes];
  EncodeMacroBytes(m, bytes);
  plat::WriteWholeFile(path, bytes, sizeof bytes);
}

// The library as a user may have it: macros whose names an import would also make, a folder,
// a file that is no macro, and the data folder's own files beside it.
void LayOut(const std::u16string& appData) {
  const std::u16string mac = appData + u"Mac";
  plat::MakeDirectory(appData);
  plat::MakeDirectory(mac);
  plat::MakeDirectory(mac + u"/Games");
  plat::WriteWholeFile(appData + u"pro.dct", "store", 5);
  plat::WriteWholeFile(g_root + u"/outside.txt", "outside", 7);
  WriteMacro(mac + u"/\u00C4rger.mck", 0x010203, u"\u00C4rger");
  WriteMacro(mac + u"/Macro.mck", 0x010204, u"Macro");
  WriteMacro(mac + u"/Games/Inner.mck", 0x010205, u"Inner");
  plat::WriteWholeFile(mac + u"/CON_.mck", "not a macro", 11);
  plat::WriteWholeFile(mac + u"/Games.mck", "", 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    plat::TestHooks().messageBox = [](const std::u16string&, const std::u16string&, uint32_t) { return plat::kIdOk; };
    plat::TestHooks().debugOutput = [](const std::u16string&) {};
    plat::TestHooks().sleep = [](uint32_t) {};
    static uint32_t tick = 0;
    plat::TestHooks().localTime = [] {
      plat::LocalTime t;
      ++tick;
      t.hour = static_cast<uint16_t>(tick % 16);
      t.minute = static_cast<uint16_t>((tick / 16) % 60);
      t.second = static_cast<uint16_t>((tick / 960) % 60);
      t.milliseconds = static_cast<uint16_t>(tick % 256);
      return t;
    };
    char folder[] = "/tmp/velkor-kbp-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    g_root = u16::FromUtf8(folder);
    return true;
  }();
  (void)ready;

  const std::u16string appData = g_root + u"/data/";
  const std::u16string mac = MacroFolderPath(appData);
  RemoveBelow(g_root);
  LayOut(appData);
  plat::WriteWholeFile(g_root + u"/in.kbp", data, size);
  std::map<std::u16string, std::vector<uint8_t>> before;
  Snapshot(g_root, u"", before);
  MacroList.RemoveAll();
  ForgetKnownMacroFiles();
  ForgetIssuedIds();
  LoadMacroLibrary(appData, true);

  PROFILEINFO current;
  NewProfile(u"Mine", &current);
  const PROFILEINFO untouched = current;
  const uint32_t mask = size ? data[size - 1] & 0x7F : 0x7F;
  std::vector<uint8_t> bytes;
  ProfileFileError result = ReadProfileFile(g_root + u"/in.kbp", bytes);
  if (result == ProfileFileError::None) result = ImportProfileFile(bytes, appData, mask, current);

  std::map<std::u16string, std::vector<uint8_t>> after;
  Snapshot(g_root, u"", after);
  for (const auto& file : before) {
    auto now = after.find(file.first);
    Check(now != after.end() && now->second == file.second);
  }
  for (const auto& file : after) {
    if (before.count(file.first)) continue;
    // Something new: only a macro file, directly in the library, and only from an import that
    // went through.
    Check(result == ProfileFileError::None);
    Check(plat::IsStrictlyInside(g_root + file.first, mac));
    Check(file.first.find(u'/', 10) == std::u16string::npos);  // "/data/Mac/<name>"
    Check(plat::IsUsableFileName(file.first.substr(10)));  // on Windows, the file it names
  }
  if (result != ProfileFileError::None) {
    Check(std::memcmp(&current, &untouched, sizeof current) == 0);
  } else {
    Check(current.dwId == untouched.dwId);
    for (const KEYINFO& key : current.KeyInfo) {
      if (key.bType != kKeyTypeMacro || key.dwMacroId == 0) continue;
      const StMacro* record = FindMacroById(key.dwMacroId);
      Check(record != nullptr);
      const std::u16string file = MacroFileOf(key.dwMacroId);
      Check(plat::IsStrictlyInside(file, mac));
      StMacro back;
      Check(ReadMacroFile(file, MacroReadMode::LibraryScan, mask, &back) == MacroReadResult::Ok);
      Check(std::memcmp(&back, record, sizeof back) == 0);
    }
  }
  MacroList.RemoveAll();
  return 0;
}
