#include "stats/provider/queries/service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <list>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/provider/async_api_method_signal.h"
#include "framework/stub/async_result_wrapper.h"
#include "framework/text/message_catalog.h"
#include "support/conversions.h"
#include "support/service_client.h"

namespace {

using namespace Com::Zentak::Stats::Provider::QueriesSvc;
using namespace Jorv::Testing;
using Com::Zentak::Stats::Provider::CounterInstance;
using Com::Zentak::Stats::Provider::Result;
using Com::Zentak::Stats::Provider::Snapshot;
using Jorv::AsyncResult;
using Jorv::BaseMessage;
using Jorv::Progress;
using Jorv::Void;
using Jorv::Core::AsyncApiResultCb;
using Jorv::Core::InProcessApiProvider;
using Jorv::Core::MethodResult;
using Jorv::Data::ErrorValue;
using Jorv::Data::NativeError;
using testing::_;
using testing::StrictMock;

namespace MessageIds = Jorv::MessageIds;
namespace Std = Jorv::Std;
using LocalizableMessage = Com::Zentak::Jorv::Std::LocalizableMessage;

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";
constexpr char kResourceBusy[] = "com.zentak.jorv.std.errors.resource_busy";
constexpr Progress kCompletion{0, 1, 1};

class MockQueries : public AsyncServiceInterface {
 public:
  MOCK_METHOD(void, Create,
              (const std::shared_ptr<const CreateSpec>&, const std::shared_ptr<AsyncActivation>&,
               const CreateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, List,
              (const std::shared_ptr<AsyncActivation>&, const ListMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Get,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const GetMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Update,
              (const std::string&, const std::shared_ptr<const UpdateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const UpdateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Delete,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const DeleteMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Execute,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const ExecuteMethod::ResultCbType&),
              (override));
};

std::shared_ptr<const CounterInstance> Instance(const std::string& counter, long long chandle) {
  auto instance = std::make_shared<CounterInstance>();
  instance->counter = counter;
  instance->chandle = chandle;
  instance->resource_ids = {{"host", "db-1"}};
  return instance;
}

CreateSpec FilledCreateSpec() {
  CreateSpec spec;
  spec.time_to_live = 600;
  spec.view = "summary";
  spec.instances = {Instance("cpu.usage", 1), Instance("mem.used", 2)};
  return spec;
}

CreateResult FilledCreateResult() {
  CreateResult result;
  result.query = "q-17";
  result.messages = {LocalizableMessage::From(BaseMessage("stats.created", "Created.", {}))};
  return result;
}

Info FilledInfo() {
  Info info;
  info.query = "q-17";
  info.view = "summary";
  info.owner = "admin";
  info.time_to_live = 600;
  info.instances = {Instance("cpu.usage", 1)};
  return info;
}

UpdateSpec FilledUpdateSpec() {
  UpdateSpec spec;
  spec.time_to_live = 60;
  spec.instances_to_add = std::list<std::shared_ptr<const CounterInstance>>{};
  spec.instances_to_remove =
      std::list<std::shared_ptr<const CounterInstance>>{Instance("cpu.usage", 1)};
  return spec;
}

Result FilledResult() {
  Result result;
  result.query = "q-17";
  result.timestamp = Jorv::DateTime::FromMillisSinceEpoch(1700000000123);
  result.snapshots = {std::make_shared<const Snapshot>()};
  result.messages = {LocalizableMessage::From(BaseMessage("stats.partial", "Partial.", {}))};
  return result;
}

NativeError QueryNotFound() {
  return NativeError{kNotFound, {BaseMessage("stats.query.unknown", "No query q-9.", {"q-9"})}};
}

// A transport serving one bound implementation, and the client stub in front of it.
class QueriesServiceTest : public testing::Test {
 protected:
  QueriesServiceTest() { transport_->Publish(AsyncServiceBinder::BindImplementation(impl_)); }

  std::shared_ptr<StrictMock<MockQueries>> impl_ = std::make_shared<StrictMock<MockQueries>>();
  std::shared_ptr<InProcessApiProvider> transport_ = std::make_shared<InProcessApiProvider>();
  AsyncServiceStub stub_{std::make_shared<Jorv::Stub::AsyncApiStub>(transport_)};
};

// Every method, with the implementation completing at once (false) or after its operation
// returned, from a copy of its result object (true).
class QueriesServiceCall : public QueriesServiceTest, public testing::WithParamInterface<bool> {
 protected:
  void Complete(std::function<void()> completion) {
    if (GetParam()) {
      pending_ = std::move(completion);
    } else {
      completion();
    }
  }
  // When the implementation completes later: nothing has arrived yet; completes now.
  template <class T>
  void FinishLater(const Client<T>& client) {
    if (!GetParam()) return;
    EXPECT_TRUE(client.calls.empty());
    ASSERT_TRUE(pending_);
    const std::function<void()> completion = std::move(pending_);
    pending_ = nullptr;
    completion();
  }

  std::function<void()> pending_;
};

TEST_P(QueriesServiceCall, Create) {
  EXPECT_CALL(*impl_, Create(_, _, _))
      .WillOnce([this](const std::shared_ptr<const CreateSpec>& spec,
                       const std::shared_ptr<AsyncActivation>& activation,
                       const CreateMethod::ResultCbType& result) {
        ASSERT_TRUE(spec);
        EXPECT_TRUE(WriteSame(*spec, FilledCreateSpec()));
        EXPECT_TRUE(activation);
        Complete([result] { result(std::make_shared<const CreateResult>(FilledCreateResult())); });
      });
  Client<std::shared_ptr<const CreateResult>> client;
  stub_.Create(std::make_shared<const CreateSpec>(FilledCreateSpec()), nullptr, client.Result());
  FinishLater(client);
  const auto output = client.Output();
  ASSERT_TRUE(output);
  EXPECT_TRUE(WriteSame(*output, FilledCreateResult()));
}

TEST_P(QueriesServiceCall, List) {
  EXPECT_CALL(*impl_, List(_, _))
      .WillOnce(
          [this](const std::shared_ptr<AsyncActivation>&, const ListMethod::ResultCbType& result) {
            Complete([result] { result(std::list<std::string>{"q-1", "q-2", ""}); });
          });
  Client<std::list<std::string>> client;
  stub_.List(nullptr, client.Result());
  FinishLater(client);
  EXPECT_EQ(client.Output(), (std::list<std::string>{"q-1", "q-2", ""}));
}

TEST_P(QueriesServiceCall, Get) {
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([this](const std::string&, const std::shared_ptr<AsyncActivation>&,
                       const GetMethod::ResultCbType& result) {
        Complete([result] { result(std::make_shared<const Info>(FilledInfo())); });
      });
  Client<std::shared_ptr<const Info>> client;
  stub_.Get("q-17", nullptr, client.Result());
  FinishLater(client);
  const auto output = client.Output();
  ASSERT_TRUE(output);
  EXPECT_TRUE(WriteSame(*output, FilledInfo()));
}

TEST_P(QueriesServiceCall, Update) {
  EXPECT_CALL(*impl_, Update("q-17", _, _, _))
      .WillOnce([this](const std::string&, const std::shared_ptr<const UpdateSpec>& spec,
                       const std::shared_ptr<AsyncActivation>&,
                       const UpdateMethod::ResultCbType& result) {
        ASSERT_TRUE(spec);
        EXPECT_TRUE(WriteSame(*spec, FilledUpdateSpec()));
        // A set but empty list stays set.
        ASSERT_TRUE(spec->instances_to_add);
        EXPECT_TRUE(spec->instances_to_add->empty());
        Complete([result] { result(Void()); });
      });
  Client<Void> client;
  stub_.Update("q-17", std::make_shared<const UpdateSpec>(FilledUpdateSpec()), nullptr,
               client.Result());
  FinishLater(client);
  client.Output();
}

TEST_P(QueriesServiceCall, Delete) {
  EXPECT_CALL(*impl_, Delete("q 17/ü", _, _))
      .WillOnce([this](const std::string&, const std::shared_ptr<AsyncActivation>&,
                       const DeleteMethod::ResultCbType& result) {
        Complete([result] { result(Void()); });
      });
  Client<Void> client;
  stub_.Delete("q 17/ü", nullptr, client.Result());
  FinishLater(client);
  client.Output();
}

TEST_P(QueriesServiceCall, Execute) {
  EXPECT_CALL(*impl_, Execute("q-17", _, _))
      .WillOnce([this](const std::string&, const std::shared_ptr<AsyncActivation>&,
                       const ExecuteMethod::ResultCbType& result) {
        Complete([result] { result(std::make_shared<const Result>(FilledResult())); });
      });
  Client<std::shared_ptr<const Result>> client;
  stub_.Execute("q-17", nullptr, client.Result());
  FinishLater(client);
  const auto output = client.Output();
  ASSERT_TRUE(output);
  EXPECT_TRUE(WriteSame(*output, FilledResult()));
  EXPECT_EQ(output->timestamp, Jorv::DateTime::FromMillisSinceEpoch(1700000000123));
}

INSTANTIATE_TEST_SUITE_P(Queries, QueriesServiceCall, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "CompletesLater" : "CompletesAtOnce";
                         });

TEST_F(QueriesServiceTest, NullSpecIsRejectedBeforeAnythingIsSent) {
  // The strict mock fails the test if the implementation is reached.
  Client<std::shared_ptr<const CreateResult>> create;
  stub_.Create(nullptr, nullptr, create.Result());
  ExpectError(
      create.Error(), Std::kInvalidArgument,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.queries.create_spec"}}});

  Client<Void> update;
  stub_.Update("q-17", nullptr, nullptr, update.LongResult());
  ExpectError(
      update.Error(), Std::kInvalidArgument,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.queries.update_spec"}}});
  EXPECT_TRUE(update.calls[0].longForm);
  EXPECT_FALSE(update.calls[0].nativeError);
}

TEST_F(QueriesServiceTest, ProgressReportsReachTheClientBeforeTheOutput) {
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType& result) {
        result.ReportProgress({0, 0, 2});
        result(std::make_shared<const Info>(FilledInfo()));
      });
  Client<std::shared_ptr<const Info>> client;
  stub_.Get("q-17", nullptr, client.LongResult());
  ASSERT_EQ(client.calls.size(), 2u);
  for (const auto& call : client.calls) {
    EXPECT_TRUE(call.longForm);
    EXPECT_FALSE(call.nativeError);
  }
  EXPECT_FALSE(client.calls[0].output);
  EXPECT_EQ(client.calls[0].error, nullptr);
  EXPECT_EQ(client.calls[0].progress, (Progress{0, 0, 2}));
  ASSERT_TRUE(client.calls[1].output);
  EXPECT_TRUE(WriteSame(**client.calls[1].output, FilledInfo()));
  EXPECT_EQ(client.calls[1].error, nullptr);
  EXPECT_EQ(client.calls[1].progress, kCompletion);
}

TEST_F(QueriesServiceTest, FinishedProgressWithoutValueEndsTheCallWithNeither) {
  EXPECT_CALL(*impl_, Delete("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const DeleteMethod::ResultCbType& result) {
        result.ReportProgress({0, 3, 3});
      });
  Client<Void> client;
  stub_.Delete("q-17", nullptr, client.Result());
  ASSERT_EQ(client.calls.size(), 1u);
  EXPECT_FALSE(client.calls[0].output);
  EXPECT_EQ(client.calls[0].error, nullptr);
  EXPECT_EQ(client.calls[0].progress, kCompletion);
}

TEST_F(QueriesServiceTest, EndingWithoutTheOwedOutputIsAnInternalServerError) {
  // A void method may end without a value (above); one that owes an output may not, whether it
  // reports no error value or a finished progress alone.
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType& result) { result.error(nullptr); })
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType& result) {
        result.ReportProgress({0, 2, 2});
      });
  for (int i = 0; i < 2; ++i) {
    Client<std::shared_ptr<const Info>> get;
    stub_.Get("q-17", nullptr, get.Result());
    ASSERT_EQ(get.calls.size(), 1u);
    ExpectError(get.Error(), Std::kInternalServerError, {{MessageIds::kErrorMissing, {"get"}}});
  }
}

TEST_F(QueriesServiceTest, NullRecordResultIsAnInternalServerErrorNamingTheRecord) {
  EXPECT_CALL(*impl_, Execute("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const ExecuteMethod::ResultCbType& result) { result(nullptr); });
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType& result) { result(nullptr); });
  Client<std::shared_ptr<const Result>> execute;
  stub_.Execute("q-17", nullptr, execute.Result());
  ExpectError(execute.Error(), Std::kInternalServerError,
              {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.result"}}});
  Client<std::shared_ptr<const Info>> get;
  stub_.Get("q-17", nullptr, get.Result());
  ExpectError(get.Error(), Std::kInternalServerError,
              {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.queries.info"}}});
}

TEST_F(QueriesServiceTest, ErrorsAreJudgedAgainstTheDeclaredOnes) {
  const auto declared =
      ErrorValue::Create(kNotFound, {BaseMessage("stats.query.unknown", "No query q-9.", {"q-9"})});
  const auto malformed = ErrorValue::GetInstance(kNotFound);
  malformed->SetField(Std::kErrorMessagesField, Int(3));
  const std::vector<std::function<void(const GetMethod::ResultCbType&)>> completions = {
      [&](const GetMethod::ResultCbType& result) { result.error(declared); },
      [](const GetMethod::ResultCbType& result) { result.error(QueryNotFound()); },
      [](const GetMethod::ResultCbType& result) {
        result.error(ErrorValue::GetInstance(kResourceBusy));
      },
      [](const GetMethod::ResultCbType& result) {
        result.error(NativeError{kResourceBusy, {}});
      },
      [&](const GetMethod::ResultCbType& result) { result.error(malformed); },
  };
  auto next = completions.begin();
  EXPECT_CALL(*impl_, Get("q-9", _, _))
      .Times(static_cast<int>(completions.size()))
      .WillRepeatedly([&](const std::string&, const std::shared_ptr<AsyncActivation>&,
                          const GetMethod::ResultCbType& result) { (*next++)(result); });
  std::vector<Client<std::shared_ptr<const Info>>> clients(completions.size());
  for (auto& client : clients) stub_.Get("q-9", nullptr, client.Result());

  // A declared error value passes unchanged, the very same value.
  EXPECT_EQ(clients[0].Error(), declared);
  // A native error becomes an error value of its name and messages.
  ExpectError(clients[1].Error(), kNotFound, {{"stats.query.unknown", {"q-9"}}});
  const std::list<BaseMessage> rendered = clients[1].Error()->GetMessages();
  ASSERT_EQ(rendered.size(), 1u);
  EXPECT_EQ(rendered.front().GetDefaultMessage(), "No query q-9.");
  // An error that get does not declare, as a value or natively, is a provider fault.
  for (int undeclared : {2, 3}) {
    SCOPED_TRACE(undeclared);
    ExpectError(clients[undeclared].Error(), Std::kInternalServerError,
                {{MessageIds::kErrorUndeclared, {"get", kResourceBusy}}});
  }
  const std::list<BaseMessage> invalid = clients[4].Error()->GetMessages();
  ASSERT_FALSE(invalid.empty());
  EXPECT_EQ(clients[4].Error()->GetName(), Std::kInternalServerError);
  EXPECT_EQ(invalid.front().GetId(), MessageIds::kErrorInvalid);
  EXPECT_EQ(invalid.front().GetArgs(), (std::list<std::string>{"get", kNotFound, "messages"}));
}

TEST_F(QueriesServiceTest, ImplementationThatThrowsIsAnsweredOnce) {
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType&) { throw std::runtime_error("store offline"); });
  Client<std::shared_ptr<const Info>> client;
  stub_.Get("q-17", nullptr, client.Result());
  ExpectError(
      client.Error(), Std::kInternalServerError,
      {{MessageIds::kMethodFailed, {"com.zentak.stats.provider.queries/get", "store offline"}}});
}

TEST_F(QueriesServiceTest, OneResultObjectServesTwoCallsEachThroughItsOwnCopy) {
  EXPECT_CALL(*impl_, Delete(_, _, _))
      .Times(2)
      .WillRepeatedly([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                         const DeleteMethod::ResultCbType& result) { result(Void()); });
  Client<Void> client;
  const auto result = client.Result();
  stub_.Delete("a", nullptr, result);
  stub_.Delete("b", nullptr, result);
  EXPECT_EQ(client.calls.size(), 2u);
  // The caller's own object was only copied: it is still armed.
  result(Void());
  EXPECT_EQ(client.calls.size(), 3u);
}

TEST(QueriesServiceDeathTest, RejectedInputSpendsTheCallersOwnResultObject) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  AsyncServiceStub stub(
      std::make_shared<Jorv::Stub::AsyncApiStub>(std::make_shared<InProcessApiProvider>()));
  Client<std::shared_ptr<const CreateResult>> client;
  const auto result = client.Result();
  stub.Create(nullptr, nullptr, result);
  EXPECT_EQ(client.calls.size(), 1u);
  EXPECT_DEATH(result(nullptr), "");
}

// Binding: what the implementation sees, and the published interface driven directly.

TEST_F(QueriesServiceTest, ImplementationSeesTheBindersLocalizerInItsOwnActivation) {
  std::shared_ptr<AsyncActivation> seen;
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([&](const std::string&, const std::shared_ptr<AsyncActivation>& activation,
                    const GetMethod::ResultCbType& result) {
        seen = activation;
        result.error(QueryNotFound());
      });
  const auto caller = std::make_shared<AsyncActivation>();
  Client<std::shared_ptr<const Info>> client;
  stub_.Get("q-17", caller, client.Result());
  ASSERT_TRUE(seen);
  EXPECT_NE(seen, caller);
  ASSERT_TRUE(seen->localizer);
  EXPECT_TRUE(seen->localizer->empty());
  EXPECT_EQ(caller->localizer, nullptr);
  ExpectError(client.Error(), kNotFound, {{"stats.query.unknown", {"q-9"}}});
}

TEST(QueriesServiceBinding, NativeErrorsAreRenderedWithTheBoundLocalizer) {
  const auto impl = std::make_shared<StrictMock<MockQueries>>();
  const auto localizer =
      std::make_shared<Jorv::L10n::Localizer>(Jorv::L10n::Localizer::Translations{
          {"en_US", {{"stats.query.unknown", "Query {1} is unknown."}}}});
  std::vector<std::shared_ptr<AsyncActivation>> seen;
  EXPECT_CALL(*impl, Get("q-9", _, _))
      .Times(2)
      .WillRepeatedly([&](const std::string&, const std::shared_ptr<AsyncActivation>& activation,
                          const GetMethod::ResultCbType& result) {
        seen.push_back(activation);
        result.error(QueryNotFound());
      });
  const auto transport = std::make_shared<InProcessApiProvider>();
  transport->Publish(AsyncServiceBinder::BindImplementation(impl, localizer));
  AsyncServiceStub stub(std::make_shared<Jorv::Stub::AsyncApiStub>(transport));

  // With a locale in the activation the bound localizer renders; without one the default text
  // stays.
  const auto withLocale = std::make_shared<AsyncActivation>();
  withLocale->localeSpec = std::make_shared<Jorv::L10n::LocaleSpec>();
  Client<std::shared_ptr<const Info>> localized;
  stub.Get("q-9", withLocale, localized.Result());
  Client<std::shared_ptr<const Info>> plain;
  stub.Get("q-9", nullptr, plain.Result());

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0]->localizer, localizer);
  EXPECT_EQ(seen[1]->localizer, localizer);
  ASSERT_TRUE(localized.Error());
  ASSERT_TRUE(plain.Error());
  const auto localizedMessages = localized.Error()->GetMessages();
  const auto plainMessages = plain.Error()->GetMessages();
  ASSERT_EQ(localizedMessages.size(), 1u);
  ASSERT_EQ(plainMessages.size(), 1u);
  EXPECT_EQ(localizedMessages.front().GetDefaultMessage(), "Query q-9 is unknown.");
  EXPECT_EQ(localizedMessages.front().GetArgs(), (std::list<std::string>{"q-9"}));
  EXPECT_EQ(plainMessages.front().GetDefaultMessage(), "No query q-9.");
}

TEST(QueriesServiceBinding, PublishesEveryMethodInSlotOrder) {
  const auto published =
      AsyncServiceBinder::BindImplementation(std::make_shared<StrictMock<MockQueries>>());
  ASSERT_TRUE(published);
  EXPECT_EQ(published->GetIdentifier()->GetName(), "com.zentak.stats.provider.queries");
  std::vector<std::string> names;
  for (const auto& method : published->GetMethods()) names.push_back(method->methodName());
  EXPECT_EQ(names,
            (std::vector<std::string>{"create", "list", "get", "update", "delete", "execute"}));
}

TEST(QueriesServiceBinding, BindingTwiceGivesIndependentInterfacesSharingTheImplementation) {
  const auto impl = std::make_shared<StrictMock<MockQueries>>();
  std::vector<std::shared_ptr<Jorv::L10n::Localizer>> localizers;
  EXPECT_CALL(*impl, Get("q-17", _, _))
      .Times(2)
      .WillRepeatedly([&](const std::string&, const std::shared_ptr<AsyncActivation>& activation,
                          const GetMethod::ResultCbType& result) {
        localizers.push_back(activation->localizer);
        result(std::make_shared<const Info>(FilledInfo()));
      });
  const auto first = AsyncServiceBinder::BindImplementation(impl);
  const auto second = AsyncServiceBinder::BindImplementation(impl);
  ASSERT_NE(first, second);
  for (const char* name : {"create", "list", "get", "update", "delete", "execute"}) {
    EXPECT_NE(first->FindMethod(name), second->FindMethod(name)) << name;
  }

  const auto input = Struct(Std::kOperationInputName, {{"query", Str("q-17")}});
  std::vector<int> delivered(2, 0);
  int index = 0;
  for (const auto& published : {first, second}) {
    const int mine = index++;
    published->FindMethod("get")->Invoke(
        input, std::make_shared<AsyncActivation>(),
        AsyncApiResultCb([&delivered, mine](const std::shared_ptr<const MethodResult>& result,
                                            const Progress& progress,
                                            AsyncApiResultCb::Continuation&&) {
          ++delivered[mine];
          EXPECT_TRUE(result && result->output && !result->error);
          EXPECT_EQ(progress, kCompletion);
        }));
  }
  EXPECT_EQ(delivered, (std::vector<int>{1, 1}));
  // Each bind has its own default localizer.
  ASSERT_EQ(localizers.size(), 2u);
  EXPECT_NE(localizers[0], localizers[1]);
}

TEST(QueriesServiceBinding, InputFailingValidationNeverReachesTheImplementation) {
  const auto impl = std::make_shared<StrictMock<MockQueries>>();
  const auto get = AsyncServiceBinder::BindImplementation(impl)->FindMethod("get");
  ASSERT_TRUE(get);
  const auto activation = std::make_shared<AsyncActivation>();
  const auto callerLocalizer = std::make_shared<Jorv::L10n::Localizer>();
  activation->localizer = callerLocalizer;

  std::vector<std::shared_ptr<const MethodResult>> results;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const MethodResult>& result,
                                      const Progress& progress, AsyncApiResultCb::Continuation&&) {
    results.push_back(result);
    EXPECT_EQ(progress, kCompletion);
  });
  get->Invoke(Struct(Std::kOperationInputName, {}), activation, callback);

  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0]);
  EXPECT_EQ(results[0]->output, nullptr);
  ASSERT_TRUE(results[0]->error);
  EXPECT_EQ(results[0]->error->GetName(), Std::kInvalidArgument);
  const std::list<BaseMessage> messages = results[0]->error->GetMessages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front().GetId(), MessageIds::kInputInvalid);
  EXPECT_EQ(messages.front().GetArgs(), (std::list<std::string>{"get", "query"}));
  EXPECT_EQ(activation->localizer, callerLocalizer);
  EXPECT_FALSE(callback.IsArmed());

  // An empty string reads as the default input, whose required spec would be null: refused
  // before the implementation could receive it.
  results.clear();
  const AsyncApiResultCb createCallback(
      [&](const std::shared_ptr<const MethodResult>& result, const Progress&,
          AsyncApiResultCb::Continuation&&) { results.push_back(result); });
  AsyncServiceBinder::BindImplementation(impl)->FindMethod("create")->Invoke(
      Jorv::Data::DataValue::Create(std::string()), activation, createCallback);
  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0] && results[0]->error);
  EXPECT_EQ(results[0]->error->GetName(), Std::kInvalidArgument);
  const std::list<BaseMessage> refused = results[0]->error->GetMessages();
  ASSERT_FALSE(refused.empty());
  EXPECT_EQ(refused.front().GetArgs(), (std::list<std::string>{"create", "spec"}));
}

TEST(QueriesServiceBinding, UnconnectedSignalAnswersWithoutValidatingTheInput) {
  const auto signal = Jorv::Provider::AsyncApiMethodSignal::GetInstance(
      GetMethod::methodName(), GetMethod::inputDef(), GetMethod::outputDef(),
      GetMethod::errorDefs(), std::make_shared<Jorv::L10n::Localizer>());
  std::vector<std::shared_ptr<const MethodResult>> results;
  const AsyncApiResultCb callback([&](const std::shared_ptr<const MethodResult>& result,
                                      const Progress& progress, AsyncApiResultCb::Continuation&&) {
    results.push_back(result);
    EXPECT_EQ(progress, kCompletion);
  });
  // This input would fail validation: the answer shows validation did not run.
  signal->Invoke(Struct("com.example.not.an.input", {}), std::make_shared<AsyncActivation>(),
                 callback);
  ASSERT_EQ(results.size(), 1u);
  ASSERT_TRUE(results[0]);
  EXPECT_EQ(results[0]->output, nullptr);
  ExpectError(results[0]->error, Std::kInternalServerError,
              {{MessageIds::kSignalNotConnected, {}}});
  EXPECT_FALSE(callback.IsArmed());
}

TEST(QueriesResultWrapper, OutputThatDoesNotReadAsInfoIsBareInvalidArgument) {
  using Wrapper = Jorv::Stub::AsyncResultWrapper::ResultWrapper<std::shared_ptr<const Info>,
                                                                GetMethod::ResultCbType>;
  const auto info = WriteOk(FilledInfo());
  Client<std::shared_ptr<const Info>> client;
  const Wrapper wrapper(client.Result());
  wrapper(MethodResult::Create(Edited(info, {{"owner", nullptr}}), nullptr), {0, 0, 2}, nullptr);
  ExpectError(client.Error(), "invalid_argument",
              {{MessageIds::kMissingField, {"owner", "com.zentak.stats.provider.queries.info"}}});
}

}  // namespace
