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
#include "framework/core/value_ops.h"
#include "support/body_method.h"
#include "support/service_client.h"

namespace Jorv {
namespace Core {
namespace {

using Data::DataValuePtr;
using Testing::Body;
using Testing::Summary;

constexpr char kInterface[] = "com.example.test";
constexpr Progress kCompletion{0, 1, 1};

using FakeMethod = Testing::BodyMethod;

std::shared_ptr<const MethodIdentifier> Method(const std::string& name,
                                               const std::string& interfaceName = kInterface) {
  return MethodIdentifier::GetInstance(InterfaceIdentifier::GetInstance(interfaceName), name);
}

// A transport with interfaces of test methods, and each delivery of the calls made on it in one
// line: "progress <current>", "output <n>" or the error's summary.
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
  AsyncApiResultCb Recording() {
    return AsyncApiResultCb([this](const std::shared_ptr<const MethodResult>& result,
                                   const Progress& progress, AsyncApiResultCb::Continuation&&) {
      if (!result) return deliveries.push_back("progress " + std::to_string(progress.current));
      EXPECT_EQ(progress, kCompletion);
      deliveries.push_back(result->output ? "output " + Data::ToText(result->output)
                                          : Summary(result->error));
    });
  }
  void Call(const std::string& method, const std::string& interfaceName = kInterface) {
    transport.InvokeAsync(Method(method, interfaceName), Data::DataValue::Create(5LL), nullptr,
                          Recording());
  }

  InProcessApiProvider transport;
  std::vector<std::string> deliveries;
};

const Body kEcho = [](const DataValuePtr& input, const std::shared_ptr<AsyncActivation>&,
                      const AsyncApiResultCb& callback) {
  callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
};
Body Throwing(std::function<void(const AsyncApiResultCb&)> before, std::function<void()> thrower) {
  return [before, thrower](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                           const AsyncApiResultCb& callback) {
    if (before) before(callback);
    thrower();
  };
}

TEST_F(Transport, RoutesByInterfaceAndMethodAndAnswersWhatItCannotServe) {
  std::vector<AsyncApiResultCb> pending;
  Publish({{"old", kEcho}});  // replaced by the next publication under the same name
  Publish(
      {{"echo", kEcho},
       {"keep", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                    const AsyncApiResultCb& callback) { pending.push_back(callback); }},
       {"odd", Throwing(nullptr, [] { throw 42; })},
       {"progress-then-explode", Throwing(
                                     [](const AsyncApiResultCb& c) {
                                       c(nullptr, {0, 0, 2}, nullptr);
                                     },
                                     [] { throw std::runtime_error("half way"); })},
       {"answer-then-explode",
        Throwing([](const AsyncApiResultCb& c) { kEcho(Data::DataValue::Create(1LL), nullptr, c); },
                 [] { throw std::runtime_error("late"); })}});
  for (const char* method :
       {"echo", "old", "odd", "progress-then-explode", "answer-then-explode", "keep"}) {
    Call(method);
  }
  Call("echo", "com.example.missing");
  // A call in flight still finishes after its interface is withdrawn.
  EXPECT_TRUE(transport.Unpublish(kInterface));
  EXPECT_FALSE(transport.Unpublish(kInterface));
  Call("echo");
  ASSERT_EQ(pending.size(), 1u);
  pending[0](MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
  const std::string kFailed =
      "com.zentak.jorv.std.errors.internal_server_error jorv.core.method.failed(com.example.test/";
  const std::string kNotFound = "com.zentak.jorv.std.errors.not_found ";
  EXPECT_EQ(deliveries,
            (std::vector<std::string>{
                "output 5", kNotFound + "jorv.core.unknown.method(old, com.example.test)",
                kFailed + "odd, unknown exception)", "progress 0",
                kFailed + "progress-then-explode, half way)", "output 1",
                kNotFound + "jorv.core.unknown.interface(com.example.missing)",
                kNotFound + "jorv.core.unknown.interface(com.example.test)", "none"}));
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

TEST_F(Transport, TheMethodGetsItsOwnCopyOfTheCallersActivation) {
  std::shared_ptr<AsyncActivation> seen;
  Publish({{"write", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>& activation,
                         const AsyncApiResultCb&) {
              seen = activation;
              EXPECT_EQ(activation->context->applicationContext.at("tenant"), "a");
              activation->localizer = nullptr;
              activation->context->applicationContext["tenant"] = "b";
            }}});
  const auto caller = std::make_shared<AsyncActivation>();
  caller->context->applicationContext["tenant"] = "a";
  caller->localizer = std::make_shared<L10n::Localizer>();
  caller->localeSpec = std::make_shared<L10n::LocaleSpec>();
  caller->sequence = 7;
  const auto localizer = caller->localizer;
  transport.InvokeAsync(Method("write"), nullptr, caller, AsyncApiResultCb());
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->localeSpec, caller->localeSpec);
  EXPECT_EQ(seen->sequence, 0u);
  EXPECT_EQ(caller->localizer, localizer);
  EXPECT_EQ(caller->context->applicationContext.at("tenant"), "a");
}

TEST(AsyncApiStub, ACallWithoutActivationGetsAFreshCopyOfTheDefaultOne) {
  struct Provider : ApiProvider {
    void InvokeAsync(const std::shared_ptr<const MethodIdentifier>&, const DataValuePtr&,
                     const std::shared_ptr<AsyncActivation>& activation,
                     const AsyncApiResultCb&) override {
      activations.push_back(activation);
    }
    std::vector<std::shared_ptr<AsyncActivation>> activations;
  };
  const auto defaults = std::make_shared<AsyncActivation>();
  defaults->context->applicationContext["app"] = "stats";
  defaults->sequence = 9;
  const auto provider = std::make_shared<Provider>();
  const Stub::AsyncApiStub stub(provider, defaults);
  const auto given = std::make_shared<AsyncActivation>();
  for (const auto& activation : {std::shared_ptr<AsyncActivation>(), given}) {
    stub.Invoke(Method("get"), nullptr, activation, AsyncApiResultCb());
  }
  ASSERT_EQ(provider->activations.size(), 2u);
  const auto& copy = provider->activations[0];
  EXPECT_NE(copy->context, defaults->context);
  EXPECT_EQ(copy->context->applicationContext, defaults->context->applicationContext);
  EXPECT_EQ(copy->sequence, 0u);
  EXPECT_EQ(provider->activations[1], given);
}

}  // namespace
}  // namespace Core
}  // namespace Jorv
