#pragma once
// Jorv::Stub::AsyncApiStub: the client's end of a connection to an API provider, with the
// activation used for calls that come without one.

#include <memory>
#include <utility>

#include "framework/core/api_provider.h"

namespace Jorv {
namespace Stub {

class AsyncApiStub {
 public:
  // Calls go to `provider`; calls without an activation get a copy of `defaultActivation`.
  explicit AsyncApiStub(std::shared_ptr<Core::ApiProvider> provider,
                        std::shared_ptr<const Core::AsyncActivation> defaultActivation =
                            std::make_shared<Core::AsyncActivation>())
      : provider_(std::move(provider)), defaultActivation_(std::move(defaultActivation)) {}

  // Hands the call to the provider. A null `activation` is replaced by a new one for this call
  // only, copied from the default activation (own execution context, shared localizer and
  // locale spec); the default activation itself is never changed.
  void Invoke(const std::shared_ptr<const Core::MethodIdentifier>& method,
              const Data::DataValuePtr& input,
              const std::shared_ptr<Core::AsyncActivation>& activation,
              const Core::AsyncApiResultCb& callback) const {
    if (activation) {
      provider_->InvokeAsync(method, input, activation, callback);
      return;
    }
    provider_->InvokeAsyncWithOwnActivation(method, input, defaultActivation_->CopyForCall(),
                                            callback);
  }

  const std::shared_ptr<Core::ApiProvider>& GetProvider() const { return provider_; }
  const std::shared_ptr<const Core::AsyncActivation>& GetDefaultActivation() const {
    return defaultActivation_;
  }

 private:
  std::shared_ptr<Core::ApiProvider> provider_;
  std::shared_ptr<const Core::AsyncActivation> defaultActivation_;
};

}  // namespace Stub
}  // namespace Jorv
