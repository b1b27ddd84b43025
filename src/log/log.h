// The diagnostic log: one process-wide entry point, LogPrint, that sends printf-style messages
// nowhere, to the debugger output, or to Log.txt on the desktop, as the Debug setting says.
#pragma once

#include <cstdint>
#include <string>

struct PROFILEINFO;

// The Debug setting: 0 off, 2 the log file, anything else the debugger output.
extern int32_t g_Debug;

using LogWriter = void (*)(const char16_t* format, ...);
// The active writer; set by LogInit and never changed afterwards.
extern LogWriter LogPrint;

void LogInit();
void LogToDebugger(const char16_t* format, ...);
void LogToFile(const char16_t* format, ...);
void LogHexDump(const uint8_t* buffer, int length, int perLine, const char16_t* prefix);
void DumpProfileSettings(const PROFILEINFO* record);

// The name the diagnostic dump gives a lighting mode ("UnKnown" outside 0..9).
const char16_t* LedModeName(uint32_t mode);
// The path LogInit formed ("%s\\Log.txt" in the desktop folder).
const std::u16string& LogFilePath();
