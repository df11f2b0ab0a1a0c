#pragma once
// The storage behind a value's fields and elements: entries that never move once made. They sit
// in one block sized up front (from an arena, or the heap); only when entries outgrow that
// block or arrive out of order do further heap blocks and an index of pointers come in.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "framework/core/value_arena.h"

namespace Jorv {
namespace Data {
namespace detail {

template <class T>
class StableSlots {
 public:
  StableSlots() = default;
  StableSlots(const StableSlots&) = delete;
  StableSlots& operator=(const StableSlots&) = delete;
  ~StableSlots() {
    for (std::size_t i = 0; i < size_; ++i) At(i).~T();
    if (firstOnHeap_) ::operator delete(first_);
  }

  // Room for `capacity` entries in the first block, drawn from `arena` when it is not null.
  // Only while empty; a later call does nothing.
  void Reserve(std::size_t capacity, ValueArena* arena) {
    if (first_ != nullptr || capacity == 0) return;
    capacity_ = static_cast<std::uint32_t>(capacity);
    if (arena != nullptr) {
      first_ = arena->AllocateArray<T>(capacity);
    } else {
      first_ = static_cast<T*>(::operator new(capacity * sizeof(T)));
      firstOnHeap_ = true;
    }
  }

  std::size_t size() const { return size_; }
  // The entry at `position` of the order.
  T& At(std::size_t position) { return overflow_ ? *overflow_->order[position] : first_[position]; }
  const T& At(std::size_t position) const {
    return overflow_ ? *overflow_->order[position] : first_[position];
  }

  // Whether `count` more entries fit at the end of the first block, in order.
  bool HasRoomAtEnd(std::size_t count) const { return !overflow_ && size_ + count <= capacity_; }
  // Appends an entry made from `args`; only where HasRoomAtEnd allows it.
  template <class... Args>
  T* AppendInFirstBlock(Args&&... args) {
    T* entry = new (first_ + size_) T{std::forward<Args>(args)...};
    ++size_;
    return entry;
  }

  // Makes an entry from `args` at `position` (0 to size()) of the order and returns it; the
  // entries made before keep their addresses.
  template <class... Args>
  T* Insert(std::size_t position, Args&&... args) {
    if (position == size_ && HasRoomAtEnd(1))
      return AppendInFirstBlock(std::forward<Args>(args)...);
    return InsertElsewhere(position, std::forward<Args>(args)...);
  }

 private:
  // Insert beyond the first block or out of order: the entry goes to the next free place and
  // the index of pointers keeps the order.
  template <class... Args>
  T* InsertElsewhere(std::size_t position, Args&&... args) {
    T* entry = new (Overflow().Room()) T{std::forward<Args>(args)...};
    overflow_->order.insert(overflow_->order.begin() + static_cast<std::ptrdiff_t>(position),
                            entry);
    ++overflow_->used;
    ++size_;
    return entry;
  }

  // Heap blocks beyond the first, and the order of every entry once they or an out-of-order
  // insertion exist.
  struct Extra {
    std::vector<T*> order;
    std::vector<std::unique_ptr<T, void (*)(T*)>> blocks;
    std::size_t used = 0;  // entries in the newest block, or in the first while there is none
    std::size_t capacity = 0;

    // Memory for one more entry.
    T* Room() {
      if (used == capacity) {
        capacity = std::max<std::size_t>(4, 2 * capacity);
        blocks.emplace_back(static_cast<T*>(::operator new(capacity * sizeof(T))),
                            [](T* block) { ::operator delete(block); });
        used = 0;
      }
      return blocks.back().get() + used;
    }
  };

  Extra& Overflow() {
    if (!overflow_) {
      overflow_ = std::make_unique<Extra>();
      overflow_->order.reserve(size_ + 1);
      for (std::size_t i = 0; i < size_; ++i) overflow_->order.push_back(first_ + i);
      // The first block's free room is used before any heap block.
      overflow_->used = size_;
      overflow_->capacity = capacity_;
      if (first_ != nullptr) overflow_->blocks.reserve(4);
      if (capacity_ > size_) {
        // Room() hands out the first block's rest through a non-owning entry.
        overflow_->blocks.emplace_back(first_, [](T*) {});
      }
    }
    return *overflow_;
  }

  T* first_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
  bool firstOnHeap_ = false;
  std::unique_ptr<Extra> overflow_;
};

// A random-access iterator over the entries of a table with At(position).
template <class Table, class T>
class SlotIterator {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = T;
  using difference_type = std::ptrdiff_t;
  using pointer = const T*;
  using reference = const T&;

  SlotIterator() = default;
  SlotIterator(const Table* table, std::size_t position) : table_(table), position_(position) {}

  reference operator*() const { return table_->At(position_); }
  pointer operator->() const { return &table_->At(position_); }
  reference operator[](difference_type n) const { return *(*this + n); }
  SlotIterator& operator++() {
    ++position_;
    return *this;
  }
  SlotIterator operator++(int) {
    SlotIterator before = *this;
    ++position_;
    return before;
  }
  SlotIterator& operator--() {
    --position_;
    return *this;
  }
  SlotIterator operator--(int) {
    SlotIterator before = *this;
    --position_;
    return before;
  }
  SlotIterator& operator+=(difference_type n) {
    position_ = static_cast<std::size_t>(static_cast<difference_type>(position_) + n);
    return *this;
  }
  SlotIterator& operator-=(difference_type n) { return *this += -n; }
  friend SlotIterator operator+(SlotIterator it, difference_type n) { return it += n; }
  friend SlotIterator operator+(difference_type n, SlotIterator it) { return it += n; }
  friend SlotIterator operator-(SlotIterator it, difference_type n) { return it -= n; }
  friend difference_type operator-(const SlotIterator& a, const SlotIterator& b) {
    return static_cast<difference_type>(a.position_) - static_cast<difference_type>(b.position_);
  }
  friend bool operator==(const SlotIterator& a, const SlotIterator& b) {
    return a.position_ == b.position_;
  }
  friend bool operator!=(const SlotIterator& a, const SlotIterator& b) { return !(a == b); }
  friend bool operator<(const SlotIterator& a, const SlotIterator& b) {
    return a.position_ < b.position_;
  }
  friend bool operator>(const SlotIterator& a, const SlotIterator& b) { return b < a; }
  friend bool operator<=(const SlotIterator& a, const SlotIterator& b) { return !(b < a); }
  friend bool operator>=(const SlotIterator& a, const SlotIterator& b) { return !(a < b); }

 private:
  const Table* table_ = nullptr;
  std::size_t position_ = 0;
};

}  // namespace detail
}  // namespace Data
}  // namespace Jorv
