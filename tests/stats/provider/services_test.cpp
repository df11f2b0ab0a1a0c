// A service end to end: client stub, in-process transport, the interface the binder publishes,
// signal with validation, filters, a mocked implementation, and back. The Queries service
// stands for all three: they differ only in their method descriptors (records_test.cpp). How
// each method's arguments and output travel is shown by the demo provider's services test.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "stats/provider/stats_provider.h"
#include "support/service_client.h"
#include "support/values.h"

namespace {

namespace P = Com::Zentak::Stats::Provider;
namespace Q = P::QueriesSvc;
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

constexpr Progress kCompletion{0, 1, 1};
constexpr char kInternal[] = "com.zentak.jorv.std.errors.internal_server_error";

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

NativeError QueryNotFound() {
  return NativeError{"com.zentak.jorv.std.errors.not_found",
                     {BaseMessage("stats.query.unknown", "No query q-9.", {"q-9"})}};
}

class Queries : public testing::Test {
 protected:
  Queries() { transport->Publish(Q::AsyncServiceBinder::BindImplementation(impl)); }
  std::shared_ptr<StrictMock<MockQueries>> impl = std::make_shared<StrictMock<MockQueries>>();
  std::shared_ptr<Jorv::Core::InProcessApiProvider> transport =
      std::make_shared<Jorv::Core::InProcessApiProvider>();
  Q::AsyncServiceStub stub{std::make_shared<Jorv::Stub::AsyncApiStub>(transport)};
};

TEST_F(Queries, ACallEndsWithItsOutputOrOneErrorAfterItsProgressReports) {
  const auto declared = ErrorValue::Create(QueryNotFound().name, QueryNotFound().messages);
  const auto busy = ErrorValue::GetInstance("com.zentak.jorv.std.errors.resource_busy");
  EXPECT_CALL(*impl, Get("q-9", _, _))
      .WillOnce([](auto, auto, auto r) {
        r.ReportProgress({0, 0, 2});
        // The client's result completes with the completion progress whatever came with it.
        r.Complete(std::make_shared<const Q::Info>(), nullptr, boost::none, {0, 2, 2});
      })
      .WillOnce([&](auto, auto, auto r) { r.error(declared); })
      .WillOnce([](auto, auto, auto r) { r.error(QueryNotFound()); })
      .WillOnce([&](auto, auto, auto r) { r.error(busy); })
      .WillOnce([](auto, auto, auto r) {
        r.error(NativeError{"com.zentak.jorv.std.errors.resource_busy", {}});
      })
      .WillOnce([](auto, auto, auto r) { r.error(nullptr); })
      .WillOnce([](auto, auto, auto r) {
        r.ReportProgress({0, 2, 2});
      })
      .WillOnce([](auto, auto, auto r) { r(nullptr); })
      .WillOnce([](auto, auto, auto) { throw std::runtime_error("store offline"); });
  EXPECT_CALL(*impl, Delete("q-9", _, _)).WillOnce([](auto, auto, auto r) {
    r.ReportProgress({0, 3, 3});
  });
  std::vector<Client<Ptr<Q::Info>>> gets(9);
  stub.Get("q-9", nullptr, gets[0].LongResult());
  for (std::size_t i = 1; i < gets.size(); ++i) stub.Get("q-9", nullptr, gets[i].Result());
  Client<Void> removed;
  stub.Delete("q-9", nullptr, removed.Result());

  ASSERT_EQ(gets[0].calls.size(), 2u);
  EXPECT_TRUE(!gets[0].calls[0].output && !gets[0].calls[0].error &&
              gets[0].calls[0].progress == (Progress{0, 0, 2}));
  EXPECT_TRUE(gets[0].calls[1].output && !gets[0].calls[1].nativeError &&
              gets[0].calls[1].progress == kCompletion);
  // A declared error value passes as the very same value, a native error as an error value of
  // its name and messages; an undeclared one is a provider fault, and so is ending without the
  // owed output, a null record or a throw. A void method may end without a value.
  EXPECT_EQ(gets[1].Error(), declared);
  const std::string undeclared =
      std::string(kInternal) +
      " jorv.provider.error.undeclared(get, com.zentak.jorv.std.errors.resource_busy)";
  const std::string missing = std::string(kInternal) + " jorv.provider.error.missing(get)";
  EXPECT_EQ(
      (std::vector<std::string>{gets[2].ErrorText(), gets[3].ErrorText(), gets[4].ErrorText(),
                                gets[5].ErrorText(), gets[6].ErrorText(), gets[7].ErrorText(),
                                gets[8].ErrorText()}),
      (std::vector<std::string>{
          "com.zentak.jorv.std.errors.not_found stats.query.unknown(q-9)", undeclared, undeclared,
          missing, missing,
          std::string(kInternal) +
              " jorv.data.unset.non.optional.field(com.zentak.stats.provider.queries.info)",
          std::string(kInternal) +
              " jorv.core.method.failed(com.zentak.stats.provider.queries/get, store offline)"}));
  EXPECT_EQ(gets[2].Error()->GetMessages().front().defaultMessage, "No query q-9.");
  EXPECT_EQ(removed.ErrorText(), "none");
}

TEST_F(Queries, InputsThatDoNotConformAreRefusedBeforeTheImplementation) {
  // The strict mock fails the test if the implementation is reached. The stub refuses what it
  // cannot convert before anything is sent.
  Client<Ptr<Q::CreateResult>> create;
  stub.Create(nullptr, nullptr, create.Result());
  Client<Void> update;
  stub.Update("q-17", nullptr, nullptr, update.LongResult());
  EXPECT_EQ(create.ErrorText(),
            "com.zentak.jorv.std.errors.invalid_argument "
            "jorv.data.unset.non.optional.field(com.zentak.stats.provider.queries.create_spec)");
  EXPECT_EQ(update.ErrorText(),
            "com.zentak.jorv.std.errors.invalid_argument "
            "jorv.data.unset.non.optional.field(com.zentak.stats.provider.queries.update_spec)");
  EXPECT_FALSE(update.calls[0].nativeError);

  // The published method's signal validates what it is handed.
  const auto published = Q::AsyncServiceBinder::BindImplementation(impl);
  std::vector<std::string> results;
  const auto record = [&results] {
    return AsyncApiResultCb([&results](const std::shared_ptr<const MethodResult>& result,
                                       const Progress&, AsyncApiResultCb::Continuation&&) {
      results.push_back(result->output ? "output" : Summary(result->error));
    });
  };
  published->FindMethod("get")->Invoke(Struct(Jorv::Std::kOperationInputName, {}), nullptr,
                                       record());
  // An empty text reads as the default input, whose required spec would be null.
  published->FindMethod("create")->Invoke(Str(""), nullptr, record());
  EXPECT_EQ(results,
            (std::vector<std::string>{
                "com.zentak.jorv.std.errors.invalid_argument jorv.provider.input.invalid(get, "
                "query) jorv.data.validation.missing.field(query)",
                "com.zentak.jorv.std.errors.invalid_argument jorv.provider.input.invalid(create, "
                "spec) jorv.data.validation.missing.field(spec)"}));
}

TEST(QueriesBinding, EachBindGivesTheImplementationItsOwnLocalizerWhichRendersNativeErrors) {
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
  EXPECT_EQ(withLocale->localizer, nullptr);
  EXPECT_EQ(seen[1]->localizer, localizer);
  ASSERT_TRUE(seen[2]->localizer);
  EXPECT_NE(seen[2]->localizer, localizer);
  EXPECT_EQ(localized.Error()->GetMessages().front().defaultMessage, "Query q-9 is unknown.");
  EXPECT_EQ(plain.Error()->GetMessages().front().defaultMessage, "No query q-9.");
}

}  // namespace
