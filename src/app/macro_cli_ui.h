// The user of the macro library's commands when they run from velkorctl: the command line has
// already said everything a box would ask (the name, the file), deletions are confirmed, and a
// notice goes to the error stream and means the command was refused or failed.
#pragma once

#include <cstdio>
#include <string>

#include "macro/macro_ui.h"

class CliMacroUi : public MacroUi {
 public:
  explicit CliMacroUi(FILE* err) : m_err(err) {}

  // What the text box answers, once; a second question is cancelled.
  void AnswerText(std::u16string text);
  // What the open and save dialogs answer, once. A save into an existing folder takes the file
  // name the dialog proposes, as the dialog itself would when a folder is picked.
  void AnswerPath(std::u16string path);
  // True once a notice was shown.
  bool Told() const { return m_told; }
  // A notice of velkorctl's own, for a failure the window would not have told.
  void Tell(const std::u16string& text) { ShowMessage(text); }

  void ShowMessage(const std::u16string& text) override;
  bool Confirm(const std::u16string& text) override;
  bool AskText(const std::u16string& prompt, std::u16string* text) override;
  bool AskNumber(const std::u16string& prompt, uint32_t* value) override;
  bool AskKey(const std::u16string& prompt, CapturedKey* key) override;
  bool AskSavePath(const std::u16string& fileName, std::u16string* path) override;
  bool AskOpenPath(std::u16string* path) override;
  bool ChooseFolder(std::u16string* path) override;

 private:
  static bool Take(std::u16string& answer, bool& given, std::u16string* out);

  FILE* m_err;
  bool m_told = false;
  std::u16string m_text, m_path;
  bool m_haveText = false, m_havePath = false;
};
