#include <windows.h>
#include <shellapi.h>

#include "app/velkorctl.h"

// The narrow argv is in the ANSI code page; folder names need the wide command line.
std::vector<std::u16string> VelkorCtlArgs(int, char**) {
  std::vector<std::u16string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  LocalFree(wide);
  return args;
}
