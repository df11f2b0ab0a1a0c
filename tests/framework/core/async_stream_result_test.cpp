#include "framework/core/async_stream_result.h"

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include <functional>
#include <memory>
#include <stdexcept>
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

// One report as the callback saw it.
struct Report {
  bool longForm = false;
  boost::optional<int> item;
  std::shared_ptr<const ErrorValue> error;
  boost::optional<NativeError> nativeError;
  Progress progress;
  Continuation next;

  bool IsEnd() const { return !item && !error && !nativeError && progress == kCompletion && !next; }
};

// Makes stream results whose callbacks record every report.
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

TEST(AsyncStreamResult, EachReportReachesTheShortFormWhenSetElseTheLongForm) {
  Recorder recorder;
  const auto error = ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_found");
  StreamResult(StreamResult::ResultCb(recorder.Short(), recorder.Long())).shutdown();
  recorder.LongResult().shutdown();
  recorder.ShortResult().error(error);
  recorder.LongResult().error(NativeError{"com.zentak.jorv.std.errors.canceled", {}});
  int asked = 0;
  recorder.LongResult()(3, [&asked](OptionalPtr<StreamResult> next) { asked += next ? 10 : 1; });
  recorder.LongResult().Report(4, error, NativeError{"n", {}}, Progress{0, 3, 7}, nullptr);

  const auto& r = recorder.reports;
  ASSERT_EQ(r.size(), 6u);
  EXPECT_TRUE(!r[0].longForm && r[0].IsEnd());
  EXPECT_TRUE(r[1].longForm && r[1].IsEnd());
  EXPECT_TRUE(!r[2].item && r[2].error == error && r[2].progress == kCompletion && !r[2].next);
  ASSERT_TRUE(r[3].nativeError);
  EXPECT_EQ(r[3].nativeError->name, "com.zentak.jorv.std.errors.canceled");
  EXPECT_FALSE(r[3].next);
  EXPECT_TRUE(r[4].item == 3 && !r[4].error && r[4].progress == kCompletion);
  ASSERT_TRUE(r[4].next);
  r[4].next(OptionalPtr<StreamResult>());
  r[4].next(MakeOptionalPtr<StreamResult>());
  EXPECT_EQ(asked, 11);
  // The raw report passes its arguments unchanged.
  EXPECT_TRUE(r[5].item == 4 && r[5].error == error && r[5].nativeError &&
              r[5].progress == (Progress{0, 3, 7}));
}

TEST(AsyncStreamResult, LastItemsContinuationShutsDownTheStreamResultHandedToIt) {
  Recorder provider;
  Recorder consumer;
  provider.ShortResult()(7);
  ASSERT_EQ(provider.reports.size(), 1u);
  const Report& last = provider.reports[0];
  EXPECT_TRUE(last.item == 7 && last.progress == kCompletion);
  ASSERT_TRUE(last.next);
  const auto next = MakeOptionalPtr<StreamResult>(consumer.ShortResult());
  EXPECT_EQ(next.use_count(), 1);
  last.next(next);
  last.next(OptionalPtr<StreamResult>());
  ASSERT_EQ(consumer.reports.size(), 1u);
  EXPECT_TRUE(consumer.reports[0].IsEnd());
  // shutdown() leaves the result armed; so do throwing callbacks; copies are independent.
  next->shutdown();
  const StreamResult copy = *next;
  copy(1);
  (*next)(2);
  EXPECT_EQ(consumer.reports.size(), 4u);

  int calls = 0;
  const StreamResult throwing([&calls](const boost::optional<int>&,
                                       const std::shared_ptr<const ErrorValue>&, const Progress&,
                                       Continuation&&) {
    if (++calls == 1) throw std::runtime_error("receiver failed");
  });
  EXPECT_THROW(throwing(1), std::runtime_error);
  throwing(2);
  EXPECT_EQ(calls, 2);
  const StreamResult empty;
  EXPECT_THROW(empty.shutdown(), std::bad_function_call);
  EXPECT_THROW(empty(1, [](OptionalPtr<StreamResult>) {}), std::bad_function_call);
}

TEST(AsyncStreamResult, DisarmingDestroysTheCallbacksItReplaces) {
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  StreamResult result(StreamResult::ResultCb(
      [held](const boost::optional<int>&, const std::shared_ptr<const ErrorValue>&, const Progress&,
             Continuation&&) {},
      nullptr));
  held.reset();
  ASSERT_FALSE(watch.expired());
  result(1);
  EXPECT_TRUE(watch.expired());
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
  EXPECT_EQ(recorder.reports.size(), 3u);
}

}  // namespace
