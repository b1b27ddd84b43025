// What the macro library and the macro editor ask of the user, behind one interface: the
// editor's window answers with the skinned message, text, number and key boxes and the
// system's file and folder dialogs; tests answer from a script.
#pragma once

#include <cstdint>
#include <string>

struct CapturedKey {
  uint8_t vk = 0;         // the key pressed, 0 when only modifiers were
  uint8_t modifiers = 0;  // modifier bits, 0x01 left Ctrl .. 0x80 right Windows
};

class MacroUi {
 public:
  virtual ~MacroUi() = default;
  // The skinned message box with an OK button.
  virtual void ShowMessage(const std::u16string& text) = 0;
  // The skinned message box with OK and Cancel; true for OK.
  virtual bool Confirm(const std::u16string& text) = 0;
  // The text-input box; false for Cancel.
  virtual bool AskText(const std::u16string& prompt, std::u16string* text) = 0;
  // The number box; false for Cancel.
  virtual bool AskNumber(const std::u16string& prompt, uint32_t* value) = 0;
  // The key capture box for one key; false for Cancel.
  virtual bool AskKey(const std::u16string& prompt, CapturedKey* key) = 0;
  // The system's save dialog (".mck", "mck(*.mck)|*.mck|", overwrite confirmation) proposing
  // `fileName`; false for Cancel.
  virtual bool AskSavePath(const std::u16string& fileName, std::u16string* path) = 0;
  // The system's open dialog for one .mck file; false for Cancel.
  virtual bool AskOpenPath(std::u16string* path) = 0;
  // The system's folder browser; false for Cancel or a folder without a file-system path.
  virtual bool ChooseFolder(std::u16string* path) = 0;
  // A long command runs (true) or has ended (false): the window shows the wait cursor.
  virtual void SetBusy(bool busy) { (void)busy; }
};
