#include "dialogs/led_panel.h"

#include <algorithm>
#include <mutex>

#include "config/layout.h"
#include "config/settings.h"
#include "log/log.h"
#include "macro/macro_library.h"
#include "platform/u16.h"

const LedModeInfo kLedModeTable[kLedModes] = {
    // list text            speed  bright dir    swatches random group
    {&TextSlots::tc_led_mode1, true, true, false, 7, false, false},
    {&TextSlots::tc_led_mode3, true, false, false, 0, false, false},
    {&TextSlots::tc_led_mode2, false, true, false, 7, false, false},
    {&TextSlots::tc_led_mode4, false, true, false, 0, false, true},
    {&TextSlots::tc_led_mode5, true, false, false, 7, true, false},
    {&TextSlots::tc_led_mode6, true, true, true, 0, false, false},
    {&TextSlots::tc_led_mode7, true, false, false, 7, true, false},
    {&TextSlots::tc_led_mode8, true, false, false, 7, true, false},
    {&TextSlots::tc_adv_str1, true, false, false, 7, true, false},
    {&TextSlots::tc_adv_str2, true, false, false, 6, true, false},
};

namespace {

constexpr uint32_t kLastMode = kLedModes - 1;

bool IsLevel(int32_t value) { return value >= kLedLevelMin && value <= kLedLevelMax; }

// A level from disk as the slider shows it: outside the range the thumb stays at the minimum.
int32_t ShownLevel(int32_t value) { return IsLevel(value) ? value : kLedLevelMin; }

// A game group from disk that names no group is shown, and would be stored, as the first.
int ShownGroup(uint32_t group) { return group < kGameGroups ? static_cast<int>(group) : 0; }

bool ModeUsesSwatchColor(uint32_t mode) { return mode == 0 || mode == 2; }

}  // namespace

namespace {

// The band from 24 to 4 pixels above a control, 220 pixels wide from its left edge.
RECT32 Above(int left, int top) { return RECT32{left, top - 24, left + 220, top - 4}; }

}  // namespace

int LedPanelLabels(const LedPanelState& s, LedLabel* out, int capacity) {
  const LedLabel all[] = {
      {&TextSlots::tc_msg1, kAlwaysOnLabelRect},
      {&TextSlots::tc_adv_str7, Above(kBrightnessSliderRect.left, kBrightnessSliderRect.top)},
      {&TextSlots::tc_adv_str19, Above(kSpeedSliderRect.left, kSpeedSliderRect.top)},
      {&TextSlots::tc_adv_str13, Above(kLeftArrowX, kArrowY)},
      {&TextSlots::tc_adv_str12, Above(kSwatchX, kSwatchY)},
      {&TextSlots::tc_adv_str14, RECT32{39, 233, 229, 249}},
      {&TextSlots::tc_msg28, Above(kGroupComboX, kGroupComboY)},
  };
  const bool shown[] = {true,          s.brightnessShown, s.speedShown,    s.directionShown,
                        s.swatchesShown > 0 || s.randomShown, s.randomShown, s.gameGroupShown};
  int n = 0;
  for (size_t i = 0; i < sizeof all / sizeof all[0] && n < capacity; ++i)
    if (shown[i]) out[n++] = all[i];
  return n;
}

bool operator==(const LedPanelState& a, const LedPanelState& b) {
  return a.mode == b.mode && a.speedShown == b.speedShown && a.brightnessShown == b.brightnessShown &&
         a.directionShown == b.directionShown && a.randomShown == b.randomShown &&
         a.gameGroupShown == b.gameGroupShown && a.swatchesShown == b.swatchesShown &&
         std::equal(a.swatchSelected, a.swatchSelected + kSwatchCount, b.swatchSelected) &&
         a.randomChecked == b.randomChecked && a.directionRight == b.directionRight && a.speed == b.speed &&
         a.brightness == b.brightness && a.speedLabel == b.speedLabel && a.brightnessLabel == b.brightnessLabel &&
         a.gameGroup == b.gameGroup && a.alwaysOn == b.alwaysOn;
}

std::u16string SpeedLabelText(int32_t speed) { return u16::Format(u"%d", speed); }

std::u16string BrightnessLabelText(int32_t brightness) {
  return u16::Format(u"%d %%", brightness * 20);
}

LedPanel::LedPanel(Requester request) : m_request(std::move(request)) {
  if (!m_request) m_request = RequestApply;
}

const std::u16string& LedPanel::ModeCaption() const {
  return g_Texts.*kLedModeTable[std::min(m_state.mode, kLastMode)].listText;
}

void LedPanel::Request(uint32_t flags) {
  if (g_Settings.ApplyNow) m_request(flags);
}

void LedPanel::Load(PROFILEINFO* profile) {
  m_profile = profile;
  if (!m_profile) return;
  m_state.mode = std::min(m_profile->nCurLedMode, kLastMode);
  ShowMode(m_state.mode);
}

void LedPanel::ShowGroupColors(int group) {
  if (!m_view || !m_profile) return;
  uint32_t colors[kKeySlots] = {};
  int count = std::clamp(g_KeyCount, 0, kKeySlots);
  if (group >= 0 && group < kGameGroups) {
    for (int i = 0; i < count; ++i) {
      int32_t matrix = DefaultKeyTable[i].nMatrix;
      if (matrix >= 0 && matrix < kKeySlots) colors[i] = m_profile->dwKeyColor[group][matrix];
    }
  }
  m_view->SetKeyColors(colors, count);
}

void LedPanel::ShowMode(uint32_t mode) {
  if (!m_profile || mode > kLastMode) return;
  const LEDPARAM& p = m_profile->LedParam[mode];
  const LedModeInfo& info = kLedModeTable[mode];
  LedPanelState& s = m_state;

  s.speedShown = info.speed;
  s.brightnessShown = info.brightness;
  s.directionShown = info.direction;
  s.randomShown = info.random;
  s.gameGroupShown = info.gameGroup;
  s.swatchesShown = info.swatches;

  std::fill(s.swatchSelected, s.swatchSelected + kSwatchCount, false);
  if (ModeUsesSwatchColor(mode))
    s.swatchSelected[std::min<uint32_t>(p.nColor, kSwatchCount - 1)] = true;
  else
    s.randomChecked = p.bRandomColor != 0;

  s.speed = s.speedLabel = ShownLevel(p.nSpeed);
  s.brightness = s.brightnessLabel = ShownLevel(p.nLight);
  s.directionRight = p.nDirect != 0;

  // The group is taken in every mode, so that a commit in another mode writes back the
  // profile's own group rather than one left over from the profile shown before.
  s.gameGroup = ShownGroup(m_profile->nCurGameGroup);
  ShowGroupColors(mode == kLedModeColorPerKey ? s.gameGroup : -1);
  if (m_view) m_view->ClearClickedKey();
}

bool LedPanel::Commit() {
  if (!m_profile) return false;
  uint32_t mode = m_state.mode;
  if (mode > kLastMode) {
    LogPrint(u"CLedDlg: no lighting mode %u to store", mode);
    return false;
  }
  std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
  PROFILEINFO& profile = *m_profile;
  profile.nCurLedMode = mode;
  LEDPARAM& p = profile.LedParam[mode];
  p.nSpeed = static_cast<uint8_t>(IsLevel(m_state.speed) ? m_state.speed : 0);
  p.nLight = static_cast<uint8_t>(IsLevel(m_state.brightness) ? m_state.brightness : 0);
  p.bRandomColor = m_state.randomChecked ? 1 : 0;
  if (m_state.gameGroup < 0 || m_state.gameGroup >= kGameGroups) {
    LogPrint(u"Get wrong nCurGameGroup value");
    m_state.gameGroup = 0;
  }
  profile.nCurGameGroup = static_cast<uint16_t>(m_state.gameGroup);
  p.nDirect = m_state.directionRight ? 1 : 0;
  const bool* selected = std::find(m_state.swatchSelected, m_state.swatchSelected + kSwatchCount, true);
  if (selected != m_state.swatchSelected + kSwatchCount)
    p.nColor = static_cast<uint32_t>(selected - m_state.swatchSelected);
  if (mode == kLedModeColorPerKey && m_view) {
    uint32_t colors[kKeySlots] = {};
    int count = std::clamp(g_KeyCount, 0, kKeySlots);
    m_view->GetKeyColors(colors, count);
    for (int i = 0; i < count; ++i) {
      int32_t matrix = DefaultKeyTable[i].nMatrix;
      if (matrix >= 0 && matrix < kKeySlots) profile.dwKeyColor[m_state.gameGroup][matrix] = colors[i];
    }
  }
  return true;
}

void LedPanel::ChooseMode(uint32_t mode) {
  if (mode > kLastMode) return;
  m_state.mode = mode;
  if (!m_profile) return;
  ShowMode(mode);
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    uint16_t group = m_profile->nCurGameGroup;
    if (group < kGameGroups) m_profile->bGroupEdited[group] = 1;
  }
  if (Commit()) Request(kRequestAfterChange);
}

void LedPanel::ClickAlwaysOn() { m_state.alwaysOn = true; }

void LedPanel::ClickRandom() {
  m_state.randomChecked = !m_state.randomChecked;
  std::fill(m_state.swatchSelected, m_state.swatchSelected + kSwatchCount, false);
  if (Commit()) Request(kRequestAfterChange);
}

void LedPanel::ClickDirection(bool right) {
  m_state.directionRight = right;
  if (Commit()) Request(kRequestAfterChange);
}

void LedPanel::ClickSwatch(int index) {
  if (index < 0 || index >= kSwatchCount) return;
  std::fill(m_state.swatchSelected, m_state.swatchSelected + kSwatchCount, false);
  m_state.swatchSelected[index] = true;
  m_state.randomChecked = false;
  if (Commit()) Request(kRequestAfterChange);
}

void LedPanel::ChooseGameGroup(int group) {
  if (group < 0 || group >= kGameGroups) return;
  m_state.gameGroup = group;
  if (!m_profile) return;
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    m_profile->nCurGameGroup = static_cast<uint16_t>(group);
  }
  ShowGroupColors(group);
  if (m_view) m_view->ClearClickedKey();
  Request(kRequestAfterChange);
}

void LedPanel::SliderTracked(int32_t id, int32_t value) {
  if (id == kSpeedSliderId) m_state.speedLabel = value;
  if (id == kBrightnessSliderId) m_state.brightnessLabel = value;
}

void LedPanel::SliderSet(int32_t id, int32_t value) {
  if (id == kSpeedSliderId) {
    m_state.speed = m_state.speedLabel = value;
  } else if (id == kBrightnessSliderId) {
    m_state.brightness = m_state.brightnessLabel = value;
  } else {
    return;
  }
  if (Commit()) Request(kRequestAfterSlider);
}

bool LedPanel::PickKeyColor(int slot, uint32_t color) {
  int count = std::clamp(g_KeyCount, 0, kKeySlots);
  if (!m_view || slot < 0 || slot >= count) return false;
  uint32_t colors[kKeySlots] = {};
  m_view->GetKeyColors(colors, count);
  colors[slot] = color;
  m_view->SetKeyColors(colors, count);
  if (!Commit()) return false;
  Request(kRequestAfterKeyColor);
  return true;
}
