// Built against the installed package only: serves a Counters implementation on a loopback port
// and calls it through the remote transport. Exits 0 only when the call comes back right.
#include <chrono>
#include <cstdlib>
#include <future>
#include <iostream>
#include <list>
#include <memory>

#include "framework/core/in_process_transport.h"
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#include "stats/provider/counters/service.h"

namespace {

using namespace Com::Zentak::Stats::Provider;

class OneCounter : public CountersSvc::AsyncServiceInterface {
 public:
  void List(const boost::optional<std::list<std::shared_ptr<const CountersSvc::Filter>>>&,
            const boost::optional<long long>&, const std::shared_ptr<Jorv::Core::AsyncActivation>&,
            const CountersSvc::ListMethod::ResultCbType& result) override {
    auto listed = std::make_shared<CountersSvc::ListResult>();
    listed->last_updated = 7;
    result(listed);
  }
};

}  // namespace

int main() {
  auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
  router->Publish(
      CountersSvc::AsyncServiceBinder::BindImplementation(std::make_shared<OneCounter>()));
  std::list<Jorv::BaseMessage> problems;
  auto server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
  if (!server) {
    std::cerr << "remote_consumer: cannot serve\n";
    return EXIT_FAILURE;
  }
  auto remote = Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems);
  CountersSvc::AsyncServiceStub counters(std::make_shared<Jorv::Stub::AsyncApiStub>(remote));
  auto lastUpdated = std::make_shared<std::promise<long long>>();
  auto answer = lastUpdated->get_future();
  counters.List(
      boost::none, boost::none, nullptr,
      CountersSvc::ListMethod::ResultCbType(
          [lastUpdated](const boost::optional<std::shared_ptr<const CountersSvc::ListResult>>& out,
                        const std::shared_ptr<const Jorv::Data::ErrorValue>&,
                        const Jorv::Progress&) {
            lastUpdated->set_value(out && *out ? (*out)->last_updated : -1);
          }));
  if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready || answer.get() != 7) {
    std::cerr << "remote_consumer: the remote call did not come back right\n";
    return EXIT_FAILURE;
  }
  std::cout << "remote_consumer: ok\n";
  return EXIT_SUCCESS;
}
