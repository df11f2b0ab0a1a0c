// Built against the installed package only: one call of Counters.list through a stub and a bound
// implementation, which converts the input and the output both ways. The call goes through the
// in-process transport, or with CONSUMER_REMOTE through the remote transport to a server on a
// loopback port. Exits 0 only when the call completes once with the right output.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <iostream>
#include <list>
#include <memory>
#include <string>

#include "stats/provider/stats_provider.h"
#ifdef CONSUMER_REMOTE
#include "framework/remote/remote_api_provider.h"
#include "framework/remote/remote_server.h"
#endif

namespace {

using namespace Com::Zentak::Stats::Provider;

// Answers every list with one counter that is no longer registered.
class RetiredCounters : public CountersSvc::AsyncServiceInterface {
 public:
  void List(const boost::optional<std::list<std::shared_ptr<const CountersSvc::Filter>>>&,
            const boost::optional<long long>& since,
            const std::shared_ptr<Jorv::Core::AsyncActivation>&,
            const CountersSvc::ListMethod::ResultCbType& result) override {
    auto listed = std::make_shared<CountersSvc::ListResult>();
    listed->last_updated = since.value_or(0) + 1;
    listed->unregistered = {"disk.io"};
    result(listed);
  }
};

}  // namespace

int main() {
  auto router = std::make_shared<Jorv::Core::InProcessApiProvider>();
  router->Publish(
      CountersSvc::AsyncServiceBinder::BindImplementation(std::make_shared<RetiredCounters>()));
  std::shared_ptr<Jorv::Core::ApiProvider> transport = router;
#ifdef CONSUMER_REMOTE
  std::list<Jorv::BaseMessage> problems;
  auto server = Jorv::Remote::RemoteServer::Start(router, {}, problems);
  if (!server) return EXIT_FAILURE;
  transport = Jorv::Remote::RemoteApiProvider::Create(server->Address(), {}, problems);
#endif
  CountersSvc::AsyncServiceStub counters(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));

  auto calls = std::make_shared<std::atomic<int>>(0);
  auto answer = std::make_shared<std::promise<std::shared_ptr<const CountersSvc::ListResult>>>();
  auto listed = answer->get_future();
  counters.List(
      boost::none, 41LL, nullptr,
      CountersSvc::ListMethod::ResultCbType(
          [calls, answer](
              const boost::optional<std::shared_ptr<const CountersSvc::ListResult>>& out,
              const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {
            if (++*calls == 1) answer->set_value(out && !error ? *out : nullptr);
          }));
  const bool came = listed.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  const auto result = came ? listed.get() : nullptr;
  if (*calls != 1 || !result || result->last_updated != 42 ||
      result->unregistered != std::list<std::string>{"disk.io"}) {
    std::cerr << "consumer: list did not complete once with the right output\n";
    return EXIT_FAILURE;
  }
  std::cout << "consumer: ok\n";
  return EXIT_SUCCESS;
}
