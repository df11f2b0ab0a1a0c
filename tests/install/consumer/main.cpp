// Built against the installed package only: one call through a stub, the in-process transport
// and a bound implementation, which converts the input and the output both ways. Exits 0 only
// when the call completes once with the right output.
#include <cstdlib>
#include <iostream>
#include <list>
#include <memory>
#include <string>

#include "stats/provider/stats_provider.h"

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
  auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(
      CountersSvc::AsyncServiceBinder::BindImplementation(std::make_shared<RetiredCounters>()));
  CountersSvc::AsyncServiceStub counters(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));

  int calls = 0;
  std::shared_ptr<const CountersSvc::ListResult> listed;
  counters.List(
      boost::none, 41LL, nullptr,
      CountersSvc::ListMethod::ResultCbType(
          [&](const boost::optional<std::shared_ptr<const CountersSvc::ListResult>>& out,
              const std::shared_ptr<const Jorv::Data::ErrorValue>& error, const Jorv::Progress&) {
            ++calls;
            if (out && !error) listed = *out;
          }));
  if (calls != 1 || !listed || listed->last_updated != 42 ||
      listed->unregistered != std::list<std::string>{"disk.io"}) {
    std::cerr << "consumer: list did not complete once with the right output\n";
    return EXIT_FAILURE;
  }
  std::cout << "consumer: ok\n";
  return EXIT_SUCCESS;
}
