#include "framework/core/async_result.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/api_result_cb.h"
#include "support/service_client.h"

namespace Jorv {
namespace {

using Core::AsyncApiResultCb;
using Log = std::vector<std::string>;

constexpr Progress kCompletion{0, 1, 1};

// Which form each completion reaches; what it carries through either form, the result wrapper's
// and the services' tests check.
TEST(AsyncResult, CallsTheShortFormWhenSetElseTheLongFormAndStaysArmedWhileItThrows) {
  Log log;
  const auto note = [&log](const char* form) {
    return [&log, form](const boost::optional<int>& output, auto&&...) {
      log.push_back(form + (output ? " " + std::to_string(*output) : std::string(" -")));
      if (output == 1) throw std::runtime_error("receiver busy");
    };
  };
  AsyncResult<int>(note("short"), note("long")).error(Data::NativeError{"n", {}});
  AsyncResult<int>::FromLongForm(note("long"))(5);
  // Progress reports, a throwing callback and copies leave a result armed.
  const AsyncResult<int> result(note("short"));
  const AsyncResult<int> copy = result;
  result.ReportProgress({0, 0, 2});
  EXPECT_THROW(result(1), std::runtime_error);
  result(2);
  copy(3);
  EXPECT_EQ(log, (Log{"short -", "long 5", "short -", "short 1", "short 2", "short 3"}));
  // With neither form every call throws, and the result stays armed.
  const AsyncResult<int> none;
  EXPECT_THROW(none(1), std::bad_function_call);
  EXPECT_THROW(none.ReportProgress({0, 0, 1}), std::bad_function_call);
}

TEST(AsyncResultDeathTest, ASecondCompletionEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Testing::Client<int> client;
  const AsyncResult<int> shortForm = client.Result();
  shortForm(1);
  EXPECT_DEATH(shortForm(2), "");
  EXPECT_DEATH(shortForm.ReportProgress({0, 0, 1}), "");
  const AsyncResult<int> longForm = client.LongResult();
  longForm.error(Data::ErrorValue::GetInstance("e"));
  EXPECT_DEATH(longForm(4), "");
  EXPECT_EQ(client.calls.size(), 2u);
}

// Progress leaves the callback armed; a result spends every copy before its receiver runs, so a
// second completion through another copy from inside it is refused, and a receiver that throws
// still leaves every copy spent.
TEST(AsyncApiResultCb, ProgressLeavesItArmedAndAResultSpendsEveryCopyBeforeItRuns) {
  int progressReports = 0;
  std::unique_ptr<AsyncApiResultCb> self;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const Core::MethodResult>& result,
                                      const Progress&, AsyncApiResultCb::Continuation&&) {
    if (!result) return void(++progressReports);
    EXPECT_FALSE(self->IsArmed());
    EXPECT_THROW((*self)(result, kCompletion, nullptr), std::bad_function_call);
    throw std::runtime_error("receiver failed");
  });
  self = std::make_unique<AsyncApiResultCb>(callback);
  callback(nullptr, {0, 0, 2}, nullptr);
  (*self)(nullptr, {0, 1, 2}, nullptr);
  EXPECT_TRUE(callback.IsArmed());
  EXPECT_THROW((*self)(Core::MethodResult::Create(nullptr, nullptr), kCompletion, nullptr),
               std::runtime_error);
  EXPECT_FALSE(callback.IsArmed());
  EXPECT_THROW(callback(nullptr, {0, 0, 1}, nullptr), std::bad_function_call);
  EXPECT_EQ(progressReports, 2);
}

// The receiver, held directly or in a std::function, lives through a final delivery that
// destroys the last copy of the callback, and dies after it.
TEST(AsyncApiResultCb, ReceiverOutlivesAFinalDeliveryThatDropsTheLastCopy) {
  for (const bool direct : {true, false}) {
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> alive = token;
    std::unique_ptr<AsyncApiResultCb> callback;
    bool aliveDuringFinal = false;
    auto receiver = [&, token](const auto&, const Progress&, AsyncApiResultCb::Continuation&&) {
      callback.reset();
      aliveDuringFinal = token && !alive.expired();
    };
    token.reset();
    callback = std::make_unique<AsyncApiResultCb>(
        direct ? AsyncApiResultCb(std::move(receiver))
               : AsyncApiResultCb(AsyncApiResultCb::Function(std::move(receiver))));
    (*callback)(Core::MethodResult::Create(nullptr, nullptr), kCompletion, nullptr);
    EXPECT_TRUE(aliveDuringFinal && alive.expired()) << direct;
  }
}

}  // namespace
}  // namespace Jorv
