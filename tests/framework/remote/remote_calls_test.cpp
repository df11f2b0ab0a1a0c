#include "framework/remote/remote_api_provider.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "framework/core/standard_names.h"
#include "framework/core/value_ops.h"
#include "framework/remote/remote_support.h"
#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {
namespace {

using Core::AsyncApiResultCb;
using Core::MethodResult;
using Data::DataValuePtr;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

// A stream of three integers, one per request, that counts the stops it receives.
struct CountingStream {
  std::atomic<int> stops{0};

  void Serve(const AsyncApiResultCb& to, int i) {
    if (i == 3) return to(MethodResult::Create(nullptr, nullptr), Progress::Completion(), nullptr);
    to(Output(Int(i)), Progress::Completion(), [this, i](std::shared_ptr<AsyncApiResultCb> next) {
      if (!next) return void(stops.fetch_add(1));
      Serve(*next, i + 1);
    });
  }
};

class RemoteCalls : public RemoteFixture {
 protected:
  RemoteCalls() {
    Publish(
        {{"echo",
          [](const DataValuePtr& input, const std::shared_ptr<Core::AsyncActivation>& a,
             const AsyncApiResultCb& cb) {
            const auto& languages = a->localeSpec->GetLanguages();
            cb(Output(Struct("echo", {{"input", input},
                                      {"app", Str(a->context->applicationContext.at("user"))},
                                      {"secret", Str(a->context->securityContext.at("role"))},
                                      {"language", Str(languages.at(1).GetTag())},
                                      {"zone", Str(a->localeSpec->GetTimezone().GetZoneName())}})),
               Progress::Completion(), nullptr);
          }},
         {"mirror",
          [](const DataValuePtr& input, const std::shared_ptr<Core::AsyncActivation>&,
             const AsyncApiResultCb& cb) { cb(Output(input), Progress::Completion(), nullptr); }},
         {"fail",
          [](const DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
             const AsyncApiResultCb& cb) {
            cb(MethodResult::Create(
                   nullptr,
                   Data::ErrorValue::Create(kNotFound, {BaseMessage("q.unknown", "No q.", {"q"})})),
               Progress::Completion(), nullptr);
          }},
         {"progress",
          [](const DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
             const AsyncApiResultCb& cb) {
            cb(nullptr, Progress{0, 1, 3}, nullptr);
            cb(nullptr, Progress{0, 2, 3}, nullptr);
            cb(Output(Str("done")), Progress::Completion(), nullptr);
          }},
         {"stream", [this](const DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
                           const AsyncApiResultCb& cb) { stream_.Serve(cb, 0); }}});
    Serve();
    client_ = Connect();
  }

  std::shared_ptr<Inbox> Call(const std::string& method, DataValuePtr input = nullptr,
                              std::shared_ptr<Core::AsyncActivation> activation = nullptr) {
    auto inbox = std::make_shared<Inbox>();
    client_->InvokeAsync(Method(method), input,
                         activation ? activation : std::make_shared<Core::AsyncActivation>(),
                         inbox->Callback());
    return inbox;
  }

  CountingStream stream_;
  std::shared_ptr<Remote::RemoteApiProvider> client_;
};

TEST_F(RemoteCalls, CallsCarryInputActivationAndEveryKindOfReport) {
  auto activation = std::make_shared<Core::AsyncActivation>();
  activation->context->applicationContext["user"] = "ada";
  activation->context->securityContext["role"] = std::string("ad\0min", 6);
  activation->localeSpec = std::make_shared<L10n::LocaleSpec>(
      std::vector<L10n::LanguagePreference>{L10n::LanguagePreference("de_CH"),
                                            L10n::LanguagePreference("fr")},
      L10n::TimezoneSpec("Europe/Zurich"));
  const DataValuePtr input = Struct("in", {{"n", Int(7)}, {"o", Unset()}});
  auto echo = Call("echo", input, activation);
  const auto echoed = echo->Await(1);
  ASSERT_TRUE(echoed.result && echoed.result->output);
  EXPECT_TRUE(Data::Equals(echoed.result->output,
                           Struct("echo", {{"input", input},
                                           {"app", Str("ada")},
                                           {"secret", Str(std::string("ad\0min", 6))},
                                           {"language", Str("fr")},
                                           {"zone", Str("Europe/Zurich")}})))
      << ToText(echoed.result->output);
  EXPECT_EQ(echoed.progress, Progress::Completion());
  EXPECT_FALSE(echoed.next);

  const auto failed = Call("fail")->Await(1);
  EXPECT_EQ(ErrorName(failed), kNotFound);
  EXPECT_EQ(FirstMessage(failed), BaseMessage("q.unknown", "No q.", {"q"}));

  auto progress = Call("progress");
  EXPECT_EQ(progress->Await(1).result, nullptr);
  EXPECT_EQ(progress->Await(1).progress, (Progress{0, 1, 3}));
  EXPECT_EQ(progress->Await(2).progress, (Progress{0, 2, 3}));
  EXPECT_TRUE(Data::Equals(progress->Await(3).result->output, Str("done")));

  const auto unknown = Call("missing")->Await(1);
  EXPECT_EQ(ErrorName(unknown), kNotFound);
  EXPECT_EQ(FirstMessage(unknown).GetId(), MessageIds::kUnknownMethod);

  for (auto* inbox : {echo.get(), progress.get()}) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(inbox->Count(), inbox == echo.get() ? 1u : 3u);
  }
}

TEST_F(RemoteCalls, StreamsReportOnlyWhenAskedAndADroppedContinuationStopsThem) {
  auto whole = Call("stream");
  for (std::size_t i = 1; i <= 3; ++i) {
    const auto item = whole->Await(i);
    ASSERT_TRUE(item.next);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(whole->Count(), i) << "a report came unasked";
    item.next(whole->Receiver());
  }
  const auto end = whole->Await(4);
  ASSERT_TRUE(end.result);
  EXPECT_FALSE(end.result->output || end.result->error || end.next);
  {
    auto dropped = Call("stream");
    dropped->Await(1);
  }  // the inbox and with it the last copy of the continuation go
  EXPECT_TRUE(Eventually([&] { return stream_.stops.load() == 1; }));
}

TEST_F(RemoteCalls, AMillionDeepValueCrossesBothWays) {
  DataValuePtr deep = Int(1);
  for (int i = 0; i < 1000000; ++i) deep = Some(deep);
  const auto start = std::chrono::steady_clock::now();
  const auto echoed = Call("mirror", deep)->Await(1, std::chrono::seconds(60));
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(echoed.result) << ErrorName(echoed);
  EXPECT_TRUE(Data::Equals(echoed.result->output, deep));
  RecordProperty(
      "million_deep_round_trip_ms",
      std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

}  // namespace
}  // namespace Testing
}  // namespace Jorv
