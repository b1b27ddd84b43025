#include "controls/png_btn_model.h"

#include <gtest/gtest.h>

namespace {

using ui::BtnImage;
using ui::PngBtnModel;

constexpr uint32_t kNr = 0x111111, kOv = 0x222222, kDn = 0x333333;

PngBtnModel Button(bool checkBox) {
  PngBtnModel b;
  b.checkBox = checkBox;
  b.pushOffset = true;
  b.colors = {kNr, kOv, kDn};
  return b;
}

TEST(PngBtnModel, StateImageAndColourFollowTheFlagsInOrder) {
  struct Case {
    const char* what;
    bool checkBox, checked, hover, press, forced, enabled;
    BtnImage image;
    uint32_t colour;
    bool shifted;
  } cases[] = {
      {"idle", false, false, false, false, false, true, BtnImage::Normal, kNr, false},
      {"hover", false, false, true, false, false, true, BtnImage::Hover, kOv, false},
      {"held", false, false, true, true, false, true, BtnImage::Down, kDn, true},
      {"forced down", false, false, false, false, true, true, BtnImage::Down, kDn, true},
      {"disabled", false, false, false, false, false, false, BtnImage::Disabled, kNr, false},
      {"hover wins over disabled", false, false, true, false, false, false, BtnImage::Hover, kOv, false},
      {"checked", true, true, false, false, false, true, BtnImage::Down, kDn, true},
      {"checked beats hover", true, true, true, false, false, true, BtnImage::Down, kDn, true},
      {"checked, disabled", true, true, true, false, false, false, BtnImage::Disabled, kNr, false},
      {"check box unchecked hover", true, false, true, false, false, true, BtnImage::Hover, kOv, false},
  };
  for (const Case& c : cases) {
    PngBtnModel b = Button(c.checkBox);
    b.SetChecked(c.checked);
    b.forcedDown = c.forced;
    if (c.hover) b.OnMouseMove(true);
    if (c.press) b.OnButtonDown();
    ui::BtnLook look = b.Look(c.enabled);
    EXPECT_EQ(look.image, c.image) << c.what;
    EXPECT_EQ(look.textColor, c.colour) << c.what;
    EXPECT_EQ(look.shifted, c.shifted) << c.what;
  }
}

TEST(PngBtnModel, HoverAsksForOneLeaveNotificationAndLeaveRepaints) {
  PngBtnModel b = Button(false);
  ui::BtnMouseEffect first = b.OnMouseMove(true);
  EXPECT_TRUE(first.repaint && first.trackLeave);
  ui::BtnMouseEffect again = b.OnMouseMove(true);
  EXPECT_FALSE(again.repaint || again.trackLeave);
  EXPECT_TRUE(b.OnMouseLeave().repaint);
  EXPECT_FALSE(b.Hovering());
  EXPECT_FALSE(b.OnMouseLeave().repaint);
}

TEST(PngBtnModel, OnlyAReleaseInsideClicksAndSlidingOffLetsTheButtonUp) {
  PngBtnModel b = Button(false);
  b.OnMouseMove(true);
  b.OnButtonDown();
  EXPECT_TRUE(b.Pressed());
  EXPECT_TRUE(b.OnMouseMove(false).repaint);
  EXPECT_FALSE(b.Pressed());
  EXPECT_EQ(b.Look(true).image, BtnImage::Normal);
  b.OnMouseMove(true);
  EXPECT_TRUE(b.Pressed());
  EXPECT_TRUE(b.OnButtonUp(true).clicked);
  EXPECT_FALSE(b.Pressed());

  b.OnButtonDown();
  EXPECT_FALSE(b.OnButtonUp(false).clicked);
  b.OnButtonDown();
  b.OnCaptureLost();
  EXPECT_FALSE(b.OnButtonUp(true).clicked) << "a release after the capture went elsewhere";
}

TEST(PngBtnModel, AutoToggleFlipsTheCheckBoxBeforeTheClickIsReported) {
  PngBtnModel b = Button(true);
  b.autoToggle = true;
  b.OnButtonDown();
  EXPECT_TRUE(b.OnButtonUp(true).clicked);
  EXPECT_TRUE(b.Checked());
  EXPECT_TRUE(b.Click().clicked);
  EXPECT_FALSE(b.Checked());

  PngBtnModel plain = Button(true);
  plain.Click();
  EXPECT_FALSE(plain.Checked()) << "no auto-toggle: the owner decides";
}

TEST(PngBtnModel, SettingTheSameCheckedStateAsksForNoRepaint) {
  PngBtnModel b = Button(true);
  EXPECT_FALSE(b.SetChecked(false));
  EXPECT_TRUE(b.SetChecked(true));
  EXPECT_FALSE(b.SetChecked(true));
}

TEST(PngBtnModel, CaptionIsCentredWithoutOffsetAndLeftAlignedWithOne) {
  PngBtnModel b = Button(false);
  b.caption = u"OK";
  ui::BtnLook idle = b.Look(true);
  EXPECT_EQ(b.CaptionFormat(), 0x8135u);
  RECT32 r = b.CaptionRect(57, 30, idle);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 57);

  b.textLeft = 5;
  EXPECT_EQ(b.CaptionFormat(), 0x8134u);
  r = b.CaptionRect(57, 30, idle);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 30);

  b.textFormat = 0x25;
  EXPECT_EQ(b.CaptionFormat(), 0x25u);
}

TEST(PngBtnModel, PressedCaptionAndIconMoveOnePixelLeftAndDownInTheirOwnRectangle) {
  PngBtnModel b = Button(false);
  b.textRect = RECT32{20, 2, 100, 22};
  b.textLeft = 3;
  b.iconLeft = 4;
  b.OnButtonDown();
  ui::BtnLook look = b.Look(true);
  RECT32 r = b.CaptionRect(120, 24, look);
  EXPECT_EQ(r.left, 22);
  EXPECT_EQ(r.top, 3);
  EXPECT_EQ(r.right, 102);
  EXPECT_EQ(r.bottom, 23);
  int x = 0, y = 0;
  b.IconOrigin(24, 16, look, &x, &y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 5);
}

}  // namespace
