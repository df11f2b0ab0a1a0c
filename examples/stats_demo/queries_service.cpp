#include "examples/stats_demo/queries_service.h"

#include "examples/stats_demo/service_support.h"

namespace StatsDemo {

namespace Queries = Api::QueriesSvc;

void QueriesService::Create(const std::shared_ptr<const Queries::CreateSpec>& spec,
                            const std::shared_ptr<AsyncActivation>&,
                            const Queries::CreateMethod::ResultCbType& result) {
  std::shared_ptr<const Queries::CreateResult> created;
  const Failure failure = stats_->CreateQuery(*spec, created);
  Complete(result, failure, created);
}

void QueriesService::List(const std::shared_ptr<AsyncActivation>&,
                          const Queries::ListMethod::ResultCbType& result) {
  result(stats_->QueryIds());
}

void QueriesService::Get(const std::string& query, const std::shared_ptr<AsyncActivation>&,
                         const Queries::GetMethod::ResultCbType& result) {
  std::shared_ptr<const Queries::Info> info;
  const Failure failure = stats_->GetQuery(query, info);
  Complete(result, failure, info);
}

void QueriesService::Update(const std::string& query,
                            const std::shared_ptr<const Queries::UpdateSpec>& spec,
                            const std::shared_ptr<AsyncActivation>&,
                            const Queries::UpdateMethod::ResultCbType& result) {
  Complete(result, stats_->UpdateQuery(query, *spec), ::Jorv::Void());
}

void QueriesService::Delete(const std::string& query, const std::shared_ptr<AsyncActivation>&,
                            const Queries::DeleteMethod::ResultCbType& result) {
  Complete(result, stats_->DeleteQuery(query), ::Jorv::Void());
}

void QueriesService::Execute(const std::string& query, const std::shared_ptr<AsyncActivation>&,
                             const Queries::ExecuteMethod::ResultCbType& result) {
  std::shared_ptr<const Api::Result> sampled;
  const Failure failure = stats_->ExecuteQuery(query, sampled);
  Complete(result, failure, sampled);
}

}  // namespace StatsDemo
