#pragma once
// Counts the heap allocations of the benchmark binary: its global operator new is replaced by
// one that counts every call before handing the request to malloc.

#include <cstdint>

namespace StatsBench {

// The number of global operator new calls so far, from every thread.
std::uint64_t AllocationCount();

}  // namespace StatsBench
