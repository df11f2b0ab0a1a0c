#pragma once
// A stack of plain entries whose first N entries live inside the stack object itself, for the
// work lists of conversions and validation: a small value is walked without allocating one.

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

namespace Jorv {
namespace detail {

template <class Entry, std::size_t N>
class InlineStack {
  static_assert(std::is_trivially_copyable<Entry>::value, "entries are copied as bytes");

 public:
  InlineStack() = default;
  InlineStack(const InlineStack&) = delete;
  InlineStack& operator=(const InlineStack&) = delete;
  ~InlineStack() {
    if (data_ != Inline()) ::operator delete(data_);
  }

  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  Entry& back() { return data_[size_ - 1]; }
  const Entry& operator[](std::size_t position) const { return data_[position]; }
  void pop_back() { --size_; }
  void clear() { size_ = 0; }
  [[gnu::always_inline]] void push_back(const Entry& entry) {
    if (size_ == capacity_) Grow();
    new (data_ + size_++) Entry(entry);
  }

 private:
  Entry* Inline() { return reinterpret_cast<Entry*>(storage_); }

  [[gnu::noinline]] void Grow() {
    auto* grown = static_cast<Entry*>(::operator new(2 * capacity_ * sizeof(Entry)));
    std::memcpy(static_cast<void*>(grown), data_, size_ * sizeof(Entry));
    if (data_ != Inline()) ::operator delete(data_);
    data_ = grown;
    capacity_ *= 2;
  }

  // Raw storage: an entry exists only once pushed.
  alignas(Entry) unsigned char storage_[N * sizeof(Entry)];
  Entry* data_ = reinterpret_cast<Entry*>(storage_);
  std::size_t size_ = 0;
  std::size_t capacity_ = N;
};

}  // namespace detail
}  // namespace Jorv
