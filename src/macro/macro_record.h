// The macro record: one fixed 834-byte layout that is both the in-memory record and, byte
// scrambled, the content of a .mck file; the process-wide MacroList; the limits every macro
// feature shares; and reading and writing of .mck files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "macro/my_list.h"
#include "platform/platform.h"

#pragma pack(push, 1)

struct MACROEVENT {
  uint16_t wVk;      // virtual-key code 1..255 or a mouse code 240..246; 0 ends the list
  uint16_t wDown;    // 1 press, 0 release
  uint32_t dwDelay;  // milliseconds to wait after this event
};

constexpr int kMacroEventEntries = 91;  // the last entry always stays zero
constexpr int kMacroNameUnits = 40;

struct StMacro {
  uint32_t dwMagicNumber;
  uint32_t dwMacroId;
  uint32_t dwDirtyFlags;
  uint32_t bAutoDelay;
  uint32_t dwLoopMode;
  char16_t szName[kMacroNameUnits];
  uint32_t Macro_Buffer_ID;  // 1..20 while an apply runs, else 0
  uint16_t wLoopCount;
  MACROEVENT Events[kMacroEventEntries];
};

#pragma pack(pop)

static_assert(sizeof(MACROEVENT) == 8, "MACROEVENT size");
static_assert(offsetof(MACROEVENT, wVk) == 0 && offsetof(MACROEVENT, wDown) == 2 &&
                  offsetof(MACROEVENT, dwDelay) == 4,
              "MACROEVENT offsets");
static_assert(sizeof(StMacro) == 834, "StMacro size");
static_assert(offsetof(StMacro, dwMagicNumber) == 0 && offsetof(StMacro, dwMacroId) == 4 &&
                  offsetof(StMacro, dwDirtyFlags) == 8 && offsetof(StMacro, bAutoDelay) == 12 &&
                  offsetof(StMacro, dwLoopMode) == 16 && offsetof(StMacro, szName) == 20 &&
                  offsetof(StMacro, Macro_Buffer_ID) == 100 &&
                  offsetof(StMacro, wLoopCount) == 104 && offsetof(StMacro, Events) == 106,
              "StMacro offsets");

constexpr uint32_t kMacroMagic = 0xFAFB88A0u;
constexpr size_t kMacroRecordBytes = sizeof(StMacro);
constexpr uint32_t kMacroDirtyEvents = 0x80000000u;   // event list changed, not yet written
constexpr uint32_t kMacroDirtyOptions = 0x40000000u;  // options or name changed, not yet written
constexpr uint32_t kMacroDirtyBits = kMacroDirtyEvents | kMacroDirtyOptions;

// Mouse actions inside macros; each is allowed by one bit of the MacroHasMsKey mask,
// 0x01 << (code - kMouseCodeFirst).
enum : uint16_t {
  kMouseClick = 240,
  kMouseMenu = 241,
  kMouseMiddle = 242,
  kMouseForward = 243,
  kMouseBack = 244,
  kMouseScrollUp = 245,
  kMouseScrollDown = 246,
  kMouseCodeFirst = kMouseClick,
  kMouseCodeLast = kMouseScrollDown,
};

// Limits shared by recording, editing, the library, the hardware encoder and the apply
// sequence. Fixed at build time: none of them comes from cfg.ini.
constexpr int kMacroMaxEvents = 90;           // events stored in one record
constexpr int kMacroRecordedListUnits = 48;   // size budget of one recording
constexpr int kMacroEditorShownEvents = 16;   // events shown when a stored macro is opened
constexpr uint32_t kMacroMinDelayMs = 10;     // shortest delay set by hand
constexpr uint32_t kMacroMaxDelayMs = 20470;  // 11 bits of 10 ms units on the keyboard
constexpr int kMacroMaxRepeat = 255;
constexpr int kMacroLibraryMax = 2000;        // records in MacroList for the new-macro command
constexpr int kHdMacroBytes = 48;             // one keyboard macro buffer
constexpr int kHdMacroSlots = 20;             // keyboard macro buffers
constexpr int kHdMacroMaxEvents = 15;         // 3-byte events that fit a buffer

// Every macro record in memory, in load order. Owns its items (heap StMacro, freed on removal).
extern CMyList<StMacro> MacroList;

// Appends a heap copy of the record at the tail; null when memory ran out.
StMacro* AppendMacroCopy(const StMacro& record);

// A fresh record named `name` (cut to 39 characters) with a new identifier, one repeat,
// delays on and no events. False, writing nothing, for a null name or output.
bool NewMacro(const char16_t* name, StMacro* out);

// The .mck scrambling: each byte rotated right by two bits on the way to the file.
void EncodeMacroBytes(const StMacro& record, uint8_t out[kMacroRecordBytes]);
void DecodeMacroBytes(const uint8_t in[kMacroRecordBytes], StMacro* out);

// First record of MacroList with that identifier, or null.
StMacro* FindMacroById(uint32_t id);
// Unlinks and frees the first record with that identifier; false when there is none.
bool RemoveMacroById(uint32_t id);

// True when the event list (up to its first zero code, at most 91 entries) holds a mouse code
// whose bit is clear in `mouseMask` (the MacroHasMsKey setting).
bool HasUnsupportedKey(const StMacro& record, uint32_t mouseMask);

// Number of events before the first zero code.
int MacroEventCount(const StMacro& record);

// Who reads a file decides what a bad file yields: the library scan skips it without a word,
// an import tells the user why.
enum class MacroReadMode { LibraryScan, Import };

enum class MacroReadResult {
  Ok,
  OpenFailed,
  ReadFailed,  // fewer than 834 bytes or a read error
  BadMagic,
  UnsupportedKey,
};

// Reads and checks one .mck file into *out (untouched unless the result is Ok), its buffer
// number 0 whatever the file holds. In Import mode each failure shows its message box.
MacroReadResult ReadMacroFile(const std::u16string& path, MacroReadMode mode, uint32_t mouseMask,
                              StMacro* out);
// The same checks on bytes already in memory; only the first 834 bytes count. `readError` is
// the system error code reported when there are too few bytes.
MacroReadResult ReadMacroBytes(const uint8_t* data, size_t size, MacroReadMode mode,
                               uint32_t mouseMask, StMacro* out,
                               uint32_t readError = plat::kErrHandleEof);

// Clears both dirty bits of the record, then writes its 834 encoded bytes to an open file.
// On a write failure the bits stay cleared and plat::LastError() tells why.
bool WriteMacroRecord(plat::File file, StMacro& record);
// Creates the file with the record (dirty bits cleared first, as above), only where no file is
// yet: an existing one fails with kErrFileExists and stays as it was.
bool WriteMacroFile(const std::u16string& path, StMacro& record);
