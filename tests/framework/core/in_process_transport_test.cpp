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
#include "support/body_method.h"

namespace Jorv {
namespace Core {
namespace {

using Data::DataValuePtr;
using Data::ErrorValue;

constexpr char kInterface[] = "com.example.jorv.test";
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr Progress kCompletion{0, 1, 1};

using Testing::Body;
using FakeMethod = Testing::BodyMethod;

std::shared_ptr<const Provider::AsyncApiInterface> Interface(
    const std::string& name, std::list<std::pair<std::string, Body>> methods) {
  std::list<std::shared_ptr<const Provider::AsyncApiMethod>> published;
  for (auto& method : methods) {
    published.push_back(std::make_shared<FakeMethod>(method.first, std::move(method.second)));
  }
  return Provider::AsyncApiInterface::GetInstance(InterfaceIdentifier::GetInstance(name),
                                                  published);
}

std::shared_ptr<const MethodIdentifier> Method(const std::string& interfaceName,
                                               const std::string& name) {
  return MethodIdentifier::GetInstance(InterfaceIdentifier::GetInstance(interfaceName), name);
}

struct Delivery {
  std::shared_ptr<const MethodResult> result;
  Progress progress;
};

AsyncApiResultCb Recording(std::vector<Delivery>& deliveries) {
  return AsyncApiResultCb([&deliveries](const std::shared_ptr<const MethodResult>& result,
                                        const Progress& progress,
                                        AsyncApiResultCb::Continuation&&) {
    deliveries.push_back({result, progress});
  });
}

// Expects exactly one delivery: a completed result without output whose error is `name` with
// the single message `id` and `args`.
void ExpectOneError(const std::vector<Delivery>& deliveries, const std::string& name,
                    const std::string& id, const std::list<std::string>& args) {
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].progress, kCompletion);
  const auto& result = deliveries[0].result;
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->completed);
  EXPECT_EQ(result->output, nullptr);
  ASSERT_TRUE(result->error);
  EXPECT_EQ(result->error->GetName(), name);
  const std::list<BaseMessage> messages = result->error->GetMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), id);
  EXPECT_EQ(messages.front().GetArgs(), args);
}

const Body kAnswer = [](const DataValuePtr& input, const std::shared_ptr<AsyncActivation>&,
                        const AsyncApiResultCb& callback) {
  callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
};

TEST(InProcessApiProvider, RoutesByInterfaceAndMethodName) {
  std::vector<std::string> reached;
  auto marking = [&](std::string mark) -> Body {
    return [&reached, mark](const DataValuePtr& input, const std::shared_ptr<AsyncActivation>& a,
                            const AsyncApiResultCb& callback) {
      reached.push_back(mark);
      kAnswer(input, a, callback);
    };
  };
  InProcessApiProvider transport;
  transport.Publish(Interface(kInterface, {{"get", marking("test/get")}, {"put", marking("put")}}));
  transport.Publish(Interface("com.example.other", {{"get", marking("other/get")}}));

  const DataValuePtr input = Data::DataValue::Create(5LL);
  std::vector<Delivery> deliveries;
  transport.InvokeAsync(Method("com.example.other", "get"), input, nullptr, Recording(deliveries));
  transport.InvokeAsync(Method(kInterface, "get"), input, nullptr, Recording(deliveries));
  EXPECT_EQ(reached, (std::vector<std::string>{"other/get", "test/get"}));
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[0].result->output, input);
  EXPECT_EQ(deliveries[1].result->output, input);
}

TEST(InProcessApiProvider, UnknownInterfaceOrMethodIsNotFound) {
  InProcessApiProvider transport;
  transport.Publish(Interface(kInterface, {{"get", kAnswer}}));

  std::vector<Delivery> deliveries;
  transport.InvokeAsync(Method("com.example.missing", "get"), nullptr, nullptr,
                        Recording(deliveries));
  ExpectOneError(deliveries, kNotFound, MessageIds::kUnknownInterface, {"com.example.missing"});

  deliveries.clear();
  transport.InvokeAsync(Method(kInterface, "nope"), nullptr, nullptr, Recording(deliveries));
  ExpectOneError(deliveries, kNotFound, MessageIds::kUnknownMethod, {"nope", kInterface});
}

TEST(InProcessApiProvider, MethodThatThrowsIsAnsweredOnceWithInternalServerError) {
  InProcessApiProvider transport;
  transport.Publish(Interface(
      kInterface,
      {{"explode", [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                      const AsyncApiResultCb&) { throw std::runtime_error("store offline"); }},
       {"odd", [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                  const AsyncApiResultCb&) { throw 42; }},
       {"progress-then-explode", [](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                    const AsyncApiResultCb& callback) {
          callback(nullptr, {0, 0, 2}, nullptr);
          throw std::runtime_error("half way");
        }}}));

  std::vector<Delivery> deliveries;
  EXPECT_NO_THROW(transport.InvokeAsync(Method(kInterface, "explode"), nullptr, nullptr,
                                        Recording(deliveries)));
  ExpectOneError(deliveries, Std::kInternalServerError, MessageIds::kMethodFailed,
                 {"com.example.jorv.test/explode", "store offline"});

  deliveries.clear();
  EXPECT_NO_THROW(
      transport.InvokeAsync(Method(kInterface, "odd"), nullptr, nullptr, Recording(deliveries)));
  ExpectOneError(deliveries, Std::kInternalServerError, MessageIds::kMethodFailed,
                 {"com.example.jorv.test/odd", "unknown exception"});

  // A progress report leaves the callback armed, so the failure is still answered.
  deliveries.clear();
  transport.InvokeAsync(Method(kInterface, "progress-then-explode"), nullptr, nullptr,
                        Recording(deliveries));
  ASSERT_EQ(deliveries.size(), 2u);
  EXPECT_EQ(deliveries[0].result, nullptr);
  EXPECT_EQ(deliveries[0].progress, (Progress{0, 0, 2}));
  ExpectOneError({deliveries[1]}, Std::kInternalServerError, MessageIds::kMethodFailed,
                 {"com.example.jorv.test/progress-then-explode", "half way"});
}

TEST(InProcessApiProvider, MethodThatThrowsAfterAnsweringIsNotAnsweredAgain) {
  const auto answer = ErrorValue::GetInstance(kNotFound);
  InProcessApiProvider transport;
  transport.Publish(Interface(
      kInterface,
      {{"answer-then-explode", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                   const AsyncApiResultCb& callback) {
          callback(MethodResult::Create(nullptr, answer), kCompletion, nullptr);
          throw std::runtime_error("late");
        }}}));
  std::vector<Delivery> deliveries;
  EXPECT_NO_THROW(transport.InvokeAsync(Method(kInterface, "answer-then-explode"), nullptr, nullptr,
                                        Recording(deliveries)));
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].result->error, answer);
}

TEST(InProcessApiProvider, DeliveriesOfOneCallNeverOverlap) {
  std::vector<AsyncApiResultCb> providerSide;
  InProcessApiProvider transport;
  transport.Publish(Interface(
      kInterface, {{"slow", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                const AsyncApiResultCb& callback) {
                      providerSide.push_back(callback);
                      callback(nullptr, {0, 0, 2}, nullptr);
                    }}}));

  // The client answers its first progress report by making the provider report again and
  // finish at once, then fails. Those deliveries wait until its callback has returned, still
  // run after the failure, and the failure does not turn into a second answer.
  std::vector<std::string> events;
  const auto final = MethodResult::Create(nullptr, nullptr);
  const AsyncApiResultCb client([&](const std::shared_ptr<const MethodResult>& result,
                                    const Progress& progress, AsyncApiResultCb::Continuation&&) {
    if (result) {
      events.push_back("final");
      return;
    }
    const std::string current = std::to_string(progress.current);
    events.push_back("progress " + current + " begins");
    if (progress.current == 0) {
      providerSide.at(0)(nullptr, {0, 1, 2}, nullptr);
      providerSide.at(0)(final, kCompletion, nullptr);
      events.push_back("progress 0 ends");
      throw std::runtime_error("client failed");
    }
    events.push_back("progress " + current + " ends");
  });
  EXPECT_NO_THROW(transport.InvokeAsync(Method(kInterface, "slow"), nullptr, nullptr, client));
  EXPECT_EQ(events, (std::vector<std::string>{"progress 0 begins", "progress 0 ends",
                                              "progress 1 begins", "progress 1 ends", "final"}));
  EXPECT_FALSE(client.IsArmed());
}

// A client whose callback throws keeps its failure to itself: the provider's report returns
// normally, the method is not answered as failed, and what the provider reports afterwards,
// now or later, reaches the client once.
TEST(InProcessApiProvider, ClientThatThrowsDoesNotEndTheCallOrReachTheProvider) {
  std::vector<AsyncApiResultCb> held;
  int reportsThatThrew = 0;
  InProcessApiProvider transport;
  transport.Publish(Interface(
      kInterface, {{"report", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                                  const AsyncApiResultCb& callback) {
                      try {
                        callback(nullptr, {0, 0, 2}, nullptr);
                      } catch (...) {
                        ++reportsThatThrew;
                      }
                      held.push_back(callback);
                    }}}));
  std::vector<Delivery> deliveries;
  const AsyncApiResultCb client([&](const std::shared_ptr<const MethodResult>& result,
                                    const Progress& progress, AsyncApiResultCb::Continuation&&) {
    deliveries.push_back({result, progress});
    throw std::runtime_error("client failed");
  });

  EXPECT_NO_THROW(transport.InvokeAsync(Method(kInterface, "report"), nullptr, nullptr, client));
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].result, nullptr);
  EXPECT_TRUE(client.IsArmed());

  const auto answer = ErrorValue::GetInstance(kNotFound);
  ASSERT_EQ(held.size(), 1u);
  EXPECT_NO_THROW(held[0](nullptr, {0, 1, 2}, nullptr));
  EXPECT_NO_THROW(held[0](MethodResult::Create(nullptr, answer), kCompletion, nullptr));
  EXPECT_EQ(reportsThatThrew, 0);
  ASSERT_EQ(deliveries.size(), 3u);
  EXPECT_EQ(deliveries[1].progress, (Progress{0, 1, 2}));
  ASSERT_TRUE(deliveries[2].result);
  EXPECT_EQ(deliveries[2].result->error, answer);
  EXPECT_FALSE(client.IsArmed());
}

TEST(InProcessApiProvider, MethodGetsItsOwnCopyOfTheActivation) {
  std::shared_ptr<AsyncActivation> seen;
  std::shared_ptr<L10n::Localizer> localizerOnArrival;
  const auto providerLocalizer = std::make_shared<L10n::Localizer>();
  InProcessApiProvider transport;
  transport.Publish(Interface(
      kInterface,
      {{"write", [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>& activation,
                     const AsyncApiResultCb&) {
          seen = activation;
          localizerOnArrival = activation->localizer;
          activation->localizer = providerLocalizer;
          activation->context->applicationContext["tenant"] = "b";
          activation->context->securityContext["user"] = "x";
        }}}));

  const auto callerLocalizer = std::make_shared<L10n::Localizer>();
  const auto callerLocale = std::make_shared<L10n::LocaleSpec>();
  const auto caller = std::make_shared<AsyncActivation>();
  caller->context->applicationContext["tenant"] = "a";
  caller->localizer = callerLocalizer;
  caller->localeSpec = callerLocale;
  caller->sequence = 7;
  transport.InvokeAsync(Method(kInterface, "write"), nullptr, caller, AsyncApiResultCb());

  ASSERT_TRUE(seen);
  EXPECT_NE(seen, caller);
  EXPECT_NE(seen->context, caller->context);
  EXPECT_EQ(seen->context->applicationContext.at("tenant"), "b");
  EXPECT_EQ(localizerOnArrival, callerLocalizer);
  EXPECT_EQ(seen->localeSpec, callerLocale);
  EXPECT_EQ(seen->sequence, 0u);
  // Nothing written on the provider side reaches the caller's object.
  EXPECT_EQ(caller->localizer, callerLocalizer);
  EXPECT_EQ(caller->localeSpec, callerLocale);
  EXPECT_EQ(caller->sequence, 7u);
  EXPECT_EQ(caller->context->applicationContext,
            (std::map<std::string, std::string>{{"tenant", "a"}}));
  EXPECT_TRUE(caller->context->securityContext.empty());

  seen = nullptr;
  transport.InvokeAsync(Method(kInterface, "write"), nullptr, nullptr, AsyncApiResultCb());
  ASSERT_TRUE(seen);
  ASSERT_TRUE(seen->context);
  EXPECT_EQ(localizerOnArrival, nullptr);
  EXPECT_EQ(seen->localeSpec, nullptr);
}

TEST(InProcessApiProvider, PublishReplacesAndUnpublishStopsServing) {
  std::vector<AsyncApiResultCb> pending;
  const Body keep = [&](const DataValuePtr&, const std::shared_ptr<AsyncActivation>&,
                        const AsyncApiResultCb& callback) { pending.push_back(callback); };
  InProcessApiProvider transport;
  transport.Publish(Interface(kInterface, {{"old", kAnswer}}));
  transport.Publish(Interface(kInterface, {{"keep", keep}}));

  std::vector<Delivery> deliveries;
  transport.InvokeAsync(Method(kInterface, "old"), nullptr, nullptr, Recording(deliveries));
  ExpectOneError(deliveries, kNotFound, MessageIds::kUnknownMethod, {"old", kInterface});

  deliveries.clear();
  transport.InvokeAsync(Method(kInterface, "keep"), nullptr, nullptr, Recording(deliveries));
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_TRUE(transport.Unpublish(kInterface));
  EXPECT_FALSE(transport.Unpublish(kInterface));

  // The call in flight still finishes.
  pending[0](MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].result->error, nullptr);

  deliveries.clear();
  transport.InvokeAsync(Method(kInterface, "keep"), nullptr, nullptr, Recording(deliveries));
  ExpectOneError(deliveries, kNotFound, MessageIds::kUnknownInterface, {kInterface});
  EXPECT_EQ(pending.size(), 1u);
}

// Records what an API stub hands to its provider.
class RecordingProvider : public ApiProvider {
 public:
  void InvokeAsync(const std::shared_ptr<const MethodIdentifier>& method, const DataValuePtr& input,
                   const std::shared_ptr<AsyncActivation>& activation,
                   const AsyncApiResultCb& callback) override {
    methods.push_back(method);
    inputs.push_back(input);
    activations.push_back(activation);
    callback(MethodResult::Create(input, nullptr), kCompletion, nullptr);
  }

  std::vector<std::shared_ptr<const MethodIdentifier>> methods;
  std::vector<DataValuePtr> inputs;
  std::vector<std::shared_ptr<AsyncActivation>> activations;
};

TEST(AsyncApiStub, CallWithoutActivationGetsAFreshCopyOfTheDefault) {
  const auto defaults = std::make_shared<AsyncActivation>();
  defaults->context->applicationContext["app"] = "stats";
  defaults->context->securityContext["token"] = "t";
  defaults->localizer = std::make_shared<L10n::Localizer>();
  defaults->localeSpec = std::make_shared<L10n::LocaleSpec>();
  defaults->sequence = 9;
  const auto originalContext = defaults->context;
  const auto provider = std::make_shared<RecordingProvider>();
  const Stub::AsyncApiStub stub(provider, defaults);

  std::vector<Delivery> deliveries;
  stub.Invoke(Method(kInterface, "get"), nullptr, nullptr, Recording(deliveries));
  stub.Invoke(Method(kInterface, "get"), nullptr, nullptr, Recording(deliveries));
  ASSERT_EQ(provider->activations.size(), 2u);
  EXPECT_EQ(deliveries.size(), 2u);
  const auto& first = provider->activations[0];
  const auto& second = provider->activations[1];
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_NE(first, second);
  for (const auto& copy : {first, second}) {
    EXPECT_NE(copy, defaults);
    EXPECT_NE(copy->context, defaults->context);
    EXPECT_EQ(copy->context->applicationContext, defaults->context->applicationContext);
    EXPECT_EQ(copy->context->securityContext, defaults->context->securityContext);
    EXPECT_EQ(copy->localizer, defaults->localizer);
    EXPECT_EQ(copy->localeSpec, defaults->localeSpec);
    EXPECT_EQ(copy->sequence, 0u);
  }

  first->context->applicationContext["app"] = "changed";
  EXPECT_EQ(second->context->applicationContext.at("app"), "stats");
  EXPECT_EQ(defaults->context, originalContext);
  EXPECT_EQ(defaults->context->applicationContext.at("app"), "stats");
  EXPECT_EQ(defaults->sequence, 9u);
  EXPECT_EQ(stub.GetDefaultActivation(), defaults);
}

TEST(AsyncApiStub, GivenActivationIsPassedOnAsIs) {
  const auto provider = std::make_shared<RecordingProvider>();
  const Stub::AsyncApiStub stub(provider);
  ASSERT_TRUE(stub.GetDefaultActivation());
  const auto method = Method(kInterface, "get");
  const DataValuePtr input = Data::DataValue::Create(3LL);
  const auto activation = std::make_shared<AsyncActivation>();
  std::vector<Delivery> deliveries;
  stub.Invoke(method, input, activation, Recording(deliveries));
  ASSERT_EQ(provider->activations.size(), 1u);
  EXPECT_EQ(provider->activations[0], activation);
  EXPECT_EQ(provider->methods[0], method);
  EXPECT_EQ(provider->inputs[0], input);
  ASSERT_EQ(deliveries.size(), 1u);
  EXPECT_EQ(deliveries[0].result->output, input);
}

}  // namespace
}  // namespace Core
}  // namespace Jorv
