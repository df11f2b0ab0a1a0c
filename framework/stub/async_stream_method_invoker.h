#pragma once
// Jorv::Stub::AsyncStreamMethodInvoker and its result wrapper: the client's end of a streaming
// call. Each delivery of the framework becomes one report to the caller's stream result: an
// item with a continuation through which the caller asks for the next one, an error, or the end
// of the stream. The caller's own stream result is never disarmed: every report goes to a copy.

#include <list>
#include <memory>

#include "framework/core/api_stub.h"
#include "framework/core/async_stream_result.h"
#include "framework/core/identifiers.h"
#include "framework/core/localization.h"
#include "framework/core/standard_names.h"
#include "framework/data/native_to_value.h"
#include "framework/data/value_to_native.h"
#include "framework/stub/detail/call_input.h"

namespace Jorv {
namespace Stub {
namespace AsyncStreamResultWrapper {

// Serves exactly one delivery with a copy of the callbacks of the stream result it was made for.
template <class T, class R>
class ResultWrapper {
 public:
  explicit ResultWrapper(typename R::ResultCb callbacks) : callbacks_(std::move(callbacks)) {}

  // One delivery: a null method result or one without values ends the stream; an error is
  // reported unchanged; an output is read into T and reported with a continuation when the
  // framework gave one (else as the last item; a continuation whose every copy is dropped
  // uncalled stops the stream); an output that does not read is reported as
  // the error "invalid_argument". The progress received is not passed on: every report carries
  // the completion progress. A second delivery to the same wrapper reaches nobody.
  void operator()(const std::shared_ptr<const Core::MethodResult>& methodResult, const Progress&,
                  Core::AsyncApiResultCb::Continuation&& next) {
    const R local(std::move(callbacks_));
    callbacks_ = typename R::ResultCb([](auto&&...) {}, nullptr);
    if (!methodResult || (!methodResult->output && !methodResult->error)) {
      if (!methodResult || methodResult->completed) {
        local.shutdown();
      } else {
        local.error(std::shared_ptr<const Data::ErrorValue>());
      }
      return;
    }
    if (methodResult->error) {
      local.error(methodResult->error);
      return;
    }
    T item{};
    std::list<BaseMessage> messages;
    if (!Data::ValueToNativeAdapter::Adapt(methodResult->output,
                                           Data::ValueToNativeAdapter::AdaptMethod<T>::Get(), &item,
                                           messages)) {
      local.error(Data::ErrorValue::Create("invalid_argument", messages));
      return;
    }
    if (!next) {
      local(item);
      return;
    }
    local(item, ContinuationAdapter(std::move(next)));
  }

 private:
  // Hands the caller's request for the next report on to the framework. Copies share one
  // state: when the last copy goes without ever having been called, the framework is asked to
  // stop the stream, exactly as if the caller had handed over an empty stream result.
  class ContinuationAdapter {
   public:
    explicit ContinuationAdapter(Core::AsyncApiResultCb::Continuation next)
        : state_(std::make_shared<State>(std::move(next))) {}
    void operator()(OptionalPtr<R> receiver) const {
      state_->called = true;
      if (!receiver) {
        state_->next(nullptr);
        return;
      }
      state_->next(
          std::make_shared<Core::AsyncApiResultCb>(ResultWrapper(receiver->GetCallbacks())));
    }

   private:
    struct State {
      explicit State(Core::AsyncApiResultCb::Continuation n) : next(std::move(n)) {}
      State(const State&) = delete;
      State& operator=(const State&) = delete;
      // A stop that cannot be delivered from a destructor is dropped; the framework's own
      // continuation is expected not to throw.
      ~State() {
        if (called) return;
        try {
          next(nullptr);
        } catch (...) {
        }
      }
      Core::AsyncApiResultCb::Continuation next;
      bool called = false;
    };
    std::shared_ptr<State> state_;
  };

  typename R::ResultCb callbacks_;
};

}  // namespace AsyncStreamResultWrapper

struct AsyncStreamMethodInvoker {
  // Calls streaming method M with `input`. An input that does not convert ends the caller's
  // stream result at once through error() with "com.zentak.jorv.std.errors.invalid_argument"
  // and the conversion messages, and sends nothing. Otherwise the first report goes to a copy
  // of `result`'s callbacks; `result` itself is left untouched.
  template <class M>
  static void Invoke(const typename M::Input& input,
                     const std::shared_ptr<Core::AsyncActivation>& activation,
                     const typename M::StreamResultCbType& result,
                     const std::shared_ptr<AsyncApiStub>& stub) {
    std::shared_ptr<const Core::MethodIdentifier> methodId;
    Data::DataValuePtr value;
    std::list<BaseMessage> messages;
    if (!detail::PrepareCall<M>(input, methodId, value, messages)) {
      result.error(Data::ErrorValue::Create(Std::kInvalidArgument, messages));
      return;
    }
    using Wrapper =
        AsyncStreamResultWrapper::ResultWrapper<typename M::Output, typename M::StreamResultCbType>;
    stub->Invoke(methodId, value, activation,
                 Core::AsyncApiResultCb(Wrapper(result.GetCallbacks())));
  }
};

}  // namespace Stub
}  // namespace Jorv
