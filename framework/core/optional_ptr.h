#pragma once
// Jorv::OptionalPtr: a shared-ownership pointer that may be empty, used for optional record
// members and for handing on stream results.

#include <memory>
#include <utility>

namespace Jorv {
namespace detail {

// Drops `owner`. When this runs inside the destruction of another object dropped this way on
// the same thread, the drop waits until that destruction has returned; the outermost call
// drops everything that queued up before it returns. So a record chain a million links long
// is destroyed one link after another, in constant stack. Never throws.
void ReleaseNested(std::shared_ptr<const void> owner) noexcept;

}  // namespace detail

// Has the ownership rules of std::shared_ptr<T>; empty means "not set". A type of its own, so
// that an optional record member differs from a required std::shared_ptr<const T> member.
// When the last owner of a record is an OptionalPtr member of another record, destroying the
// outer record destroys the inner one after it rather than inside it (see
// detail::ReleaseNested); every object is gone by the time the outermost destruction returns.
template <class T>
class OptionalPtr : public std::shared_ptr<T> {
 public:
  using std::shared_ptr<T>::shared_ptr;
  OptionalPtr() noexcept = default;
  OptionalPtr(std::shared_ptr<T> pointer) noexcept  // NOLINT: converts implicitly by design
      : std::shared_ptr<T>(std::move(pointer)) {}
  OptionalPtr(const OptionalPtr&) noexcept = default;
  OptionalPtr(OptionalPtr&&) noexcept = default;
  OptionalPtr& operator=(const OptionalPtr&) noexcept = default;
  OptionalPtr& operator=(OptionalPtr&&) noexcept = default;
  ~OptionalPtr() {
    if (this->use_count() == 1) {
      detail::ReleaseNested(std::shared_ptr<const void>(std::move(Base())));
    }
  }

 private:
  std::shared_ptr<T>& Base() noexcept { return *this; }
};

// Builds one T from `args` in a single allocation together with its shared count.
template <class T, class... Args>
OptionalPtr<T> MakeOptionalPtr(Args&&... args) {
  return std::make_shared<T>(std::forward<Args>(args)...);
}

}  // namespace Jorv
