#pragma once
// The search of the depth probe: the deepest nesting a conversion survives, found by doubling
// the depth until it fails and then narrowing the gap by bisection.

#include <algorithm>
#include <functional>

namespace StatsBench {

struct DepthLimit {
  long deepest = 0;       // the deepest depth that converted; 0 when depth 1 failed
  long firstFailure = 0;  // the shallowest depth seen to fail; 0 when none failed up to the cap
};

// Tries depths 1, 2, 4, ... and finally `cap` (never more) with `converts` until one fails, then
// bisects between the last success and the first failure until the gap is at most 1/32 of the
// success (or 1). Assumes that a depth converts when a deeper one does.
inline DepthLimit FindDepthLimit(const std::function<bool(long)>& converts, long cap) {
  DepthLimit limit;
  long depth = 1;
  for (;;) {
    if (!converts(depth)) {
      limit.firstFailure = depth;
      break;
    }
    limit.deepest = depth;
    if (depth >= cap) return limit;
    depth = std::min(depth * 2, cap);
  }
  while (limit.firstFailure - limit.deepest > std::max(1L, limit.deepest / 32)) {
    const long middle = limit.deepest + (limit.firstFailure - limit.deepest) / 2;
    if (converts(middle)) {
      limit.deepest = middle;
    } else {
      limit.firstFailure = middle;
    }
  }
  return limit;
}

}  // namespace StatsBench
