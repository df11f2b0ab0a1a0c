#include "framework/core/value_arena.h"

#include <algorithm>
#include <new>

namespace Jorv {
namespace Data {
namespace detail {
namespace {

// The first block shares one heap allocation with the pool; later ones double up to a limit.
// Reserving at most twice what a tree uses, the doubling keeps the number of blocks small;
// the high limit lets the heap keep the blocks of a large tree for the next one, where blocks
// of a few hundred KiB would be handed back to the system and faulted in afresh each time.
constexpr std::size_t kFirstBlockBytes = 2048 - 128;
constexpr std::size_t kLargestBlockBytes = 16 * 1024 * 1024;

constexpr std::size_t RoundUp(std::size_t bytes) {
  return (bytes + ArenaPool::kAlignment - 1) & ~(ArenaPool::kAlignment - 1);
}

}  // namespace

struct ArenaPool::Block {
  Block* next;
};

ArenaPool* ArenaPool::Create() {
  constexpr std::size_t header = RoundUp(sizeof(ArenaPool));
  char* memory = static_cast<char*>(::operator new(header + kFirstBlockBytes));
  return new (memory) ArenaPool(memory + header, kFirstBlockBytes);
}

ArenaPool::ArenaPool(char* first, std::size_t size)
    : next_(first), end_(first + size), nextBlockSize_(2 * size) {
  Poison(first, size);
}

void* ArenaPool::AllocateInNewBlock(std::size_t bytes) {
  constexpr std::size_t header = RoundUp(sizeof(Block));
  const std::size_t size = std::max(nextBlockSize_, bytes);
  nextBlockSize_ = std::min(2 * nextBlockSize_, kLargestBlockBytes);
  const std::size_t total = header + size;
  void* memory = ::operator new(total);
  blocks_ = new (memory) Block{blocks_};
  next_ = static_cast<char*>(memory) + header;
  end_ = next_ + size;
  Poison(next_, size);
  return Allocate(bytes);
}

void ArenaPool::Seal() noexcept {
  // Whatever was released before this point was subtracted from the bias.
  const std::size_t adjust = counted_ - kBuilderBias;
  if (uses_.fetch_add(adjust, std::memory_order_acq_rel) + adjust == 0) Destroy();
}

void ArenaPool::Destroy() noexcept {
  for (Block* block = blocks_; block != nullptr;) {
    Block* next = block->next;
    ::operator delete(block);
    block = next;
  }
  this->~ArenaPool();
  ::operator delete(static_cast<void*>(this));
}

}  // namespace detail
}  // namespace Data
}  // namespace Jorv
