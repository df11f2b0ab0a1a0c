#pragma once
// Jorv::Progress: how far a call has come, as a current position between a minimum and a
// maximum. It is finished when the position has reached the maximum; every progress the library
// creates itself is the completion progress 0, 1, 1.

#include <cstdint>

namespace Jorv {

struct Progress {
  std::int64_t minimum = 0;
  std::int64_t current = 0;
  std::int64_t maximum = 0;

  // 0, 1, 1: the call is complete.
  static constexpr Progress Completion() { return Progress{0, 1, 1}; }
  constexpr bool IsFinished() const { return current == maximum; }

  friend constexpr bool operator==(const Progress& a, const Progress& b) {
    return a.minimum == b.minimum && a.current == b.current && a.maximum == b.maximum;
  }
  friend constexpr bool operator!=(const Progress& a, const Progress& b) { return !(a == b); }
};

}  // namespace Jorv
