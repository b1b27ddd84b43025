#include "app/macro_cli_ui.h"

#include <utility>

#include "platform/platform.h"
#include "platform/u16.h"

void CliMacroUi::AnswerText(std::u16string text) {
  m_text = std::move(text);
  m_haveText = true;
}

void CliMacroUi::AnswerPath(std::u16string path) {
  m_path = std::move(path);
  m_havePath = true;
}

bool CliMacroUi::Take(std::u16string& answer, bool& given, std::u16string* out) {
  if (!given || !out) return false;
  *out = std::move(answer);
  answer.clear();
  given = false;
  return true;
}

void CliMacroUi::ShowMessage(const std::u16string& text) {
  m_told = true;
  std::fprintf(m_err, "velkorctl: %s\n", u16::ToUtf8(text).c_str());
}

// The command line is the user's decision already: what it names is to be done.
bool CliMacroUi::Confirm(const std::u16string&) { return true; }

bool CliMacroUi::AskText(const std::u16string&, std::u16string* text) {
  return Take(m_text, m_haveText, text);
}

bool CliMacroUi::AskNumber(const std::u16string&, uint32_t*) { return false; }

bool CliMacroUi::AskKey(const std::u16string&, CapturedKey*) { return false; }

bool CliMacroUi::AskSavePath(const std::u16string& fileName, std::u16string* path) {
  if (!Take(m_path, m_havePath, path)) return false;
  if (!path->empty() && plat::IsDirectory(*path)) {
    if (path->back() != u'\\' && path->back() != u'/') *path += u'\\';
    *path += fileName;
  }
  return true;
}

bool CliMacroUi::AskOpenPath(std::u16string* path) { return Take(m_path, m_havePath, path); }

bool CliMacroUi::ChooseFolder(std::u16string*) { return false; }
