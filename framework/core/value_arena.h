#pragma once
// Memory for building a tree of data values in one go: values made with an arena draw their
// memory from a few large blocks instead of one heap allocation each, and the blocks are freed
// together once the last value drawn from them has died, on whichever thread that happens.
//
//   ValueArena arena;
//   auto point = StructValue::GetInstance(name, 2, &arena);
//   *point->CreateSlot("x") = DataValue::Create(3LL, &arena);
//
// A value keeps the whole arena's memory alive, so an arena suits a tree that is built, used
// and dropped as a whole, such as the result of one conversion.

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define JORV_ARENA_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JORV_ARENA_POISONS 1
#endif
#endif
#ifdef JORV_ARENA_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace Jorv {
namespace Data {

namespace detail {

// The blocks of one arena and the count of what still uses them: the builder (as a large bias)
// and every live value drawn from them.
class ArenaPool {
 public:
  // Every allocation is aligned to this; the value types need no more.
  static constexpr std::size_t kAlignment = alignof(void*);

  static ArenaPool* Create();
  ArenaPool(const ArenaPool&) = delete;
  ArenaPool& operator=(const ArenaPool&) = delete;

  // `bytes` of memory from the current block, or from a new one; builder's thread only.
  void* Allocate(std::size_t bytes) {
    bytes = (bytes + kAlignment - 1) & ~(kAlignment - 1);
    if (static_cast<std::size_t>(end_ - next_) < bytes) return AllocateInNewBlock(bytes);
    void* memory = next_;
    next_ += bytes;
    Unpoison(memory, bytes);
    return memory;
  }
  // As Allocate, for an object that gives its memory back through Release.
  void* AllocateCounted(std::size_t bytes) {
    ++counted_;
    return Allocate(bytes);
  }
  // Gives back the memory of one counted object, of `bytes` bytes at `memory`; the last
  // release frees every block. Any thread.
  void Release(void* memory, std::size_t bytes) noexcept {
    Poison(memory, bytes);
    if (uses_.fetch_sub(1, std::memory_order_acq_rel) == 1) Destroy();
  }
  // Ends building: from now on only the counted objects still alive keep the blocks.
  void Seal() noexcept;

 private:
  struct Block;
  static constexpr std::size_t kBuilderBias = std::size_t{1} << (sizeof(std::size_t) * 8 - 2);

  ArenaPool(char* first, std::size_t size);
  void* AllocateInNewBlock(std::size_t bytes);
  void Destroy() noexcept;
  // Under AddressSanitizer, memory not handed out or given back is unreadable.
  static void Poison(void* memory, std::size_t bytes) noexcept {
#ifdef JORV_ARENA_POISONS
    ASAN_POISON_MEMORY_REGION(memory, bytes);
#else
    (void)memory;
    (void)bytes;
#endif
  }
  static void Unpoison(void* memory, std::size_t bytes) noexcept {
#ifdef JORV_ARENA_POISONS
    ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#else
    (void)memory;
    (void)bytes;
#endif
  }

  std::atomic<std::size_t> uses_{kBuilderBias};
  std::size_t counted_ = 0;
  char* next_;
  char* end_;
  Block* blocks_ = nullptr;  // further blocks, newest first; the first one shares the pool's
  std::size_t nextBlockSize_;
};

}  // namespace detail

// The builder's handle on an arena. Only one thread at a time builds with it; the values it
// made may be shared and dropped on any thread, and outlive the handle.
class ValueArena {
 public:
  ValueArena() : pool_(detail::ArenaPool::Create()) {}
  // Stops building; the memory lives on while any value made with the arena does.
  ~ValueArena() { pool_->Seal(); }
  ValueArena(const ValueArena&) = delete;
  ValueArena& operator=(const ValueArena&) = delete;

  // Memory for `count` objects of type T that live as long as the value holding them (never
  // given back on their own). T needs no more than pointer alignment.
  template <class T>
  T* AllocateArray(std::size_t count) {
    static_assert(alignof(T) <= detail::ArenaPool::kAlignment, "over-aligned type");
    return static_cast<T*>(pool_->Allocate(count * sizeof(T)));
  }

  detail::ArenaPool& pool() const { return *pool_; }

 private:
  detail::ArenaPool* pool_;
};

// The allocator through which std::allocate_shared places a value and its reference counts in
// an arena. Copies made while building allocate; the copy kept with the value only gives back.
template <class T>
class ArenaAllocator {
 public:
  using value_type = T;
  static_assert(alignof(T) <= detail::ArenaPool::kAlignment, "over-aligned type");

  explicit ArenaAllocator(ValueArena& arena) : pool_(&arena.pool()) {}
  template <class U>
  ArenaAllocator(const ArenaAllocator<U>& other) : pool_(other.pool_) {}

  T* allocate(std::size_t n) { return static_cast<T*>(pool_->AllocateCounted(n * sizeof(T))); }
  void deallocate(T* memory, std::size_t n) noexcept { pool_->Release(memory, n * sizeof(T)); }

  template <class U>
  bool operator==(const ArenaAllocator<U>& other) const {
    return pool_ == other.pool_;
  }
  template <class U>
  bool operator!=(const ArenaAllocator<U>& other) const {
    return pool_ != other.pool_;
  }

 private:
  template <class U>
  friend class ArenaAllocator;
  detail::ArenaPool* pool_;
};

// A new value of type T made from `args`, in `arena` when it is not null, else on the heap.
template <class T, class... Args>
std::shared_ptr<T> MakeValue(ValueArena* arena, Args&&... args) {
  if (arena == nullptr) return std::make_shared<T>(std::forward<Args>(args)...);
  return std::allocate_shared<T>(ArenaAllocator<T>(*arena), std::forward<Args>(args)...);
}

}  // namespace Data
}  // namespace Jorv
