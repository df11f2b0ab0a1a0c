#include "framework/remote/remote_api_provider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "framework/core/value_ops.h"
#include "framework/remote/remote_support.h"
#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {
namespace {

using Data::DataValuePtr;

class RemoteCalls : public RemoteFixture {
 protected:
  RemoteCalls() {
    Serve();
    client_ = Connect();
  }
  std::shared_ptr<Inbox> Call(const std::string& method, Value input = nullptr,
                              Activation activation = nullptr) {
    return RemoteFixture::Call(client_, method, std::move(input), std::move(activation));
  }

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

  auto progress = Call("progress");
  EXPECT_EQ(progress->Await(1).result, nullptr);
  EXPECT_EQ(progress->Await(1).progress, (Progress{0, 1, 3}));
  EXPECT_EQ(progress->Await(2).progress, (Progress{0, 2, 3}));
  const auto failed = progress->Await(3);
  EXPECT_EQ(ErrorName(failed), kNotFound);
  EXPECT_EQ(FirstMessage(failed), BaseMessage("q.unknown", "No q.", {"q"}));
  EXPECT_EQ(failed.progress, Progress::Completion());

  const auto unknown = Call("missing")->Await(1);
  EXPECT_EQ(ErrorName(unknown), kNotFound);
  EXPECT_EQ(FirstMessage(unknown).GetId(), MessageIds::kUnknownMethod);

  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(echo->Count(), 1u);
  EXPECT_EQ(progress->Count(), 3u);
}

TEST_F(RemoteCalls, StreamsAskForMoreOnlyWhenAskedAndADroppedContinuationStopsThem) {
  auto stream = Call("stream");
  for (std::size_t i = 1; i <= 2; ++i) {
    const auto item = stream->Await(i);
    ASSERT_TRUE(item.next);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Held(), i - 1) << "the provider was asked for more unasked";
    item.next(stream->Receiver());
    ASSERT_TRUE(Eventually([&] { return Held() == i; }));
    if (i == 1) Item(held_.back());
  }
  held_.back()(Core::MethodResult::Create(nullptr, nullptr), Progress::Completion(), nullptr);
  const auto end = stream->Await(3);
  ASSERT_TRUE(end.result);
  EXPECT_FALSE(end.result->output || end.result->error || end.next);
  {
    auto dropped = Call("stream");
    dropped->Await(1);
  }  // the inbox and with it the last copy of the continuation go
  EXPECT_TRUE(Eventually([&] { return stops_.load() == 1; }));
  EXPECT_EQ(stream->Count(), 3u);
}

TEST_F(RemoteCalls, AMillionDeepValueCrossesBothWays) {
  DataValuePtr deep = Int(1);
  for (int i = 0; i < 1000000; ++i) deep = Some(deep);
  const auto echoed = Call("mirror", deep)->Await(1, std::chrono::seconds(60));
  ASSERT_TRUE(echoed.result) << ErrorName(echoed);
  EXPECT_TRUE(Data::Equals(echoed.result->output, deep));
}

}  // namespace
}  // namespace Testing
}  // namespace Jorv
