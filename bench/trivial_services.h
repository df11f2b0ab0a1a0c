#pragma once
// Service implementations that do no work of their own, so that a benchmark through them
// measures the binding and the call path: Queries get answers a fixed Info, Stream attach
// reports the same Result item on every request. Operations no benchmark calls never complete.

#include <memory>
#include <string>
#include <utility>

#include "stats/provider/stats_provider.h"

namespace StatsBench {

namespace Provider = Com::Zentak::Stats::Provider;
using Jorv::Core::AsyncActivation;

class TrivialCounters : public Provider::CountersSvc::AsyncServiceInterface {
 public:
  void List(const boost::optional<std::list<std::shared_ptr<const Provider::CountersSvc::Filter>>>&,
            const boost::optional<long long>&, const std::shared_ptr<AsyncActivation>&,
            const Provider::CountersSvc::ListMethod::ResultCbType&) override {}
};

class TrivialQueries : public Provider::QueriesSvc::AsyncServiceInterface {
 public:
  using Info = Provider::QueriesSvc::Info;
  explicit TrivialQueries(std::shared_ptr<const Info> info) : info_(std::move(info)) {}

  void Get(const std::string&, const std::shared_ptr<AsyncActivation>&,
           const Provider::QueriesSvc::GetMethod::ResultCbType& result) override {
    result(info_);
  }
  void Create(const std::shared_ptr<const Provider::QueriesSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const Provider::QueriesSvc::CreateMethod::ResultCbType&) override {}
  void List(const std::shared_ptr<AsyncActivation>&,
            const Provider::QueriesSvc::ListMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const Provider::QueriesSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const Provider::QueriesSvc::UpdateMethod::ResultCbType&) override {}
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const Provider::QueriesSvc::DeleteMethod::ResultCbType&) override {}
  void Execute(const std::string&, const std::shared_ptr<AsyncActivation>&,
               const Provider::QueriesSvc::ExecuteMethod::ResultCbType&) override {}

 private:
  std::shared_ptr<const Info> info_;
};

class TrivialStream : public Provider::StreamSvc::AsyncServiceInterface {
 public:
  using StreamResult = Provider::StreamSvc::AttachMethod::StreamResultCbType;
  explicit TrivialStream(std::shared_ptr<const Provider::Result> item) : item_(std::move(item)) {}

  // Reports the item with a continuation that answers the next request the same way.
  void Attach(const std::string&, const std::shared_ptr<const Provider::StreamSvc::AttachSpec>&,
              const std::shared_ptr<AsyncActivation>&, const StreamResult& result) override {
    Serve(result);
  }
  void Create(const std::string&, const std::shared_ptr<const Provider::StreamSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const Provider::StreamSvc::CreateMethod::ResultCbType&) override {}
  void Get(const std::string&, const std::shared_ptr<AsyncActivation>&,
           const Provider::StreamSvc::GetMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const Provider::StreamSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const Provider::StreamSvc::UpdateMethod::ResultCbType&) override {}
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const Provider::StreamSvc::DeleteMethod::ResultCbType&) override {}

 private:
  void Serve(const StreamResult& result) {
    result(item_, [this](Jorv::OptionalPtr<StreamResult> next) {
      if (next) Serve(*next);
    });
  }

  std::shared_ptr<const Provider::Result> item_;
};

}  // namespace StatsBench
