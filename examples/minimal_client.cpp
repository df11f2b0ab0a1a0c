// A minimal client: calls Queries get through the service stub and handles both what the
// method returns and the error it declares. A tiny provider is bound in the same process,
// because the in-process transport is the one transport there is; the client part below it
// would read the same over any other. Exits non-zero when an answer is not the expected one.
#include <cstdlib>
#include <iostream>
#include <list>
#include <memory>
#include <string>

#include "stats/provider/stats_provider.h"

using namespace Com::Zentak::Stats::Provider;
using Jorv::Core::AsyncActivation;

// ---- Provider side, only so that there is something to call ----------------------------------

namespace {

// Knows one query, "cpu-summary"; any other is not found. Operations the client does not use
// answer that the service is unavailable, an error every method declares.
class OneQuery : public QueriesSvc::AsyncServiceInterface {
 public:
  void Get(const std::string& query, const std::shared_ptr<AsyncActivation>&,
           const QueriesSvc::GetMethod::ResultCbType& result) override {
    if (query != "cpu-summary") {
      return result.error(Jorv::Data::NativeError{
          QueriesSvc::Errors::kNotFound,
          {Jorv::MakeMessage("example.query.unknown", "No query {1}.", query)}});
    }
    auto info = std::make_shared<QueriesSvc::Info>();
    info->query = query;
    info->view = "summary";
    info->owner = "admin";
    info->time_to_live = 600;
    result(info);
  }
  void Create(const std::shared_ptr<const QueriesSvc::CreateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::CreateMethod::ResultCbType& result) override {
    result.error(Unavailable());
  }
  void List(const std::shared_ptr<AsyncActivation>&,
            const QueriesSvc::ListMethod::ResultCbType& result) override {
    result.error(Unavailable());
  }
  void Update(const std::string&, const std::shared_ptr<const QueriesSvc::UpdateSpec>&,
              const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::UpdateMethod::ResultCbType& result) override {
    result.error(Unavailable());
  }
  void Delete(const std::string&, const std::shared_ptr<AsyncActivation>&,
              const QueriesSvc::DeleteMethod::ResultCbType& result) override {
    result.error(Unavailable());
  }
  void Execute(const std::string&, const std::shared_ptr<AsyncActivation>&,
               const QueriesSvc::ExecuteMethod::ResultCbType& result) override {
    result.error(Unavailable());
  }

 private:
  static Jorv::Data::NativeError Unavailable() {
    return {QueriesSvc::Errors::kServiceUnavailable, {}};
  }
};

}  // namespace

// ---- Client side ------------------------------------------------------------------------------

namespace {

// What one Get produced: the owner of the query, or the name and first message of the error.
struct Answer {
  int calls = 0;
  std::string owner;
  std::string error;
  std::string message;
};

// Asks for `query`. The result object is completed exactly once, with the output or with an
// error. The in-process transport completes it before Get returns; a remote transport would call
// back later, so code that goes on from the answer belongs inside the callback.
Answer GetQuery(QueriesSvc::AsyncServiceStub& queries, const std::string& query) {
  Answer answer;
  queries.Get(
      query, nullptr,
      QueriesSvc::GetMethod::ResultCbType(
          [&](const boost::optional<std::shared_ptr<const QueriesSvc::Info>>& info,
              const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {
            if (!info && !error) return;  // a progress report: the call goes on
            ++answer.calls;
            if (info) {
              answer.owner = (*info)->owner;
              return;
            }
            // Errors arrive by name, their messages already rendered in the caller's locale.
            answer.error = error->GetName();
            const std::list<Jorv::BaseMessage> messages = error->GetMessages();
            if (!messages.empty()) answer.message = messages.front().GetDefaultMessage();
          }));
  return answer;
}

}  // namespace

int main() {
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      QueriesSvc::AsyncServiceBinder::BindImplementation(std::make_shared<OneQuery>()));

  // Everything a client needs: a stub over the transport.
  QueriesSvc::AsyncServiceStub queries(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));

  const Answer found = GetQuery(queries, "cpu-summary");
  std::cout << "cpu-summary: owned by " << found.owner << "\n";
  const Answer missing = GetQuery(queries, "disk-io");
  std::cout << "disk-io: " << missing.error << ": " << missing.message << "\n";

  const bool ok = found.calls == 1 && found.owner == "admin" && found.error.empty() &&
                  missing.calls == 1 && missing.owner.empty() &&
                  missing.error == QueriesSvc::Errors::kNotFound &&
                  missing.message == "No query disk-io.";
  return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
