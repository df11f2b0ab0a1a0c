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
using StreamResult = AsyncStreamResult<long long>;
using Continuation = StreamResult::Continuation;

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
  EXPECT_DEATH(afterContinuedItem.error(ErrorValue::GetInstance("e")), "");
}

}  // namespace
}  // namespace Jorv
