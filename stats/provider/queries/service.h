#pragma once
// The Queries service ("com.zentak.stats.provider.queries"): the interface a provider
// implements, the client stub that calls it through the framework, and the binder that
// publishes an implementation.
//
//   QueriesSvc::AsyncServiceStub stub(apiStub);
//   stub.Get("q1", nullptr, QueriesSvc::GetMethod::ResultCbType(
//       [](const boost::optional<std::shared_ptr<const QueriesSvc::Info>>& info,
//          const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {}));

#include <list>
#include <memory>
#include <string>

#include "framework/core/activation.h"
#include "framework/core/api_stub.h"
#include "framework/core/async_api_method.h"
#include "framework/core/localization.h"
#include "framework/provider/service_binding.h"
#include "stats/provider/queries/methods.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace QueriesSvc {

using ::Jorv::Core::AsyncActivation;

// Every operation completes its call only through its result object, exactly once.
class AsyncServiceInterface {
 public:
  static constexpr const char* kTypeName = "com.zentak.stats.provider.queries";

  virtual void Create(const std::shared_ptr<const CreateSpec>& spec,
                      const std::shared_ptr<AsyncActivation>& activation,
                      const CreateMethod::ResultCbType& result) = 0;
  virtual void List(const std::shared_ptr<AsyncActivation>& activation,
                    const ListMethod::ResultCbType& result) = 0;
  virtual void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
                   const GetMethod::ResultCbType& result) = 0;
  virtual void Update(const std::string& query, const std::shared_ptr<const UpdateSpec>& spec,
                      const std::shared_ptr<AsyncActivation>& activation,
                      const UpdateMethod::ResultCbType& result) = 0;
  virtual void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
                      const DeleteMethod::ResultCbType& result) = 0;
  virtual void Execute(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
                       const ExecuteMethod::ResultCbType& result) = 0;
  virtual ~AsyncServiceInterface() = default;
};

// Calls the service through a framework stub. An argument that does not convert (a null spec)
// completes the result at once with "com.zentak.jorv.std.errors.invalid_argument".
class AsyncServiceStub : public AsyncServiceInterface {
 public:
  explicit AsyncServiceStub(std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub)
      : stub_(std::move(stub)) {}

  void Create(const std::shared_ptr<const CreateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const CreateMethod::ResultCbType& result) override;
  void List(const std::shared_ptr<AsyncActivation>& activation,
            const ListMethod::ResultCbType& result) override;
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
           const GetMethod::ResultCbType& result) override;
  void Update(const std::string& query, const std::shared_ptr<const UpdateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const UpdateMethod::ResultCbType& result) override;
  void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
              const DeleteMethod::ResultCbType& result) override;
  void Execute(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
               const ExecuteMethod::ResultCbType& result) override;

 private:
  std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub_;
};

struct AsyncServiceBinderHelper {
  using CreateMethodBuilder = ::Jorv::Provider::MethodBuilder<CreateMethod>;
  using ListMethodBuilder = ::Jorv::Provider::MethodBuilder<ListMethod>;
  using GetMethodBuilder = ::Jorv::Provider::MethodBuilder<GetMethod>;
  using UpdateMethodBuilder = ::Jorv::Provider::MethodBuilder<UpdateMethod>;
  using DeleteMethodBuilder = ::Jorv::Provider::MethodBuilder<DeleteMethod>;
  using ExecuteMethodBuilder = ::Jorv::Provider::MethodBuilder<ExecuteMethod>;

  // The published interface serving `implementation`, one validating signal per method.
  static std::shared_ptr<const ::Jorv::Provider::AsyncApiInterface> Bind(
      const std::shared_ptr<AsyncServiceInterface>& implementation,
      const std::shared_ptr<::Jorv::L10n::Localizer>& localizer);
};

// Binds an implementation: BindImplementation(implementation[, localizer]).
struct AsyncServiceBinder
    : ::Jorv::Provider::ServiceBinder<AsyncServiceInterface, AsyncServiceBinderHelper> {};

}  // namespace QueriesSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
