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

namespace Jorv {
namespace {

using Data::ErrorValue;
using Data::NativeError;

constexpr Progress kCompletion{0, 1, 1};

// One invocation of a result object's callback, as it arrived.
struct Call {
  bool longForm = false;
  boost::optional<int> output;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<NativeError> nativeError;
  Progress progress;
};

// Hands out callbacks of either form that record every invocation.
class Recorder {
 public:
  AsyncResult<int>::ShortForm Short() {
    return [this](const boost::optional<int>& output,
                  const std::shared_ptr<const ErrorValue>& error, const Progress& progress) {
      calls.push_back({false, output, error, boost::none, progress});
    };
  }
  AsyncResult<int>::LongForm Long() {
    return
        [this](const boost::optional<int>& output, const std::shared_ptr<const ErrorValue>& error,
               const boost::optional<NativeError>& nativeError, const Progress& progress) {
          calls.push_back({true, output, error, nativeError, progress});
        };
  }

  std::vector<Call> calls;
};

TEST(AsyncResult, ShortFormWinsWhenBothAreSet) {
  Recorder recorder;
  const AsyncResult<int> result(recorder.Short(), recorder.Long());
  EXPECT_TRUE(result.HasShortForm());
  EXPECT_TRUE(result.HasLongForm());
  result.ReportProgress({0, 0, 2});
  result.error(NativeError{"com.example.errors.failed", {}});

  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_FALSE(recorder.calls[0].longForm);
  EXPECT_EQ(recorder.calls[0].progress, (Progress{0, 0, 2}));
  // The short form has no slot for a native error: it sees neither output nor error.
  EXPECT_FALSE(recorder.calls[1].longForm);
  EXPECT_FALSE(recorder.calls[1].output);
  EXPECT_EQ(recorder.calls[1].error, nullptr);
  EXPECT_EQ(recorder.calls[1].progress, kCompletion);
}

TEST(AsyncResult, EachCompletionReachesTheFormThatIsSet) {
  const auto error = ErrorValue::GetInstance("com.example.errors.failed");
  const NativeError native{"com.example.errors.native", {BaseMessage("m.id", "text", {"a"})}};

  Recorder shortOnly;
  AsyncResult<int>(shortOnly.Short())(7);
  AsyncResult<int>(shortOnly.Short()).error(error);
  ASSERT_EQ(shortOnly.calls.size(), 2u);
  EXPECT_FALSE(shortOnly.calls[0].longForm);
  EXPECT_EQ(shortOnly.calls[0].output, boost::optional<int>(7));
  EXPECT_EQ(shortOnly.calls[0].error, nullptr);
  EXPECT_EQ(shortOnly.calls[0].progress, kCompletion);
  EXPECT_FALSE(shortOnly.calls[1].output);
  EXPECT_EQ(shortOnly.calls[1].error, error);
  EXPECT_EQ(shortOnly.calls[1].progress, kCompletion);

  Recorder longOnly;
  const auto result = AsyncResult<int>::FromLongForm(longOnly.Long());
  EXPECT_FALSE(result.HasShortForm());
  EXPECT_TRUE(result.HasLongForm());
  AsyncResult<int>::FromLongForm(longOnly.Long())(7);
  AsyncResult<int>::FromLongForm(longOnly.Long()).error(error);
  AsyncResult<int>::FromLongForm(longOnly.Long()).error(native);
  AsyncResult<int>::FromLongForm(longOnly.Long()).Complete(3, nullptr, boost::none, {1, 4, 9});
  ASSERT_EQ(longOnly.calls.size(), 4u);
  for (const Call& call : longOnly.calls) EXPECT_TRUE(call.longForm);
  EXPECT_EQ(longOnly.calls[0].output, boost::optional<int>(7));
  EXPECT_FALSE(longOnly.calls[0].nativeError);
  EXPECT_EQ(longOnly.calls[0].progress, kCompletion);
  EXPECT_EQ(longOnly.calls[1].error, error);
  EXPECT_FALSE(longOnly.calls[1].nativeError);
  EXPECT_FALSE(longOnly.calls[2].output);
  EXPECT_EQ(longOnly.calls[2].error, nullptr);
  ASSERT_TRUE(longOnly.calls[2].nativeError);
  EXPECT_EQ(longOnly.calls[2].nativeError->name, "com.example.errors.native");
  EXPECT_EQ(longOnly.calls[2].nativeError->messages, native.messages);
  EXPECT_EQ(longOnly.calls[2].progress, kCompletion);
  EXPECT_EQ(longOnly.calls[3].output, boost::optional<int>(3));
  EXPECT_EQ(longOnly.calls[3].progress, (Progress{1, 4, 9}));
}

TEST(AsyncResult, WithNeitherFormEveryCallThrowsAndTheResultStaysArmed) {
  for (const AsyncResult<int>& result : {AsyncResult<int>(), AsyncResult<int>(nullptr, nullptr),
                                         AsyncResult<int>::FromLongForm(nullptr)}) {
    // A disarmed result would end the process on the second call instead of throwing.
    EXPECT_THROW(result(1), std::bad_function_call);
    EXPECT_THROW(result.error(ErrorValue::GetInstance("e")), std::bad_function_call);
    EXPECT_THROW(result.error(NativeError{"e", {}}), std::bad_function_call);
    EXPECT_THROW(result.ReportProgress({0, 0, 1}), std::bad_function_call);
    EXPECT_FALSE(result.HasShortForm());
    EXPECT_FALSE(result.HasLongForm());
  }
}

TEST(AsyncResult, ProgressReportsAndThrowingCallbacksLeaveItArmed) {
  Recorder recorder;
  int throwsLeft = 1;
  auto record = recorder.Short();
  const AsyncResult<int> result([&](const boost::optional<int>& output,
                                    const std::shared_ptr<const ErrorValue>& error,
                                    const Progress& progress) {
    record(output, error, progress);
    if (output && throwsLeft-- > 0) throw std::runtime_error("receiver busy");
  });

  result.ReportProgress({0, 0, 2});
  result.ReportProgress({0, 1, 2});
  EXPECT_THROW(result(1), std::runtime_error);
  result(2);

  ASSERT_EQ(recorder.calls.size(), 4u);
  EXPECT_FALSE(recorder.calls[0].output);
  EXPECT_EQ(recorder.calls[0].error, nullptr);
  EXPECT_EQ(recorder.calls[0].progress, (Progress{0, 0, 2}));
  EXPECT_EQ(recorder.calls[1].progress, (Progress{0, 1, 2}));
  EXPECT_EQ(recorder.calls[2].output, boost::optional<int>(1));
  EXPECT_EQ(recorder.calls[3].output, boost::optional<int>(2));
  EXPECT_EQ(recorder.calls[3].progress, kCompletion);
}

TEST(AsyncResult, CopiesCompleteIndependently) {
  Recorder recorder;
  const AsyncResult<int> original(recorder.Short());
  const AsyncResult<int> copy = original;
  original(1);
  copy(2);
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[0].output, boost::optional<int>(1));
  EXPECT_EQ(recorder.calls[1].output, boost::optional<int>(2));
}

TEST(AsyncResultDeathTest, ASecondCompletionEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Recorder recorder;
  const AsyncResult<int> shortForm(recorder.Short());
  shortForm(1);
  EXPECT_DEATH(shortForm(2), "");
  EXPECT_DEATH(shortForm.error(ErrorValue::GetInstance("e")), "");
  EXPECT_DEATH(shortForm.ReportProgress({0, 0, 1}), "");
  // A copy of a spent result is spent too.
  const AsyncResult<int> copyOfSpent = shortForm;
  EXPECT_DEATH(copyOfSpent(3), "");

  const auto longForm = AsyncResult<int>::FromLongForm(recorder.Long());
  longForm.error(NativeError{"e", {}});
  EXPECT_DEATH(longForm.error(NativeError{"e", {}}), "");
  EXPECT_DEATH(longForm(4), "");

  EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST(AsyncResultDeathTest, ACallbackThatThrewIsSpentByItsNextCompletion) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  int calls = 0;
  const AsyncResult<int> result(
      [&](const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&, const Progress&) {
        if (++calls == 1) throw std::runtime_error("first");
      });
  EXPECT_THROW(result(1), std::runtime_error);
  result(2);
  EXPECT_EQ(calls, 2);
  EXPECT_DEATH(result(3), "");
}

// The framework's client callback.
using Core::AsyncApiResultCb;
using Core::MethodResult;

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

TEST(AsyncApiResultCb, NullMethodResultsLeaveItArmedAndAResultSpendsEveryCopy) {
  std::vector<Delivery> deliveries;
  const AsyncApiResultCb callback = Recording(deliveries);
  const AsyncApiResultCb copy = callback;
  const auto final = MethodResult::Create(nullptr, nullptr);

  callback(nullptr, {0, 0, 2}, nullptr);
  copy(nullptr, {0, 1, 2}, nullptr);
  EXPECT_TRUE(callback.IsArmed());
  EXPECT_TRUE(copy.IsArmed());
  copy(final, kCompletion, nullptr);
  EXPECT_FALSE(callback.IsArmed());
  EXPECT_FALSE(copy.IsArmed());
  EXPECT_FALSE(static_cast<bool>(callback));
  EXPECT_THROW(callback(final, kCompletion, nullptr), std::bad_function_call);
  EXPECT_THROW(callback(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
  EXPECT_THROW(copy(final, kCompletion, nullptr), std::bad_function_call);

  ASSERT_EQ(deliveries.size(), 3u);
  EXPECT_EQ(deliveries[0].result, nullptr);
  EXPECT_EQ(deliveries[0].progress, (Progress{0, 0, 2}));
  EXPECT_EQ(deliveries[1].progress, (Progress{0, 1, 2}));
  EXPECT_EQ(deliveries[2].result, final);
  EXPECT_EQ(deliveries[2].progress, kCompletion);
}

TEST(AsyncApiResultCb, EmptyOneThrows) {
  for (const AsyncApiResultCb& empty :
       {AsyncApiResultCb(), AsyncApiResultCb(AsyncApiResultCb::Function())}) {
    EXPECT_FALSE(empty.IsArmed());
    EXPECT_THROW(empty(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
    EXPECT_THROW(empty(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr),
                 std::bad_function_call);
  }
}

TEST(AsyncApiResultCb, IsSpentBeforeItsFinalDeliveryRunsEvenWhenThatThrows) {
  int deliveries = 0;
  std::unique_ptr<AsyncApiResultCb> self;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const MethodResult>& result,
                                      const Progress&, AsyncApiResultCb::Continuation&&) {
    ++deliveries;
    EXPECT_FALSE(self->IsArmed());
    EXPECT_THROW((*self)(result, kCompletion, nullptr), std::bad_function_call);
    throw std::runtime_error("receiver failed");
  });
  self = std::make_unique<AsyncApiResultCb>(callback);
  EXPECT_THROW(callback(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr),
               std::runtime_error);
  EXPECT_FALSE(callback.IsArmed());
  EXPECT_EQ(deliveries, 1);
}

// A receiver object that counts its deliveries, owns a token (so a test sees when it dies) and
// runs a test's hook inside each delivery.
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

TEST(AsyncApiResultCb, ReceiverLivesThroughProgressAndDiesAfterAFinalDeliveryThatDropsTheLastCopy) {
  for (const bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "receiver held directly" : "receiver in a std::function");
    int deliveries = 0;
    std::function<void()> hook;
    HookedReceiver receiver{std::make_shared<int>(0), &deliveries, &hook};
    const std::weak_ptr<int> alive = receiver.token;
    auto callback = std::make_unique<AsyncApiResultCb>(
        direct ? AsyncApiResultCb(receiver)
               : AsyncApiResultCb(AsyncApiResultCb::Function(receiver)));
    receiver.token.reset();

    (*callback)(nullptr, {0, 0, 2}, nullptr);
    EXPECT_FALSE(alive.expired());
    // The final delivery destroys the only copy of the callback, and with it the shared state,
    // while the receiver still runs.
    bool aliveDuringFinal = false;
    hook = [&] {
      callback.reset();
      aliveDuringFinal = !alive.expired();
    };
    const AsyncApiResultCb* const raw = callback.get();
    (*raw)(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
    EXPECT_TRUE(aliveDuringFinal);
    EXPECT_TRUE(alive.expired());
    EXPECT_EQ(deliveries, 2);
  }
}

// The provider-side callback.
using ProviderResultCb = Provider::AsyncApiMethod::ResultCb;

TEST(ProviderResultCb, OnlyAReportWithOutputOrErrorSpendsEveryCopy) {
  int reports = 0;
  const ProviderResultCb::Function count =
      [&](const boost::optional<Data::DataValuePtr>&, const std::shared_ptr<const ErrorValue>&,
          const Progress&, ProviderResultCb::Continuation&&) { ++reports; };
  const auto output = boost::optional<Data::DataValuePtr>(Data::DataValue::Create(1LL));
  const auto error = ErrorValue::GetInstance("com.example.errors.failed");

  const ProviderResultCb byOutput(count);
  const ProviderResultCb copy = byOutput;
  byOutput(boost::none, nullptr, {0, 0, 2}, nullptr);
  byOutput(boost::none, nullptr, kCompletion, nullptr);
  EXPECT_TRUE(copy.IsArmed());
  byOutput(output, nullptr, kCompletion, nullptr);
  EXPECT_FALSE(copy.IsArmed());
  EXPECT_THROW(copy(boost::none, nullptr, {0, 0, 2}, nullptr), std::bad_function_call);
  EXPECT_EQ(reports, 3);

  const ProviderResultCb byError(count);
  byError(boost::none, error, kCompletion, nullptr);
  EXPECT_FALSE(byError.IsArmed());
  EXPECT_THROW(byError(output, nullptr, kCompletion, nullptr), std::bad_function_call);
  EXPECT_EQ(reports, 4);

  const ProviderResultCb empty;
  EXPECT_FALSE(empty.IsArmed());
  EXPECT_THROW(empty(boost::none, nullptr, {0, 0, 2}, nullptr), std::bad_function_call);
  EXPECT_THROW(empty(output, nullptr, kCompletion, nullptr), std::bad_function_call);
}

}  // namespace
}  // namespace Jorv
