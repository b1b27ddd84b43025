#include "controls/msg_box_model.h"

#include <cstdint>

#include "config/key_names.h"

namespace ui {
namespace {

constexpr int kEditWidth = 400;
constexpr int kEditTop = 100;
constexpr int kEditBottom = 124;
constexpr int kMargin = 20;
constexpr int kButtonsTopGap = 55;  // the buttons sit 45 px above the bottom and are ~30 high
constexpr uint8_t kVkReturn = 13;
constexpr uint8_t kVkEscape = 27;

}  // namespace

MsgEdit MsgBoxModel::Edit() const {
  switch (type) {
    case kMsgText: return MsgEdit::Text;
    case kMsgNumber: return MsgEdit::Digits;
    case kMsgCapture: return MsgEdit::Capture;
    default: return MsgEdit::None;
  }
}

MsgBoxLayout MsgBoxModel::Layout(int width, int height, int iconWidth, int iconHeight) const {
  MsgBoxLayout l;
  l.exit = {width - 36, 10};
  l.cancel = {width - 87, height - 45};
  l.ok = {l.cancel.x - 77, l.cancel.y};
  if (type == kMsgNotice) {
    l.ok = l.cancel;
    l.cancelShown = false;
  }
  l.edit = Edit();
  if (l.edit != MsgEdit::None) {
    const int left = (width - kEditWidth) / 2;
    l.editRect = RECT32{left, kEditTop, left + kEditWidth, kEditBottom};
  }
  l.titleRect = RECT32{kMargin, 8, width - 44, 34};
  const int bodyTop = 44;
  int textLeft = kMargin;
  if (iconWidth > 0 && iconHeight > 0) {
    l.iconRect = RECT32{kMargin, bodyTop, kMargin + iconWidth, bodyTop + iconHeight};
    textLeft += iconWidth + 12;
  }
  const int bodyBottom = l.edit != MsgEdit::None ? kEditTop - 4 : height - kButtonsTopGap;
  l.messageRect = RECT32{textLeft, bodyTop, width - kMargin, bodyBottom > bodyTop ? bodyBottom : bodyTop};
  return l;
}

void MsgBoxModel::CentreBody(MsgBoxLayout& l, int textHeight) {
  const int top = l.messageRect.top;
  const int bottom = l.messageRect.bottom;
  const int middle = (top + bottom) / 2;
  // A message taller than its space starts at the top and is cut at the bottom.
  if (textHeight < bottom - top) l.messageRect.top = middle - textHeight / 2;
  const int iconHeight = l.iconRect.bottom - l.iconRect.top;
  if (iconHeight > 0) {
    l.iconRect.top = middle - iconHeight / 2;
    if (l.iconRect.top < top) l.iconRect.top = top;
    l.iconRect.bottom = l.iconRect.top + iconHeight;
  }
}

MsgKeyAction MsgBoxModel::OnKey(uint8_t vk, bool up, bool extended, uint8_t scanCode) {
  if (type == kMsgCapture) return OnCapturedKey(CapturedKeyCode(vk, extended, scanCode), up);
  if (!up && vk == kVkReturn) return MsgKeyAction::Ok;
  if (!up && vk == kVkEscape) return MsgKeyAction::Cancel;
  return MsgKeyAction::Pass;
}

MsgKeyAction MsgBoxModel::OnCapturedKey(uint8_t code, bool up) {
  if (type != kMsgCapture) return MsgKeyAction::Pass;
  capture.OnKey(code, up);
  // Every key belongs to the capture, Esc, Enter and Alt+F4 included: any of them may be the
  // combination the user wants; the buttons end the box.
  return MsgKeyAction::Capture;
}

std::u16string MsgBoxModel::CaptureText() const {
  return LongComboText(capture.modifiers, capture.key1, capture.key2);
}

int MsgBoxModel::AcceptOk(const std::u16string& fieldText) {
  if (type == kMsgNumber) number = ParseFieldNumber(fieldText);
  if (type == kMsgText) {
    if (fieldText.empty()) return kMsgCancel;
    text = fieldText;
  }
  return kMsgOk;
}

int32_t ParseFieldNumber(const std::u16string& text) {
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(value);
}

MsgPoint CentreOver(const RECT32* owner, const RECT32& screen, int width, int height) {
  const RECT32& area = owner ? *owner : screen;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  if (x + width > screen.right) x = screen.right - width;
  if (y + height > screen.bottom) y = screen.bottom - height;
  if (x < screen.left) x = screen.left;
  if (y < screen.top) y = screen.top;
  return {x, y};
}

}  // namespace ui
