#include "stats/provider/counters/service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "support/conversions.h"
#include "support/service_client.h"

namespace Com {
namespace Zentak {
namespace Stats {
namespace Provider {
namespace CountersSvc {
// Filter lists print by size in failure messages.
void PrintTo(const boost::optional<std::list<std::shared_ptr<const Filter>>>& filter,
             std::ostream* out) {
  *out << (filter ? std::to_string(filter->size()) + " filters" : std::string("no filter"));
}
}  // namespace CountersSvc
}  // namespace Provider
}  // namespace Stats
}  // namespace Zentak
}  // namespace Com

namespace {

using namespace Com::Zentak::Stats::Provider::CountersSvc;
using namespace Jorv::Testing;
using Jorv::Core::AsyncApiResultCb;
using Jorv::Core::InProcessApiProvider;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using testing::_;
using testing::StrictMock;

namespace MessageIds = Jorv::MessageIds;
namespace Std = Jorv::Std;

using Filters = std::list<std::shared_ptr<const Filter>>;
using Outcome = std::shared_ptr<const ListResult>;

constexpr char kServiceUnavailable[] = "com.zentak.jorv.std.errors.service_unavailable";
constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

class MockCounters : public AsyncServiceInterface {
 public:
  MOCK_METHOD(void, List,
              (const boost::optional<Filters>&, const boost::optional<long long>&,
               const std::shared_ptr<AsyncActivation>&, const ListMethod::ResultCbType&),
              (override));
};

std::shared_ptr<const Filter> MakeFilter(const std::string& metric) {
  auto filter = std::make_shared<Filter>();
  filter->metric = metric;
  auto key = std::make_shared<ResourceIdDefFilter>();
  key->key = "host";
  filter->resource_id = std::list<std::shared_ptr<const ResourceIdDefFilter>>{key};
  return filter;
}

ListResult FilledListResult() {
  ListResult result;
  result.last_updated = 1700000000000;
  result.unregistered = {"disk.io", "net.rx"};
  return result;
}

class CountersServiceTest : public testing::Test {
 protected:
  CountersServiceTest() { transport_->Publish(AsyncServiceBinder::BindImplementation(impl_)); }

  std::shared_ptr<StrictMock<MockCounters>> impl_ = std::make_shared<StrictMock<MockCounters>>();
  std::shared_ptr<InProcessApiProvider> transport_ = std::make_shared<InProcessApiProvider>();
  AsyncServiceStub stub_{std::make_shared<Jorv::Stub::AsyncApiStub>(transport_)};
};

TEST_F(CountersServiceTest, ListCarriesFilterAndSinceThereAndTheResultBack) {
  EXPECT_CALL(*impl_, List(_, boost::optional<long long>(1699999999000), _, _))
      .WillOnce([](const boost::optional<Filters>& filter, const boost::optional<long long>&,
                   const std::shared_ptr<AsyncActivation>&,
                   const ListMethod::ResultCbType& result) {
        ASSERT_TRUE(filter);
        ASSERT_EQ(filter->size(), 2u);
        EXPECT_TRUE(WriteSame(*filter->front(), *MakeFilter("cpu.usage")));
        EXPECT_TRUE(WriteSame(*filter->back(), *MakeFilter("mem.used")));
        result(std::make_shared<const ListResult>(FilledListResult()));
      });
  Client<Outcome> client;
  stub_.List(Filters{MakeFilter("cpu.usage"), MakeFilter("mem.used")}, 1699999999000LL, nullptr,
             client.Result());
  const Outcome output = client.Output();
  ASSERT_TRUE(output);
  EXPECT_TRUE(WriteSame(*output, FilledListResult()));
}

TEST_F(CountersServiceTest, UnsetArgumentsArriveUnset) {
  EXPECT_CALL(*impl_, List(boost::optional<Filters>(), boost::optional<long long>(), _, _))
      .Times(2)
      .WillRepeatedly([](const boost::optional<Filters>&, const boost::optional<long long>&,
                         const std::shared_ptr<AsyncActivation>&,
                         const ListMethod::ResultCbType& result) {
        result(std::make_shared<const ListResult>());
      });
  Client<Outcome> client;
  stub_.List(boost::none, boost::none, nullptr, client.Result());
  EXPECT_TRUE(client.Output());

  // An input structure without either field, straight into the published interface.
  std::vector<std::shared_ptr<const MethodResult>> results;
  AsyncServiceBinder::BindImplementation(impl_)->FindMethod("list")->Invoke(
      Struct(Std::kOperationInputName, {}), std::make_shared<AsyncActivation>(),
      AsyncApiResultCb([&](const std::shared_ptr<const MethodResult>& result, const Jorv::Progress&,
                           AsyncApiResultCb::Continuation&&) { results.push_back(result); }));
  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0]);
  EXPECT_TRUE(results[0]->output);
  EXPECT_EQ(results[0]->error, nullptr);
}

TEST_F(CountersServiceTest, NullFilterElementIsRejectedBeforeAnythingIsSent) {
  Client<Outcome> client;
  stub_.List(Filters{MakeFilter("cpu.usage"), nullptr}, boost::none, nullptr, client.Result());
  ExpectError(
      client.Error(), Std::kInvalidArgument,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.counters.filter"}}});
}

TEST_F(CountersServiceTest, NullResultAndErrorsAreJudgedOnTheProviderSide) {
  const auto unavailable = ErrorValue::GetInstance(kServiceUnavailable);
  int call = 0;
  EXPECT_CALL(*impl_, List(_, _, _, _))
      .Times(3)
      .WillRepeatedly([&](const boost::optional<Filters>&, const boost::optional<long long>&,
                          const std::shared_ptr<AsyncActivation>&,
                          const ListMethod::ResultCbType& result) {
        switch (call++) {
          case 0:
            result(nullptr);
            break;
          case 1:
            result.error(unavailable);
            break;
          default:
            result.error(Jorv::Data::NativeError{kNotFound, {}});
        }
      });
  std::vector<Client<Outcome>> clients(3);
  for (auto& client : clients) stub_.List(boost::none, boost::none, nullptr, client.Result());
  ExpectError(
      clients[0].Error(), Std::kInternalServerError,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.counters.list_result"}}});
  EXPECT_EQ(clients[1].Error(), unavailable);
  ExpectError(clients[2].Error(), Std::kInternalServerError,
              {{MessageIds::kErrorUndeclared, {"list", kNotFound}}});
}

}  // namespace
