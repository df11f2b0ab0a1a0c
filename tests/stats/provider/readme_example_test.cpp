// The README's service example, compiled and run. Includes only the umbrella header, which
// proves it is all a program needs.
#include "stats/provider/stats_provider.h"

#include <gtest/gtest.h>

namespace {

using namespace Com::Zentak::Stats::Provider;
using Jorv::Core::AsyncActivation;

// The README's provider: Get knows "q1" only.
class MyQueries : public QueriesSvc::AsyncServiceInterface {
 public:
  void Get(const std::string& query, const std::shared_ptr<Jorv::Core::AsyncActivation>&,
           const QueriesSvc::GetMethod::ResultCbType& result) override {
    if (query != "q1") {
      return result.error(
          Jorv::Data::NativeError{QueriesSvc::Errors::kNotFound,
                                  {Jorv::MakeMessage("my.query.unknown", "No query {1}.", query)}});
    }
    auto info = std::make_shared<QueriesSvc::Info>();
    info->query = query;
    result(info);
  }
  // ... Create, List, Update, Delete, Execute: not called here.
  void Create(const std::shared_ptr<const QueriesSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::CreateMethod::ResultCbType&) override {}
  void List(const std::shared_ptr<AsyncActivation>&,
            const QueriesSvc::ListMethod::ResultCbType&) override {}
  void Update(const std::string&, const std::shared_ptr<const QueriesSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::UpdateMethod::ResultCbType&) override {}
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::DeleteMethod::ResultCbType&) override {}
  void Execute(const std::string&, const std::shared_ptr<AsyncActivation>&,
               const QueriesSvc::ExecuteMethod::ResultCbType&) override {}
};

TEST(ReadmeExample, CallsAServiceThroughTheInProcessTransport) {
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      QueriesSvc::AsyncServiceBinder::BindImplementation(std::make_shared<MyQueries>()));

  QueriesSvc::AsyncServiceStub queries(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));
  for (const std::string query : {"q1", "q2"}) {
    int calls = 0;
    std::string received;
    queries.Get(
        query, nullptr,
        QueriesSvc::GetMethod::ResultCbType(
            [&](const boost::optional<std::shared_ptr<const QueriesSvc::Info>>& info,
                const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {
              ++calls;
              if (info && !error) received = (*info)->query;
              if (error && !info) {
                const auto messages = error->GetMessages();
                received = error->GetName() + ": " +
                           (messages.empty() ? "" : messages.front().GetDefaultMessage());
              }
            }));
    EXPECT_EQ(calls, 1) << query;
    EXPECT_EQ(received, query == "q1"
                            ? std::string("q1")
                            : std::string(QueriesSvc::Errors::kNotFound) + ": No query q2.");
  }
}

}  // namespace
