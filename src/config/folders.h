// The two folders every subsystem uses, set once at start-up; both end in a backslash.
#pragma once

#include <string>

// The executable's folder: cfg.ini, text.xml and skins\ live there.
extern std::u16string g_ProgramFolder;
// Local application data plus the configured appdir: the profile store and the macro library.
extern std::u16string g_AppDataFolder;
