#pragma once
// Jorv::Stub::AsyncMethodInvoker: sends one call of a single-result method. It converts the
// method's input record into the call's input structure, addresses the call by interface and
// method identifier and hands it to the framework stub with a result wrapper that completes the
// caller's result object exactly once.

#include <list>
#include <memory>

#include "framework/core/api_stub.h"
#include "framework/core/identifiers.h"
#include "framework/core/localization.h"
#include "framework/core/standard_names.h"
#include "framework/data/native_to_value.h"
#include "framework/stub/async_result_wrapper.h"
#include "framework/stub/detail/call_input.h"

namespace Jorv {
namespace Stub {

struct AsyncMethodInvoker {
  // Calls method M with `input`. An input that does not convert (a null required record, an
  // opaque without value) completes `result` itself, before Invoke returns, with the error
  // "com.zentak.jorv.std.errors.invalid_argument" carrying the conversion messages, and sends
  // nothing. Otherwise `result` is copied into the call and left untouched: the copy completes
  // once, on whatever thread the framework delivers on. `activation` may be null.
  template <class M>
  static void Invoke(const typename M::Input& input,
                     const std::shared_ptr<Core::AsyncActivation>& activation,
                     const typename M::ResultCbType& result,
                     const std::shared_ptr<AsyncApiStub>& stub) {
    std::shared_ptr<const Core::MethodIdentifier> methodId;
    Data::DataValuePtr value;
    std::list<BaseMessage> messages;
    if (!detail::PrepareCall<M>(input, methodId, value, messages)) {
      result.error(Data::ErrorValue::Create(Std::kInvalidArgument, messages));
      return;
    }
    using Wrapper = AsyncResultWrapper::ResultWrapper<typename M::Output, typename M::ResultCbType>;
    stub->Invoke(methodId, value, activation, Core::AsyncApiResultCb(Wrapper(result)));
  }
};

}  // namespace Stub
}  // namespace Jorv
