#include "framework/core/async_stream_result.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/optional_ptr.h"

namespace {

using Jorv::MakeOptionalPtr;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;

using StreamResult = Jorv::AsyncStreamResult<int>;
using Continuation = StreamResult::Continuation;

constexpr Progress kCompletion{0, 1, 1};

// One call of a callback, as the callback saw it.
struct Report {
  bool longForm = false;
  boost::optional<int> item;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<NativeError> nativeError;
  Progress progress;
  Continuation next;
};

// Makes stream results whose callbacks record every call they receive.
struct Recorder {
  StreamResult::ShortForm Short() {
    return [this](const boost::optional<int>& item, const std::shared_ptr<const ErrorValue>& error,
                  const Progress& progress, Continuation&& next) {
      reports.push_back({false, item, error, boost::none, progress, std::move(next)});
    };
  }
  StreamResult::LongForm Long() {
    return [this](const boost::optional<int>& item, const std::shared_ptr<const ErrorValue>& error,
                  const boost::optional<NativeError>& nativeError, const Progress& progress,
                  Continuation&& next) {
      reports.push_back({true, item, error, nativeError, progress, std::move(next)});
    };
  }
  StreamResult ShortResult() { return StreamResult(Short()); }
  StreamResult LongResult() { return StreamResult::FromLongForm(Long()); }

  std::vector<Report> reports;
};

// Expects `report` to end the stream without error: no item, no error, no continuation.
void ExpectEnd(const Report& report) {
  EXPECT_FALSE(report.item);
  EXPECT_EQ(report.error, nullptr);
  EXPECT_FALSE(report.nativeError);
  EXPECT_EQ(report.progress, kCompletion);
  EXPECT_FALSE(report.next);
}

TEST(AsyncStreamResult, ReportsToTheShortFormWhenSetAndToTheLongFormOtherwise) {
  Recorder recorder;
  StreamResult both(StreamResult::ResultCb(recorder.Short(), recorder.Long()));
  both.shutdown();
  StreamResult longOnly = recorder.LongResult();
  longOnly.shutdown();

  ASSERT_EQ(recorder.reports.size(), 2u);
  EXPECT_FALSE(recorder.reports[0].longForm);
  EXPECT_TRUE(recorder.reports[1].longForm);
  EXPECT_FALSE(recorder.reports[1].nativeError);
}

TEST(AsyncStreamResult, EveryReportThrowsBadFunctionCallWithoutCallbacks) {
  const StreamResult empty;
  EXPECT_THROW(empty(1), std::bad_function_call);
  EXPECT_THROW(empty(1, [](OptionalPtr<StreamResult>) {}), std::bad_function_call);
  EXPECT_THROW(empty.error(ErrorValue::GetInstance("e")), std::bad_function_call);
  EXPECT_THROW(empty.error(NativeError{"e", {}}), std::bad_function_call);
  EXPECT_THROW(empty.shutdown(), std::bad_function_call);
  EXPECT_THROW(empty.Report(1, nullptr, boost::none, kCompletion, nullptr), std::bad_function_call);
}

TEST(AsyncStreamResult, ResultCbMadeFromAFunctionObjectHoldsItAsTheLongFormOnly) {
  struct Filter {
    void operator()(const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&,
                    const boost::optional<NativeError>&, const Progress&, Continuation&&) {}
  };
  const StreamResult::ResultCb callbacks{Filter()};
  EXPECT_FALSE(callbacks.shortForm);
  EXPECT_NE(callbacks.longForm.target<Filter>(), nullptr);
}

TEST(AsyncStreamResult, LastItemComesWithAContinuationThatShutsDownTheStreamResultHandedToIt) {
  Recorder provider;
  Recorder consumer;
  provider.ShortResult()(7);
  ASSERT_EQ(provider.reports.size(), 1u);
  const Report& last = provider.reports[0];
  EXPECT_EQ(last.item, boost::optional<int>(7));
  EXPECT_EQ(last.error, nullptr);
  EXPECT_EQ(last.progress, kCompletion);
  ASSERT_TRUE(last.next);

  const auto next = MakeOptionalPtr<StreamResult>(consumer.ShortResult());
  last.next(next);
  ASSERT_EQ(consumer.reports.size(), 1u);
  ExpectEnd(consumer.reports[0]);
  // shutdown() keeps the stream result handed over armed.
  next->shutdown();
  EXPECT_EQ(consumer.reports.size(), 2u);

  last.next(OptionalPtr<StreamResult>());
  EXPECT_EQ(consumer.reports.size(), 2u);
  EXPECT_EQ(provider.reports.size(), 1u);
}

TEST(AsyncStreamResult, ItemWithContinuationPassesTheCallersContinuation) {
  Recorder recorder;
  int asked = 0;
  recorder.LongResult()(3, [&asked](OptionalPtr<StreamResult> next) { asked += next ? 10 : 1; });
  ASSERT_EQ(recorder.reports.size(), 1u);
  const Report& report = recorder.reports[0];
  EXPECT_EQ(report.item, boost::optional<int>(3));
  EXPECT_EQ(report.error, nullptr);
  EXPECT_FALSE(report.nativeError);
  EXPECT_EQ(report.progress, kCompletion);
  ASSERT_TRUE(report.next);
  report.next(OptionalPtr<StreamResult>());
  report.next(MakeOptionalPtr<StreamResult>());
  EXPECT_EQ(asked, 11);
}

TEST(AsyncStreamResult, ErrorEndsTheStreamWithTheErrorAndNoContinuation) {
  Recorder recorder;
  const auto error = ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_found");
  recorder.ShortResult().error(error);
  recorder.LongResult().error(NativeError{"com.zentak.jorv.std.errors.canceled", {}});

  ASSERT_EQ(recorder.reports.size(), 2u);
  EXPECT_FALSE(recorder.reports[0].item);
  EXPECT_EQ(recorder.reports[0].error, error);
  EXPECT_EQ(recorder.reports[0].progress, kCompletion);
  EXPECT_FALSE(recorder.reports[0].next);

  EXPECT_FALSE(recorder.reports[1].item);
  EXPECT_EQ(recorder.reports[1].error, nullptr);
  ASSERT_TRUE(recorder.reports[1].nativeError);
  EXPECT_EQ(recorder.reports[1].nativeError->name, "com.zentak.jorv.std.errors.canceled");
  EXPECT_FALSE(recorder.reports[1].next);
}

TEST(AsyncStreamResult, ShutdownStaysArmedAndReportsEachTime) {
  Recorder recorder;
  const StreamResult result = recorder.ShortResult();
  result.shutdown();
  result.shutdown();
  result(5);

  ASSERT_EQ(recorder.reports.size(), 3u);
  ExpectEnd(recorder.reports[0]);
  ExpectEnd(recorder.reports[1]);
  EXPECT_EQ(recorder.reports[2].item, boost::optional<int>(5));
}

TEST(AsyncStreamResult, RawReportPassesItsArgumentsUnchangedAndStaysArmed) {
  Recorder recorder;
  const StreamResult result = recorder.LongResult();
  const auto error = ErrorValue::GetInstance("e");
  result.Report(4, error, NativeError{"n", {}}, Progress{0, 3, 7},
                [](OptionalPtr<StreamResult>) {});
  result.Report(boost::none, nullptr, boost::none, Progress{2, 2, 9}, nullptr);

  ASSERT_EQ(recorder.reports.size(), 2u);
  EXPECT_EQ(recorder.reports[0].item, boost::optional<int>(4));
  EXPECT_EQ(recorder.reports[0].error, error);
  ASSERT_TRUE(recorder.reports[0].nativeError);
  EXPECT_EQ(recorder.reports[0].nativeError->name, "n");
  EXPECT_EQ(recorder.reports[0].progress, (Progress{0, 3, 7}));
  EXPECT_TRUE(recorder.reports[0].next);
  EXPECT_EQ(recorder.reports[1].progress, (Progress{2, 2, 9}));
  EXPECT_FALSE(recorder.reports[1].next);
}

TEST(AsyncStreamResult, DisarmingDestroysTheCallbacksItReplaces) {
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  StreamResult result(StreamResult::ResultCb(
      [held](const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&, const Progress&,
             Continuation&&) {},
      [held](const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&,
             const boost::optional<NativeError>&, const Progress&, Continuation&&) {}));
  held.reset();
  ASSERT_FALSE(watch.expired());
  result(1);
  EXPECT_TRUE(watch.expired());
}

TEST(AsyncStreamResult, ThrowingCallbackLeavesTheResultArmed) {
  int calls = 0;
  const StreamResult result([&calls](const boost::optional<int>&,
                                     const std::shared_ptr<const ErrorValue>&, const Progress&,
                                     Continuation&&) {
    if (++calls <= 2) throw std::runtime_error("receiver failed");
  });
  EXPECT_THROW(result(1), std::runtime_error);
  EXPECT_THROW(result.error(ErrorValue::GetInstance("e")), std::runtime_error);
  // Still armed: this report reaches the callback instead of the guard.
  result(2);
  EXPECT_EQ(calls, 3);
}

TEST(AsyncStreamResult, CopiesAreIndependent) {
  Recorder recorder;
  const StreamResult original = recorder.ShortResult();
  const StreamResult copy = original;
  original(1);
  copy.shutdown();
  copy(2);
  ASSERT_EQ(recorder.reports.size(), 3u);
  EXPECT_EQ(recorder.reports[0].item, boost::optional<int>(1));
  ExpectEnd(recorder.reports[1]);
  EXPECT_EQ(recorder.reports[2].item, boost::optional<int>(2));
}

TEST(AsyncStreamResult, MakeOptionalPtrOwnsOneNewObject) {
  Recorder recorder;
  const OptionalPtr<StreamResult> made = MakeOptionalPtr<StreamResult>(recorder.ShortResult());
  ASSERT_TRUE(made);
  EXPECT_EQ(made.use_count(), 1);
  made->shutdown();
  EXPECT_EQ(recorder.reports.size(), 1u);

  const OptionalPtr<StreamResult> none;
  EXPECT_FALSE(none);
  EXPECT_EQ(none.get(), nullptr);
}

TEST(AsyncStreamResultDeathTest, ReportingThroughADisarmedResultEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Recorder recorder;
  const StreamResult afterItem = recorder.ShortResult();
  afterItem(1);
  EXPECT_DEATH(afterItem.shutdown(), "");

  const StreamResult afterError = recorder.LongResult();
  afterError.error(ErrorValue::GetInstance("e"));
  EXPECT_DEATH(afterError(2), "");

  const StreamResult afterContinuedItem = recorder.ShortResult();
  afterContinuedItem(3, [](OptionalPtr<StreamResult>) {});
  EXPECT_DEATH(afterContinuedItem.error(ErrorValue::GetInstance("e")), "");

  const StreamResult disarmed = recorder.LongResult();
  disarmed.Disarm();
  EXPECT_DEATH(disarmed.Report(4, nullptr, boost::none, kCompletion, nullptr), "");

  // The reports that disarmed them, and nothing from the children.
  EXPECT_EQ(recorder.reports.size(), 3u);
}

}  // namespace
