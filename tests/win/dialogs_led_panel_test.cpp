// The lighting panel's window under real mouse input: dragging a slider's thumb changes only the
// value shown until the release, which stores the value and asks for one apply; the arrows store
// the direction; the mode decides which controls are on screen; Enter, Esc, Space and F1 are
// taken before dispatch.
//
// With VELKOR_SHOTS set to a folder that holds a program folder's skins\ and text.xml, the test
// draws with that skin and leaves captures of the panel there (led-*.bmp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/layout.h"
#include "config/settings.h"
#include "config/text_table.h"
#include "controls/menu_library.h"
#include "dialogs/led_dlg_win.h"
#include "skin_fixture_win.h"

namespace {

const RECT kPanelRect = {19, 244, 19 + 242, 244 + 252};

std::wstring ShotsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"VELKOR_SHOTS", buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"";
  std::wstring folder(buffer);
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

// What the screen shows of a window, as a BMP.
void Capture(HWND hwnd, const std::wstring& path) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  // The screen has no alpha: every pixel is opaque, whatever the copy left in the fourth byte.
  uint32_t* pixel = static_cast<uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) pixel[i] |= 0xFF000000u;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(w) * h * 4;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(out, &file, sizeof file, &written, nullptr);
  WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
  WriteFile(out, bits, static_cast<DWORD>(w) * h * 4, &written, nullptr);
  CloseHandle(out);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

class LedPanelWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    shots = ShotsFolder();
    if (shots.empty()) {
      folder.Picture(L"main_nr.png", 1000, 640, 0x202428);
      folder.Picture(L"slider.png", 20, 18, 0xE0E0E0);
      folder.Picture(L"dpi_bar.png", 180, 18, 0x505050);
      folder.Picture(L"check_nr.png", 16, 16, 0x707070);
      folder.Picture(L"check_ov.png", 16, 16, 0x909090);
      folder.Picture(L"check_dn.png", 16, 16, 0x00AAFF);
      folder.Picture(L"combo_nr.png", 133, 22, 0x303030);
      folder.Picture(L"combo_ov.png", 133, 22, 0x383838);
      for (const wchar_t* side : {L"lbtn", L"rbtn"}) {
        folder.Picture((std::wstring(side) + L"_nr.png").c_str(), 54, 22, 0x606060);
        folder.Picture((std::wstring(side) + L"_ov.png").c_str(), 54, 22, 0x00AAFF);
      }
    } else {
      g_ProgramFolder.assign(shots.begin(), shots.end());
      LoadTextTable(g_ProgramFolder + u"text.xml");
    }
    g_Settings.Txt_clr = 0xE0DCDC;
    g_Settings.Btn_txt_clr_nr = 0xCDC8C8;
    g_Settings.ApplyNow = 1;
    std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
    g_KeyCount = 0;
    ASSERT_TRUE(background.LoadSkin(u"main_nr.png"));
    ASSERT_TRUE(host.Create(L"VelkorLedTestHost", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 400, 560}, nullptr));
    ASSERT_TRUE(panel.Create(host.hwnd(), kPanelRect, background));
    profile = std::make_unique<PROFILEINFO>();
    std::memset(profile.get(), 0, sizeof(PROFILEINFO));
    for (LEDPARAM& p : profile->LedParam) p = LEDPARAM{2, 0, 1, 0, 0, 0};
  }
  void TearDown() override {
    panel.Destroy();
    host.Destroy();
    g_Settings.ApplyNow = 0;
    g_Texts = TextSlots{};
  }

  void Shot(const wchar_t* name) {
    if (shots.empty()) return;
    UpdateWindow(panel.hwnd());
    skintest::PumpUntil([] { return false; }, 400);
    Capture(panel.hwnd(), shots + name);
  }
  // The thumb's centre along the track, in panel client coordinates.
  int ThumbCentreX(HWND thumb) {
    RECT r;
    GetWindowRect(thumb, &r);
    MapWindowPoints(nullptr, panel.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return (r.left + r.right) / 2;
  }
  // The visible control at a point of the panel, or null.
  HWND ChildAt(int x, int y) {
    HWND child = ChildWindowFromPointEx(panel.hwnd(), POINT{x, y}, CWP_SKIPINVISIBLE);
    return child == panel.hwnd() ? nullptr : child;
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  std::wstring shots;
  ui::SkinImage background;
  ui::WindowBase host;
  std::vector<uint32_t> requests;
  CLedDlg panel{[this](uint32_t flags) { requests.push_back(flags); }};
  std::unique_ptr<PROFILEINFO> profile;
};

TEST_F(LedPanelWindow, DraggingAThumbShowsTheValueAndStoresItOnRelease) {
  profile->nCurLedMode = 5;
  panel.Load(profile.get());
  Shot(L"led-mode5.bmp");
  HWND brightness = ChildAt(100, 88);
  ASSERT_NE(brightness, nullptr);
  HWND thumb = ChildWindowFromPoint(brightness, POINT{12, 9});
  ASSERT_NE(thumb, brightness);

  POINT start{15 + 12, 88};
  skintest::MouseTo(panel.hwnd(), start.x, start.y);
  skintest::MouseButton(true);
  ASSERT_TRUE(skintest::PumpUntil([&] { return GetCapture() == thumb; }));
  for (int x = start.x; x <= 15 + 129; x += 8) {
    skintest::MouseTo(panel.hwnd(), x, start.y + 3);
    skintest::PumpUntil([] { return false; }, 20);
  }
  skintest::MouseTo(panel.hwnd(), 15 + 129, start.y);
  ASSERT_TRUE(skintest::PumpUntil([&] { return panel.Presenter().State().brightnessLabel == 4; }));
  Shot(L"led-drag.bmp");
  EXPECT_EQ(profile->LedParam[5].nLight, 1);
  EXPECT_TRUE(requests.empty());

  skintest::MouseButton(false);
  ASSERT_TRUE(skintest::PumpUntil([&] { return !requests.empty(); }));
  skintest::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(requests, std::vector<uint32_t>{kRequestAfterSlider});
  EXPECT_EQ(profile->LedParam[5].nLight, 4);
  EXPECT_EQ(ThumbCentreX(thumb), 15 + 129);
}

TEST_F(LedPanelWindow, ArrowsStoreTheDirectionAndModesShowTheirControls) {
  profile->nCurLedMode = 5;
  panel.Load(profile.get());
  HWND right = ChildAt(77 + 27, 205 + 11);
  ASSERT_NE(right, nullptr);
  skintest::MouseTo(panel.hwnd(), 77 + 27, 205 + 11);
  skintest::MouseButton(true);
  skintest::MouseButton(false);
  ASSERT_TRUE(skintest::PumpUntil([&] { return !requests.empty(); }));
  EXPECT_EQ(profile->LedParam[5].nDirect, 1);
  EXPECT_EQ(requests, std::vector<uint32_t>{kRequestAfterChange});

  HWND speed = ChildAt(100, 146);
  ASSERT_NE(speed, nullptr);
  // The skinned menu's pick of mode 3 in the mode drop-down.
  profile->LedParam[3].nLight = 5;
  SendMessageW(ChildAt(kModeComboX + 5, kModeComboY + 5), WM_MENU_PICKED, 3, 0);
  Shot(L"led-mode3.bmp");
  EXPECT_EQ(profile->nCurLedMode, 3u);
  EXPECT_EQ(requests, (std::vector<uint32_t>{kRequestAfterChange, kRequestAfterChange}));
  EXPECT_FALSE(IsWindowVisible(speed));
  EXPECT_FALSE(IsWindowVisible(right));
  EXPECT_NE(ChildAt(100, 88), nullptr);  // brightness
  HWND group = ChildAt(kGroupComboX + 5, kGroupComboY + 5);
  ASSERT_NE(group, nullptr);
  SendMessageW(group, WM_MENU_PICKED, 2, 0);
  EXPECT_EQ(profile->nCurGameGroup, 2);
  profile->nCurLedMode = 4;
  panel.Load(profile.get());
  EXPECT_NE(ChildAt(15 + 8, 235 + 8), nullptr);  // random colour box
}

TEST_F(LedPanelWindow, ControlsFollowTheModeWhileTheMainWindowIsHidden) {
  profile->nCurLedMode = 5;
  panel.Load(profile.get());
  HWND speed = ChildAt(100, 146), left = ChildAt(kLeftArrowX + 5, kArrowY + 5);
  ASSERT_NE(speed, nullptr);
  ASSERT_NE(left, nullptr);
  ShowWindow(host.hwnd(), SW_HIDE);
  profile->nCurLedMode = 2;
  panel.Load(profile.get());
  ShowWindow(host.hwnd(), SW_SHOW);
  EXPECT_FALSE(IsWindowVisible(speed));
  EXPECT_FALSE(IsWindowVisible(left));
  EXPECT_NE(ChildAt(kSwatchX + 5, kSwatchY + 5), nullptr);
}

TEST_F(LedPanelWindow, ASwatchClickStoresTheColourAndSwitchesRandomOff) {
  profile->nCurLedMode = 9;
  profile->LedParam[9].bRandomColor = 1;
  panel.Load(profile.get());
  Shot(L"led-mode9.bmp");
  HWND white = ChildAt(kSwatchX + 6 * 30 + 10, kSwatchY + 10);
  EXPECT_EQ(white, nullptr);  // six swatches in this mode
  HWND green = ChildAt(kSwatchX + 2 * 30 + 10, kSwatchY + 10);
  ASSERT_NE(green, nullptr);
  EXPECT_EQ(skintest::DrawnPixel(green, 10, 10), 0x00FF00u);
  EXPECT_EQ(skintest::DrawnPixel(ChildAt(kSwatchX + 10, kSwatchY + 10), 10, 10), 0xFF0000u);  // red
  skintest::MouseTo(panel.hwnd(), kSwatchX + 2 * 30 + 10, kSwatchY + 10);
  skintest::MouseButton(true);
  skintest::MouseButton(false);
  ASSERT_TRUE(skintest::PumpUntil([&] { return !requests.empty(); }));
  EXPECT_EQ(profile->LedParam[9].nColor, 2u);
  EXPECT_EQ(profile->LedParam[9].bRandomColor, 0u);
  EXPECT_TRUE(panel.Presenter().State().swatchSelected[2]);
}

TEST_F(LedPanelWindow, EnterEscSpaceAndF1AreTakenBeforeDispatch) {
  for (int key : {VK_RETURN, VK_ESCAPE, VK_SPACE, VK_F1, int('A')}) {
    MSG msg = {panel.hwnd(), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {0, 0}};
    EXPECT_EQ(ui::PreTranslate(msg, host.hwnd()), key != 'A') << key;
  }
}

}  // namespace
