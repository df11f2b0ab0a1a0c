#pragma once
// The Counters service ("com.zentak.stats.provider.counters"): the interface a provider
// implements, the client stub that calls it through the framework, and the binder that
// publishes an implementation.

#include <list>
#include <memory>

#include <boost/optional.hpp>

#include "framework/core/activation.h"
#include "framework/core/api_stub.h"
#include "framework/core/async_api_method.h"
#include "framework/core/localization.h"
#include "framework/provider/service_binding.h"
#include "stats/provider/counters/methods.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

using ::Jorv::Core::AsyncActivation;

// Every operation completes its call only through its result object, exactly once.
class AsyncServiceInterface {
 public:
  static constexpr const char* kTypeName = "com.zentak.stats.provider.counters";

  // The counters offered, optionally only those matching `filter` and changed since `since`.
  virtual void List(const boost::optional<std::list<std::shared_ptr<const Filter>>>& filter,
                    const boost::optional<long long>& since,
                    const std::shared_ptr<AsyncActivation>& activation,
                    const ListMethod::ResultCbType& result) = 0;
  virtual ~AsyncServiceInterface() = default;
};

// Calls the service through a framework stub. An argument that does not convert (a null filter
// element) completes the result at once with "com.zentak.jorv.std.errors.invalid_argument".
class AsyncServiceStub : public AsyncServiceInterface {
 public:
  explicit AsyncServiceStub(std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub)
      : stub_(std::move(stub)) {}

  void List(const boost::optional<std::list<std::shared_ptr<const Filter>>>& filter,
            const boost::optional<long long>& since,
            const std::shared_ptr<AsyncActivation>& activation,
            const ListMethod::ResultCbType& result) override;

 private:
  std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub_;
};

struct AsyncServiceBinderHelper {
  using ListMethodBuilder = ::Jorv::Provider::MethodBuilder<ListMethod>;

  // The published interface serving `implementation`, one validating signal per method.
  static std::shared_ptr<const ::Jorv::Provider::AsyncApiInterface> Bind(
      const std::shared_ptr<AsyncServiceInterface>& implementation,
      const std::shared_ptr<::Jorv::L10n::Localizer>& localizer);
};

// Binds an implementation: BindImplementation(implementation[, localizer]).
struct AsyncServiceBinder
    : ::Jorv::Provider::ServiceBinder<AsyncServiceInterface, AsyncServiceBinderHelper> {};

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
