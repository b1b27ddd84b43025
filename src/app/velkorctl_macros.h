// velkorctl's macro commands: the library's listing, and new, mkdir, rename, delete, import and
// export of one item. Each runs the command the editor's menus run, on a library tree loaded as
// the editor loads it, with the item the PATH names selected, so the window and the command
// line take the same decisions and give the same notices.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// "macros" and "macro".
bool IsMacroCommand(const std::u16string& command);

// Why the operands do not make a command (empty when they do): `operands` are the words after
// the command, the sub-command first.
std::string CheckMacroOperands(const std::u16string& command, const std::vector<std::u16string>& operands);

// Runs a checked macro command on the library of the application-data folder; the settings and
// texts are loaded already. The listing goes to `out`, notices to `err`. Returns the exit
// status: 0 done, 1 refused or failed (a notice says why; nothing on disk changed on a refusal),
// 2 no such item.
int RunMacroCommand(const std::u16string& command, const std::vector<std::u16string>& operands,
                    const std::u16string& appData, FILE* out, FILE* err);
