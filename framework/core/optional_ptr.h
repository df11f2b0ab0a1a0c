#pragma once
// Jorv::OptionalPtr: a shared-ownership pointer that may be empty, used for optional record
// members and for handing on stream results.

#include <memory>
#include <utility>

namespace Jorv {

// Has the ownership rules of std::shared_ptr<T>; empty means "not set". A type of its own, so
// that an optional record member differs from a required std::shared_ptr<const T> member.
template <class T>
class OptionalPtr : public std::shared_ptr<T> {
 public:
  using std::shared_ptr<T>::shared_ptr;
  OptionalPtr() noexcept = default;
  OptionalPtr(std::shared_ptr<T> pointer) noexcept  // NOLINT: converts implicitly by design
      : std::shared_ptr<T>(std::move(pointer)) {}
};

// Builds one T from `args` in a single allocation together with its shared count.
template <class T, class... Args>
OptionalPtr<T> MakeOptionalPtr(Args&&... args) {
  return std::make_shared<T>(std::forward<Args>(args)...);
}

}  // namespace Jorv
