// The three services end to end: client stub, in-process transport, the interface the binder
// publishes, signal with validation, filters, a mocked implementation, and back. What every
// method shares is checked once, on the method where it is cheapest to state.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>
#include <functional>
#include <list>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/stub/async_result_wrapper.h"
#include "framework/text/message_catalog.h"
#include "stats/provider/stats_provider.h"
#include "support/service_client.h"
#include "support/values.h"

namespace Com::Zentak::Stats::Provider::CountersSvc {
// Filter lists print by size in failure messages.
void PrintTo(const boost::optional<std::list<std::shared_ptr<const Filter>>>& filter,
             std::ostream* out) {
  *out << (filter ? std::to_string(filter->size()) + " filters" : std::string("no filter"));
}
}  // namespace Com::Zentak::Stats::Provider::CountersSvc

namespace {

namespace P = Com::Zentak::Stats::Provider;
namespace C = P::CountersSvc;
namespace Q = P::QueriesSvc;
namespace S = P::StreamSvc;
namespace MessageIds = Jorv::MessageIds;
namespace Std = Jorv::Std;
using namespace Jorv::Testing;
using Jorv::BaseMessage;
using Jorv::Progress;
using Jorv::Void;
using Jorv::Core::AsyncActivation;
using Jorv::Core::AsyncApiResultCb;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;
using testing::_;
using testing::StrictMock;
template <class T>
using Ptr = std::shared_ptr<const T>;
using Filters = std::list<Ptr<C::Filter>>;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr Progress kCompletion{0, 1, 1};

class MockCounters : public C::AsyncServiceInterface {
 public:
  MOCK_METHOD(void, List,
              (const boost::optional<Filters>&, const boost::optional<long long>&,
               const std::shared_ptr<AsyncActivation>&, const C::ListMethod::ResultCbType&),
              (override));
};
class MockQueries : public Q::AsyncServiceInterface {
 public:
  MOCK_METHOD(void, Create,
              (const Ptr<Q::CreateSpec>&, const std::shared_ptr<AsyncActivation>&,
               const Q::CreateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, List,
              (const std::shared_ptr<AsyncActivation>&, const Q::ListMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Get,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const Q::GetMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Update,
              (const std::string&, const Ptr<Q::UpdateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const Q::UpdateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Delete,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const Q::DeleteMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Execute,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const Q::ExecuteMethod::ResultCbType&),
              (override));
};
class MockStream : public S::AsyncServiceInterface {
 public:
  MOCK_METHOD(void, Create,
              (const std::string&, const Ptr<S::CreateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const S::CreateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Get,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const S::GetMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Update,
              (const std::string&, const Ptr<S::UpdateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const S::UpdateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Attach,
              (const std::string&, const Ptr<S::AttachSpec>&,
               const std::shared_ptr<AsyncActivation>&, const S::AttachMethod::StreamResultCbType&),
              (override));
  MOCK_METHOD(void, Delete,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const S::DeleteMethod::ResultCbType&),
              (override));
};

template <class T, class... Fill>
Ptr<T> Make(Fill... fill) {
  auto made = std::make_shared<T>();
  (fill(*made), ...);
  return made;
}
Ptr<P::CounterInstance> Instance(const std::string& counter, long long chandle) {
  return Make<P::CounterInstance>([&](P::CounterInstance& i) {
    i.counter = counter;
    i.chandle = chandle;
    i.resource_ids = {{"host", "db-1"}};
  });
}
NativeError QueryNotFound() {
  return NativeError{kNotFound, {BaseMessage("stats.query.unknown", "No query q-9.", {"q-9"})}};
}

// One transport serving mocks of all three services, and a stub of each in front of it.
class Services : public testing::Test {
 protected:
  Services() {
    transport->Publish(C::AsyncServiceBinder::BindImplementation(counters));
    transport->Publish(Q::AsyncServiceBinder::BindImplementation(queries));
    transport->Publish(S::AsyncServiceBinder::BindImplementation(stream));
  }
  std::shared_ptr<StrictMock<MockCounters>> counters = std::make_shared<StrictMock<MockCounters>>();
  std::shared_ptr<StrictMock<MockQueries>> queries = std::make_shared<StrictMock<MockQueries>>();
  std::shared_ptr<StrictMock<MockStream>> stream = std::make_shared<StrictMock<MockStream>>();
  std::shared_ptr<Jorv::Core::InProcessApiProvider> transport =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  std::shared_ptr<Jorv::Stub::AsyncApiStub> api =
      std::make_shared<Jorv::Stub::AsyncApiStub>(transport);
  C::AsyncServiceStub countersStub{api};
  Q::AsyncServiceStub queriesStub{api};
  S::AsyncServiceStub streamStub{api};
  // An action completing the call with `output` once the test runs `later`.
  template <class Output>
  auto Later(Output output) {
    return [this, output](const auto&... args) {
      const auto& result = std::get<sizeof...(args) - 1>(std::tie(args...));
      later.push_back([result, output] { result(output); });
    };
  }
  // Completions the mocks hold back, run once every call was made.
  std::vector<std::function<void()>> later;
};

TEST_F(Services, EveryMethodCarriesItsArgumentsThereAndItsOutputBack) {
  const auto createSpec = Make<Q::CreateSpec>([](Q::CreateSpec& s) {
    s.view = "summary";
    s.instances = {Instance("cpu.usage", 1), Instance("mem.used", 2)};
  });
  const auto created = Make<Q::CreateResult>([](Q::CreateResult& r) { r.query = "q-17"; });
  const auto updateSpec = Make<Q::UpdateSpec>(
      [](Q::UpdateSpec& s) { s.instances_to_add = std::list<Ptr<P::CounterInstance>>{}; });
  const auto info = Make<Q::Info>([](Q::Info& i) { i.instances = {Instance("cpu.usage", 1)}; });
  const auto result = Make<P::Result>([](P::Result& r) { r.snapshots = {Make<P::Snapshot>()}; });
  const auto streamSpec = Make<S::CreateSpec>([](S::CreateSpec& s) { s.interval = 5; });
  const auto streamUpdate = Make<S::UpdateSpec>([](S::UpdateSpec& s) { s.buffer = 0; });
  const auto streamInfo = Make<S::Info>([](S::Info& i) { i.buffer = 16; });
  const Filters filters{Make<C::Filter>([](C::Filter& f) { f.metric = "cpu.usage"; }),
                        Make<C::Filter>([](C::Filter& f) { f.prefix = "mem."; })};
  const auto listed = Make<C::ListResult>([](C::ListResult& r) { r.unregistered = {"disk.io"}; });

  // Each operation checks what arrived and holds its completion back.
  const auto same = [](const auto& expected) {
    return [expected](const auto& actual) { return actual && WriteSame(*actual, *expected); };
  };
  using testing::Truly;
  EXPECT_CALL(*queries, Create(Truly(same(createSpec)), _, _)).WillOnce(Later(created));
  EXPECT_CALL(*queries, List(_, _)).WillOnce(Later(std::list<std::string>{"q-1", ""}));
  EXPECT_CALL(*queries, Get("q-17", _, _)).WillOnce(Later(info));
  EXPECT_CALL(*queries, Update("q 17/ü", Truly(same(updateSpec)), _, _)).WillOnce(Later(Void()));
  EXPECT_CALL(*queries, Delete("q-18", _, _)).WillOnce(Later(Void()));
  EXPECT_CALL(*queries, Execute("q-19", _, _)).WillOnce(Later(result));
  EXPECT_CALL(*stream, Create("s-1", Truly(same(streamSpec)), _, _)).WillOnce(Later(Void()));
  EXPECT_CALL(*stream, Get("s-2", _, _)).WillOnce(Later(streamInfo));
  EXPECT_CALL(*stream, Update("s-3", Truly(same(streamUpdate)), _, _)).WillOnce(Later(Void()));
  EXPECT_CALL(*stream, Delete("s-4", _, _)).WillOnce(Later(Void()));
  EXPECT_CALL(*counters, List(testing::Optional(testing::ElementsAre(Truly(same(filters.front())),
                                                                     Truly(same(filters.back())))),
                              boost::optional<long long>(1699999999000), _, _))
      .WillOnce(Later(listed));

  Client<Ptr<Q::CreateResult>> create;
  Client<std::list<std::string>> list;
  Client<Ptr<Q::Info>> get;
  Client<Void> update, remove, streamCreate, streamUpdate2, streamDelete;
  Client<Ptr<P::Result>> execute;
  Client<Ptr<S::Info>> streamGet;
  Client<Ptr<C::ListResult>> counted;
  queriesStub.Create(createSpec, nullptr, create.Result());
  queriesStub.List(nullptr, list.Result());
  queriesStub.Get("q-17", nullptr, get.Result());
  queriesStub.Update("q 17/ü", updateSpec, nullptr, update.Result());
  queriesStub.Delete("q-18", nullptr, remove.Result());
  queriesStub.Execute("q-19", nullptr, execute.Result());
  streamStub.Create("s-1", streamSpec, nullptr, streamCreate.Result());
  streamStub.Get("s-2", nullptr, streamGet.Result());
  streamStub.Update("s-3", streamUpdate, nullptr, streamUpdate2.Result());
  streamStub.Delete("s-4", nullptr, streamDelete.Result());
  countersStub.List(filters, 1699999999000LL, nullptr, counted.Result());
  EXPECT_TRUE(create.calls.empty() && get.calls.empty() && counted.calls.empty());
  ASSERT_EQ(later.size(), 11u);
  for (const auto& completion : later) completion();

  EXPECT_TRUE(same(created)(create.Output()));
  EXPECT_EQ(list.Output(), (std::list<std::string>{"q-1", ""}));
  EXPECT_TRUE(same(info)(get.Output()));
  EXPECT_TRUE(same(result)(execute.Output()));
  EXPECT_TRUE(same(streamInfo)(streamGet.Output()));
  EXPECT_TRUE(same(listed)(counted.Output()));
  for (const Client<Void>* done :
       {&update, &remove, &streamCreate, &streamUpdate2, &streamDelete}) {
    done->Output();
  }
}

// What each method declares is its own: not_allowed_in_current_state is declared by
// stream.delete, not by queries.get; service_unavailable by counters.list.
TEST_F(Services, ErrorsAreJudgedAgainstTheDeclaredErrorsOfTheirOwnMethod) {
  const auto declared = ErrorValue::Create(kNotFound, QueryNotFound().messages);
  const auto notAllowed =
      ErrorValue::GetInstance("com.zentak.jorv.std.errors.not_allowed_in_current_state");
  const auto unavailable =
      ErrorValue::GetInstance("com.zentak.jorv.std.errors.service_unavailable");
  EXPECT_CALL(*queries, Get("q-9", _, _))
      .WillOnce([&](auto, auto, auto r) { r.error(declared); })
      .WillOnce([](auto, auto, auto r) { r.error(QueryNotFound()); })
      .WillOnce([&](auto, auto, auto r) { r.error(notAllowed); })
      .WillOnce([&](auto, auto, auto r) {
        r.error(NativeError{notAllowed->GetName(), {}});
      });
  EXPECT_CALL(*stream, Delete("q-9", _, _)).WillOnce([&](auto, auto, auto r) {
    r.error(notAllowed);
  });
  EXPECT_CALL(*counters, List(_, _, _, _)).WillOnce([&](auto, auto, auto, auto r) {
    r.error(unavailable);
  });
  std::vector<Client<Ptr<Q::Info>>> gets(4);
  for (auto& client : gets) queriesStub.Get("q-9", nullptr, client.Result());
  Client<Void> streamDelete;
  streamStub.Delete("q-9", nullptr, streamDelete.Result());
  Client<Ptr<C::ListResult>> listed;
  countersStub.List(boost::none, boost::none, nullptr, listed.Result());

  // A declared error value passes as the very same value; a native error becomes an error
  // value of its name and messages; an undeclared one, either way, is a provider fault.
  EXPECT_EQ(gets[0].Error(), declared);
  EXPECT_EQ(gets[1].Error()->GetName(), kNotFound);
  EXPECT_EQ(gets[1].Error()->GetMessages(), QueryNotFound().messages);
  for (int i : {2, 3}) {
    ExpectError(gets[i].Error(), Std::kInternalServerError,
                {{MessageIds::kErrorUndeclared, {"get", notAllowed->GetName()}}});
  }
  EXPECT_EQ(streamDelete.Error(), notAllowed);
  EXPECT_EQ(listed.Error(), unavailable);
}

TEST_F(Services, ACallEndsWithItsOutputOrAnErrorAfterItsProgressReports) {
  EXPECT_CALL(*queries, Get("q-17", _, _))
      .WillOnce([](auto, auto, const Q::GetMethod::ResultCbType& r) {
        r.ReportProgress({0, 0, 2});
        r(std::make_shared<const Q::Info>());
      })
      .WillOnce([](auto, auto, const Q::GetMethod::ResultCbType& r) { r.error(nullptr); })
      .WillOnce([](auto, auto, const Q::GetMethod::ResultCbType& r) {
        r.ReportProgress({0, 2, 2});
      })
      .WillOnce([](auto, auto, const Q::GetMethod::ResultCbType& r) { r(nullptr); });
  EXPECT_CALL(*queries, Delete("q-17", _, _))
      .WillOnce([](auto, auto, const Q::DeleteMethod::ResultCbType& r) {
        r.ReportProgress({0, 3, 3});
      });
  EXPECT_CALL(*queries, Execute("q-17", _, _)).WillOnce([](auto, auto, auto r) { r(nullptr); });
  EXPECT_CALL(*queries, List(_, _)).WillOnce([](auto, const Q::ListMethod::ResultCbType&) {
    throw std::runtime_error("store offline");
  });
  std::vector<Client<Ptr<Q::Info>>> gets(4);
  queriesStub.Get("q-17", nullptr, gets[0].LongResult());
  for (std::size_t i = 1; i < gets.size(); ++i) queriesStub.Get("q-17", nullptr, gets[i].Result());
  Client<Void> removed;
  queriesStub.Delete("q-17", nullptr, removed.Result());
  Client<Ptr<P::Result>> executed;
  queriesStub.Execute("q-17", nullptr, executed.Result());
  Client<std::list<std::string>> listed;
  queriesStub.List(nullptr, listed.Result());

  ASSERT_EQ(gets[0].calls.size(), 2u);
  EXPECT_TRUE(!gets[0].calls[0].output && !gets[0].calls[0].error &&
              gets[0].calls[0].progress == (Progress{0, 0, 2}));
  EXPECT_TRUE(gets[0].calls[1].output && !gets[0].calls[1].error &&
              gets[0].calls[1].progress == kCompletion);
  for (const auto& call : gets[0].calls) EXPECT_FALSE(call.nativeError);
  // A void method may end without a value; one that owes an output may not.
  ASSERT_EQ(removed.calls.size(), 1u);
  EXPECT_TRUE(!removed.calls[0].output && !removed.calls[0].error &&
              removed.calls[0].progress == kCompletion);
  for (std::size_t i : {1, 2}) {
    ExpectError(gets[i].Error(), Std::kInternalServerError, {{MessageIds::kErrorMissing, {"get"}}});
  }
  ExpectError(gets[3].Error(), Std::kInternalServerError,
              {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.queries.info"}}});
  ExpectError(executed.Error(), Std::kInternalServerError,
              {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.result"}}});
  ExpectError(
      listed.Error(), Std::kInternalServerError,
      {{MessageIds::kMethodFailed, {"com.zentak.stats.provider.queries/list", "store offline"}}});
}

TEST_F(Services, InputsThatDoNotConvertAreRefusedBeforeAnythingIsSent) {
  // The strict mocks fail the test if an implementation is reached.
  Client<Ptr<Q::CreateResult>> create;
  queriesStub.Create(nullptr, nullptr, create.Result());
  Client<Void> update;
  streamStub.Update("q-17", nullptr, nullptr, update.LongResult());
  Client<Ptr<C::ListResult>> list;
  countersStub.List(Filters{Make<C::Filter>(), nullptr}, boost::none, nullptr, list.Result());
  const char* kUnset = MessageIds::kUnsetNonOptionalField;
  ExpectError(create.Error(), Std::kInvalidArgument,
              {{kUnset, {"com.zentak.stats.provider.queries.create_spec"}}});
  ExpectError(update.Error(), Std::kInvalidArgument,
              {{kUnset, {"com.zentak.stats.provider.stream.update_spec"}}});
  EXPECT_FALSE(update.calls[0].nativeError);
  ExpectError(list.Error(), Std::kInvalidArgument,
              {{kUnset, {"com.zentak.stats.provider.counters.filter"}}});
}

TEST(ServicesBinding, PublishesEveryMethodInSlotOrder) {
  const auto names = [](const std::shared_ptr<const Jorv::Provider::AsyncApiInterface>& published) {
    std::vector<std::string> all{published->GetIdentifier()->GetName()};
    for (const auto& method : published->GetMethods()) all.push_back(method->methodName());
    return all;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(
      names(Q::AsyncServiceBinder::BindImplementation(std::make_shared<StrictMock<MockQueries>>())),
      (Names{"com.zentak.stats.provider.queries", "create", "list", "get", "update", "delete",
             "execute"}));
  EXPECT_EQ(
      names(S::AsyncServiceBinder::BindImplementation(std::make_shared<StrictMock<MockStream>>())),
      (Names{"com.zentak.stats.provider.stream", "create", "get", "update", "attach", "delete"}));
  EXPECT_EQ(names(C::AsyncServiceBinder::BindImplementation(
                std::make_shared<StrictMock<MockCounters>>())),
            (Names{"com.zentak.stats.provider.counters", "list"}));
}

TEST(ServicesBinding, EachBindGivesTheImplementationItsOwnLocalizerWhichRendersNativeErrors) {
  const auto impl = std::make_shared<StrictMock<MockQueries>>();
  const auto localizer =
      std::make_shared<Jorv::L10n::Localizer>(Jorv::L10n::Localizer::Translations{
          {"en_US", {{"stats.query.unknown", "Query {1} is unknown."}}}});
  std::vector<std::shared_ptr<AsyncActivation>> seen;
  EXPECT_CALL(*impl, Get("q-9", _, _))
      .Times(3)
      .WillRepeatedly([&](auto, const std::shared_ptr<AsyncActivation>& activation, auto r) {
        seen.push_back(activation);
        r.error(QueryNotFound());
      });
  const auto transport = std::make_shared<Jorv::Core::InProcessApiProvider>();
  transport->Publish(Q::AsyncServiceBinder::BindImplementation(impl, localizer));
  Q::AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));
  // With a locale in the activation the bound localizer renders; without one the default text
  // stays. The caller's activation is left as it was.
  const auto withLocale = std::make_shared<AsyncActivation>();
  withLocale->localeSpec = std::make_shared<Jorv::L10n::LocaleSpec>();
  Client<Ptr<Q::Info>> localized, plain, unbound;
  stub.Get("q-9", withLocale, localized.Result());
  stub.Get("q-9", nullptr, plain.Result());
  transport->Publish(Q::AsyncServiceBinder::BindImplementation(impl));
  stub.Get("q-9", nullptr, unbound.Result());
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_NE(seen[0], withLocale);
  EXPECT_EQ(withLocale->localizer, nullptr);
  EXPECT_EQ(seen[1]->localizer, localizer);
  ASSERT_TRUE(seen[2]->localizer);
  EXPECT_NE(seen[2]->localizer, localizer);
  EXPECT_TRUE(seen[2]->localizer->empty());
  EXPECT_EQ(localized.Error()->GetMessages(),
            (std::list<BaseMessage>{
                BaseMessage("stats.query.unknown", "Query q-9 is unknown.", {"q-9"})}));
  EXPECT_EQ(plain.Error()->GetMessages().front().defaultMessage, "No query q-9.");
}

TEST(ServicesBinding, TheSignalRefusesInputsThatDoNotConformAndAnswersWhenUnconnected) {
  const auto impl = std::make_shared<StrictMock<MockQueries>>();
  const auto published = Q::AsyncServiceBinder::BindImplementation(impl);
  std::vector<std::shared_ptr<const MethodResult>> results;
  const auto record = [&results] {
    return AsyncApiResultCb([&results](const std::shared_ptr<const MethodResult>& result,
                                       const Progress& progress, AsyncApiResultCb::Continuation&&) {
      EXPECT_EQ(progress, kCompletion);
      results.push_back(result);
    });
  };
  published->FindMethod("get")->Invoke(Struct(Std::kOperationInputName, {}), nullptr, record());
  // An empty text reads as the default input, whose required spec would be null.
  published->FindMethod("create")->Invoke(Str(""), nullptr, record());
  // An unconnected signal answers without looking at the input.
  Jorv::Provider::AsyncApiMethodSignal::GetInstance(
      Q::GetMethod::methodName(), Q::GetMethod::inputDef(), Q::GetMethod::outputDef(),
      Q::GetMethod::errorDefs(), std::make_shared<Jorv::L10n::Localizer>())
      ->Invoke(Str("not an input"), nullptr, record());
  ASSERT_EQ(results.size(), 3u);
  for (const auto& result : results) ASSERT_TRUE(result && !result->output && result->error);
  EXPECT_EQ(results[0]->error->GetName(), Std::kInvalidArgument);
  EXPECT_EQ(results[0]->error->GetMessages().front(),
            BaseMessage(MessageIds::kInputInvalid,
                        "The input of method get does not conform at 'query'.", {"get", "query"}));
  EXPECT_EQ(results[1]->error->GetMessages().front().args,
            (std::list<std::string>{"create", "spec"}));
  ExpectError(results[2]->error, Std::kInternalServerError,
              {{MessageIds::kSignalNotConnected, {}}});
}

}  // namespace
