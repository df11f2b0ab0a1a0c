#include "framework/stub/async_result_wrapper.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Stub {
namespace {

using Core::MethodResult;
using Data::ErrorValue;
using Testing::Int;
using Testing::List;
using Testing::Str;

using Names = std::list<std::string>;
using Result = AsyncResult<Names>;
using Wrapper = AsyncResultWrapper::ResultWrapper<Names, Result>;

constexpr Progress kCompletion{0, 1, 1};

struct Call {
  boost::optional<Names> output;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<Data::NativeError> nativeError;
  Progress progress;
};

// A long-form result object recording what it receives.
Result Recording(std::vector<Call>& calls) {
  return Result::FromLongForm(
      [&calls](const boost::optional<Names>& output, const std::shared_ptr<const ErrorValue>& error,
               const boost::optional<Data::NativeError>& nativeError, const Progress& progress) {
        calls.push_back({output, error, nativeError, progress});
      });
}

TEST(ResultWrapper, LongFormNeverReceivesANativeErrorFromTheClientSide) {
  const auto error = ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_found");
  const struct {
    const char* what;
    std::vector<std::shared_ptr<const MethodResult>> deliveries;
  } cases[] = {
      {"progress then output",
       {nullptr, MethodResult::Create(List(1, {Str("a"), Str("b")}), nullptr)}},
      {"error", {MethodResult::Create(nullptr, error)}},
      {"output beside an error", {MethodResult::Create(List(1, {Str("a")}), error)}},
      {"neither", {MethodResult::Create(nullptr, nullptr)}},
      {"unreadable output", {MethodResult::Create(List(1, {Int(3)}), nullptr)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Call> calls;
    const Core::AsyncApiResultCb callback(Wrapper(Recording(calls)));
    for (const auto& delivery : c.deliveries) callback(delivery, {0, 0, 2}, nullptr);
    ASSERT_EQ(calls.size(), c.deliveries.size());
    for (const Call& call : calls) EXPECT_FALSE(call.nativeError);
  }
}

TEST(ResultWrapper, OutputCompletesWithTheCompletionProgressNotTheGivenOne) {
  std::vector<Call> calls;
  const Wrapper wrapper(Recording(calls));
  wrapper(nullptr, {0, 0, 2}, nullptr);
  wrapper(MethodResult::Create(List(1, {Str("a"), Str("b")}), nullptr), {0, 7, 9}, nullptr);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_FALSE(calls[0].output);
  EXPECT_EQ(calls[0].error, nullptr);
  EXPECT_EQ(calls[0].progress, (Progress{0, 0, 2}));
  ASSERT_TRUE(calls[1].output);
  EXPECT_EQ(*calls[1].output, (Names{"a", "b"}));
  EXPECT_EQ(calls[1].error, nullptr);
  EXPECT_EQ(calls[1].progress, kCompletion);
}

TEST(ResultWrapper, ErrorsPassUnchangedAndUnreadableOutputIsBareInvalidArgument) {
  const auto error = ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_found");
  std::vector<Call> calls;
  Wrapper(Recording(calls))(MethodResult::Create(List(1, {Str("a")}), error), {0, 0, 2}, nullptr);
  Wrapper(Recording(calls))(MethodResult::Create(nullptr, nullptr), {0, 0, 2}, nullptr);
  Wrapper(Recording(calls))(MethodResult::Create(List(1, {Int(3)}), nullptr), {0, 0, 2}, nullptr);
  ASSERT_EQ(calls.size(), 3u);
  for (const Call& call : calls) {
    EXPECT_FALSE(call.output);
    EXPECT_EQ(call.progress, kCompletion);
  }
  EXPECT_EQ(calls[0].error, error);
  EXPECT_EQ(calls[1].error, nullptr);
  ASSERT_TRUE(calls[2].error);
  EXPECT_EQ(calls[2].error->GetName(), "invalid_argument");
  const std::list<BaseMessage> messages = calls[2].error->GetMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), MessageIds::kTypeMismatch);
}

TEST(ResultWrapperDeathTest, TheOwnedResultIsSpentByTheFirstCompletion) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  std::vector<Call> calls;
  const Wrapper wrapper(Recording(calls));
  wrapper(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
  EXPECT_DEATH(wrapper(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr), "");
  EXPECT_DEATH(wrapper(nullptr, {0, 0, 2}, nullptr), "");
  EXPECT_EQ(calls.size(), 1u);
}

}  // namespace
}  // namespace Stub
}  // namespace Jorv
