#include "framework/stub/async_result_wrapper.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "support/service_client.h"
#include "support/values.h"

namespace Jorv::Stub {
namespace {

using Core::MethodResult;
using namespace Testing;
using Names = std::list<std::string>;
using Wrapper = AsyncResultWrapper::ResultWrapper<Names, AsyncResult<Names>>;

constexpr Progress kCompletion{0, 1, 1};

TEST(ResultWrapper, TurnsEachDeliveryIntoACompletionOfTheOwnedResult) {
  const auto error = Data::ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_found");
  const Data::DataValuePtr names = List(1, {Str("a"), Str("b")});
  Client<Names> client;
  const Wrapper first(client.LongResult());
  first(nullptr, {0, 0, 2}, nullptr);
  first(MethodResult::Create(names, nullptr), {0, 7, 9}, nullptr);
  Wrapper(client.LongResult())(MethodResult::Create(names, error), {0, 0, 2}, nullptr);
  Wrapper(client.LongResult())(MethodResult::Create(nullptr, nullptr), {0, 0, 2}, nullptr);
  Wrapper(client.LongResult())(MethodResult::Create(List(1, {Int(3)}), nullptr), {0, 0, 2},
                               nullptr);
  const auto& c = client.calls;
  ASSERT_EQ(c.size(), 5u);
  // Progress passes through; an output completes with the completion progress, not the given one.
  EXPECT_TRUE(!c[0].output && !c[0].error && c[0].progress == (Progress{0, 0, 2}));
  EXPECT_TRUE(c[1].output == Names({"a", "b"}) && !c[1].error && c[1].progress == kCompletion);
  // An error passes unchanged, output or not; neither is a null error; an unreadable output is a
  // bare invalid_argument. The client side never makes a native error.
  EXPECT_TRUE(!c[2].output && c[2].error == error && c[2].progress == kCompletion);
  EXPECT_TRUE(!c[3].output && !c[3].error && c[3].progress == kCompletion);
  EXPECT_EQ(Summary(c[4].error), "invalid_argument jorv.data.type.mismatch(string, integer)");
  for (const auto& call : c) EXPECT_FALSE(call.nativeError);
}

}  // namespace
}  // namespace Jorv::Stub
