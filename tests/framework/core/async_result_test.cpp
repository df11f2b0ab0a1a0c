#include "framework/core/async_result.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/api_result_cb.h"
#include "framework/core/async_api_method.h"
#include "support/service_client.h"

namespace Jorv {
namespace {

using Core::AsyncApiResultCb;
using Core::MethodResult;
using Data::ErrorValue;
using Data::NativeError;
using Testing::Client;

constexpr Progress kCompletion{0, 1, 1};

TEST(AsyncResult, EachCompletionReachesTheShortFormWhenSetElseTheLongForm) {
  const auto error = ErrorValue::GetInstance("com.example.errors.failed");
  const NativeError native{"com.example.errors.native", {BaseMessage("m.id", "text", {"a"})}};
  Client<int> client;
  client.Result()(7);
  client.Result().error(error);
  client.LongResult()(8);
  client.LongResult().error(error);
  client.LongResult().error(native);
  client.LongResult().Complete(3, nullptr, boost::none, {1, 4, 9});
  // With both forms set the short one is called, which has no slot for a native error.
  AsyncResult<int>(
      [&](const boost::optional<int>& output, const std::shared_ptr<const ErrorValue>& e,
          const Progress& progress) {
        client.calls.push_back({false, output, e, {}, progress});
      },
      [](const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&,
         const boost::optional<NativeError>&, const Progress&) { ADD_FAILURE(); })
      .error(native);
  ASSERT_EQ(client.calls.size(), 7u);
  const auto& c = client.calls;
  EXPECT_TRUE(!c[0].longForm && c[0].output == 7 && !c[0].error && c[0].progress == kCompletion);
  EXPECT_TRUE(!c[1].longForm && !c[1].output && c[1].error == error &&
              c[1].progress == kCompletion);
  EXPECT_TRUE(c[2].longForm && c[2].output == 8 && !c[2].nativeError);
  EXPECT_TRUE(c[3].longForm && c[3].error == error && !c[3].nativeError);
  EXPECT_TRUE(c[4].longForm && !c[4].output && !c[4].error && c[4].progress == kCompletion);
  ASSERT_TRUE(c[4].nativeError);
  EXPECT_EQ(c[4].nativeError->name, native.name);
  EXPECT_EQ(c[4].nativeError->messages, native.messages);
  EXPECT_TRUE(c[5].output == 3 && c[5].progress == (Progress{1, 4, 9}));
  EXPECT_TRUE(!c[6].longForm && !c[6].output && !c[6].error);
}

TEST(AsyncResult, ProgressThrowingCallbacksAndCopiesLeaveItArmed) {
  std::vector<std::pair<boost::optional<int>, Progress>> calls;
  int throwsLeft = 1;
  const AsyncResult<int> result([&](const boost::optional<int>& output,
                                    const std::shared_ptr<const ErrorValue>&,
                                    const Progress& progress) {
    calls.emplace_back(output, progress);
    if (output && throwsLeft-- > 0) throw std::runtime_error("receiver busy");
  });
  const AsyncResult<int> copy = result;
  result.ReportProgress({0, 0, 2});
  EXPECT_THROW(result(1), std::runtime_error);
  result(2);
  copy(3);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], std::make_pair(boost::optional<int>(), Progress{0, 0, 2}));
  EXPECT_EQ(calls[1].first, 1);
  EXPECT_EQ(calls[2].first, 2);
  EXPECT_EQ(calls[3], std::make_pair(boost::optional<int>(3), kCompletion));

  for (const AsyncResult<int>& none :
       {AsyncResult<int>(), AsyncResult<int>::FromLongForm(nullptr)}) {
    // A disarmed result would end the process on the second call instead of throwing.
    EXPECT_THROW(none(1), std::bad_function_call);
    EXPECT_THROW(none.error(NativeError{"e", {}}), std::bad_function_call);
    EXPECT_THROW(none.ReportProgress({0, 0, 1}), std::bad_function_call);
    EXPECT_FALSE(none.HasShortForm() || none.HasLongForm());
  }
}

TEST(AsyncResultDeathTest, ASecondCompletionEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Client<int> client;
  const AsyncResult<int> shortForm = client.Result();
  shortForm(1);
  EXPECT_DEATH(shortForm(2), "");
  EXPECT_DEATH(shortForm.ReportProgress({0, 0, 1}), "");
  const AsyncResult<int> copyOfSpent = shortForm;
  EXPECT_DEATH(copyOfSpent.error(ErrorValue::GetInstance("e")), "");
  const AsyncResult<int> longForm = client.LongResult();
  longForm.error(NativeError{"e", {}});
  EXPECT_DEATH(longForm(4), "");
  EXPECT_EQ(client.calls.size(), 2u);
}

struct Delivery {
  std::shared_ptr<const MethodResult> result;
  Progress progress;
};

TEST(AsyncApiResultCb, ProgressLeavesItArmedAndAResultSpendsEveryCopyBeforeItRuns) {
  std::vector<Delivery> deliveries;
  std::unique_ptr<AsyncApiResultCb> self;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const MethodResult>& result,
                                      const Progress& progress, AsyncApiResultCb::Continuation&&) {
    deliveries.push_back({result, progress});
    if (!result) return;
    EXPECT_FALSE(self->IsArmed());
    EXPECT_THROW((*self)(result, kCompletion, nullptr), std::bad_function_call);
    throw std::runtime_error("receiver failed");
  });
  self = std::make_unique<AsyncApiResultCb>(callback);
  const auto final = MethodResult::Create(nullptr, nullptr);
  callback(nullptr, {0, 0, 2}, nullptr);
  (*self)(nullptr, {0, 1, 2}, nullptr);
  EXPECT_TRUE(callback.IsArmed());
  EXPECT_THROW((*self)(final, kCompletion, nullptr), std::runtime_error);
  EXPECT_FALSE(callback.IsArmed());
  EXPECT_THROW(callback(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
  ASSERT_EQ(deliveries.size(), 3u);
  EXPECT_EQ(deliveries[1].progress, (Progress{0, 1, 2}));
  EXPECT_EQ(deliveries[2].result, final);
  for (const AsyncApiResultCb& empty :
       {AsyncApiResultCb(), AsyncApiResultCb(AsyncApiResultCb::Function())}) {
    EXPECT_FALSE(empty.IsArmed());
    EXPECT_THROW(empty(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
  }
}

// A receiver that owns a token (so a test sees when it dies) and runs a test's hook inside each
// delivery.
struct HookedReceiver {
  std::shared_ptr<int> token;
  int* deliveries = nullptr;
  std::function<void()>* hook = nullptr;
  void operator()(const std::shared_ptr<const MethodResult>&, const Progress&,
                  AsyncApiResultCb::Continuation&&) const {
    ++*deliveries;
    if (*hook) (*hook)();
    // Still readable after the hook: the receiver must not live in state the hook destroyed.
    EXPECT_TRUE(token);
  }
};

TEST(AsyncApiResultCb, ReceiverOutlivesAFinalDeliveryThatDropsTheLastCopyAndDiesAfterIt) {
  for (const bool direct : {true, false}) {
    int deliveries = 0;
    std::function<void()> hook;
    HookedReceiver receiver{std::make_shared<int>(0), &deliveries, &hook};
    const std::weak_ptr<int> alive = receiver.token;
    auto callback = std::make_unique<AsyncApiResultCb>(
        direct ? AsyncApiResultCb(receiver)
               : AsyncApiResultCb(AsyncApiResultCb::Function(receiver)));
    receiver.token.reset();
    (*callback)(nullptr, {0, 0, 2}, nullptr);
    bool aliveDuringFinal = false;
    hook = [&] {
      callback.reset();
      aliveDuringFinal = !alive.expired();
    };
    const AsyncApiResultCb* const raw = callback.get();
    (*raw)(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
    EXPECT_TRUE(aliveDuringFinal) << direct;
    EXPECT_TRUE(alive.expired()) << direct;
    EXPECT_EQ(deliveries, 2);
  }
}

TEST(ProviderResultCb, OnlyAReportWithOutputOrErrorSpendsEveryCopy) {
  using ResultCb = Provider::AsyncApiMethod::ResultCb;
  int reports = 0;
  const ResultCb::Function count = [&](const boost::optional<Data::DataValuePtr>&,
                                       const std::shared_ptr<const ErrorValue>&, const Progress&,
                                       ResultCb::Continuation&&) { ++reports; };
  const auto output = boost::optional<Data::DataValuePtr>(Data::DataValue::Create(1LL));
  const ResultCb byOutput(count);
  const ResultCb copy = byOutput;
  byOutput(boost::none, nullptr, kCompletion, nullptr);
  EXPECT_TRUE(copy.IsArmed());
  byOutput(output, nullptr, kCompletion, nullptr);
  EXPECT_FALSE(copy.IsArmed());
  EXPECT_THROW(copy(boost::none, nullptr, {0, 0, 2}, nullptr), std::bad_function_call);
  const ResultCb byError(count);
  byError(boost::none, ErrorValue::GetInstance("e"), kCompletion, nullptr);
  EXPECT_FALSE(byError.IsArmed());
  EXPECT_EQ(reports, 3);
}

}  // namespace
}  // namespace Jorv
