#include "framework/core/async_stream_result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/optional_ptr.h"
#include "support/service_client.h"

namespace {

using Jorv::MakeOptionalPtr;
using Jorv::OptionalPtr;
using Jorv::Progress;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;
using StreamResult = Jorv::AsyncStreamResult<int>;
using Continuation = StreamResult::Continuation;
using Log = std::vector<std::string>;

constexpr Progress kCompletion{0, 1, 1};

// Stream results whose callbacks note each report as "<form> <item or -> <error> [native <name>]
// <current progress> [next]" and keep its continuation.
struct Recorder {
  StreamResult Short() {
    return StreamResult([this](const boost::optional<int>& item,
                               const std::shared_ptr<const ErrorValue>& error,
                               const Progress& progress, Continuation&& next) {
      Note("short", item, error, boost::none, progress, std::move(next));
    });
  }
  StreamResult Long() {
    return StreamResult::FromLongForm([this](const boost::optional<int>& item,
                                             const std::shared_ptr<const ErrorValue>& error,
                                             const boost::optional<NativeError>& native,
                                             const Progress& progress, Continuation&& next) {
      Note("long", item, error, native, progress, std::move(next));
    });
  }
  void Note(const char* form, const boost::optional<int>& item,
            const std::shared_ptr<const ErrorValue>& error,
            const boost::optional<NativeError>& native, const Progress& progress,
            Continuation&& next) {
    log.push_back(std::string(form) + " " + (item ? std::to_string(*item) : "-") + " " +
                  Jorv::Testing::Summary(error) + (native ? " native " + native->name : "") +
                  (progress == kCompletion ? "" : " partway") + (next ? " next" : ""));
    continuations.push_back(std::move(next));
  }
  Log log;
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
  EXPECT_EQ(r.log, (Log{"short - none", "short - e", "long - none native n", "long 3 none next",
                        "long 4 none native n partway"}));
  r.continuations[3](OptionalPtr<StreamResult>());
  r.continuations[3](MakeOptionalPtr<StreamResult>());
  EXPECT_EQ(asked, 11);
}

TEST(AsyncStreamResultDeathTest, ReportingThroughADisarmedResultEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Recorder r;
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  const StreamResult afterItem([held](const boost::optional<int>&,
                                      const std::shared_ptr<const ErrorValue>&, const Progress&,
                                      Continuation&&) {});
  held.reset();
  afterItem(1);
  EXPECT_TRUE(watch.expired()) << "disarming destroys the callbacks it replaces";
  EXPECT_DEATH(afterItem.shutdown(), "");
  const StreamResult afterContinuedItem = r.Short();
  afterContinuedItem(3, [](OptionalPtr<StreamResult>) {});
  EXPECT_DEATH(afterContinuedItem.error(ErrorValue::GetInstance("e")), "");
}

}  // namespace
