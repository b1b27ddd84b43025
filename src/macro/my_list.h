// CMyList: an ordered, doubly linked list of heap items with an item count. In owning mode (a
// free callback was given) the list frees each item through that callback when the item is
// removed or the list is cleared; otherwise it only unlinks. Positions are node pointers that
// stay valid until their own node is removed, so callers may remove while walking when they
// take the next position first.
#pragma once

#include <cstddef>
#include <new>

template <typename T>
class CMyList {
 public:
  using FreeFn = void (*)(T* item);

  struct Node {
    T* item;
    Node* prev;
    Node* next;
  };
  using Position = Node*;

  explicit CMyList(FreeFn freeItem = nullptr) : free_(freeItem) {}
  ~CMyList() { RemoveAll(); }
  CMyList(const CMyList&) = delete;
  CMyList& operator=(const CMyList&) = delete;

  bool IsOwning() const { return free_ != nullptr; }
  size_t GetCount() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }

  Position GetHeadPosition() const { return head_; }
  Position GetTailPosition() const { return tail_; }
  static Position Next(Position pos) { return pos ? pos->next : nullptr; }
  static Position Prev(Position pos) { return pos ? pos->prev : nullptr; }
  static T* GetAt(Position pos) { return pos ? pos->item : nullptr; }
  T* GetHead() const { return GetAt(head_); }
  T* GetTail() const { return GetAt(tail_); }

  // Each insert returns the new position, or null when no node could be allocated; the item
  // then still belongs to the caller.
  Position AddTail(T* item) { return InsertAfter(tail_, item); }
  Position AddHead(T* item) { return InsertBefore(head_, item); }

  Position InsertAfter(Position pos, T* item) {
    Node* node = new (std::nothrow) Node{item, pos, pos ? pos->next : head_};
    if (!node) return nullptr;
    Link(node);
    return node;
  }

  Position InsertBefore(Position pos, T* item) {
    Node* node = new (std::nothrow) Node{item, pos ? pos->prev : tail_, pos};
    if (!node) return nullptr;
    Link(node);
    return node;
  }

  // Unlinks the node and hands its item back without freeing it.
  T* Detach(Position pos) {
    if (!pos) return nullptr;
    T* item = pos->item;
    Unlink(pos);
    delete pos;
    return item;
  }

  // Unlinks the node and, in owning mode, frees its item.
  void RemoveAt(Position pos) {
    T* item = Detach(pos);
    if (item && free_) free_(item);
  }

  void RemoveAll() {
    while (head_) RemoveAt(head_);
  }

  // The first position whose item satisfies pred, or null.
  template <typename Pred>
  Position Find(Pred pred) const {
    for (Node* n = head_; n; n = n->next)
      if (n->item && pred(*n->item)) return n;
    return nullptr;
  }

 private:
  void Link(Node* node) {
    if (node->prev) node->prev->next = node; else head_ = node;
    if (node->next) node->next->prev = node; else tail_ = node;
    ++count_;
  }

  void Unlink(Node* node) {
    if (node->prev) node->prev->next = node->next; else head_ = node->next;
    if (node->next) node->next->prev = node->prev; else tail_ = node->prev;
    --count_;
  }

  FreeFn free_;
  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  size_t count_ = 0;
};
