// Built against the installed package only: converts a record to a data value and back, and
// makes one call through a stub and the in-process transport. Exits 0 only when all is right.
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

bool Fail(const std::string& what) {
  std::cerr << "consumer: " << what << "\n";
  return false;
}

bool ConvertsARecord() {
  CounterInstance instance;
  instance.counter = "cpu.usage";
  instance.chandle = 7;
  instance.resource_ids = {{"cpu", "0"}};

  Jorv::Data::DataValuePtr value;
  std::list<Jorv::BaseMessage> messages;
  if (!Jorv::Data::NativeToValueAdapter::Adapt(
          &instance, Jorv::Data::NativeToValueAdapter::AdaptMethod<CounterInstance>::Get(&instance),
          &value, messages, Jorv::L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer())) {
    return Fail("writing a counter instance failed");
  }
  CounterInstance back;
  if (!Jorv::Data::ValueToNativeAdapter::Adapt(
          value, Jorv::Data::ValueToNativeAdapter::AdaptMethod<CounterInstance>::Get(), &back,
          messages)) {
    return Fail("reading a counter instance failed");
  }
  if (back.counter != instance.counter || back.chandle != 7 || back.edition ||
      back.resource_ids != instance.resource_ids) {
    return Fail("round trip changed the record: " + Jorv::Data::ToText(value));
  }
  return true;
}

bool CallsAService() {
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
  if (calls != 1 || !listed) return Fail("list did not complete once with an output");
  if (listed->last_updated != 42 || listed->unregistered != std::list<std::string>{"disk.io"}) {
    return Fail("list returned the wrong counters");
  }
  return true;
}

}  // namespace

int main() {
  const bool converted = ConvertsARecord();
  const bool called = CallsAService();
  if (!converted || !called) return EXIT_FAILURE;
  std::cout << "consumer: ok\n";
  return EXIT_SUCCESS;
}
