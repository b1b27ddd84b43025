// The slider's windows under a real message loop: a drag moves the thumb along the track and
// reports while it moves, the release reports the value once, a track click moves the thumb,
// and the parent hears everything with the track's identifier.
#include <gtest/gtest.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/folders.h"
#include "controls/png_slider_bar_win.h"

namespace {

constexpr int32_t kScale[] = {12, 51, 90, 129, 168};
constexpr int kId = 149;

// An 18 x 18 thumb as a 32-bit BMP in <folder>\skins\.
void WriteThumb(const std::wstring& folder) {
  CreateDirectoryW((folder + L"skins").c_str(), nullptr);
  const int side = 18;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = side;
  info.biHeight = side;
  info.biPlanes = 1;
  info.biBitCount = 32;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + side * side * 4;
  std::vector<uint32_t> pixels(side * side, 0xFFE0E0E0);
  FILE* f = _wfopen((folder + L"skins\\thumb.bmp").c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  fwrite(&file, sizeof file, 1, f);
  fwrite(&info, sizeof info, 1, f);
  fwrite(pixels.data(), 4, pixels.size(), f);
  fclose(f);
}

class Parent : public ui::WindowBase {
 public:
  struct Note {
    UINT msg;
    WPARAM value;
    LPARAM id;
  };
  std::vector<Note> notes;

  // Handles what is queued, then returns the notes and forgets them.
  std::vector<Note> Take() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::vector<Note> out;
    out.swap(notes);
    return out;
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SLIDER_SET || msg == WM_SLIDER_TRACK) notes.push_back({msg, wParam, lParam});
    return Default(msg, wParam, lParam);
  }
};

class SliderWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"velkor-slider-test\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteThumb(folder);
    g_ProgramFolder.assign(folder.begin(), folder.end());
    ASSERT_TRUE(parent.Create(L"VelkorSliderTestParent", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 242, 252}, nullptr));
    ASSERT_TRUE(bar.Create(parent.hwnd(), kId, u"thumb.bmp", u"", RECT{15, 79, 195, 97}, nullptr));
    bar.SetRange(1, 5);
    ASSERT_TRUE(bar.SetScale(5, kScale));
    bar.SetLive(true);
    bar.SetPosition(1, false);
    parent.Take();
  }
  void TearDown() override {
    bar.Destroy();
    parent.Destroy();
    Gdiplus::GdiplusShutdown(token);
  }

  // The thumb's left edge on the track.
  int ThumbLeft() const {
    RECT r;
    GetWindowRect(bar.ThumbWindow(), &r);
    MapWindowPoints(nullptr, bar.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
  }

  ULONG_PTR token = 0;
  std::wstring folder;
  Parent parent;
  CPngSliderBar bar;
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

TEST_F(SliderWindows, DragReportsWhileMovingAndSetsOnceOnRelease) {
  HWND thumb = bar.ThumbWindow();
  EXPECT_EQ(ThumbLeft(), 12 - 9);
  SendMessageW(thumb, WM_LBUTTONDOWN, MK_LBUTTON, At(7, 9));
  EXPECT_EQ(GetCapture(), thumb);
  SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON, At(7 + 70, 30));  // across the axis: ignored
  EXPECT_EQ(ThumbLeft(), 73);
  auto notes = parent.Take();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].msg, static_cast<UINT>(WM_SLIDER_TRACK));
  EXPECT_EQ(notes[0].value, 3u);
  EXPECT_EQ(notes[0].id, kId);
  EXPECT_EQ(bar.Value(), 1);

  SendMessageW(thumb, WM_MOUSEMOVE, MK_LBUTTON, At(500, 9));
  EXPECT_EQ(ThumbLeft(), 180 - 18);
  SendMessageW(thumb, WM_LBUTTONUP, 0, At(7 - 100, 9));  // back to 69 on the track: centre 71
  notes = parent.Take();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].msg, static_cast<UINT>(WM_SLIDER_SET));
  EXPECT_EQ(notes[1].value, 3u);
  EXPECT_EQ(notes[1].id, kId);
  EXPECT_EQ(ThumbLeft(), 90 - 9);
  EXPECT_EQ(bar.Value(), 3);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SliderWindows, TrackClickAndSetPosition) {
  SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(160, 9));
  SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, At(160, 9));
  auto notes = parent.Take();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].msg, static_cast<UINT>(WM_SLIDER_SET));
  EXPECT_EQ(notes[0].value, 5u);
  EXPECT_EQ(ThumbLeft(), 168 - 9);

  bar.SetPosition(2, false);
  EXPECT_TRUE(parent.Take().empty());
  EXPECT_EQ(ThumbLeft(), 51 - 9);
  bar.SetPosition(4, true);
  notes = parent.Take();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].value, 4u);

  bar.SetDisabled(true);
  SendMessageW(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(12, 9));
  SendMessageW(bar.hwnd(), WM_LBUTTONUP, 0, At(12, 9));
  EXPECT_TRUE(parent.Take().empty());
  EXPECT_EQ(bar.Value(), 4);
}

}  // namespace
