#pragma once
// Jorv::Core::InProcessApiProvider: an API provider that serves published interfaces inside the
// calling process. It routes each call by interface and method name to the method's Invoke and
// carries progress reports and the final method result back to the caller's callback.
//
//   auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
//   transport->Publish(QueriesSvc::AsyncServiceBinder::BindImplementation(implementation));
//   QueriesSvc::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "framework/core/api_provider.h"
#include "framework/core/async_api_method.h"

namespace Jorv {
namespace Core {

class InProcessApiProvider : public ApiProvider {
 public:
  // Serves `published` under its identifier from now on, replacing an interface of the same
  // name. Safe to call while calls are in flight.
  void Publish(const std::shared_ptr<const Provider::AsyncApiInterface>& published);
  // Stops serving the interface `name`; calls in flight finish. False when none was served.
  bool Unpublish(const std::string& name);

  // Routes the call. The method runs on the calling thread with its own copy of the activation
  // (a null one becomes a new default activation), so that what the provider side writes into
  // it never reaches the caller's object. An unknown interface or method is answered at once
  // with "com.zentak.jorv.std.errors.not_found" and a message naming it
  // ("jorv.core.unknown.interface", "jorv.core.unknown.method"). An exception escaping the
  // method is caught: a callback not yet spent receives
  // "com.zentak.jorv.std.errors.internal_server_error" with "jorv.core.method.failed" naming
  // the method and the exception, and the caller goes on; one escaping after the callback was
  // spent is dropped. An exception thrown by `callback` itself is dropped: it never reaches the
  // provider, and the call goes on, so its later reports and its completion still arrive, each
  // once. Deliveries and next-report requests of one call run one at a time, in order, so that
  // a stream pulled from inside its own callback runs in constant stack.
  void InvokeAsync(const std::shared_ptr<const MethodIdentifier>& method,
                   const Data::DataValuePtr& input,
                   const std::shared_ptr<AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override;
  // As InvokeAsync, handing the method `activation` itself, which is the call's own already.
  void InvokeAsyncWithOwnActivation(const std::shared_ptr<const MethodIdentifier>& method,
                                    const Data::DataValuePtr& input,
                                    std::shared_ptr<AsyncActivation> activation,
                                    const AsyncApiResultCb& callback) override;

 private:
  void Route(const std::shared_ptr<const MethodIdentifier>& method, const Data::DataValuePtr& input,
             const std::shared_ptr<AsyncActivation>& ownActivation,
             const AsyncApiResultCb& callback);
  std::shared_ptr<const Provider::AsyncApiInterface> Find(const std::string& name) const;

  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const Provider::AsyncApiInterface>> interfaces_;
};

}  // namespace Core
}  // namespace Jorv
