#pragma once
// Jorv::AsyncStreamResult: the receiving end of one report of a stream. Every report carries,
// beside an item or an error, a continuation: the receiver calls it with the stream result
// that is to receive the next report, or with an empty OptionalPtr to stop the stream.
//
//   operator()(item)   reports the last item, then disarms;
//   error(e)           ends the stream with an error, then disarms;
//   shutdown()         ends the stream without error; stays armed;
//   operator()(item, continuation)  reports an item that is not the last, then disarms.
//
// A disarmed stream result ends the process if it reports again: it carries at most one item
// or one error. Copies are independent.

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include <boost/optional.hpp>

#include "framework/core/compound_value.h"
#include "framework/core/native_error.h"
#include "framework/core/optional_ptr.h"
#include "framework/core/progress.h"

namespace Jorv {

// The disarming policy of stream results: both callbacks are replaced by guards that call
// std::terminate(); the replaced callbacks are destroyed.
struct AsyncStreamResultTerminateCbPolicy {
  template <class ResultCb>
  void operator()(ResultCb& callbacks) const {
    ResultCb spent{[](auto&&...) { std::terminate(); }, [](auto&&...) { std::terminate(); }};
    std::swap(spent, callbacks);
  }
};

template <class T, class Policy = AsyncStreamResultTerminateCbPolicy>
class AsyncStreamResult {
 public:
  // Asks for the next report (the stream result to receive it) or, given none, stops.
  using Continuation = std::function<void(OptionalPtr<AsyncStreamResult>)>;
  using ShortForm =
      std::function<void(const boost::optional<T>&, const std::shared_ptr<const Data::ErrorValue>&,
                         const Progress&, Continuation&&)>;
  using LongForm = std::function<void(
      const boost::optional<T>&, const std::shared_ptr<const Data::ErrorValue>&,
      const boost::optional<Data::NativeError>&, const Progress&, Continuation&&)>;

  struct ResultCb {
    ResultCb() = default;
    ResultCb(ShortForm s, LongForm l) : shortForm(std::move(s)), longForm(std::move(l)) {}
    // Only the long form, holding `filter` (a provider-side result filter).
    template <class Filter,
              class = std::enable_if_t<!std::is_convertible<Filter, ShortForm>::value>>
    explicit ResultCb(Filter filter) : longForm(std::move(filter)) {}

    ShortForm shortForm;
    LongForm longForm;
  };

  // Neither form set: reporting throws std::bad_function_call.
  AsyncStreamResult() = default;
  // The short form is `callback`.
  AsyncStreamResult(ShortForm callback)  // NOLINT: converts implicitly by design
      : callbacks_(std::move(callback), nullptr) {}
  explicit AsyncStreamResult(ResultCb callbacks) : callbacks_(std::move(callbacks)) {}
  // The long form holds `filter` (a provider-side result filter); the short form stays empty.
  // Lets MakeOptionalPtr<AsyncStreamResult>(filter) build the next stream result in place.
  template <class Filter, class = std::enable_if_t<
                              !std::is_same<std::decay_t<Filter>, ResultCb>::value &&
                              !std::is_same<std::decay_t<Filter>, AsyncStreamResult>::value &&
                              !std::is_convertible<Filter, ShortForm>::value &&
                              std::is_constructible<LongForm, Filter>::value>>
  explicit AsyncStreamResult(Filter&& filter)
      : callbacks_(ResultCb(std::forward<Filter>(filter))) {}
  // The long form is `callback`; the short form stays empty.
  static AsyncStreamResult FromLongForm(LongForm callback) {
    return AsyncStreamResult(ResultCb(nullptr, std::move(callback)));
  }

  // Reports `item` as the last one, then disarms. A request for more made on its continuation
  // is answered at once by shutdown() of the stream result handed over.
  void operator()(const T& item) const {
    Report(boost::optional<T>(item), nullptr, boost::none, Progress::Completion(),
           [](OptionalPtr<AsyncStreamResult> next) {
             if (next) next->shutdown();
           });
    Disarm();
  }
  // Ends the stream with `error`, then disarms.
  void error(const std::shared_ptr<const Data::ErrorValue>& error) const {
    Report(boost::none, error, boost::none, Progress::Completion(), nullptr);
    Disarm();
  }
  // Ends the stream with the native error `error` (rendered by the provider side), then disarms.
  void error(const Data::NativeError& error) const {
    Report(boost::none, nullptr, error, Progress::Completion(), nullptr);
    Disarm();
  }
  // Ends the stream without error. Stays armed.
  void shutdown() const {
    Report(boost::none, nullptr, boost::none, Progress::Completion(), nullptr);
  }

  // Reports `item` with `continuation`, through which the receiver asks for the next report,
  // then disarms.
  void operator()(const T& item, Continuation continuation) const {
    Report(boost::optional<T>(item), nullptr, boost::none, Progress::Completion(),
           std::move(continuation));
    Disarm();
  }

  // Makes one report exactly as given, without disarming: the short form if set, else the long
  // form, else std::bad_function_call.
  void Report(const boost::optional<T>& item, const std::shared_ptr<const Data::ErrorValue>& error,
              const boost::optional<Data::NativeError>& nativeError, const Progress& progress,
              Continuation continuation) const {
    if (callbacks_.shortForm) {
      callbacks_.shortForm(item, error, progress, std::move(continuation));
    } else if (callbacks_.longForm) {
      callbacks_.longForm(item, error, nativeError, progress, std::move(continuation));
    } else {
      throw std::bad_function_call();
    }
  }

  // Replaces both callbacks by the policy's guards.
  void Disarm() const { Policy()(callbacks_); }

  const ResultCb& GetCallbacks() const { return callbacks_; }

 private:
  mutable ResultCb callbacks_;
};

}  // namespace Jorv
