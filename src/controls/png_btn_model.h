// What a skinned button shows and what a press on it means, apart from any window: the state
// image and text colour for the current flags, where the caption and icon go, the hover and
// press bookkeeping, and check-box toggling.
#pragma once

#include <cstdint>
#include <string>

#include "records/profile_record.h"

namespace ui {

// Text format flags with the values the system's text drawing uses.
enum : uint32_t {
  kTextCenter = 0x0001,
  kTextVCenter = 0x0004,
  kTextWordBreak = 0x0010,
  kTextSingleLine = 0x0020,
  kTextNoClip = 0x0100,
  kTextEndEllipsis = 0x8000,
  // One line, vertically centred, never clipped, an ellipsis when too long.
  kTextLineFormat = kTextEndEllipsis | kTextNoClip | kTextSingleLine | kTextWordBreak | kTextVCenter,
};
static_assert(kTextLineFormat == 0x8134, "caption format");

enum class BtnImage { Normal, Hover, Down, Disabled };

// Text colours as 0x00BBGGRR.
struct BtnColors {
  uint32_t normal = 0;
  uint32_t hover = 0;
  uint32_t down = 0;
};

struct BtnLook {
  BtnImage image = BtnImage::Normal;
  uint32_t textColor = 0;
  // Draw image, icon and caption one pixel left and one pixel down.
  bool shifted = false;
};

// What the window must do after a mouse event.
struct BtnMouseEffect {
  bool repaint = false;
  bool trackLeave = false;  // ask the system for a leave notification
  bool clicked = false;     // tell the parent the button was clicked
};

class PngBtnModel {
 public:
  // Settings made by the owner.
  bool checkBox = false;
  bool autoToggle = false;
  bool pushOffset = false;
  bool forcedDown = false;
  BtnColors colors;

  // Caption and its placement.
  std::u16string caption;
  int textLeft = 0;
  RECT32 textRect{0, 0, 0, 0};  // used instead of the client rectangle when not empty
  uint32_t textFormat = 0;       // used instead of the default format when non-zero
  int iconLeft = 0;

  bool Checked() const { return m_checked; }
  bool Hovering() const { return m_hovering; }
  bool Pressed() const { return m_pressed; }

  // True when the state changed (the window repaints only then).
  bool SetChecked(bool checked);

  // The mouse moved over the button; `inside` says whether the point lies in its client area.
  BtnMouseEffect OnMouseMove(bool inside);
  // The system's leave notification.
  BtnMouseEffect OnMouseLeave();
  // Left button down on the button: the window captures the mouse.
  BtnMouseEffect OnButtonDown();
  // Left button up while captured; a release inside completes a click, toggling a check box
  // with auto-toggle before the parent hears of it.
  BtnMouseEffect OnButtonUp(bool inside);
  // The capture went elsewhere (another window took it, the button was disabled).
  BtnMouseEffect OnCaptureLost();
  // A click made without the mouse (a keyboard or programmatic click).
  BtnMouseEffect Click();

  // The image and colour for the flags now.
  BtnLook Look(bool enabled) const;

  // Where the caption goes in a client area of `width` x `height`, and with which format.
  RECT32 CaptionRect(int width, int height, const BtnLook& look) const;
  uint32_t CaptionFormat() const;
  // Top-left corner of an icon of height `iconHeight`: centred vertically.
  void IconOrigin(int height, int iconHeight, const BtnLook& look, int* x, int* y) const;

 private:
  bool m_checked = false;
  bool m_hovering = false;
  bool m_pressed = false;
  bool m_captured = false;
};

}  // namespace ui
