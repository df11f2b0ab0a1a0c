#pragma once
// Jorv::AsyncResult: the result object through which a call completes, exactly once. It holds
// the caller's callback in one of two forms:
//   short: (output, error, progress)
//   long:  (output, error, native error, progress)
// Completing it calls the short form when set, else the long form, then disarms it: both
// callbacks are replaced by guards that end the process if the result is completed again. A
// second completion is a contract violation, not an error path. Progress reports leave it armed.
// Copies are independent: each copy completes once.
//
//   Jorv::AsyncResult<std::shared_ptr<const Info>> result(
//       [](const boost::optional<std::shared_ptr<const Info>>& info,
//          const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {
//         ...
//       });

#include <exception>
#include <functional>
#include <memory>
#include <utility>

#include <boost/optional.hpp>

#include "framework/core/compound_value.h"
#include "framework/core/native_error.h"
#include "framework/core/progress.h"

namespace Jorv {

// The disarming policy: a spent result's callbacks call std::terminate().
struct AsyncResultTerminateCbPolicy {
  template <class Callback>
  static Callback Guard() {
    return [](auto&&...) { std::terminate(); };
  }
};

template <class T, class Policy = AsyncResultTerminateCbPolicy>
class AsyncResult {
 public:
  using ShortForm = std::function<void(
      const boost::optional<T>&, const std::shared_ptr<const Data::ErrorValue>&, const Progress&)>;
  using LongForm =
      std::function<void(const boost::optional<T>&, const std::shared_ptr<const Data::ErrorValue>&,
                         const boost::optional<Data::NativeError>&, const Progress&)>;

  struct ResultCb {
    ShortForm shortForm;
    LongForm longForm;
  };

  // A result with neither form set: completing it throws std::bad_function_call.
  AsyncResult() = default;
  // A result whose short form is `callback`.
  AsyncResult(ShortForm callback) : callbacks_{std::move(callback), nullptr} {}  // NOLINT
  // A result with both forms set: completing it calls `shortForm` while that is set.
  AsyncResult(ShortForm shortForm, LongForm longForm)
      : callbacks_{std::move(shortForm), std::move(longForm)} {}
  // A result whose long form is `callback` and whose short form is empty.
  static AsyncResult FromLongForm(LongForm callback) {
    AsyncResult result;
    result.callbacks_.longForm = std::move(callback);
    return result;
  }

  // Completes with `output`, no error and the completion progress.
  void operator()(const T& output) const {
    Complete(boost::optional<T>(output), nullptr, boost::none, Progress::Completion());
  }
  // Completes with no output, `error` and the completion progress.
  void error(const std::shared_ptr<const Data::ErrorValue>& error) const {
    Complete(boost::none, error, boost::none, Progress::Completion());
  }
  // Completes with no output, the native error `error` (rendered into an error value by the
  // provider side; the short form sees a null error) and the completion progress.
  void error(const Data::NativeError& error) const {
    Complete(boost::none, nullptr, error, Progress::Completion());
  }

  // Reports `progress` without completing: the callback sees no output and no error, and the
  // result stays armed. Throws std::bad_function_call when neither form is set.
  void ReportProgress(const Progress& progress) const {
    Call(boost::none, nullptr, boost::none, progress);
  }

  // Calls the callback with everything given, then disarms the result. When the callback
  // throws, the exception propagates and the result stays armed. Throws
  // std::bad_function_call, and stays armed, when neither form is set.
  void Complete(const boost::optional<T>& output,
                const std::shared_ptr<const Data::ErrorValue>& error,
                const boost::optional<Data::NativeError>& nativeError,
                const Progress& progress) const {
    Call(output, error, nativeError, progress);
    Disarm();
  }

  bool HasShortForm() const { return static_cast<bool>(callbacks_.shortForm); }
  bool HasLongForm() const { return static_cast<bool>(callbacks_.longForm); }

 private:
  void Call(const boost::optional<T>& output, const std::shared_ptr<const Data::ErrorValue>& error,
            const boost::optional<Data::NativeError>& nativeError, const Progress& progress) const {
    if (callbacks_.shortForm) {
      callbacks_.shortForm(output, error, progress);
    } else if (callbacks_.longForm) {
      callbacks_.longForm(output, error, nativeError, progress);
    } else {
      throw std::bad_function_call();
    }
  }

  // Replaces both callbacks by guards; the replaced ones die after the swap.
  void Disarm() const {
    ResultCb spent{Policy::template Guard<ShortForm>(), Policy::template Guard<LongForm>()};
    std::swap(spent, callbacks_);
  }

  mutable ResultCb callbacks_;
};

}  // namespace Jorv
