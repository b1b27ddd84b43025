// The real Lodrex.dll's rule for which keyboard a collection comes from, without a HID stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "lodrex/keyboard_choice.h"

namespace {

struct Bench {
  std::vector<lodrex::Collection> collections;
  std::set<size_t> refuse;  // collections that will not open
  std::vector<uint32_t> open, closed;

  // Handles are the collection's index + 100, so a test can tell which one it got.
  uint32_t Pick() {
    return lodrex::OpenFromWholeKeyboard(
        collections,
        [this](size_t i) -> uint32_t {
          if (refuse.count(i)) return 0;
          open.push_back(static_cast<uint32_t>(i + 100));
          return static_cast<uint32_t>(i + 100);
        },
        [this](uint32_t h) { closed.push_back(h); });
  }
};

// Two keyboards of four collections each, enumerated interleaved as the system may list them.
Bench TwoKeyboards(size_t wantedKind) {
  Bench b;
  for (size_t i = 0; i < 8; ++i) b.collections.push_back({i % 2 ? L"B" : L"A", i / 2 == wantedKind});
  return b;
}

TEST(LodrexKeyboardChoice, EveryCollectionComesFromTheFirstKeyboardThatOpensWhole) {
  for (size_t kind = 0; kind < 4; ++kind) {
    Bench ok = TwoKeyboards(kind);
    EXPECT_EQ(ok.Pick(), 100 + 2 * kind);  // keyboard A
    EXPECT_EQ(ok.closed.size(), 3u);        // A's other collections were only tried

    // A's lighting collection (index 2) will not open: every kind, even those of A that would
    // open, now comes from B, so that the four handles never mix two keyboards.
    Bench busy = TwoKeyboards(kind);
    busy.refuse = {2};
    EXPECT_EQ(busy.Pick(), 100 + 2 * kind + 1) << kind;
    for (uint32_t h : busy.open) {
      if (h == 100 + 2 * kind + 1) continue;
      EXPECT_NE(std::find(busy.closed.begin(), busy.closed.end(), h), busy.closed.end()) << h;
    }
  }
}

TEST(LodrexKeyboardChoice, NothingWhenNoKeyboardOpensWholeOrNoneIsWanted) {
  Bench both = TwoKeyboards(1);
  both.refuse = {0, 7};
  EXPECT_EQ(both.Pick(), 0u);
  EXPECT_EQ(both.open.size(), both.closed.size());

  Bench none = TwoKeyboards(9);
  EXPECT_EQ(none.Pick(), 0u);
  EXPECT_TRUE(none.open.empty());
}

}  // namespace
