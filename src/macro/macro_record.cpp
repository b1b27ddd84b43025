#include "macro/macro_record.h"

#include <cstring>
#include <new>

#include "config/key_names.h"
#include "platform/u16.h"
#include "profile/profile.h"

namespace {

void FreeMacro(StMacro* record) { delete record; }

void ShowImportError(const std::u16string& text) {
  plat::ShowMessageBox(text, u"Error", plat::kMbOk | plat::kMbIconError);
}

MacroReadResult Fail(MacroReadMode mode, MacroReadResult result, uint32_t errorCode) {
  if (mode != MacroReadMode::Import) return result;
  switch (result) {
    case MacroReadResult::OpenFailed:
      ShowImportError(u16::Format(u"Open macro file failed. error=0x%x", errorCode));
      break;
    case MacroReadResult::ReadFailed:
      ShowImportError(u16::Format(u"Read macro file failed. error=0x%x", errorCode));
      break;
    case MacroReadResult::BadMagic:
      ShowImportError(u"This is not a valid macro file.");
      break;
    case MacroReadResult::UnsupportedKey:
      ShowImportError(u"This macro contains unsupported key.");
      break;
    case MacroReadResult::Ok:
      break;
  }
  return result;
}

}  // namespace

CMyList<StMacro> MacroList(FreeMacro);

namespace {

bool MacroNameById(uint32_t id, std::u16string* name) {
  const StMacro* record = FindMacroById(id);
  if (!record) return false;
  if (name) name->assign(record->szName, u16::BoundedLength(record->szName, kMacroNameUnits));
  return true;
}

// Whatever links the macro list also gets macro names in key function texts, and new
// identifiers (profiles' and macros' alike) that steer clear of the macros held.
struct MacroListHooks {
  MacroListHooks() {
    SetMacroNameLookup(MacroNameById);
    AddIdTakenCheck([](uint32_t id) { return FindMacroById(id) != nullptr; });
  }
} g_macroListHooks;

}  // namespace

StMacro* AppendMacroCopy(const StMacro& record) {
  StMacro* copy = new (std::nothrow) StMacro(record);
  if (!copy) return nullptr;
  if (!MacroList.AddTail(copy)) {
    delete copy;
    return nullptr;
  }
  return copy;
}

bool NewMacro(const char16_t* name, StMacro* out) {
  if (!name || !out) return false;
  std::memset(out, 0, sizeof(StMacro));
  out->dwMagicNumber = kMacroMagic;
  out->dwMacroId = MakeProfileId();
  out->bAutoDelay = 1;
  out->wLoopCount = 1;
  u16::CopyTruncated(out->szName, kMacroNameUnits, name);
  return true;
}

void EncodeMacroBytes(const StMacro& record, uint8_t out[kMacroRecordBytes]) {
  uint8_t raw[kMacroRecordBytes];
  std::memcpy(raw, &record, kMacroRecordBytes);
  for (size_t i = 0; i < kMacroRecordBytes; ++i)
    out[i] = static_cast<uint8_t>((raw[i] >> 2) | (raw[i] << 6));
}

void DecodeMacroBytes(const uint8_t in[kMacroRecordBytes], StMacro* out) {
  uint8_t raw[kMacroRecordBytes];
  for (size_t i = 0; i < kMacroRecordBytes; ++i)
    raw[i] = static_cast<uint8_t>((in[i] << 2) | (in[i] >> 6));
  std::memcpy(out, raw, kMacroRecordBytes);
}

StMacro* FindMacroById(uint32_t id) {
  return CMyList<StMacro>::GetAt(MacroList.Find([id](const StMacro& m) { return m.dwMacroId == id; }));
}

bool RemoveMacroById(uint32_t id) {
  auto pos = MacroList.Find([id](const StMacro& m) { return m.dwMacroId == id; });
  if (!pos) return false;
  MacroList.RemoveAt(pos);
  return true;
}

bool HasUnsupportedKey(const StMacro& record, uint32_t mouseMask) {
  for (const MACROEVENT& ev : record.Events) {
    if (ev.wVk == 0) break;
    if (ev.wVk < kMouseCodeFirst || ev.wVk > kMouseCodeLast) continue;
    if (!(mouseMask & (0x01u << (ev.wVk - kMouseCodeFirst)))) return true;
  }
  return false;
}

int MacroEventCount(const StMacro& record) {
  int n = 0;
  while (n < kMacroEventEntries && record.Events[n].wVk != 0) ++n;
  return n;
}

MacroReadResult ReadMacroBytes(const uint8_t* data, size_t size, MacroReadMode mode,
                               uint32_t mouseMask, StMacro* out, uint32_t readError) {
  if (!data || size < kMacroRecordBytes) return Fail(mode, MacroReadResult::ReadFailed, readError);
  StMacro record;
  DecodeMacroBytes(data, &record);
  if (record.dwMagicNumber != kMacroMagic) return Fail(mode, MacroReadResult::BadMagic, 0);
  if (HasUnsupportedKey(record, mouseMask)) return Fail(mode, MacroReadResult::UnsupportedKey, 0);
  // A buffer number only means something during the apply that gave it; one saved in a file
  // would keep the macro from being encoded and take its number from every other macro.
  record.Macro_Buffer_ID = 0;
  if (out) *out = record;
  return MacroReadResult::Ok;
}

MacroReadResult ReadMacroFile(const std::u16string& path, MacroReadMode mode, uint32_t mouseMask,
                              StMacro* out) {
  // Others may be writing the file (an editor, a sync tool): its record still counts.
  plat::File file = plat::OpenFile(path, plat::FileMode::ReadShared);
  if (!file) return Fail(mode, MacroReadResult::OpenFailed, plat::LastError());

  // A short read can come in pieces; only a read that yields nothing ends the file.
  uint8_t bytes[kMacroRecordBytes];
  uint32_t total = 0;
  uint32_t error = plat::kErrHandleEof;
  while (total < kMacroRecordBytes) {
    uint32_t got = 0;
    if (!plat::ReadBytes(file, bytes + total, static_cast<uint32_t>(kMacroRecordBytes - total), &got)) {
      error = plat::LastError();
      break;
    }
    if (got == 0) break;
    total += got;
  }
  plat::CloseFile(file);
  return ReadMacroBytes(bytes, total, mode, mouseMask, out, error);
}

bool WriteMacroRecord(plat::File file, StMacro& record) {
  record.dwDirtyFlags &= ~kMacroDirtyBits;
  uint8_t bytes[kMacroRecordBytes];
  EncodeMacroBytes(record, bytes);
  return plat::WriteBytes(file, bytes, static_cast<uint32_t>(kMacroRecordBytes));
}

bool WriteMacroFile(const std::u16string& path, StMacro& record) {
  plat::File file = plat::OpenFile(path, plat::FileMode::CreateNew);
  if (!file) return false;
  bool ok = WriteMacroRecord(file, record);
  uint32_t error = plat::LastError();
  plat::CloseFile(file);
  if (!ok) {
    plat::RemoveFile(path);  // ours, made just now: no half record stays behind
    plat::SetLastError(error);
  }
  return ok;
}
