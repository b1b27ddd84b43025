// The skinned tree's own scroll bar under a real message loop: no system bar, ours inside the
// frame only while the rows overflow, and arrows, track, thumb, held buttons, keys and the wheel
// moving the rows and the thumb together.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "controls/tree_ctrl_ex_win.h"
#include "skin_fixture_win.h"

namespace {

constexpr int kWidth = 150, kHeight = 250;  // 12 rows of 20 pixels
constexpr UINT kTreeId = 261;

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

class TreeScroll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.Create(L"VelkorTreeScrollParent", WS_POPUP | WS_VISIBLE, 0, RECT{0, 0, 400, 300}, nullptr));
    ASSERT_TRUE(tree.CreateSkinned(parent.hwnd(), kTreeId, nullptr, nullptr, nullptr, RECT{10, 10, 10 + kWidth,
                                                                                          10 + kHeight}));
    Fill(60);
  }
  void TearDown() override {
    tree.Destroy();
    parent.Destroy();
  }

  void Fill(int count) {
    TreeModel& model = tree.Model();
    model.ClearAll();
    TreeModel::Batch batch(model);
    for (int i = 0; i < count; ++i)
      model.InsertItemWithImage(kTreeRoot, false, false, nullptr, u"Macro " + std::u16string(1, u'A' + i % 26), 0,
                                0, 5);
  }
  HWND Bar() const { return FindWindowExW(tree.hwnd(), nullptr, L"VelkorScrollBar", nullptr); }
  // Runs the loop until the bar shows the tree's rows as they are now.
  bool Settled() {
    return skintest::PumpUntil([&] {
      HWND bar = Bar();
      auto* skin = static_cast<CSkinScrollBar*>(ui::WindowBase::FromHandle(bar));
      return skin && skin->Model().Position() == tree.Model().TopRow() &&
             skin->Model().Count() == tree.Model().RowCount();
    });
  }
  const ScrollBarModel& BarModel() const {
    return static_cast<CSkinScrollBar*>(ui::WindowBase::FromHandle(Bar()))->Model();
  }
  void Click(int x, int y) {
    SendMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
    SendMessageW(Bar(), WM_LBUTTONUP, 0, At(x, y));
  }

  skintest::Gdiplus gdiplus;
  ui::WindowBase parent;
  CTreeCtrlEx tree;
};

TEST_F(TreeScroll, OurBarInsideTheFrameOnlyWhileRowsOverflow) {
  ASSERT_TRUE(Settled());
  EXPECT_EQ(GetWindowLongW(tree.hwnd(), GWL_STYLE) & WS_VSCROLL, 0);
  HWND bar = Bar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(IsWindowVisible(bar));
  RECT r;
  GetWindowRect(bar, &r);
  MapWindowPoints(nullptr, tree.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, kWidth - 1 - kSkinScrollBarWidth);
  EXPECT_EQ(r.right, kWidth - 1);
  EXPECT_EQ(r.top, 1);
  EXPECT_EQ(r.bottom, kHeight - 1);
  // The rows, their selection and their texts end where the bar begins.
  EXPECT_EQ(tree.Model().ClientWidth(), kWidth - 1 - kSkinScrollBarWidth);
  // Dark, as the skin is: no light system face.
  const uint32_t track = skintest::DrawnPixel(bar, 6, kHeight / 2 + 60);
  EXPECT_LT((track >> 16) + ((track >> 8) & 0xFF) + (track & 0xFF), 0x60u) << std::hex << track;

  Fill(5);
  ASSERT_TRUE(skintest::PumpUntil([&] { return !IsWindowVisible(Bar()); }));
  EXPECT_EQ(tree.Model().ClientWidth(), kWidth);
}

TEST_F(TreeScroll, ArrowsTrackAndThumbMoveTheRows) {
  ASSERT_TRUE(Settled());
  const int bottom = kHeight - 2;  // the bar's own height
  Click(6, bottom - 4);            // the down arrow
  EXPECT_EQ(tree.Model().TopRow(), 1);
  Click(6, 4);
  EXPECT_EQ(tree.Model().TopRow(), 0);
  Click(6, bottom - 30);  // the track below the thumb: a page less one row
  EXPECT_EQ(tree.Model().TopRow(), tree.Model().PageRows() - 1);

  // The thumb dragged to the foot shows the last page; dragged above the top, the first.
  ASSERT_TRUE(Settled());
  const int grab = BarModel().ThumbStart() + 3;
  SendMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, At(6, grab));
  SendMessageW(Bar(), WM_MOUSEMOVE, MK_LBUTTON, At(6, bottom + 40));
  EXPECT_EQ(tree.Model().TopRow(), tree.Model().MaxTopRow());
  SendMessageW(Bar(), WM_MOUSEMOVE, MK_LBUTTON, At(6, -40));
  EXPECT_EQ(tree.Model().TopRow(), 0);
  SendMessageW(Bar(), WM_LBUTTONUP, 0, At(6, -40));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TreeScroll, KeysScrollOnceTheBarHasTheFocusAndTheWheelMovesTheThumb) {
  ASSERT_TRUE(Settled());
  Click(6, kHeight - 6);
  EXPECT_EQ(GetFocus(), Bar());
  // Through the loop's filters, as a typed key comes: the tree stops its own keys, not the bar's.
  MSG key{Bar(), WM_KEYDOWN, VK_END, 0, 0, {}};
  EXPECT_FALSE(ui::PreTranslate(key, parent.hwnd()));
  MSG treeKey{tree.hwnd(), WM_KEYDOWN, VK_END, 0, 0, {}};
  EXPECT_TRUE(ui::PreTranslate(treeKey, parent.hwnd()));
  SendMessageW(Bar(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(tree.Model().TopRow(), tree.Model().MaxTopRow());
  SendMessageW(Bar(), WM_KEYDOWN, VK_PRIOR, 0);
  EXPECT_EQ(tree.Model().TopRow(), tree.Model().MaxTopRow() - (tree.Model().PageRows() - 1));
  SendMessageW(Bar(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(tree.Model().TopRow(), 0);

  SendMessageW(tree.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(tree.Model().TopRow(), 3);
  ASSERT_TRUE(Settled());
  EXPECT_EQ(BarModel().Position(), 3);
}

TEST_F(TreeScroll, AHeldArrowRepeatsUntilReleased) {
  ASSERT_TRUE(Settled());
  SetForegroundWindow(parent.hwnd());
  skintest::MouseTo(Bar(), 6, kHeight - 6);
  skintest::MouseButton(true);
  const bool repeated = skintest::PumpUntil([&] { return tree.Model().TopRow() >= 4; });
  skintest::MouseButton(false);
  ASSERT_TRUE(skintest::PumpUntil([&] { return GetCapture() == nullptr; }));
  EXPECT_TRUE(repeated) << tree.Model().TopRow();
  const int stopped = tree.Model().TopRow();
  skintest::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(tree.Model().TopRow(), stopped);
}

}  // namespace
