#include "framework/provider/async_api_method_signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/service_client.h"
#include "support/values.h"

namespace Jorv {
namespace Provider {
namespace {

// What the framework's callback received from one call of `signal` with `input`, whose handler
// reports `output` at once: "output" or the summary of the error.
std::vector<std::string> ReportsOf(const std::shared_ptr<AsyncApiMethodSignal>& signal,
                                   const Data::DataValuePtr& input,
                                   const Data::DataValuePtr& output) {
  signal->Connect([output](const Data::DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
                           const AsyncApiMethod::ResultCb& report) {
    report(output, nullptr, Progress::Completion(), nullptr);
  });
  std::vector<std::string> reports;
  signal->Invoke(
      input, nullptr,
      Core::AsyncApiResultCb([&reports](const std::shared_ptr<const Core::MethodResult>& result,
                                        const Progress&, Core::AsyncApiResultCb::Continuation&&) {
        reports.push_back(result->output ? "output" : Testing::Summary(result->error));
      }));
  return reports;
}

// An input that does not conform is the caller's fault, an output the provider's.
TEST(MethodSignal, AnOutputThatDoesNotConformIsTheProvidersFault) {
  const auto integer = Data::DataDefinition::Create<long long>();
  const auto signal = AsyncApiMethodSignal::GetInstance("count", integer, integer, {}, nullptr);
  EXPECT_EQ(ReportsOf(signal, Testing::Int(1), Testing::Int(2)),
            std::vector<std::string>{"output"});
  EXPECT_EQ(ReportsOf(signal, Testing::Str("one"), Testing::Int(2)),
            std::vector<std::string>{"com.zentak.jorv.std.errors.invalid_argument "
                                     "jorv.provider.input.invalid(count, ) "
                                     "jorv.data.validation.parse(one, , integer)"});
  EXPECT_EQ(
      ReportsOf(signal, Testing::Int(1), Testing::Str("two")),
      std::vector<std::string>{
          "com.zentak.jorv.std.errors.internal_server_error "
          "jorv.provider.output.invalid(count, ) jorv.data.validation.parse(two, , integer)"});
}

}  // namespace
}  // namespace Provider
}  // namespace Jorv
