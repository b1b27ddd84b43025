#include "macro/my_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> g_freed;
void FreeInt(int* p) {
  g_freed.push_back(*p);
  delete p;
}

template <typename T>
std::vector<T> Items(const CMyList<T>& list) {
  std::vector<T> out;
  for (auto pos = list.GetHeadPosition(); pos; pos = CMyList<T>::Next(pos)) out.push_back(*CMyList<T>::GetAt(pos));
  return out;
}

class MyListTest : public ::testing::Test {
 protected:
  void SetUp() override { g_freed.clear(); }
};

TEST_F(MyListTest, KeepsOrderAndCountAcrossInsertsAndRemovals) {
  CMyList<int> list(FreeInt);
  auto two = list.AddTail(new int(2));
  list.AddHead(new int(1));
  auto four = list.AddTail(new int(4));
  list.InsertAfter(two, new int(3));
  list.InsertBefore(list.GetHeadPosition(), new int(0));
  EXPECT_EQ(Items(list), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(list.GetCount(), 5u);

  list.RemoveAt(two);
  list.RemoveAt(four);
  list.RemoveAt(list.GetHeadPosition());
  EXPECT_EQ(Items(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(*list.GetHead(), 1);
  EXPECT_EQ(*list.GetTail(), 3);
  EXPECT_EQ(*CMyList<int>::GetAt(CMyList<int>::Prev(list.GetTailPosition())), 1);
  EXPECT_EQ(list.GetCount(), 2u);
  EXPECT_EQ(g_freed, (std::vector<int>{2, 4, 0}));
}

TEST_F(MyListTest, OwningListFreesOnClearAndDestructionButNotOnDetach) {
  {
    CMyList<int> list(FreeInt);
    for (int i = 0; i < 3; ++i) list.AddTail(new int(i));
    int* detached = list.Detach(list.Find([](const int& v) { return v == 1; }));
    ASSERT_NE(detached, nullptr);
    EXPECT_TRUE(g_freed.empty());
    delete detached;
    list.RemoveAll();
    EXPECT_EQ(g_freed, (std::vector<int>{0, 2}));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    list.AddTail(new int(7));
  }
  EXPECT_EQ(g_freed, (std::vector<int>{0, 2, 7}));
}

TEST_F(MyListTest, NonOwningListLeavesItemsAlone) {
  int a = 1, b = 2;
  {
    CMyList<int> list;
    list.AddTail(&a);
    list.AddTail(&b);
    list.RemoveAt(list.GetHeadPosition());
    EXPECT_EQ(list.GetCount(), 1u);
  }  // a stack item freed here would crash under the sanitizer
  EXPECT_EQ(a + b, 3);
}

}  // namespace
