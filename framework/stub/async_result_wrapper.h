#pragma once
// Jorv::Stub::AsyncResultWrapper::ResultWrapper: the client's end of one call. It owns a copy of
// the caller's result object, lives in the framework's result callback, and turns each delivery
// into a completion of that result: progress reports pass through, an output value is read back
// into the native output, an error value is passed on unchanged.

#include <list>
#include <memory>

#include "framework/core/api_result_cb.h"
#include "framework/core/async_result.h"
#include "framework/data/value_to_native.h"

namespace Jorv {
namespace Stub {
namespace AsyncResultWrapper {

template <class T, class Result>
class ResultWrapper {
 public:
  explicit ResultWrapper(Result result) : result_(std::move(result)) {}

  // One delivery of the framework:
  // - a null method result is a progress report: the result sees no output, no error and the
  //   given progress, and stays armed;
  // - an output without error is read into T and completes the result with the completion
  //   progress; an output that does not read completes it with the error "invalid_argument"
  //   carrying the reading messages;
  // - anything else completes the result with the method result's error, null included.
  // The continuation is not used by single-result calls.
  void operator()(const std::shared_ptr<const Core::MethodResult>& methodResult,
                  const Progress& progress, Core::AsyncApiResultCb::Continuation&&) const {
    if (!methodResult) {
      result_.ReportProgress(progress);
      return;
    }
    if (methodResult->output && !methodResult->error) {
      T output{};
      std::list<BaseMessage> messages;
      if (Data::ValueToNativeAdapter::Adapt(methodResult->output,
                                            Data::ValueToNativeAdapter::AdaptMethod<T>::Get(),
                                            &output, messages)) {
        result_.Complete(std::move(output), nullptr, boost::none, Progress::Completion());
      } else {
        result_.error(Data::ErrorValue::Create("invalid_argument", messages));
      }
      return;
    }
    result_.error(methodResult->error);
  }

 private:
  Result result_;
};

}  // namespace AsyncResultWrapper
}  // namespace Stub
}  // namespace Jorv
