// Editing one key from the main window: open the picker for a clicked key, store what it gives
// back as the key's function or colour, mark the key and ask the keyboard to follow when
// ApplyNow is on. The main window supplies its keyboard view, lighting panel and the way it
// runs the picker through KeyEditHost.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/key_fun_pick.h"
#include "records/profile_record.h"

class KeyEditHost {
 public:
  virtual ~KeyEditHost() = default;
  // Runs the picker modally: RunKeyFunPickDlg(main window, request) in the window build.
  virtual KeyPickOutcome RunPicker(const KeyPickRequest& request) = 0;
  // The keyboard view's selected key, -1 for none.
  virtual int SelectedKey() const = 0;
  // Gives a key its colour in the keyboard view.
  virtual void SetKeyColour(int slot, uint32_t colour) = 0;
  // The lighting panel's Commit: the view's colours into the profile's current game group.
  virtual void CommitLighting() = 0;
  // The keyboard view's has-function mark of a key; RedrawKeys repaints the view.
  virtual void SetKeyMark(int slot, bool hasFunction) = 0;
  virtual void RedrawKeys() = 0;
  // Queues an apply; by default RequestApply of the apply worker.
  virtual void RequestApply(uint32_t flags);
};

enum class KeyEditResult {
  NoProfile,       // nothing to edit
  NoSuchKey,       // the key index names no key of the layout
  Cancelled,       // the picker was cancelled
  ColourSet,       // the key got a colour (apply request 4 with ApplyNow)
  NoSelectedKey,   // a function came back but the view has no selected key
  Unchanged,       // the same plain key as before: nothing stored, nothing sent
  FunctionStored,  // the key got the function (apply request 1 with ApplyNow)
};

// The whole edit for WM_KEY_CLICKED with `keyIndex` (its wParam) on `profile` (the current
// profile, or null).
KeyEditResult EditKeyFromPicker(PROFILEINFO* profile, int keyIndex,
                                const std::u16string& appDataFolder, KeyEditHost& host);
