#pragma once
// The Stream service ("com.zentak.stats.provider.stream"): the interface a provider implements,
// the client stub that calls it through the framework, and the binder that publishes an
// implementation. `Attach` delivers a stream of Result records, one per request.

#include <memory>
#include <string>

#include "framework/core/activation.h"
#include "framework/core/api_stub.h"
#include "framework/core/async_api_method.h"
#include "framework/core/localization.h"
#include "framework/provider/service_binding.h"
#include "stats/provider/stream/methods.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace StreamSvc {

using ::Jorv::Core::AsyncActivation;

// Every operation completes its call only through its result object, exactly once; Attach
// reports through its stream result once per request.
class AsyncServiceInterface {
 public:
  static constexpr const char* kTypeName = "com.zentak.stats.provider.stream";

  virtual void Create(const std::string& query, const std::shared_ptr<const CreateSpec>& spec,
                      const std::shared_ptr<AsyncActivation>& activation,
                      const CreateMethod::ResultCbType& result) = 0;
  virtual void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
                   const GetMethod::ResultCbType& result) = 0;
  virtual void Update(const std::string& query, const std::shared_ptr<const UpdateSpec>& spec,
                      const std::shared_ptr<AsyncActivation>& activation,
                      const UpdateMethod::ResultCbType& result) = 0;
  virtual void Attach(const std::string& query, const std::shared_ptr<const AttachSpec>& spec,
                      const std::shared_ptr<AsyncActivation>& activation,
                      const AttachMethod::StreamResultCbType& result) = 0;
  virtual void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
                      const DeleteMethod::ResultCbType& result) = 0;
  virtual ~AsyncServiceInterface() = default;
};

// Calls the service through a framework stub. An argument that does not convert (a null spec)
// completes the result at once with "com.zentak.jorv.std.errors.invalid_argument".
class AsyncServiceStub : public AsyncServiceInterface {
 public:
  explicit AsyncServiceStub(std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub)
      : stub_(std::move(stub)) {}

  void Create(const std::string& query, const std::shared_ptr<const CreateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const CreateMethod::ResultCbType& result) override;
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
           const GetMethod::ResultCbType& result) override;
  void Update(const std::string& query, const std::shared_ptr<const UpdateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const UpdateMethod::ResultCbType& result) override;
  // The first report goes to a copy of `result`; each later one to the stream result the
  // caller hands to the continuation of the report before.
  void Attach(const std::string& query, const std::shared_ptr<const AttachSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const AttachMethod::StreamResultCbType& result) override;
  void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
              const DeleteMethod::ResultCbType& result) override;

 private:
  std::shared_ptr<::Jorv::Stub::AsyncApiStub> stub_;
};

struct AsyncServiceBinderHelper {
  using CreateMethodBuilder = ::Jorv::Provider::MethodBuilder<CreateMethod>;
  using GetMethodBuilder = ::Jorv::Provider::MethodBuilder<GetMethod>;
  using UpdateMethodBuilder = ::Jorv::Provider::MethodBuilder<UpdateMethod>;
  using AttachMethodBuilder = ::Jorv::Provider::MethodBuilder<AttachMethod>;
  using DeleteMethodBuilder = ::Jorv::Provider::MethodBuilder<DeleteMethod>;

  // The published interface serving `implementation`, one validating signal per method.
  static std::shared_ptr<const ::Jorv::Provider::AsyncApiInterface> Bind(
      const std::shared_ptr<AsyncServiceInterface>& implementation,
      const std::shared_ptr<::Jorv::L10n::Localizer>& localizer);
};

// Binds an implementation: BindImplementation(implementation[, localizer]).
struct AsyncServiceBinder
    : ::Jorv::Provider::ServiceBinder<AsyncServiceInterface, AsyncServiceBinderHelper> {};

}  // namespace StreamSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com
