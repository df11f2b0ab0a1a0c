#include "framework/provider/async_api_method_signal.h"

#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Provider {
namespace {

// Hands the framework's next-report request back to the provider side as a new validating
// callback, or as null when the consumer stops.
class ContinuationAdapter {
 public:
  ContinuationAdapter(AsyncApiMethod::ResultCb::Continuation continuation,
                      std::shared_ptr<const AsyncApiMethodSignal> signal)
      : continuation_(std::move(continuation)), signal_(std::move(signal)) {}

  void operator()(std::shared_ptr<Core::AsyncApiResultCb> next) const {
    if (!next) {
      continuation_(nullptr);
      return;
    }
    continuation_(std::make_shared<AsyncApiMethod::ResultCb>(
        AsyncApiMethodSignal::ValidateResultWrapper(signal_, *next)));
  }

 private:
  AsyncApiMethod::ResultCb::Continuation continuation_;
  std::shared_ptr<const AsyncApiMethodSignal> signal_;
};

}  // namespace

std::shared_ptr<AsyncApiMethodSignal> AsyncApiMethodSignal::GetInstance(
    const std::string& name, const Data::DataDefinitionPtr& input,
    const Data::DataDefinitionPtr& output, const std::list<Data::DataDefinitionPtr>& errors,
    const std::shared_ptr<L10n::Localizer>& localizer, Completion completion) {
  return std::make_shared<AsyncApiMethodSignal>(PrivateTag(), name, input, output, errors,
                                                localizer, completion);
}

std::shared_ptr<const Core::MethodDefinition> AsyncApiMethodSignal::definition(
    const std::shared_ptr<const Core::InterfaceIdentifier>& interfaceId) const {
  return std::make_shared<const Core::MethodDefinition>(Core::MethodDefinition{
      Core::MethodIdentifier::GetInstance(interfaceId, name_), input_, output_});
}

void AsyncApiMethodSignal::Invoke(const Data::DataValuePtr& input,
                                  const std::shared_ptr<Core::AsyncActivation>& activation,
                                  const Core::AsyncApiResultCb& callback) const {
  if (!handler_) {
    const std::list<BaseMessage> messages{Message<CoreTag>(MessageIds::kSignalNotConnected)};
    callback(Core::MethodResult::Create(
                 nullptr, Data::ErrorValue::Create(Std::kInternalServerError, messages)),
             Progress::Completion(), nullptr);
    return;
  }
  std::shared_ptr<const Core::MethodResult> rejected;
  if (!ApiMethodHelper::ValidateInput(name_, input_, input, rejected)) {
    callback(rejected, Progress::Completion(), nullptr);
    return;
  }
  const auto callActivation = activation ? activation : std::make_shared<Core::AsyncActivation>();
  callActivation->localizer = localizer_;
  const AsyncApiMethod::ResultCb resultCb(ValidateResultWrapper(shared_from_this(), callback));
  handler_(input, callActivation, resultCb);
}

void AsyncApiMethodSignal::ValidateResultWrapper::operator()(
    const boost::optional<Data::DataValuePtr>& output,
    const std::shared_ptr<const Data::ErrorValue>& error, const Progress& progress,
    AsyncApiMethod::ResultCb::Continuation&& continuation) {
  const AsyncApiMethodSignal& signal = *signal_;
  if (error) {
    auto result = ApiMethodHelper::ValidateError(signal.name_, signal.errors_, error);
    Core::AsyncApiResultCb callback = std::move(callback_);
    callback(result, progress, nullptr);
    return;
  }
  if (output) {
    auto result = ApiMethodHelper::ValidateOutput(signal.name_, signal.output_, *output);
    Core::AsyncApiResultCb::Continuation next;
    if (continuation) next = ContinuationAdapter(std::move(continuation), signal_);
    Core::AsyncApiResultCb callback = std::move(callback_);
    callback(result, progress, std::move(next));
    return;
  }
  if (!progress.IsFinished()) {
    callback_(nullptr, progress, nullptr);
    return;
  }
  const bool owesOutput = signal.completion_ == Completion::kSingleResult && signal.output_ &&
                          signal.output_->GetType() != Data::DefinitionType::VOID;
  auto result = owesOutput ? ApiMethodHelper::ValidateError(signal.name_, signal.errors_, nullptr)
                           : Core::MethodResult::Create(nullptr, nullptr);
  Core::AsyncApiResultCb callback = std::move(callback_);
  callback(result, progress, nullptr);
}

}  // namespace Provider
}  // namespace Jorv
