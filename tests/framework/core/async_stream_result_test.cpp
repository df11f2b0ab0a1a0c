#include "framework/core/async_stream_result.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/provider/async_api_method_filter.h"

namespace Jorv {
namespace {

using StreamResult = AsyncStreamResult<long long>;
using Continuation = StreamResult::Continuation;

// What the filter makes of each report, the stream service's tests show end to end.
TEST(AsyncStreamResult, IsMadeInPlaceFromAProviderResultFilter) {
  int reports = 0;
  const Provider::AsyncApiMethod::ResultCb callback([&](auto&&...) { ++reports; });
  const OptionalPtr<StreamResult> next =
      MakeOptionalPtr<StreamResult>(Provider::AsyncApiMethodResultFilter<long long>(
          callback, std::make_shared<Core::AsyncActivation>()));
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->GetCallbacks().shortForm);
  (*next)(7, [](OptionalPtr<StreamResult>) {});
  EXPECT_EQ(reports, 1);
}

TEST(AsyncStreamResultDeathTest, ReportingThroughADisarmedResultEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  const StreamResult afterItem(
      [held](const auto&, const auto&, const Progress&, Continuation&&) {});
  held.reset();
  afterItem(1);
  EXPECT_TRUE(watch.expired()) << "disarming destroys the callbacks it replaces";
  EXPECT_DEATH(afterItem.shutdown(), "");
  const StreamResult afterContinuedItem = StreamResult::FromLongForm([](auto&&...) {});
  afterContinuedItem(3, [](OptionalPtr<StreamResult>) {});
  EXPECT_DEATH(afterContinuedItem.error(Data::ErrorValue::GetInstance("e")), "");
}

}  // namespace
}  // namespace Jorv
