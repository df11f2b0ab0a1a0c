#include "framework/core/in_process_transport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/api_stub.h"
#include "framework/core/value_ops.h"
#include "support/body_method.h"
#include "support/service_client.h"

namespace Jorv::Core {
namespace {

using Testing::Body;

constexpr char kInterface[] = "com.example.test";
constexpr Progress kCompletion{0, 1, 1};

std::shared_ptr<const MethodIdentifier> Method(const std::string& name,
                                               const std::string& interfaceName = kInterface) {
  return MethodIdentifier::GetInstance(InterfaceIdentifier::GetInstance(interfaceName), name);
}

// A transport that serves test methods under kInterface.
class Transport : public testing::Test {
 protected:
  void Publish(std::list<std::pair<std::string, Body>> methods) {
    std::list<std::shared_ptr<const Provider::AsyncApiMethod>> published;
    for (auto& [name, body] : methods) {
      published.push_back(std::make_shared<Testing::BodyMethod>(name, body));
    }
    transport->Publish(Provider::AsyncApiInterface::GetInstance(
        InterfaceIdentifier::GetInstance(kInterface), published));
  }

  const std::shared_ptr<InProcessApiProvider> transport = std::make_shared<InProcessApiProvider>();
};

const Body kEcho = [](const Data::DataValuePtr& input, const auto&,
                      const AsyncApiResultCb& callback) {
  callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
};

// A method that throws fails its call, after what it reported; that a throw after the answer
// changes nothing, the exactly-once schedule (concurrency tests) shows.
TEST_F(Transport, RoutesByInterfaceAndMethodAndAnswersWhatItCannotServe) {
  Publish({{"old", kEcho}});  // replaced by the next publication under the same name
  Publish({{"echo", kEcho},
           {"odd", [](auto&&...) { throw 42; }},
           {"explode", [](const auto&, const auto&, const AsyncApiResultCb& callback) {
              callback(nullptr, {0, 0, 2}, nullptr);
              throw std::runtime_error("half way");
            }}});
  // Each delivery in one line: "progress <current>", "output <value>" or the error's summary.
  std::vector<std::string> deliveries;
  const auto call = [&](const std::string& method, const std::string& interfaceName) {
    transport->InvokeAsync(
        Method(method, interfaceName), Data::DataValue::Create(5LL), nullptr,
        AsyncApiResultCb([&](const std::shared_ptr<const MethodResult>& result,
                             const Progress& progress, AsyncApiResultCb::Continuation&&) {
          if (!result) return deliveries.push_back("progress " + std::to_string(progress.current));
          EXPECT_EQ(progress, kCompletion);
          deliveries.push_back(result->output ? "output " + Data::ToText(result->output)
                                              : Testing::Summary(result->error));
        }));
  };
  for (const char* method : {"echo", "old", "odd", "explode"}) call(method, kInterface);
  call("echo", "com.example.missing");
  EXPECT_TRUE(transport->Unpublish(kInterface));
  EXPECT_FALSE(transport->Unpublish(kInterface));
  call("echo", kInterface);
  const std::string kFailed =
      "com.zentak.jorv.std.errors.internal_server_error jorv.core.method.failed(com.example.test/";
  const std::string kNotFound = "com.zentak.jorv.std.errors.not_found jorv.core.unknown.";
  EXPECT_EQ(deliveries,
            (std::vector<std::string>{"output 5", kNotFound + "method(old, com.example.test)",
                                      kFailed + "odd, unknown exception)", "progress 0",
                                      kFailed + "explode, half way)",
                                      kNotFound + "interface(com.example.missing)",
                                      kNotFound + "interface(com.example.test)"}));
}

TEST_F(Transport, DeliveriesOfOneCallNeverOverlapAndAThrowingClientKeepsItsFailure) {
  std::vector<AsyncApiResultCb> providerSide;
  Publish({{"slow", [&](const auto&, const auto&, const AsyncApiResultCb& callback) {
              providerSide.push_back(callback);
              EXPECT_NO_THROW(callback(nullptr, {0, 0, 2}, nullptr));
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
  EXPECT_NO_THROW(transport->InvokeAsync(Method("slow"), nullptr, nullptr, client));
  EXPECT_EQ(events,
            (std::vector<std::string>{"progress 0 begins", "progress 0 ends", "progress 1 begins",
                                      "progress 1 ends", "final begins", "final ends"}));
  EXPECT_FALSE(client.IsArmed());
}

// Called directly with the caller's activation, or through a stub without one (which sends a
// copy of its default), the method works on a copy of its own.
TEST_F(Transport, TheMethodWorksOnItsOwnCopyOfTheActivation) {
  std::vector<std::shared_ptr<AsyncActivation>> seen;
  Publish(
      {{"write", [&](const auto&, const std::shared_ptr<AsyncActivation>& activation, const auto&) {
          seen.push_back(activation);
          EXPECT_EQ(activation->context->applicationContext.at("tenant"), "a");
          activation->context->applicationContext["tenant"] = "b";
        }}});
  const auto caller = std::make_shared<AsyncActivation>();
  caller->context->applicationContext["tenant"] = "a";
  caller->localeSpec = std::make_shared<L10n::LocaleSpec>();
  caller->sequence = 7;
  transport->InvokeAsync(Method("write"), nullptr, caller, AsyncApiResultCb());
  Stub::AsyncApiStub(transport, caller).Invoke(Method("write"), nullptr, nullptr, {});
  ASSERT_EQ(seen.size(), 2u);
  for (const auto& activation : seen) {
    EXPECT_NE(activation->context, caller->context);
    EXPECT_EQ(activation->localeSpec, caller->localeSpec);
    EXPECT_EQ(activation->sequence, 0u);
  }
  EXPECT_EQ(caller->context->applicationContext.at("tenant"), "a");
}

}  // namespace
}  // namespace Jorv::Core
