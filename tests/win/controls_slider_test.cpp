// The slider's windows under a real message loop: a drag moves the thumb along the track and
// reports while it moves, the release reports the value once, a track click moves the thumb,
// and the parent hears everything with the track's identifier.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "controls/png_slider_bar_win.h"
#include "skin_fixture_win.h"

namespace {

constexpr int32_t kScale[] = {12, 51, 90, 129, 168};
constexpr int kId = 149;

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
    folder.Picture(L"thumb.bmp", 18, 18, 0xE0E0E0);
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
  }

  // The thumb's left edge on the track.
  int ThumbLeft() const {
    RECT r;
    GetWindowRect(bar.ThumbWindow(), &r);
    MapWindowPoints(nullptr, bar.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
  }

  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
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
