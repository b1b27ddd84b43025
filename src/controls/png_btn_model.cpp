#include "controls/png_btn_model.h"

namespace ui {

bool PngBtnModel::SetChecked(bool checked) {
  if (m_checked == checked) return false;
  m_checked = checked;
  return true;
}

BtnMouseEffect PngBtnModel::OnMouseMove(bool inside) {
  BtnMouseEffect effect;
  if (inside != m_hovering) {
    m_hovering = inside;
    effect.repaint = true;
    effect.trackLeave = inside;
  }
  // While the button holds the mouse, sliding off it lets the button up and sliding back
  // presses it again, so a release outside is plainly no click.
  if (m_captured && inside != m_pressed) {
    m_pressed = inside;
    effect.repaint = true;
  }
  return effect;
}

BtnMouseEffect PngBtnModel::OnMouseLeave() {
  BtnMouseEffect effect;
  if (m_hovering) {
    m_hovering = false;
    effect.repaint = true;
  }
  return effect;
}

BtnMouseEffect PngBtnModel::OnButtonDown() {
  m_captured = true;
  m_pressed = true;
  BtnMouseEffect effect;
  effect.repaint = true;
  return effect;
}

BtnMouseEffect PngBtnModel::OnButtonUp(bool inside) {
  BtnMouseEffect effect;
  if (!m_captured) return effect;
  m_captured = false;
  m_pressed = false;
  effect.repaint = true;
  if (inside) effect = Click();
  return effect;
}

BtnMouseEffect PngBtnModel::OnCaptureLost() {
  BtnMouseEffect effect;
  if (!m_captured) return effect;
  m_captured = false;
  m_pressed = false;
  effect.repaint = true;
  return effect;
}

BtnMouseEffect PngBtnModel::Click() {
  if (checkBox && autoToggle) m_checked = !m_checked;
  BtnMouseEffect effect;
  effect.repaint = true;
  effect.clicked = true;
  return effect;
}

BtnLook PngBtnModel::Look(bool enabled) const {
  BtnLook look;
  if (checkBox && m_checked) {
    if (!enabled) {
      look.image = BtnImage::Disabled;
      look.textColor = colors.normal;
    } else {
      look.image = BtnImage::Down;
      look.textColor = colors.down;
      look.shifted = pushOffset;
    }
    return look;
  }
  if (m_pressed || forcedDown) {
    look.image = BtnImage::Down;
    look.textColor = colors.down;
    look.shifted = pushOffset;
  } else if (m_hovering) {
    look.image = BtnImage::Hover;
    look.textColor = colors.hover;
  } else if (!enabled) {
    look.image = BtnImage::Disabled;
    look.textColor = colors.normal;
  } else {
    look.image = BtnImage::Normal;
    look.textColor = colors.normal;
  }
  return look;
}

RECT32 PngBtnModel::CaptionRect(int width, int height, const BtnLook& look) const {
  bool ownRect = textRect.right > textRect.left && textRect.bottom > textRect.top;
  RECT32 r = ownRect ? textRect : RECT32{0, 0, width, height};
  int dx = textLeft + (look.shifted ? -1 : 0);
  int dy = look.shifted ? 1 : 0;
  return RECT32{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

uint32_t PngBtnModel::CaptionFormat() const {
  if (textFormat != 0) return textFormat;
  return kTextLineFormat | (textLeft < 1 ? kTextCenter : 0u);
}

void PngBtnModel::IconOrigin(int height, int iconHeight, const BtnLook& look, int* x, int* y) const {
  *x = iconLeft + (look.shifted ? -1 : 0);
  *y = (height - iconHeight) / 2 + (look.shifted ? 1 : 0);
}

}  // namespace ui
