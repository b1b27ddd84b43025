// The lighting panel apart from its window: which controls each lighting mode shows, what the
// controls show for the current profile (Load), what they write back into it (Commit), what
// each user action changes, and the apply requests that follow when ApplyNow is set. The
// window (CLedDlg) turns messages into these calls and shows State().
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/text_table.h"
#include "device/apply.h"
#include "records/profile_record.h"

constexpr int kSpeedSliderId = 148;
constexpr int kBrightnessSliderId = 149;
// Speed and brightness run from 1 to 5 on both sliders, thumb centres 39 px apart.
constexpr int32_t kLedLevelMin = 1;
constexpr int32_t kLedLevelMax = 5;
constexpr int kLedLevelCount = kLedLevelMax - kLedLevelMin + 1;
constexpr int32_t kLedSliderScale[kLedLevelCount] = {12, 51, 90, 129, 168};

// The panel's swatches: the first seven colours of the swatch row (red to white).
constexpr int kSwatchCount = 7;

// What goes to the keyboard after a change: the lighting block after a slider was set, the
// lighting and per-key colours after any other lighting change, the colours after a key colour.
constexpr uint32_t kRequestAfterSlider = APPLY_LED;
constexpr uint32_t kRequestAfterChange = APPLY_LED | APPLY_COLOR;
constexpr uint32_t kRequestAfterKeyColor = APPLY_COLOR;

struct LedModeInfo {
  std::u16string TextSlots::*listText;  // the mode's row in the mode drop-down
  bool speed;
  bool brightness;
  bool direction;
  int swatches;  // 0, or how many of the swatches from the first are shown
  bool random;
  bool gameGroup;
};
extern const LedModeInfo kLedModeTable[kLedModes];

// The per-key colours as the keyboard view holds them: one colour per key of the layout, in
// layout order (0: unlit).
class LedKeyboardView {
 public:
  virtual ~LedKeyboardView() = default;
  // Takes colours for keys 0 .. count - 1 and repaints.
  virtual void SetKeyColors(const uint32_t* colors, int count) = 0;
  virtual void GetKeyColors(uint32_t* colors, int count) const = 0;
  // No key is clicked any more; repaints.
  virtual void ClearClickedKey() = 0;
};

// Everything the panel's controls show.
struct LedPanelState {
  uint32_t mode = 0;  // the mode drop-down's value
  bool speedShown = false;
  bool brightnessShown = false;
  bool directionShown = false;
  bool randomShown = false;
  bool gameGroupShown = false;
  int swatchesShown = 0;  // swatches 0 .. swatchesShown - 1 are visible
  bool swatchSelected[kSwatchCount] = {};
  bool randomChecked = false;
  bool directionRight = false;  // the right arrow is selected, else the left one
  int32_t speed = kLedLevelMin;  // the sliders' values
  int32_t brightness = kLedLevelMin;
  int32_t speedLabel = kLedLevelMin;  // the values the labels show; they follow a drag
  int32_t brightnessLabel = kLedLevelMin;
  int gameGroup = 0;
  bool alwaysOn = true;
};

bool operator==(const LedPanelState& a, const LedPanelState& b);
inline bool operator!=(const LedPanelState& a, const LedPanelState& b) { return !(a == b); }

// Where the controls go, in panel client pixels.
constexpr RECT32 kBrightnessSliderRect = {15, 79, 195, 97};
constexpr RECT32 kBrightnessValueRect = {205, 77, 235, 97};
constexpr RECT32 kSpeedSliderRect = {15, 137, 195, 155};
constexpr RECT32 kSpeedValueRect = {205, 135, 230, 155};
// The always-on check box and its caption head the panel on a row of their own, in the column of
// the random colour box; the mode drop-down follows below, in the column of the sliders. Side by
// side, the drop-down left the caption 60 pixels.
constexpr int kAlwaysOnX = 15, kAlwaysOnY = 7;
constexpr int kModeComboX = 15, kModeComboY = 29;
constexpr int kGroupComboX = 15, kGroupComboY = 137;
constexpr int kLeftArrowX = 15, kRightArrowX = 77, kArrowY = 205;
constexpr int kSwatchX = 15, kSwatchY = 205, kSwatchSide = 20, kSwatchGap = 10;
constexpr int kRandomX = 15, kRandomY = 235;
constexpr int kComboListWidth = 133;

// A caption the panel draws, one line of its font, and where.
struct LedLabel {
  std::u16string TextSlots::*text;
  RECT32 rect;
};

constexpr RECT32 kAlwaysOnLabelRect = {kAlwaysOnX + 24, kAlwaysOnY - 2, 235, kAlwaysOnY + 18};
// The captions for what the state shows, each only while its control is shown.
int LedPanelLabels(const LedPanelState& state, LedLabel* out, int capacity);

// "%d" of the speed; "%d %%" of the brightness times 20.
std::u16string SpeedLabelText(int32_t speed);
std::u16string BrightnessLabelText(int32_t brightness);

class LedPanel {
 public:
  using Requester = std::function<void(uint32_t flags)>;
  // `request` queues an apply run; by default RequestApply. It is called only when the
  // settings' ApplyNow is non-zero.
  explicit LedPanel(Requester request = nullptr);

  void SetKeyboardView(LedKeyboardView* view) { m_view = view; }

  // The profile the panel edits, shown at once; null for none. Called whenever the current
  // profile changes or is reloaded. Values the panel cannot show (a mode above 9, a game group
  // above 4, a colour above 6, levels outside 1..5) are shown clamped, and nothing is written
  // back until the user changes something.
  void Load(PROFILEINFO* profile);
  PROFILEINFO* Profile() const { return m_profile; }

  // Controls to profile. False (nothing written) without a profile or with a mode outside 0..9.
  bool Commit();

  // What the user does.
  void ChooseMode(uint32_t mode);
  void ClickAlwaysOn();
  void ClickRandom();
  void ClickDirection(bool right);
  void ClickSwatch(int index);
  void ChooseGameGroup(int group);
  void SliderTracked(int32_t id, int32_t value);
  void SliderSet(int32_t id, int32_t value);
  // A colour from the key function picker for a key slot of the layout: into the keyboard
  // view, through Commit into the profile's current game group, then the colours request.
  bool PickKeyColor(int slot, uint32_t color);

  const LedPanelState& State() const { return m_state; }
  const std::u16string& ModeCaption() const;

 private:
  void ShowMode(uint32_t mode);
  void ShowGroupColors(int group);
  void Request(uint32_t flags);

  Requester m_request;
  LedKeyboardView* m_view = nullptr;
  PROFILEINFO* m_profile = nullptr;
  LedPanelState m_state;
};
