// The message box's decisions apart from its window: which controls a type has and where they
// go, what OK returns, what the keys do, and the key capture of the capture box.
#pragma once

#include <cstdint>
#include <string>

#include "controls/key_capture.h"
#include "records/profile_record.h"

// One captured key event for the capture box (and the macro editor): wParam the key code,
// lParam 0x80 for a release.
constexpr uint32_t WM_MACRO_KEY = 0x040A;
constexpr uint32_t kMacroKeyRelease = 0x80;

namespace ui {

// Box types the callers use.
enum : int {
  kMsgNotice = 1,    // OK only
  kMsgText = 2,      // a text field; OK with an empty text cancels
  kMsgNumber = 3,    // a digits-only field
  kMsgCapture = 4,   // shows a captured key combination
  kMsgConfirm = 5,   // OK and Cancel
};

// How the box ended, with the values of the system's dialog results.
enum : int { kMsgOk = 1, kMsgCancel = 2 };

enum class MsgEdit { None, Text, Digits, Capture };

struct MsgPoint {
  int x = 0;
  int y = 0;
};

struct MsgBoxLayout {
  MsgPoint exit;
  MsgPoint ok;
  MsgPoint cancel;
  bool cancelShown = true;
  MsgEdit edit = MsgEdit::None;
  RECT32 editRect{0, 0, 0, 0};
  RECT32 titleRect{0, 0, 0, 0};
  RECT32 iconRect{0, 0, 0, 0};
  RECT32 messageRect{0, 0, 0, 0};
};

// What a key does in the box.
enum class MsgKeyAction {
  Pass,     // normal processing
  Ok,       // end with OK
  Cancel,   // end with Cancel
  Capture,  // captured (and swallowed)
};

class MsgBoxModel {
 public:
  int type = -1;
  std::u16string title;
  std::u16string message;

  // Results after OK.
  std::u16string text;
  int32_t number = 0;
  KeyCapture capture;

  MsgEdit Edit() const;
  // Places the controls on a background picture of `width` x `height`; `iconWidth` and
  // `iconHeight` are the icon picture's size (0 without one).
  MsgBoxLayout Layout(int width, int height, int iconWidth, int iconHeight) const;
  // Once the message is measured (`textHeight` pixels in its rectangle's width): the icon and
  // the message share one middle line in the space above the field or the buttons.
  static void CentreBody(MsgBoxLayout& layout, int textHeight);

  // A key-down (`up` false) or key-up, with the key message's extended flag and scan code.
  MsgKeyAction OnKey(uint8_t vk, bool up, bool extended, uint8_t scanCode);
  // A key event already translated (the macro editor's WM_MACRO_KEY).
  MsgKeyAction OnCapturedKey(uint8_t code, bool up);
  // The capture as the field shows it.
  std::u16string CaptureText() const;

  // OK with the field's text: stores the result and says how the box ends.
  int AcceptOk(const std::u16string& fieldText);
};

// The number a digits-only field holds: its leading digits in decimal, 0 when it has none,
// at most the largest 32-bit value.
int32_t ParseFieldNumber(const std::u16string& text);

// Top-left corner of a `width` x `height` window centred over `owner` (the whole `screen` when
// there is no owner), kept on the screen.
MsgPoint CentreOver(const RECT32* owner, const RECT32& screen, int width, int height);

}  // namespace ui
