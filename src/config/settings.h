// The settings block: everything cfg.ini's [OPT] section says about the keyboard model and the
// look, read once at start-up and only read afterwards (no lock needed on other threads).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

#include "records/profile_record.h"

struct Settings {
  int32_t Suwnd;          // show the main window even without a keyboard
  int32_t MatchStr;       // discovery also compares the product string with USBString
  int32_t Macro_Opt_X;    // left edge of the macro editor's option column
  int32_t BtnTips;        // tool-tip switch handed to every skinned button
  int32_t MinDelay;       // read, no effect
  int32_t MacroDir;       // macro library shows sub-folders as groups
  int32_t MacroHasMsKey;  // bit 0x01 for mouse code 240 .. 0x40 for 246
  uint16_t ListTrans;     // macro editor lists drawn over the background picture
  RECT32 rcMacroList;
  RECT32 rcKeyList;
  RECT32 rcKB;            // keyboard picture inside the main window
  int32_t ApplyNow;       // send every change at once
  uint16_t VID;
  uint16_t PID;
  char16_t USBString[30]; // expected product string; empty means "Gaming Mouse"
  char16_t appdir[30];    // folder name under the local application data
  uint16_t Pop;           // run the device listener
  uint16_t TrayIcon;      // 1 tray only, 3 tray and window, anything else no tray
  int32_t GoWithNoDev;    // Apply and OK work without a device
  int32_t Gest;           // read, no effect
  uint8_t LEDParam[6];    // mode, then that mode's speed, direction, brightness, colour, random
  uint8_t PSD[6];         // read and validated, no effect
  // Colours are 0x00BBGGRR.
  uint32_t Txt_clr;
  uint32_t Btn_txt_clr_nr;
  uint32_t Btn_txt_clr_ov;
  uint32_t Btn_txt_clr_dn;
  uint32_t Menu_txt_clr_nr;
  uint32_t Menu_txt_clr_ov;
  uint32_t Menu_txt_clr_dn;
  uint32_t LstBox_txt_clr_nr;
  uint32_t LstBox_txt_clr_dn;
  uint32_t LstBox_bkg_clr;
  uint32_t LstBox_item_clr;
  uint32_t ClrKeyOv;      // never 0: black would make the outline invisible, so 0 reads as red
  uint32_t ClrKeyDn;
  uint32_t ClrKeyHasFunc;
};

extern Settings g_Settings;

// LEDParam when cfg.ini has none (or a faulty one): mode 2, speed 4, direction 0, brightness 4,
// colour 0, random colour off.
constexpr uint8_t kDefaultLedParam[6] = {2, 4, 0, 4, 0, 0};

// Clears the settings block and the layout, reads "<programFolder>cfg.ini" ([OPT] keys, then
// the [KEY] layout) and sets up the log as soon as Debug is known. Faults are shown in plain
// message boxes and loading goes on with defaults, so it always succeeds.
bool LoadConfig(const std::u16string& programFolder);
// The same from a file already open (or text in memory, as the fuzz target loads it).
bool LoadConfigFrom(const plat::IniFile& file);

// TrayIcon as the main window uses it: 1 tray only, 3 tray and window, 2 (no tray) for any other.
int TrayIconMode();

// Reads a comma-separated number list: runs of commas count as one, leading and trailing commas
// are ignored, each piece must be one whole number in `base` (leading blanks, a sign and in base
// 16 a "0x" prefix allowed). The first piece with anything after its number ends the list.
// Stops after `maxCount` numbers; only the first 511 units of `text` are looked at. Values out of
// the 32-bit range saturate. Returns how many numbers were stored in `out`.
int ParseNumberList(const std::u16string& text, int base, int32_t* out, int maxCount);

// Parses one piece of a list: true when it is a whole number in `base` with nothing after it.
bool ParseWholeNumber(const std::u16string& piece, int base, int32_t& value);
