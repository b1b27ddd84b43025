#include "app/velkorctl.h"

#include <cctype>
#include <cstring>
#include <memory>

#include "log/log.h"
#include "app/profile_file.h"
#include "app/profile_menu.h"
#include "app/startup.h"
#include "app/velkorctl_macros.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "device/apply.h"
#include "device/usb_driver.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"
#include "profile/profile_store.h"

#ifndef _WIN32
std::vector<std::u16string> VelkorCtlArgs(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.push_back(u16::FromUtf8(argv[i]));
  return args;
}
#endif

namespace {

const char kUsage[] =
    "usage: velkorctl <command> [options]\n"
    "commands:\n"
    "  list                 the stored profiles: number (* = current), identifier, name\n"
    "  reports              the reports an apply would send, one per line: command and bytes\n"
    "  apply                send the profile to the keyboard through Lodrex.dll\n"
    "  export FILE          write the profile and the macros its keys use to a .kbp file\n"
    "  import FILE          load a .kbp file into the profile (its identifier and name stay); its\n"
    "                       macros join the library; the store is saved\n"
    "  link NAME            switch to the profile while a program whose file name holds NAME runs\n"
    "  unlink               remove the profile's link\n"
    "  macros               every item of the macro library, one a line:\n"
    "                       macro<TAB>PATH<TAB>0xID<TAB>EVENTS or folder<TAB>PATH\n"
    "  macro new PATH       a new empty macro, written at once\n"
    "  macro mkdir PATH     a new folder, made on disk at once\n"
    "  macro rename PATH NAME\n"
    "                       the item's new name (a name alone, no folder part)\n"
    "  macro delete PATH    a macro, or a folder with everything in it\n"
    "  macro import FILE [FOLDER]\n"
    "                       a .mck file into the library (top level, or FOLDER)\n"
    "  macro export PATH FILE\n"
    "                       a macro to a .mck file (FILE may be a folder)\n"
    "                       PATH names an item as the editor's tree shows it, relative to the\n"
    "                       library: folders and the name, \\-separated, no extension\n"
    "options:\n"
    "  --flags N            tables to write: 1 key matrix, 2 lighting, 4 key colours (default 7)\n"
    "  --profile ID         the profile with this identifier (hexadecimal; default: the current)\n"
    "  --appdata DIR        application-data folder (default: local app data and cfg.ini's appdir)\n"
    "  --help               this text\n"
    "  --                   the words after it are operands of a macro command\n"
    "exit status: 0 done, 1 the apply failed, a file was refused or not written, or a macro\n"
    "             command was refused or failed (the notice on stderr),\n"
    "             2 no keyboard, no such profile or library item, or bad arguments\n";

// Where the reports of `velkorctl reports` go instead of a device.
std::vector<std::vector<uint8_t>>* g_recorded = nullptr;

uint8_t LODREX_CALL RecordReport(uint32_t, const uint8_t* buffer, uint32_t length) {
  if (g_recorded) g_recorded->emplace_back(buffer, buffer + length);
  return 1;
}

// Decimal, or hexadecimal with 0x; `hex` reads hexadecimal with or without it. A leading zero
// does not mean octal: "010" is ten.
bool ParseNumber(const std::u16string& text, bool hex, uint32_t& value) {
  std::string s = u16::ToUtf8(text);
  int base = hex ? 16 : 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.erase(0, 2);
    base = 16;
  }
  if (s.empty() || !std::isxdigit(static_cast<unsigned char>(s[0]))) return false;
  char* end = nullptr;
  unsigned long long v = std::strtoull(s.c_str(), &end, base);
  if (!end || *end || v > 0xFFFFFFFFull) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

struct Options {
  std::u16string command;
  uint32_t flags = APPLY_MATRIX | APPLY_LED | APPLY_COLOR;
  bool haveProfile = false;
  uint32_t profileId = 0;
  std::u16string appData;
  std::u16string operand;  // the FILE or NAME of a profile command
  std::vector<std::u16string> operands;  // the words after a macro command
};

bool TakesOperand(const std::u16string& command) {
  return command == u"export" || command == u"import" || command == u"link";
}

// Returns an empty string when the arguments are good, else the reason.
std::string ParseArgs(const std::vector<std::u16string>& args, Options& o) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    // A macro's or folder's name may begin with a dash.
    if (IsMacroCommand(o.command) && (optionsEnded || (!a.empty() && a[0] != u'-'))) {
      o.operands.push_back(a);
      continue;
    }
    if (IsMacroCommand(o.command) && a == u"--") {
      optionsEnded = true;
      continue;
    }
    auto value = [&](std::u16string& v) {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    std::u16string v;
    if (a == u"--help" || a == u"-h" || a == u"/?") {
      o.command = u"--help";
      return std::string();
    } else if (a == u"--flags") {
      if (!value(v) || !ParseNumber(v, false, o.flags)) return "--flags needs a number";
    } else if (a == u"--profile") {
      if (!value(v) || !ParseNumber(v, true, o.profileId) || !o.profileId)
        return "--profile needs a hexadecimal identifier";
      o.haveProfile = true;
    } else if (a == u"--appdata") {
      if (!value(v) || v.empty()) return "--appdata needs a folder";
      if (v.back() != u'\\' && v.back() != u'/') v += u'\\';
      o.appData = v;
    } else if (o.command.empty() && !a.empty() && a[0] != u'-') {
      o.command = a;
    } else if (TakesOperand(o.command) && o.operand.empty() && !a.empty() && a != u"--") {
      o.operand = a;
    } else {
      return "unknown argument " + u16::ToUtf8(a);
    }
  }
  if (o.command.empty()) return "no command given";
  if (o.command != u"list" && o.command != u"reports" && o.command != u"apply" && o.command != u"unlink" &&
      !TakesOperand(o.command) && !IsMacroCommand(o.command))
    return "unknown command " + u16::ToUtf8(o.command);
  if (IsMacroCommand(o.command)) return CheckMacroOperands(o.command, o.operands);
  if (TakesOperand(o.command) && o.operand.empty())
    return u16::ToUtf8(o.command) + (o.command == u"link" ? " needs a program name" : " needs a file");
  return std::string();
}

// What an apply left out and why, one line each; and a line when it sent nothing at all, so that
// a run that did nothing never looks like one that did everything.
void TellSkipped(const ApplyOutcome& outcome, uint32_t flags, FILE* err) {
  constexpr uint32_t kTables = APPLY_MATRIX | APPLY_LED | APPLY_COLOR;
  if (!(flags & kTables)) {
    std::fprintf(err,
                 "velkorctl: nothing was sent: --flags %u names no table (1 key matrix, 2 lighting, "
                 "4 key colours)\n",
                 static_cast<unsigned>(flags));
    return;
  }
  if (outcome.ledModeSkipped)
    std::fprintf(err, "velkorctl: lighting skipped: the profile's lighting mode %u is out of range (0-%d)\n",
                 static_cast<unsigned>(outcome.ledMode), kLedModes - 1);
  if (outcome.colorGroupSkipped)
    std::fprintf(err, "velkorctl: key colours skipped: the profile's game group %u is out of range (0-%d)\n",
                 static_cast<unsigned>(outcome.colorGroup), kGameGroups - 1);
  if (outcome.sent || outcome.failed) return;
  if (outcome.colorModeSkipped)
    std::fprintf(err,
                 "velkorctl: key colours skipped: they are sent in lighting mode %u only, the "
                 "profile's mode is %u\n",
                 static_cast<unsigned>(kLedModeColorPerKey), static_cast<unsigned>(outcome.ledMode));
  std::fprintf(err, "velkorctl: nothing was sent\n");
}

bool SaveStore(const std::u16string& appData, FILE* err) {
  if (SaveProfileStore(appData)) return true;
  std::fprintf(err, "velkorctl: the profile store could not be saved (err=%u)\n",
               static_cast<unsigned>(plat::LastError()));
  return false;
}

// export, import, link and unlink on one stored profile.
int RunProfileCommand(const Options& o, PROFILEINFO& profile, const std::u16string& appData, FILE* err) {
  ProfileFileError result = ProfileFileError::None;
  if (o.command == u"export") {
    result = ExportProfileFile(profile, o.operand);
  } else if (o.command == u"import") {
    std::vector<uint8_t> bytes;
    result = ReadProfileFile(o.operand, bytes);
    if (result == ProfileFileError::None)
      result = ImportProfileFile(bytes, appData, g_Settings.MacroHasMsKey, profile);
    if (result == ProfileFileError::None && !SaveStore(appData, err)) return kCtlApplyFailed;
  } else {
    SetLinkedProgramName(profile, o.command == u"link" ? ProgramFileName(o.operand) : std::u16string());
    return SaveStore(appData, err) ? kCtlOk : kCtlApplyFailed;
  }
  if (result == ProfileFileError::None) return kCtlOk;
  std::fprintf(err, "velkorctl: %s: %s\n", u16::ToUtf8(o.operand).c_str(),
               u16::ToUtf8(ProfileFileNotice(result)).c_str());
  return kCtlApplyFailed;
}

// The profile the main window would select: the stored current one, else the first.
const PROFILEINFO* CurrentProfile(uint32_t currentId) {
  const PROFILEINFO* p = FindProfile(currentId);
  if (!p && !g_ProfileList.empty()) p = g_ProfileList.front().get();
  return p;
}

}  // namespace

int VelkorCtlMain(const std::vector<std::u16string>& args, FILE* out, FILE* err) {
  Options o;
  std::string problem = ParseArgs(args, o);
  if (!problem.empty()) {
    std::fprintf(err, "velkorctl: %s (see --help)\n", problem.c_str());
    return kCtlNoKeyboardOrUsage;
  }
  if (o.command == u"--help") {
    std::fputs(kUsage, out);
    return kCtlOk;
  }

  // A console program has nobody to click a box: what the loaders and the apply sequence
  // would show goes to the error stream instead.
  plat::TestHooks().messageBox = [err](const std::u16string& text, const std::u16string& title,
                                       uint32_t flags) {
    std::fprintf(err, "velkorctl: %s: %s\n", u16::ToUtf8(title).c_str(), u16::ToUtf8(text).c_str());
    return (flags & 0xF) == plat::kMbYesNo ? plat::kIdYes : plat::kIdOk;
  };

  std::u16string program = plat::ProgramFolder();
  LoadTextTable(program + u"text.xml");
  LoadConfig(program);
  std::u16string appData = o.appData.empty() ? AppDataFolderPath() : o.appData;
  if (IsMacroCommand(o.command)) return RunMacroCommand(o.command, o.operands, appData, out, err);
  LoadMacroLibrary(appData, g_Settings.MacroDir != 0);
  LoadProfileStore(appData);
  // No store yet (or an empty one): the profiles the main window would start with.
  if (g_ProfileList.empty()) AddDefaultProfilesUnlessThree(g_Texts.tc_proname);
  uint32_t currentId = LoadCurrentProfileId(appData);
  const PROFILEINFO* current = CurrentProfile(currentId);

  if (o.command == u"list") {
    int n = 1;
    for (const auto& p : g_ProfileList) {
      std::u16string name(p->szName, u16::BoundedLength(p->szName, 20));
      const std::u16string link = LinkedProgramName(*p);
      std::fprintf(out, "%d%s\t0x%06X\t%s%s%s\n", n++, p.get() == current ? "*" : "",
                   static_cast<unsigned>(p->dwId), u16::ToUtf8(name).c_str(), link.empty() ? "" : "\t",
                   u16::ToUtf8(link).c_str());
    }
    return kCtlOk;
  }

  const PROFILEINFO* profile = o.haveProfile ? FindProfile(o.profileId) : current;
  if (!profile) {
    if (o.haveProfile)
      std::fprintf(err, "velkorctl: no profile 0x%06X in the store\n", static_cast<unsigned>(o.profileId));
    else
      std::fprintf(err, "velkorctl: the store holds no profile\n");
    return kCtlNoKeyboardOrUsage;
  }

  if (o.command != u"reports" && o.command != u"apply")
    return RunProfileCommand(o, *FindProfile(profile->dwId), appData, err);

  CUSBDriver driver;
  if (o.command == u"reports") {
    std::vector<std::vector<uint8_t>> reports;
    g_recorded = &reports;
    driver.SetFeature = RecordReport;
    driver.m_hMatrix = 1;
    driver.m_hLed = 2;
    driver.m_hColor = 3;
    driver.m_hMacro = 4;
    ApplyOutcome outcome;
    int ok = ApplySetting(nullptr, &driver, profile, 0, o.flags, &outcome);
    g_recorded = nullptr;
    driver.m_hMatrix = driver.m_hLed = driver.m_hColor = driver.m_hMacro = 0;
    for (const auto& r : reports) std::fprintf(out, "%d %s\n", r.empty() ? 0 : r[0], Hex(r).c_str());
    TellSkipped(outcome, o.flags, err);
    if (!ok) {
      std::fprintf(err, "velkorctl: the apply sequence stopped on an error\n");
      return kCtlApplyFailed;
    }
    return kCtlOk;
  }

  // apply
  if (!BindDeviceLibrary(&driver, nullptr)) {
    std::fprintf(err, "velkorctl: Lodrex.dll could not be loaded from the program folder\n");
    return kCtlNoKeyboardOrUsage;
  }
  int status;
  if (!driver.FindDev()) {
    if (driver.m_productRefused)
      std::fprintf(err, "velkorctl: the keyboard %s calls itself \"%s\", not \"%s\" (MatchStr)\n",
                   u16::ToUtf8(DeviceIdText()).c_str(), u16::ToUtf8(driver.m_refusedProduct).c_str(),
                   u16::ToUtf8(WantedProductString()).c_str());
    else
      std::fprintf(err, "velkorctl: no keyboard found (%s)\n", u16::ToUtf8(DeviceIdText()).c_str());
    status = kCtlNoKeyboardOrUsage;
  } else {
    if (driver.CountDevices() > 1) {
      std::u16string notice = g_Texts.tc_msg11.empty() ? u"More than one keyboard is attached." : g_Texts.tc_msg11;
      std::fprintf(err, "velkorctl: %s\n", u16::ToUtf8(notice).c_str());
    }
    ApplyOutcome outcome;
    int ok = ApplySetting(nullptr, &driver, profile, 0, o.flags, &outcome);
    TellSkipped(outcome, o.flags, err);
    const unsigned code = static_cast<unsigned>(outcome.failed ? outcome.firstError : plat::LastError());
    status = kCtlApplyFailed;
    if (!ok)
      std::fprintf(err, "velkorctl: the keyboard did not take the settings (err=%u)\n", code);
    else if (outcome.failed && !outcome.sent)  // GoWithNoDev went on past every refusal
      std::fprintf(err, "velkorctl: every report failed, the keyboard took nothing (err=%u)\n", code);
    else if (outcome.failed)
      std::fprintf(err, "velkorctl: %d of %d reports failed (err=%u)\n", outcome.failed,
                   outcome.failed + outcome.sent, code);
    else
      status = kCtlOk;
  }
  UnbindDeviceLibrary();
  return status;
}
