#include "framework/core/async_stream_result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/value_ops.h"
#include "framework/provider/async_api_method_filter.h"
#include "support/service_client.h"

namespace Jorv {
namespace {

using Data::ErrorValue;
using Data::NativeError;
using StreamResult = AsyncStreamResult<long long>;
using Continuation = StreamResult::Continuation;

// Stream results whose callbacks note each report as "<form> <item or -> <error> [native <name>]
// [partway] [next]" and keep its continuation.
struct Recorder {
  StreamResult Short() {
    return StreamResult(
        [this](const auto& item, const auto& error, const Progress& progress, Continuation&& next) {
          Note("short", item, error, boost::none, progress, std::move(next));
        });
  }
  StreamResult Long() {
    return StreamResult::FromLongForm([this](const auto& item, const auto& error,
                                             const auto& native, const Progress& progress,
                                             Continuation&& next) {
      Note("long", item, error, native, progress, std::move(next));
    });
  }
  void Note(const char* form, const boost::optional<long long>& item,
            const std::shared_ptr<const ErrorValue>& error,
            const boost::optional<NativeError>& native, const Progress& progress,
            Continuation&& next) {
    log.push_back(std::string(form) + " " + (item ? std::to_string(*item) : "-") + " " +
                  Testing::Summary(error) + (native ? " native " + native->name : "") +
                  (progress == Progress::Completion() ? "" : " partway") + (next ? " next" : ""));
    continuations.push_back(std::move(next));
  }
  std::vector<std::string> log;
  std::vector<Continuation> continuations;
};

TEST(AsyncStreamResult, EachReportReachesTheShortFormWhenSetElseTheLongForm) {
  Recorder r;
  StreamResult(
      StreamResult::ResultCb(r.Short().GetCallbacks().shortForm, r.Long().GetCallbacks().longForm))
      .shutdown();
  r.Short().error(ErrorValue::GetInstance("e"));
  r.Long().error(NativeError{"n", {}});
  int asked = 0;
  r.Long()(3, [&asked](OptionalPtr<StreamResult> next) { asked += next ? 10 : 1; });
  r.Long().Report(4, nullptr, NativeError{"n", {}}, Progress{0, 3, 7}, nullptr);
  EXPECT_EQ(r.log, (std::vector<std::string>{"short - none", "short - e", "long - none native n",
                                             "long 3 none next", "long 4 none native n partway"}));
  r.continuations[3](OptionalPtr<StreamResult>());
  r.continuations[3](MakeOptionalPtr<StreamResult>());
  EXPECT_EQ(asked, 11);
}

TEST(AsyncStreamResult, IsMadeInPlaceFromAProviderResultFilter) {
  std::vector<std::string> reports;
  const Provider::AsyncApiMethod::ResultCb callback(
      [&](const boost::optional<Data::DataValuePtr>& output, const auto& error, const auto&,
          Provider::AsyncApiMethod::ResultCb::Continuation&& next) {
        reports.push_back(Data::ToText(output.value_or(nullptr)) + " " + Testing::Summary(error) +
                          (next ? " next" : ""));
      });
  const OptionalPtr<StreamResult> next =
      MakeOptionalPtr<StreamResult>(Provider::AsyncApiMethodResultFilter<long long>(
          callback, std::make_shared<Core::AsyncActivation>()));
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->GetCallbacks().shortForm);
  (*next)(7, [](OptionalPtr<StreamResult>) {});
  EXPECT_EQ(reports, std::vector<std::string>{"7 none next"});
}

TEST(AsyncStreamResultDeathTest, ReportingThroughADisarmedResultEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Recorder r;
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  const StreamResult afterItem(
      [held](const auto&, const auto&, const Progress&, Continuation&&) {});
  held.reset();
  afterItem(1);
  EXPECT_TRUE(watch.expired()) << "disarming destroys the callbacks it replaces";
  EXPECT_DEATH(afterItem.shutdown(), "");
  const StreamResult afterContinuedItem = r.Short();
  afterContinuedItem(3, [](OptionalPtr<StreamResult>) {});
  EXPECT_DEATH(afterContinuedItem.error(ErrorValue::GetInstance("e")), "");
}

}  // namespace
}  // namespace Jorv
