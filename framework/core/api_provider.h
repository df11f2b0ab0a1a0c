#pragma once
// Jorv::Core::ApiProvider: what a client's stub hands its calls to. An implementation carries
// each call to the published method it addresses and the outcome back to the callback.

#include <memory>

#include "framework/core/activation.h"
#include "framework/core/api_result_cb.h"
#include "framework/core/compound_value.h"
#include "framework/core/identifiers.h"

namespace Jorv {
namespace Core {

class ApiProvider {
 public:
  virtual ~ApiProvider() = default;

  // Starts one call of `method` with `input`. Its outcome reaches `callback` exactly once as a
  // method result (after any progress reports), on whatever thread the provider completes on;
  // a call that cannot be delivered is answered with an error value, never dropped.
  virtual void InvokeAsync(const std::shared_ptr<const MethodIdentifier>& method,
                           const Data::DataValuePtr& input,
                           const std::shared_ptr<AsyncActivation>& activation,
                           const AsyncApiResultCb& callback) = 0;

  // As InvokeAsync, for an activation made for this call alone that nobody else holds (such as
  // the copy a stub makes for a call without one): a provider that gives each call its own
  // activation may use it instead of copying it again. By default the same as InvokeAsync.
  virtual void InvokeAsyncWithOwnActivation(const std::shared_ptr<const MethodIdentifier>& method,
                                            const Data::DataValuePtr& input,
                                            std::shared_ptr<AsyncActivation> activation,
                                            const AsyncApiResultCb& callback) {
    InvokeAsync(method, input, activation, callback);
  }
};

}  // namespace Core
}  // namespace Jorv
