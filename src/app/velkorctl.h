// velkorctl: the console companion of Velkor.exe. It reads the same program folder (cfg.ini,
// text.xml, Lodrex.dll) and application-data folder (pro.dct, curid.dct, Mac\) and lists the
// stored profiles, prints the reports an apply would send, or sends them to the keyboard; and
// runs the macro library's commands.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum VelkorCtlExit {
  kCtlOk = 0,
  kCtlApplyFailed = 1,
  kCtlNoKeyboardOrUsage = 2,
  kCtlRefused = 1,     // a macro command refused or failed
  kCtlNoSuchItem = 2,  // a macro command named no item of the library
};

// Runs one command line (without the program name); writes results to `out` and one-line
// reasons to `err`. Returns the exit status.
int VelkorCtlMain(const std::vector<std::u16string>& args, FILE* out, FILE* err);

// The arguments of this process's command line, without the program name, in UTF-16.
std::vector<std::u16string> VelkorCtlArgs(int argc, char** argv);
