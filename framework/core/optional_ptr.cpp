#include "framework/core/optional_ptr.h"

#include <vector>

namespace Jorv {
namespace detail {
namespace {

// The owners waiting to be dropped by the outermost ReleaseNested running on this thread; null
// when none runs. Points into that call's frame, so nothing outlives the call.
thread_local std::vector<std::shared_ptr<const void>>* pendingReleases = nullptr;

}  // namespace

void ReleaseNested(std::shared_ptr<const void> owner) noexcept {
  if (pendingReleases != nullptr) {
    try {
      pendingReleases->push_back(std::move(owner));
      return;
    } catch (...) {
      // Out of memory: drop it in place, as a plain shared pointer would.
      owner.reset();
      return;
    }
  }
  std::vector<std::shared_ptr<const void>> pending;
  pendingReleases = &pending;
  owner.reset();
  while (!pending.empty()) {
    std::shared_ptr<const void> next = std::move(pending.back());
    pending.pop_back();
    next.reset();
  }
  pendingReleases = nullptr;
}

}  // namespace detail
}  // namespace Jorv
