#pragma once
// The Queries service of the host-statistics provider: stored queries over this host's
// counters, executed on demand. Time to live is in seconds.

#include <memory>
#include <string>

#include "examples/stats_demo/host_stats.h"

namespace StatsDemo {

// Each operation completes its result at once, on the calling thread; the errors are those
// HostStats reports (not_found for an unknown query, invalid_argument for a bad spec).
class QueriesService : public Api::QueriesSvc::AsyncServiceInterface {
 public:
  using AsyncActivation = Api::QueriesSvc::AsyncActivation;

  explicit QueriesService(std::shared_ptr<HostStats> stats) : stats_(std::move(stats)) {}

  void Create(const std::shared_ptr<const Api::QueriesSvc::CreateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const Api::QueriesSvc::CreateMethod::ResultCbType& result) override;
  void List(const std::shared_ptr<AsyncActivation>& activation,
            const Api::QueriesSvc::ListMethod::ResultCbType& result) override;
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
           const Api::QueriesSvc::GetMethod::ResultCbType& result) override;
  void Update(const std::string& query,
              const std::shared_ptr<const Api::QueriesSvc::UpdateSpec>& spec,
              const std::shared_ptr<AsyncActivation>& activation,
              const Api::QueriesSvc::UpdateMethod::ResultCbType& result) override;
  void Delete(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
              const Api::QueriesSvc::DeleteMethod::ResultCbType& result) override;
  // Rates in the result cover the time since the query's previous execution, or since its
  // creation for the first one.
  void Execute(const std::string& query, const std::shared_ptr<AsyncActivation>& activation,
               const Api::QueriesSvc::ExecuteMethod::ResultCbType& result) override;

 private:
  std::shared_ptr<HostStats> stats_;
};

}  // namespace StatsDemo
