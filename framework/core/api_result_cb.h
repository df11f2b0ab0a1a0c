#pragma once
// Jorv::Core::AsyncApiResultCb: the callback through which the framework delivers the outcome of
// one call to its client: (method result, progress, continuation). A method result ends the
// call and spends the callback; a null method result is a progress report and leaves it armed.
// Copies share one delivery: once any copy is spent, every copy is, so whoever holds a copy can
// tell whether the client has had its answer.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "framework/core/detail/shared_callback.h"
#include "framework/core/method_result.h"
#include "framework/core/progress.h"

namespace Jorv {
namespace Core {

class AsyncApiResultCb {
 public:
  // Asks for the next report of a stream (a callback for it) or, given null, stops the stream.
  using Continuation = std::function<void(std::shared_ptr<AsyncApiResultCb>)>;
  using Function = std::function<void(const std::shared_ptr<const MethodResult>&, const Progress&,
                                      Continuation&&)>;

  // An empty callback: calling it throws std::bad_function_call.
  AsyncApiResultCb() = default;
  AsyncApiResultCb(Function function)  // NOLINT: converts implicitly by design
      : callback_(std::move(function)) {}
  // Holds the callable object `function` directly, without a std::function around it.
  template <class F, class = std::enable_if_t<detail::kHoldsDirectly<
                         F, Function, AsyncApiResultCb, const std::shared_ptr<const MethodResult>&,
                         const Progress&, Continuation&&>>>
  AsyncApiResultCb(F&& function)  // NOLINT: converts implicitly by design
      : callback_(std::forward<F>(function)) {}

  // Delivers one report; a non-null `result` is final and spends the callback. Throws
  // std::bad_function_call when this callback is empty or spent.
  void operator()(const std::shared_ptr<const MethodResult>& result, const Progress& progress,
                  Continuation&& next) const {
    callback_.Call(result != nullptr, result, progress, std::move(next));
  }

  // Whether a report can still be delivered.
  bool IsArmed() const { return callback_.IsArmed(); }
  explicit operator bool() const { return IsArmed(); }

 private:
  detail::SharedCallback<const std::shared_ptr<const MethodResult>&, const Progress&,
                         Continuation&&>
      callback_;
};

}  // namespace Core
}  // namespace Jorv
