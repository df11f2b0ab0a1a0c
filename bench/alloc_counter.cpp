#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> allocations{0};
}  // namespace

namespace StatsBench {
std::uint64_t AllocationCount() { return allocations.load(std::memory_order_relaxed); }
}  // namespace StatsBench

// The array and nothrow forms of the standard library call this one, so each allocation is
// counted once. Over-aligned requests keep the library's own pair, which never reaches here.
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (size == 0) size = 1;
  for (;;) {
    if (void* p = std::malloc(size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
