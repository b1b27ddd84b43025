#include "controls/msg_box_model.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using ui::MsgBoxModel;
using ui::MsgEdit;
using ui::MsgKeyAction;

MsgBoxModel Box(int type) {
  MsgBoxModel box;
  box.type = type;
  return box;
}

// Key-down (+vk) and key-up (-vk) events as plain key messages.
void Keys(MsgBoxModel& box, std::initializer_list<int> events) {
  for (int e : events) box.OnKey(static_cast<uint8_t>(e < 0 ? -e : e), e < 0, false, 0);
}

TEST(MsgBoxModel, EachTypePlacesItsButtonsAndField) {
  struct Case {
    int type;
    bool cancelShown;
    int okX;
    MsgEdit edit;
  } cases[] = {
      {1, false, 413, MsgEdit::None}, {2, true, 336, MsgEdit::Text},   {3, true, 336, MsgEdit::Digits},
      {4, true, 336, MsgEdit::Capture}, {5, true, 336, MsgEdit::None}, {-1, true, 336, MsgEdit::None},
  };
  for (const Case& c : cases) {
    ui::MsgBoxLayout l = Box(c.type).Layout(500, 200, 0, 0);
    EXPECT_EQ(l.exit.x, 464) << c.type;
    EXPECT_EQ(l.exit.y, 10) << c.type;
    EXPECT_EQ(l.cancel.x, 413) << c.type;
    EXPECT_EQ(l.cancel.y, 155) << c.type;
    EXPECT_EQ(l.ok.x, c.okX) << c.type;
    EXPECT_EQ(l.ok.y, 155) << c.type;
    EXPECT_EQ(l.cancelShown, c.cancelShown) << c.type;
    EXPECT_EQ(l.edit, c.edit) << c.type;
    if (c.edit != MsgEdit::None) {
      EXPECT_EQ(l.editRect.left, 50) << c.type;
      EXPECT_EQ(l.editRect.right, 450) << c.type;
      EXPECT_EQ(l.editRect.top, 100) << c.type;
      EXPECT_EQ(l.editRect.bottom, 124) << c.type;
      EXPECT_LE(l.messageRect.bottom, 100) << "the message stays above the field";
    }
  }
}

TEST(MsgBoxModel, TheMessageMakesRoomForTheIcon) {
  ui::MsgBoxLayout plain = Box(5).Layout(500, 200, 0, 0);
  ui::MsgBoxLayout withIcon = Box(5).Layout(500, 200, 48, 48);
  EXPECT_GT(withIcon.messageRect.left, withIcon.iconRect.right);
  EXPECT_EQ(withIcon.iconRect.right - withIcon.iconRect.left, 48);
  EXPECT_LT(plain.messageRect.left, withIcon.messageRect.left);
  EXPECT_LE(plain.messageRect.bottom, plain.ok.y);
}

TEST(MsgBoxModel, IconAndMessageShareOneMiddleLineAndALongMessageStartsAtTheTop) {
  ui::MsgBoxLayout l = Box(5).Layout(460, 190, 32, 32);
  const RECT32 space = l.messageRect;
  ui::MsgBoxModel::CentreBody(l, 16);
  const int middle = (space.top + space.bottom) / 2;
  EXPECT_EQ(l.messageRect.top, middle - 8);
  EXPECT_EQ(l.iconRect.top, middle - 16);
  EXPECT_EQ(l.iconRect.bottom - l.iconRect.top, 32);

  ui::MsgBoxLayout tall = Box(2).Layout(460, 190, 32, 32);
  const RECT32 fieldSpace = tall.messageRect;
  ui::MsgBoxModel::CentreBody(tall, 200);
  EXPECT_EQ(tall.messageRect.top, fieldSpace.top);
  EXPECT_GE(tall.iconRect.top, fieldSpace.top);
  EXPECT_LE(tall.messageRect.bottom, 100);
}

TEST(MsgBoxModel, CaptureTakesAModifierAndTwoKeysAndIgnoresAThird) {
  MsgBoxModel box = Box(4);
  Keys(box, {17, 'A', 'B', 'C'});
  EXPECT_EQ(box.capture.modifiers, 0x01);
  EXPECT_EQ(box.capture.key1, 'A');
  EXPECT_EQ(box.capture.key2, 'B');
  EXPECT_EQ(box.CaptureText(), u"L-Ctrl + A + B");
}

TEST(MsgBoxModel, CaptureOfTheSameKeyTwiceLeavesTheSecondKeyFree) {
  MsgBoxModel box = Box(4);
  Keys(box, {'A', -'A', 'A', 'A', -'A'});
  EXPECT_EQ(box.capture.key1, 'A');
  EXPECT_EQ(box.capture.key2, 0);
}

TEST(MsgBoxModel, RightHandModifiersAreToldApartByTheKeyMessageFlags) {
  struct Case {
    uint8_t vk;
    bool extended;
    uint8_t scan;
    uint8_t bit;
  } cases[] = {
      {17, false, 0x1D, 0x01}, {17, true, 0x1D, 0x10}, {16, false, 0x2A, 0x02}, {16, false, 0x36, 0x20},
      {18, false, 0x38, 0x04}, {18, true, 0x38, 0x40}, {91, true, 0x5B, 0x08}, {92, true, 0x5C, 0x80},
  };
  for (const Case& c : cases) {
    MsgBoxModel box = Box(4);
    EXPECT_EQ(box.OnKey(c.vk, false, c.extended, c.scan), MsgKeyAction::Capture);
    EXPECT_EQ(box.capture.modifiers, c.bit) << int(c.vk) << " ext " << c.extended;
    EXPECT_EQ(box.capture.key1, 0);
  }
}

TEST(MsgBoxModel, SingleKeyModeKeepsOnlyTheLastKeyAndMayIgnoreModifiers) {
  MsgBoxModel box = Box(4);
  box.capture.singleKey = true;
  Keys(box, {'A', 'B'});
  EXPECT_EQ(box.capture.key1, 'B');
  EXPECT_EQ(box.capture.key2, 0);
  Keys(box, {16});
  EXPECT_EQ(box.capture.modifiers, 0x02);
  EXPECT_EQ(box.capture.key1, 0);

  box.capture.ignoreModifiers = true;
  Keys(box, {'C', 17});
  EXPECT_TRUE(box.capture.Empty()) << "a modifier clears and is not taken";
}

TEST(MsgBoxModel, TranslatedKeyEventsCaptureOnlyInTheCaptureBox) {
  MsgBoxModel box = Box(4);
  box.OnCapturedKey(165, false);
  box.OnCapturedKey('X', false);
  EXPECT_EQ(box.capture.modifiers, 0x40);
  EXPECT_EQ(box.capture.key1, 'X');
  MsgBoxModel notice = Box(1);
  EXPECT_EQ(notice.OnCapturedKey('X', false), MsgKeyAction::Pass);
  EXPECT_TRUE(notice.capture.Empty());
}

TEST(MsgBoxModel, EnterIsOkAndEscapeCancelsExceptInTheCaptureBox) {
  for (int type : {1, 2, 3, 5}) {
    MsgBoxModel box = Box(type);
    EXPECT_EQ(box.OnKey(13, false, false, 0x1C), MsgKeyAction::Ok) << type;
    EXPECT_EQ(box.OnKey(13, true, false, 0x1C), MsgKeyAction::Pass) << type;
    EXPECT_EQ(box.OnKey(27, false, false, 0x01), MsgKeyAction::Cancel) << type;
    EXPECT_EQ(box.OnKey('A', false, false, 0x1E), MsgKeyAction::Pass) << type;
  }
  MsgBoxModel capture = Box(4);
  EXPECT_EQ(capture.OnKey(13, false, false, 0x1C), MsgKeyAction::Capture);
  EXPECT_EQ(capture.OnKey(27, false, false, 0x01), MsgKeyAction::Capture);
  EXPECT_EQ(capture.capture.key1, 13);
  EXPECT_EQ(capture.capture.key2, 27);
}

TEST(MsgBoxModel, OkReadsTheFieldAsTheTypeSays) {
  MsgBoxModel text = Box(2);
  EXPECT_EQ(text.AcceptOk(u""), ui::kMsgCancel);
  EXPECT_EQ(text.AcceptOk(u"Macro 1"), ui::kMsgOk);
  EXPECT_EQ(text.text, u"Macro 1");

  MsgBoxModel number = Box(3);
  EXPECT_EQ(number.AcceptOk(u"250"), ui::kMsgOk);
  EXPECT_EQ(number.number, 250);
  EXPECT_EQ(Box(5).AcceptOk(u""), ui::kMsgOk);
}

TEST(MsgBoxModel, AFieldNumberIsItsLeadingDigitsAndSaturates) {
  struct Case {
    const char16_t* text;
    int32_t value;
  } cases[] = {{u"", 0}, {u"0", 0}, {u"0042", 42}, {u"12x3", 12}, {u"x12", 0},
               {u"2147483647", 2147483647}, {u"2147483648", 2147483647}, {u"99999999999999999999", 2147483647}};
  for (const Case& c : cases) EXPECT_EQ(ui::ParseFieldNumber(c.text), c.value);
}

TEST(MsgBoxModel, TheBoxIsCentredOverItsOwnerAndKeptOnTheScreen) {
  const RECT32 screen{0, 0, 1024, 768};
  const RECT32 owner{100, 100, 1100, 700};
  ui::MsgPoint p = ui::CentreOver(&owner, screen, 400, 200);
  EXPECT_EQ(p.x, 400);
  EXPECT_EQ(p.y, 300);
  const RECT32 offRight{900, 600, 1300, 900};
  p = ui::CentreOver(&offRight, screen, 400, 200);
  EXPECT_EQ(p.x, 624);
  EXPECT_EQ(p.y, 568);
  p = ui::CentreOver(nullptr, screen, 400, 200);
  EXPECT_EQ(p.x, 312);
  EXPECT_EQ(p.y, 284);
}

}  // namespace
