#pragma once
// Jorv::Core::MethodResult: what a provider delivers to the framework for one report of a call:
// an output value, an error value, or neither, and whether the call is complete with it.

#include <memory>
#include <utility>

#include "framework/core/compound_value.h"

namespace Jorv {
namespace Core {

struct MethodResult {
  // The output value; null when the call reports an error or nothing.
  Data::DataValuePtr output;
  // The error value; null when the call succeeded or reports nothing.
  std::shared_ptr<const Data::ErrorValue> error;
  // Whether the call ends with this result.
  bool completed = true;

  // A new, completed method result holding `output` and `error` (either may be null).
  static std::shared_ptr<const MethodResult> Create(Data::DataValuePtr output,
                                                    std::shared_ptr<const Data::ErrorValue> error) {
    return std::make_shared<const MethodResult>(
        MethodResult{std::move(output), std::move(error), true});
  }
};

}  // namespace Core
}  // namespace Jorv
