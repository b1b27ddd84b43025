#include "config/folders.h"

std::u16string g_ProgramFolder;
std::u16string g_AppDataFolder;
