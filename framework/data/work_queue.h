#pragma once
// The work entries and the driver loop shared by the three conversion engines. Each engine
// keeps pending conversions on an explicit last-in first-out queue instead of recursing, so the
// depth of a record tree costs queue entries, not stack frames.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "framework/core/detail/inline_stack.h"

namespace Jorv {
namespace Data {

// One unit of pending work: what to convert, the method that converts it, and the slot (in a
// value, a native object or a definition already built) that the method fills.
template <class Source, class Method, class Destination>
struct BasicAdaptEntry {
  Source source;
  Method method;
  Destination destination;
};

namespace detail {

// The entries of a queue, used as a stack: pushed at the back and taken from the back.
template <class Entry>
using EntryStack = std::vector<Entry>;

// The room a queue reserves when it is made: enough that converting a small record does not
// grow it step by step.
constexpr std::size_t kInitialQueueCapacity = 16;

// The entries of a queue whose first kInitialQueueCapacity entries live inside the queue
// object itself, so that converting a small record allocates no queue at all.
template <class Entry>
using InlineEntryStack = Jorv::detail::InlineStack<Entry, kInitialQueueCapacity>;

// An entry's source as its method takes it: as stored, or, for an engine that stores a pointer
// to a shared pointer held by its source tree, the shared pointer pointed to.
template <class Source>
const Source& SourceOf(const Source& source) {
  return source;
}
template <class T>
const std::shared_ptr<T>& SourceOf(const std::shared_ptr<T>* source) {
  return *source;
}

// Takes entries off the back of `queue.entries` and runs them until none is left. A method
// may push more entries; they run before older ones. A method that fails clears the entries,
// which ends the loop.
template <class Queue, class Messages>
void Drain(Queue& queue, Messages& messages) {
  while (!queue.entries.empty()) {
    auto entry = std::move(queue.entries.back());
    queue.entries.pop_back();
    entry.method(SourceOf(entry.source), entry.destination, queue, messages);
  }
}

}  // namespace detail
}  // namespace Data
}  // namespace Jorv
