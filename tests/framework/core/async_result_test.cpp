#include "framework/core/async_result.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/api_result_cb.h"
#include "support/service_client.h"

namespace Jorv {
namespace {

using Core::AsyncApiResultCb;
using Core::MethodResult;
using Data::ErrorValue;
using Data::NativeError;
using Log = std::vector<std::string>;

constexpr Progress kCompletion{0, 1, 1};

std::string Text(const Progress& p) {
  return std::to_string(p.minimum) + "/" + std::to_string(p.current) + "/" +
         std::to_string(p.maximum);
}
// Callbacks of either form that note each call as "<form> <output or -> <error> [native <name>]
// <progress>".
void Note(Log& log, const char* form, const boost::optional<int>& output,
          const std::shared_ptr<const ErrorValue>& error,
          const boost::optional<NativeError>& native, const Progress& progress) {
  log.push_back(std::string(form) + " " + (output ? std::to_string(*output) : "-") + " " +
                Testing::Summary(error) + (native ? " native " + native->name : "") + " " +
                Text(progress));
}
AsyncResult<int>::ShortForm Short(Log& log) {
  return [&log](const auto& output, const auto& error, const Progress& progress) {
    Note(log, "short", output, error, boost::none, progress);
  };
}
AsyncResult<int>::LongForm Long(Log& log) {
  return [&log](const auto& output, const auto& error, const auto& native, const auto& progress) {
    Note(log, "long", output, error, native, progress);
  };
}

TEST(AsyncResult, EachCompletionReachesTheShortFormWhenSetElseTheLongForm) {
  Log log;
  const auto error = ErrorValue::GetInstance("e");
  AsyncResult<int>(Short(log)).error(error);
  AsyncResult<int>(Short(log), Long(log)).error(NativeError{"n", {}});
  AsyncResult<int>::FromLongForm(Long(log)).error(NativeError{"n", {}});
  AsyncResult<int>::FromLongForm(Long(log)).Complete(3, error, boost::none, {1, 4, 9});
  // Progress reports, a throwing callback and copies leave a result armed.
  int throwsLeft = 1;
  const AsyncResult<int> result([&](const auto& output, const auto& e, const Progress& p) {
    Short(log)(output, e, p);
    if (output && throwsLeft-- > 0) throw std::runtime_error("receiver busy");
  });
  const AsyncResult<int> copy = result;
  result.ReportProgress({0, 0, 2});
  EXPECT_THROW(result(1), std::runtime_error);
  result(2);
  copy(3);
  EXPECT_EQ(log, (Log{"short - e 0/1/1", "short - none 0/1/1", "long - none native n 0/1/1",
                      "long 3 e 1/4/9", "short - none 0/0/2", "short 1 none 0/1/1",
                      "short 2 none 0/1/1", "short 3 none 0/1/1"}));
  // With neither form every call throws, and the result stays armed.
  const AsyncResult<int> none;
  EXPECT_THROW(none(1), std::bad_function_call);
  EXPECT_THROW(none.ReportProgress({0, 0, 1}), std::bad_function_call);
}

TEST(AsyncResultDeathTest, ASecondCompletionEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Log log;
  const AsyncResult<int> shortForm(Short(log));
  shortForm(1);
  EXPECT_DEATH(shortForm(2), "");
  EXPECT_DEATH(shortForm.ReportProgress({0, 0, 1}), "");
  const auto longForm = AsyncResult<int>::FromLongForm(Long(log));
  longForm.error(ErrorValue::GetInstance("e"));
  EXPECT_DEATH(longForm(4), "");
  EXPECT_EQ(log.size(), 2u);
}

TEST(AsyncApiResultCb, ProgressLeavesItArmedAndAResultSpendsEveryCopyBeforeItRuns) {
  Log log;
  std::unique_ptr<AsyncApiResultCb> self;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const MethodResult>& result,
                                      const Progress& progress, AsyncApiResultCb::Continuation&&) {
    log.push_back((result ? "final " : "progress ") + Text(progress));
    if (!result) return;
    EXPECT_FALSE(self->IsArmed());
    EXPECT_THROW((*self)(result, kCompletion, nullptr), std::bad_function_call);
    throw std::runtime_error("receiver failed");
  });
  self = std::make_unique<AsyncApiResultCb>(callback);
  callback(nullptr, {0, 0, 2}, nullptr);
  (*self)(nullptr, {0, 1, 2}, nullptr);
  EXPECT_TRUE(callback.IsArmed());
  EXPECT_THROW((*self)(MethodResult::Create(nullptr, nullptr), kCompletion, nullptr),
               std::runtime_error);
  EXPECT_FALSE(callback.IsArmed());
  EXPECT_THROW(callback(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
  EXPECT_EQ(log, (Log{"progress 0/0/2", "progress 0/1/2", "final 0/1/1"}));
}

}  // namespace
}  // namespace Jorv
