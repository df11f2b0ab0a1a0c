#include "framework/core/in_process_transport.h"

#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/api_stub.h"
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "support/service_client.h"

namespace Jorv {
namespace Core {
namespace {

using Data::DataValuePtr;
using Data::ErrorValue;

constexpr char kInterface[] = "com.example.jorv.test";
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr Progress kCompletion{0, 1, 1};

using Body = std::function<void(const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                const AsyncApiResultCb&)>;

// A published method that runs a test's body.
class FakeMethod : public Provider::AsyncApiMethod {
 public:
  FakeMethod(std::string name, Body body) : name_(std::move(name)), body_(std::move(body)) {}
  const std::string& methodName() const override { return name_; }
  std::shared_ptr<const MethodDefinition> definition(
      const std::shared_ptr<const InterfaceIdentifier>& interfaceId) const override {
    return std::make_shared<const MethodDefinition>(
        MethodDefinition{MethodIdentifier::GetInstance(interfaceId, name_), nullptr, nullptr});
  }
  const Data::DataDefinitionPtr& inputDefinition() const override { return none_; }
  const Data::DataDefinitionPtr& outputDefinition() const override { return none_; }
  std::list<Data::DataDefinitionPtr> errorDefinitions() override { return {}; }
  const std::list<Data::DataDefinitionPtr>& errorDefinitions() const override { return errors_; }
  void Invoke(const DataValuePtr& input, const std::shared_ptr<AsyncActivation>& activation,
              const AsyncApiResultCb& callback) const override {
    body_(input, activation, callback);
  }

 private:
  std::string name_;
  Body body_;
  Data::DataDefinitionPtr none_;
  std::list<Data::DataDefinitionPtr> errors_;
};

std::shared_ptr<const MethodIdentifier> Method(const std::string& name,
                                               const std::string& interfaceName = kInterface) {
  return MethodIdentifier::GetInstance(InterfaceIdentifier::GetInstance(interfaceName), name);
}

struct Delivery {
  std::shared_ptr<const MethodResult> result;
  Progress progress;
};

// A transport with one interface of the given methods, and the deliveries of calls made on it.
class Transport : public testing::Test {
 protected:
  void Publish(std::list<std::pair<std::string, Body>> methods,
               const std::string& name = kInterface) {
    std::list<std::shared_ptr<const Provider::AsyncApiMethod>> published;
    for (auto& method : methods) {
      published.push_back(std::make_shared<FakeMethod>(method.first, std::move(method.second)));
    }
    transport.Publish(Provider::AsyncApiInterface::GetInstance(
        InterfaceIdentifier::GetInstance(name), published));
  }
  void Call(const std::string& method, const DataValuePtr& input = nullptr,
            const std::string& interfaceName = kInterface) {
    transport.InvokeAsync(
        Method(method, interfaceName), input, nullptr,
        AsyncApiResultCb([this](const std::shared_ptr<const MethodResult>& result,
                                const Progress& progress, AsyncApiResultCb::Continuation&&) {
          deliveries.push_back({result, progress});
        }));
  }
  // Expects the last delivery, the only one since `since`, to end the call with the error
  // `name` carrying the one message `id` with `args`.
  void ExpectErrorSince(std::size_t since, const std::string& name, const std::string& id,
                        const std::list<std::string>& args) {
    ASSERT_EQ(deliveries.size(), since + 1);
    EXPECT_EQ(deliveries.back().progress, kCompletion);
    ASSERT_TRUE(deliveries.back().result && deliveries.back().result->completed);
    EXPECT_EQ(deliveries.back().result->output, nullptr);
    Testing::ExpectError(deliveries.back().result->error, name, {{id, args}});
  }

  InProcessApiProvider transport;
  std::vector<Delivery> deliveries;
};

const Body kEcho = [](const DataValuePtr& input, const std::shared_ptr<AsyncActivation>&,
                      const AsyncApiResultCb& callback) {
  callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
};

TEST_F(Transport, RoutesByInterfaceAndMethodNameAndAnswersUnknownOnesWithNotFound) {
  std::vector<std::string> reached;
  auto marking = [&](std::string mark) -> Body {
    return [&reached, mark](const DataValuePtr& input, const std::shared_ptr<AsyncActivation>& a,
                            const AsyncApiResultCb& callback) {
      reached.push_back(mark);
      kEcho(input, a, callback);
    };
  };
  Publish({{"get", kEcho}});  // replaced by the next publication under the same name
  Publish({{"put", marking("put")}, {"find", marking("test/find")}});
  Publish({{"find", marking("other/find")}}, "com.example.other");
  const DataValuePtr input = Data::DataValue::Create(5LL);
  Call("find", input, "com.example.other");
  Call("find", input);
  EXPECT_EQ(reached, (std::vector<std::string>{"other/find", "test/find"}));
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[1].result->output, input);

  Call("find", nullptr, "com.example.missing");
  ExpectErrorSince(2, kNotFound, MessageIds::kUnknownInterface, {"com.example.missing"});
  Call("get");
  ExpectErrorSince(3, kNotFound, MessageIds::kUnknownMethod, {"get", kInterface});
}

TEST_F(Transport, MethodThatThrowsIsAnsweredOnceUnlessItAnsweredAlready) {
  const auto answer = ErrorValue::GetInstance(kNotFound);
  Publish({{"explode", [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                          const AsyncApiResultCb&) { throw std::runtime_error("store offline"); }},
           {"odd", [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                      const AsyncApiResultCb&) { throw 42; }},
           {"progress-then-explode",
            [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
               const AsyncApiResultCb& callback) {
              callback(nullptr, {0, 0, 2}, nullptr);
              throw std::runtime_error("half way");
            }},
           {"answer-then-explode", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                       const AsyncApiResultCb& callback) {
              callback(MethodResult::Create(nullptr, answer), kCompletion, nullptr);
              throw std::runtime_error("late");
            }}});
  Call("explode");
  ExpectErrorSince(0, Std::kInternalServerError, MessageIds::kMethodFailed,
                   {"com.example.jorv.test/explode", "store offline"});
  Call("odd");
  ExpectErrorSince(1, Std::kInternalServerError, MessageIds::kMethodFailed,
                   {"com.example.jorv.test/odd", "unknown exception"});
  Call("progress-then-explode");
  EXPECT_EQ(deliveries[2].result, nullptr);
  ExpectErrorSince(3, Std::kInternalServerError, MessageIds::kMethodFailed,
                   {"com.example.jorv.test/progress-then-explode", "half way"});
  Call("answer-then-explode");
  ASSERT_EQ(deliveries.size(), 5u);
  EXPECT_EQ(deliveries[4].result->error, answer);
}

TEST_F(Transport, DeliveriesOfOneCallNeverOverlapAndAThrowingClientKeepsItsFailure) {
  std::vector<AsyncApiResultCb> providerSide;
  int reportsThatThrew = 0;
  Publish({{"slow", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                        const AsyncApiResultCb& callback) {
              providerSide.push_back(callback);
              try {
                callback(nullptr, {0, 0, 2}, nullptr);
              } catch (...) {
                ++reportsThatThrew;
              }
            }}});
  // The client answers its first progress report by making the provider report again and
  // finish, then fails. Those deliveries wait until its callback has returned, still run, and
  // the failure neither reaches the provider nor turns into a second answer.
  std::vector<std::string> events;
  const AsyncApiResultCb client([&](const std::shared_ptr<const MethodResult>& result,
                                    const Progress& progress, AsyncApiResultCb::Continuation&&) {
    const std::string current = result ? "final" : "progress " + std::to_string(progress.current);
    events.push_back(current + " begins");
    if (!result && progress.current == 0) {
      providerSide.at(0)(nullptr, {0, 1, 2}, nullptr);
      providerSide.at(0)(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
    }
    events.push_back(current + " ends");
    throw std::runtime_error("client failed");
  });
  EXPECT_NO_THROW(transport.InvokeAsync(Method("slow"), nullptr, nullptr, client));
  EXPECT_EQ(events,
            (std::vector<std::string>{"progress 0 begins", "progress 0 ends", "progress 1 begins",
                                      "progress 1 ends", "final begins", "final ends"}));
  EXPECT_EQ(reportsThatThrew, 0);
  EXPECT_FALSE(client.IsArmed());
}

TEST_F(Transport, MethodGetsItsOwnCopyOfTheActivation) {
  std::shared_ptr<AsyncActivation> seen;
  std::shared_ptr<L10n::Localizer> localizerOnArrival;
  Publish({{"write", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>& activation,
                         const AsyncApiResultCb&) {
              seen = activation;
              localizerOnArrival = activation->localizer;
              activation->localizer = std::make_shared<L10n::Localizer>();
              activation->context->applicationContext["tenant"] = "b";
              activation->context->securityContext["user"] = "x";
            }}});
  const auto caller = std::make_shared<AsyncActivation>();
  caller->context->applicationContext["tenant"] = "a";
  caller->localizer = std::make_shared<L10n::Localizer>();
  caller->localeSpec = std::make_shared<L10n::LocaleSpec>();
  caller->sequence = 7;
  const auto callerLocalizer = caller->localizer;
  transport.InvokeAsync(Method("write"), nullptr, caller, AsyncApiResultCb());
  ASSERT_TRUE(seen);
  EXPECT_NE(seen, caller);
  EXPECT_EQ(localizerOnArrival, callerLocalizer);
  EXPECT_EQ(seen->localeSpec, caller->localeSpec);
  EXPECT_EQ(seen->sequence, 0u);
  EXPECT_EQ(caller->localizer, callerLocalizer);
  EXPECT_EQ(caller->sequence, 7u);
  EXPECT_EQ(caller->context->applicationContext,
            (std::map<std::string, std::string>{{"tenant", "a"}}));
  EXPECT_TRUE(caller->context->securityContext.empty());
  transport.InvokeAsync(Method("write"), nullptr, nullptr, AsyncApiResultCb());
  ASSERT_TRUE(seen->context);
  EXPECT_EQ(localizerOnArrival, nullptr);
}

TEST_F(Transport, UnpublishStopsServingAndLetsCallsInFlightFinish) {
  std::vector<AsyncApiResultCb> pending;
  Publish({{"keep", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                        const AsyncApiResultCb& callback) { pending.push_back(callback); }}});
  Call("keep");
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_TRUE(transport.Unpublish(kInterface));
  EXPECT_FALSE(transport.Unpublish(kInterface));
  pending[0](MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].result->error, nullptr);
  Call("keep");
  ExpectErrorSince(1, kNotFound, MessageIds::kUnknownInterface, {kInterface});
  EXPECT_EQ(pending.size(), 1u);
}

// Records the activations an API stub hands to its provider.
class RecordingProvider : public ApiProvider {
 public:
  void InvokeAsync(const std::shared_ptr<const MethodIdentifier>&, const DataValuePtr& input,
                   const std::shared_ptr<AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override {
    activations.push_back(activation);
    callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
  }
  std::vector<std::shared_ptr<AsyncActivation>> activations;
};

TEST(AsyncApiStub, CallWithoutActivationGetsAFreshCopyOfTheDefaultOneAndAGivenOneAsIs) {
  const auto defaults = std::make_shared<AsyncActivation>();
  defaults->context->applicationContext["app"] = "stats";
  defaults->localizer = std::make_shared<L10n::Localizer>();
  defaults->sequence = 9;
  const auto provider = std::make_shared<RecordingProvider>();
  const Stub::AsyncApiStub stub(provider, defaults);
  const auto given = std::make_shared<AsyncActivation>();
  for (const auto& activation :
       {std::shared_ptr<AsyncActivation>(), std::shared_ptr<AsyncActivation>(), given}) {
    stub.Invoke(Method("get"), nullptr, activation,
                AsyncApiResultCb([](const std::shared_ptr<const MethodResult>&, const Progress&,
                                    AsyncApiResultCb::Continuation&&) {}));
  }
  ASSERT_EQ(provider->activations.size(), 3u);
  const auto& first = provider->activations[0];
  const auto& second = provider->activations[1];
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  for (const auto& copy : {first, second}) {
    EXPECT_NE(copy->context, defaults->context);
    EXPECT_EQ(copy->context->applicationContext, defaults->context->applicationContext);
    EXPECT_EQ(copy->localizer, defaults->localizer);
    EXPECT_EQ(copy->sequence, 0u);
  }
  first->context->applicationContext["app"] = "changed";
  EXPECT_EQ(defaults->context->applicationContext.at("app"), "stats");
  EXPECT_EQ(provider->activations[2], given);
  EXPECT_EQ(stub.GetDefaultActivation(), defaults);
}

}  // namespace
}  // namespace Core
}  // namespace Jorv
