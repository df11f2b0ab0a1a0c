#pragma once
// The provider side of a bound method between the signal and the implementation:
// - AsyncApiMethodFilter reads the input value into the method's input record, calls the
//   implementation's operation with the record's fields and a result object;
// - AsyncApiMethodResultFilter, behind that result object, turns each completion into a report
//   for the signal: a native result into an output value, a native error into an error value.

#include <functional>
#include <list>
#include <memory>
#include <type_traits>

#include <boost/optional.hpp>

#include "framework/core/async_api_method.h"
#include "framework/core/async_result.h"
#include "framework/core/async_stream_result.h"
#include "framework/core/native_error.h"
#include "framework/core/optional_ptr.h"
#include "framework/core/standard_names.h"
#include "framework/data/native_to_value.h"
#include "framework/data/value_to_native.h"

namespace Jorv {
namespace Provider {

// Selects the direct form of binding: the filter calls the implementation itself.
struct DirectFilterBinder {};

// The result filter of one report: what the result object handed to the implementation
// reports to. Holds the provider-side callback of the report and the call's activation.
template <class R>
class AsyncApiMethodResultFilter {
 public:
  using StreamResult = AsyncStreamResult<R, AsyncStreamResultTerminateCbPolicy>;
  // The implementation's request for the next report of a stream.
  using StreamContinuation = std::function<void(OptionalPtr<StreamResult>)>;

  AsyncApiMethodResultFilter(AsyncApiMethod::ResultCb callback,
                             std::shared_ptr<Core::AsyncActivation> activation)
      : callback_(std::move(callback)), activation_(std::move(activation)) {}

  // One completion or progress report of a single-result call:
  // - an error value, or a native error rendered with the activation's error request
  //   localizer, is reported as the error;
  // - neither result nor error is reported as such (progress, or the end of the call);
  // - a result is converted to a value and reported; one that does not convert (a null record
  //   included) is reported as "com.zentak.jorv.std.errors.internal_server_error" carrying the
  //   conversion's message, which names the type that was missing or wrong.
  void operator()(const boost::optional<R>& result,
                  const std::shared_ptr<const Data::ErrorValue>& error,
                  const boost::optional<Data::NativeError>& nativeError, const Progress& progress) {
    Report(result, error, nativeError, progress, nullptr);
  }

  // One report of a stream, as above; an item that converts is passed on with a continuation
  // that hands the framework's next request to `continuation` as a fresh stream result (or,
  // when the consumer stops, as an empty one). A report that ends the stream drops
  // `continuation` without calling it.
  void operator()(const boost::optional<R>& item,
                  const std::shared_ptr<const Data::ErrorValue>& error,
                  const boost::optional<Data::NativeError>& nativeError, const Progress& progress,
                  StreamContinuation&& continuation) {
    AsyncApiMethod::ResultCb::Continuation next;
    if (continuation) next = ContinuationAdapter{std::move(continuation), activation_};
    Report(item, error, nativeError, progress, std::move(next));
  }

 private:
  // Hands the framework's request for the next report to the implementation.
  struct ContinuationAdapter {
    StreamContinuation continuation;
    std::shared_ptr<Core::AsyncActivation> activation;

    void operator()(std::shared_ptr<AsyncApiMethod::ResultCb> next) const {
      if (!next) {
        continuation(OptionalPtr<StreamResult>());
        return;
      }
      continuation(MakeOptionalPtr<StreamResult>(AsyncApiMethodResultFilter(*next, activation)));
    }
  };

  void Report(const boost::optional<R>& result,
              const std::shared_ptr<const Data::ErrorValue>& error,
              const boost::optional<Data::NativeError>& nativeError, const Progress& progress,
              AsyncApiMethod::ResultCb::Continuation&& next) {
    // The error localizer is only needed to render a native error.
    const auto reported = error || !nativeError
                              ? error
                              : Data::NativeErrorHelper::GetError(
                                    error, nativeError, activation_->GetErrorRequestLocalizer());
    if (reported) {
      AsyncApiMethod::ResultCb callback = std::move(callback_);
      callback(boost::none, reported, progress, nullptr);
      return;
    }
    if (!result) {
      callback_(boost::none, nullptr, progress, nullptr);
      return;
    }
    Data::DataValuePtr value;
    std::list<BaseMessage> messages;
    const bool converted = Data::NativeToValueAdapter::Adapt(
        &*result, Data::NativeToValueAdapter::AdaptMethod<R>::Get(), &value, messages,
        activation_->GetRequestLocalizer());
    AsyncApiMethod::ResultCb callback = std::move(callback_);
    if (!converted) {
      callback(boost::none, Data::ErrorValue::Create(Std::kInternalServerError, messages), progress,
               nullptr);
      return;
    }
    callback(value, nullptr, progress, std::move(next));
  }

  AsyncApiMethod::ResultCb callback_;
  std::shared_ptr<Core::AsyncActivation> activation_;
};

namespace detail {

// Calls `f` with the fields of `input` in declaration order. Input records are plain
// aggregates whose members are declared in the order of their field list.
template <class Input, class F>
void ApplyFields(const Input& input, F&& f) {
  constexpr std::size_t count = Data::FieldCount<Input>();
  static_assert(count <= 3, "extend ApplyFields for inputs of more fields");
  if constexpr (count == 0) {
    f();
  } else if constexpr (count == 1) {
    const auto& [a] = input;
    f(a);
  } else if constexpr (count == 2) {
    const auto& [a, b] = input;
    f(a, b);
  } else {
    const auto& [a, b, c] = input;
    f(a, b, c);
  }
}

// The result object type that the operation `Op` takes last.
template <class Op>
struct OperationTraits;
template <class Interface, class... Params>
struct OperationTraits<void (Interface::*)(Params...)> {
  using ResultObject = std::decay_t<decltype((std::declval<Params>(), ...))>;
};

// The result object of a single-result call, reporting to `filter` through its long form.
template <class R, class Policy>
AsyncResult<R, Policy> MakeResultObject(const AsyncResult<R, Policy>*,
                                        AsyncApiMethodResultFilter<R> filter) {
  return AsyncResult<R, Policy>::FromLongForm(std::move(filter));
}

// The stream result of the next report of a stream, reporting to `filter`.
template <class R, class Policy>
AsyncStreamResult<R, Policy> MakeResultObject(const AsyncStreamResult<R, Policy>*,
                                              AsyncApiMethodResultFilter<R> filter) {
  return AsyncStreamResult<R, Policy>(
      typename AsyncStreamResult<R, Policy>::ResultCb(std::move(filter)));
}

}  // namespace detail

// The method call adapter: calls operation `Op` of an implementation with the fields of an
// input record, then the activation and the result object. Keeps the implementation alive.
template <class Interface, class Op>
class MethodCallAdapter {
 public:
  using ResultObject = typename detail::OperationTraits<Op>::ResultObject;

  MethodCallAdapter(Op operation, std::shared_ptr<Interface> implementation)
      : operation_(operation), implementation_(std::move(implementation)) {}

  template <class Input>
  void operator()(const Input& input, const std::shared_ptr<Core::AsyncActivation>& activation,
                  const ResultObject& result) const {
    Interface* implementation = implementation_.get();
    const Op operation = operation_;
    detail::ApplyFields(input, [&](const auto&... fields) {
      (implementation->*operation)(fields..., activation, result);
    });
  }

 private:
  Op operation_;
  std::shared_ptr<Interface> implementation_;
};

template <class F, class R, class I, class Binder>
class AsyncApiMethodFilter;

// The method filter, the handler of a method's signal.
template <class F, class R, class I>
class AsyncApiMethodFilter<F, R, I, DirectFilterBinder> {
 public:
  explicit AsyncApiMethodFilter(F adapter) : adapter_(std::move(adapter)) {}

  // Reads `input` into a new I; one that does not read is answered with
  // "com.zentak.jorv.std.errors.invalid_argument" carrying the reading messages, and the
  // implementation is not called. Otherwise calls the implementation with a result object
  // that reports to a result filter of this call. Exceptions of the implementation propagate.
  void operator()(const Data::DataValuePtr& input,
                  const std::shared_ptr<Core::AsyncActivation>& activation,
                  const AsyncApiMethod::ResultCb& callback) const {
    I record{};
    std::list<BaseMessage> messages;
    if (!Data::ValueToNativeAdapter::Adapt(input, Data::ValueToNativeAdapter::AdaptMethod<I>::Get(),
                                           &record, messages)) {
      callback(boost::none, Data::ErrorValue::Create(Std::kInvalidArgument, messages),
               Progress::Completion(), nullptr);
      return;
    }
    using ResultObject = typename F::ResultObject;
    const ResultObject result =
        detail::MakeResultObject(static_cast<const ResultObject*>(nullptr),
                                 AsyncApiMethodResultFilter<R>(callback, activation));
    adapter_(record, activation, result);
  }

 private:
  F adapter_;
};

}  // namespace Provider
}  // namespace Jorv
