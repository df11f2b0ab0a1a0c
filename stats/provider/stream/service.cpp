#include "stats/provider/stream/service.h"

#include "framework/stub/async_method_invoker.h"
#include "framework/stub/async_stream_method_invoker.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

using ::Jorv::Stub::AsyncMethodInvoker;

void AsyncServiceStub::Create(const std::string& query,
                              const std::shared_ptr<const CreateSpec>& spec,
                              const std::shared_ptr<AsyncActivation>& activation,
                              const CreateMethod::ResultCbType& result) {
  AsyncMethodInvoker::Invoke<CreateMethod>({query, spec}, activation, result, stub_);
}

void AsyncServiceStub::Get(const std::string& query,
                           const std::shared_ptr<AsyncActivation>& activation,
                           const GetMethod::ResultCbType& result) {
  AsyncMethodInvoker::Invoke<GetMethod>({query}, activation, result, stub_);
}

void AsyncServiceStub::Update(const std::string& query,
                              const std::shared_ptr<const UpdateSpec>& spec,
                              const std::shared_ptr<AsyncActivation>& activation,
                              const UpdateMethod::ResultCbType& result) {
  AsyncMethodInvoker::Invoke<UpdateMethod>({query, spec}, activation, result, stub_);
}

void AsyncServiceStub::Attach(const std::string& query,
                              const std::shared_ptr<const AttachSpec>& spec,
                              const std::shared_ptr<AsyncActivation>& activation,
                              const AttachMethod::StreamResultCbType& result) {
  ::Jorv::Stub::AsyncStreamMethodInvoker::Invoke<AttachMethod>({query, spec}, activation, result,
                                                               stub_);
}

void AsyncServiceStub::Delete(const std::string& query,
                              const std::shared_ptr<AsyncActivation>& activation,
                              const DeleteMethod::ResultCbType& result) {
  AsyncMethodInvoker::Invoke<DeleteMethod>({query}, activation, result, stub_);
}

std::shared_ptr<const ::Jorv::Provider::AsyncApiInterface> AsyncServiceBinderHelper::Bind(
    const std::shared_ptr<AsyncServiceInterface>& implementation,
    const std::shared_ptr<::Jorv::L10n::Localizer>& localizer) {
  using ::Jorv::Provider::Bind;
  using I = AsyncServiceInterface;
  return ::Jorv::Provider::PublishInterface(implementation, localizer,
                                            Bind<CreateMethod, CreateMethodBuilder>(&I::Create),
                                            Bind<GetMethod, GetMethodBuilder>(&I::Get),
                                            Bind<UpdateMethod, UpdateMethodBuilder>(&I::Update),
                                            Bind<AttachMethod, AttachMethodBuilder>(&I::Attach),
                                            Bind<DeleteMethod, DeleteMethodBuilder>(&I::Delete));
}

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
