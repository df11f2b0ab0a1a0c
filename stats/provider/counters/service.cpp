#include "stats/provider/counters/service.h"

#include "framework/stub/async_method_invoker.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {

void AsyncServiceStub::List(const boost::optional<std::list<std::shared_ptr<const Filter>>>& filter,
                            const boost::optional<long long>& since,
                            const std::shared_ptr<AsyncActivation>& activation,
                            const ListMethod::ResultCbType& result) {
  ::Jorv::Stub::AsyncMethodInvoker::Invoke<ListMethod>({filter, since}, activation, result, stub_);
}

std::shared_ptr<const ::Jorv::Provider::AsyncApiInterface> AsyncServiceBinderHelper::Bind(
    const std::shared_ptr<AsyncServiceInterface>& implementation,
    const std::shared_ptr<::Jorv::L10n::Localizer>& localizer) {
  return ::Jorv::Provider::PublishInterface(
      implementation, localizer,
      ::Jorv::Provider::Bind<ListMethod, ListMethodBuilder>(&AsyncServiceInterface::List));
}

}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
