// The progress dialog driven as the apply worker drives it: found by its title from another
// thread, sent positions by posted messages, closed by WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "config/text_table.h"
#include "controls/progress_dlg_win.h"
#include "device/apply.h"
#include "device/os_link.h"
#include "skin_fixture_win.h"

namespace {

constexpr uint32_t kEmpty = 0x101010, kFull = 0x00A0FF;
constexpr int kProbeY = 140;  // below the caption and the exit button

// Where the fill ends: the first pixel of the probe row that shows the empty bar.
int FillEnd(HWND dlg) {
  const skintest::Drawing drawn = skintest::Capture(dlg);
  for (int x = 0; x < drawn.width; ++x)
    if (drawn.At(x, kProbeY) == kEmpty) return x;
  return drawn.width;
}

TEST(ProgressDlg, TheWorkerFindsItByTitleMovesTheBarAndClosesIt) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;
  folder.Picture(L"progress_nr.png", 530, 150, kEmpty);
  folder.Picture(L"progress_ov.png", 530, 150, kFull);
  g_Texts.tc_msg12 = u"Writing the settings to the keyboard, please wait...";

  std::vector<int> ends;
  std::wstring title;
  std::thread worker;
  RunApplyProgress(nullptr, [&] {
    worker = std::thread([&] {
      WindowRef found = nullptr;
      for (int i = 0; i < 250 && !found; ++i, Sleep(20)) found = oslink::FindTopLevelWindow(kProgressDlgTitle);
      if (!found) return;
      HWND dlg = static_cast<HWND>(found);
      wchar_t text[32] = {};
      GetWindowTextW(dlg, text, 32);
      title = text;
      ends.push_back(FillEnd(dlg));
      // 150 lies outside 0..100: the bar goes back to the minimum.
      for (uintptr_t pos : {20, 70, 100, 150}) {
        const int before = FillEnd(dlg);
        oslink::PostToWindow(found, WM_PROGRESS_SETPOS, pos, 0);
        int now = before;
        for (int i = 0; i < 100 && now == before; ++i, Sleep(20)) now = FillEnd(dlg);
        ends.push_back(now);
      }
      oslink::PostToWindow(found, kWmClose, 0, 0);
      oslink::PostToWindow(found, kWmClose, 0, 0);
    });
  });
  worker.join();
  EXPECT_EQ(title, L"MyProgressDlg..");
  // 45 + position x 441 / 100, the bar bounds of the Apply command.
  EXPECT_EQ(ends, (std::vector<int>{45, 133, 353, 486, 45}));
  EXPECT_EQ(FindWindowW(nullptr, L"MyProgressDlg.."), nullptr) << "closed and gone";
}

TEST(ProgressDlg, TheExitButtonClosesItAndKeysDoNot) {
  skintest::Gdiplus gdiplus;
  skintest::ProgramFolder folder;  // no pictures: the dialog still shows and closes
  std::thread user;
  bool stillOpenAfterKeys = false;
  RunApplyProgress(nullptr, [&] {
    user = std::thread([&] {
      HWND dlg = nullptr;
      for (int i = 0; i < 250 && !(dlg && IsWindowVisible(dlg)); ++i, Sleep(20))
        dlg = FindWindowW(nullptr, L"MyProgressDlg..");
      if (!dlg) return;
      for (UINT vk : {VK_RETURN, VK_ESCAPE, VK_SPACE}) {
        PostMessageW(dlg, WM_KEYDOWN, vk, 1);
        PostMessageW(dlg, WM_KEYUP, vk, 0xC0000001);
      }
      Sleep(300);
      stillOpenAfterKeys = IsWindowVisible(dlg) != FALSE;
      PostMessageW(FindWindowExW(dlg, nullptr, L"VelkorPngBtn", nullptr), BM_CLICK, 0, 0);
    });
  });
  user.join();
  EXPECT_TRUE(stillOpenAfterKeys);
}

}  // namespace
