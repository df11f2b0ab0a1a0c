#pragma once
// Jorv::Provider::AsyncApiMethodSignal: one bound method as the framework sees it. It checks
// every input against the method's input definition before anything runs, hands the input to
// the handler the binder connected, and checks every output and error that comes back against
// the output definition and the declared errors before the framework's callback sees it.
// It knows nothing of native records; that is the handler's work.

#include <functional>
#include <list>
#include <memory>
#include <string>

#include "framework/core/api_method_helper.h"
#include "framework/core/async_api_method.h"

namespace Jorv {
namespace Provider {

class AsyncApiMethodSignal : public AsyncApiMethod,
                             public std::enable_shared_from_this<AsyncApiMethodSignal> {
 public:
  // The method filter: converts the input, calls the implementation and reports through the
  // provider-side callback.
  using Handler =
      std::function<void(const Data::DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
                         const AsyncApiMethod::ResultCb&)>;

  // How a method completes: with one result, or with a stream of reports that may end without
  // a value.
  enum class Completion { kSingleResult, kStream };

  // A new, unconnected signal holding copies of its arguments.
  static std::shared_ptr<AsyncApiMethodSignal> GetInstance(
      const std::string& name, const Data::DataDefinitionPtr& input,
      const Data::DataDefinitionPtr& output, const std::list<Data::DataDefinitionPtr>& errors,
      const std::shared_ptr<L10n::Localizer>& localizer,
      Completion completion = Completion::kSingleResult);

  // Connects the handler. Call once, before the signal is published.
  void Connect(Handler handler) { handler_ = std::move(handler); }
  bool IsConnected() const { return static_cast<bool>(handler_); }

  const std::string& methodName() const override { return name_; }
  std::shared_ptr<const Core::MethodDefinition> definition(
      const std::shared_ptr<const Core::InterfaceIdentifier>& interfaceId) const override;
  const Data::DataDefinitionPtr& inputDefinition() const override { return input_; }
  const Data::DataDefinitionPtr& outputDefinition() const override { return output_; }
  std::list<Data::DataDefinitionPtr> errorDefinitions() override { return errors_; }
  const std::list<Data::DataDefinitionPtr>& errorDefinitions() const override { return errors_; }

  // One call. Not connected: answers at once with
  // "com.zentak.jorv.std.errors.internal_server_error" carrying
  // "jorv.provider.method.signal.not.connected". An input that does not conform is answered with
  // the result ApiMethodHelper::ValidateInput gives and the handler is not called. Otherwise the
  // signal's localizer replaces the activation's, and the handler runs with a callback that
  // validates each report (ValidateResultWrapper). Throws std::bad_weak_ptr on a signal that no
  // shared pointer owns.
  void Invoke(const Data::DataValuePtr& input,
              const std::shared_ptr<Core::AsyncActivation>& activation,
              const Core::AsyncApiResultCb& callback) const override;

  // The provider-side callback of one call: validates a report and delivers the method result
  // that validation gives to the framework's callback. An error (with or without output) is
  // judged by ValidateError; an output by ValidateOutput, passing on a continuation for the next
  // report of a stream; neither is a progress notice while the progress is unfinished (the
  // callback stays armed) and, once it is finished, the end of the call without a value. That
  // end is a success only for a stream or a method whose output is void: a single-result method
  // that owes an output gets "com.zentak.jorv.std.errors.internal_server_error" with
  // "jorv.provider.error.missing", so that the client never sees a success without a result.
  class ValidateResultWrapper {
   public:
    ValidateResultWrapper(std::shared_ptr<const AsyncApiMethodSignal> signal,
                          Core::AsyncApiResultCb callback)
        : signal_(std::move(signal)), callback_(std::move(callback)) {}

    void operator()(const boost::optional<Data::DataValuePtr>& output,
                    const std::shared_ptr<const Data::ErrorValue>& error, const Progress& progress,
                    AsyncApiMethod::ResultCb::Continuation&& continuation);

   private:
    std::shared_ptr<const AsyncApiMethodSignal> signal_;
    Core::AsyncApiResultCb callback_;
  };

  // Public for std::make_shared; use GetInstance.
  struct PrivateTag {};
  AsyncApiMethodSignal(PrivateTag, std::string name, Data::DataDefinitionPtr input,
                       Data::DataDefinitionPtr output, std::list<Data::DataDefinitionPtr> errors,
                       std::shared_ptr<L10n::Localizer> localizer, Completion completion)
      : name_(std::move(name)),
        input_(std::move(input)),
        output_(std::move(output)),
        errors_(std::move(errors)),
        localizer_(std::move(localizer)),
        completion_(completion) {}

 private:
  std::string name_;
  Data::DataDefinitionPtr input_;
  Data::DataDefinitionPtr output_;
  std::list<Data::DataDefinitionPtr> errors_;
  Handler handler_;
  std::shared_ptr<L10n::Localizer> localizer_;
  Completion completion_;
};

}  // namespace Provider
}  // namespace Jorv
