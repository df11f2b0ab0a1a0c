#include "stats/provider/stream/service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/in_process_transport.h"
#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "support/conversions.h"
#include "support/service_client.h"

namespace {

using namespace Com::Zentak::Stats::Provider::StreamSvc;
using namespace Jorv::Testing;
using Jorv::Void;
using Jorv::Core::InProcessApiProvider;
using Jorv::Data::ErrorValue;
using testing::_;
using testing::StrictMock;

namespace MessageIds = Jorv::MessageIds;
namespace Std = Jorv::Std;

constexpr char kNotAllowed[] = "com.zentak.jorv.std.errors.not_allowed_in_current_state";

// Attach is declared for completeness only: these tests never reach it.
class MockStream : public AsyncServiceInterface {
 public:
  MOCK_METHOD(void, Create,
              (const std::string&, const std::shared_ptr<const CreateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const CreateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Get,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const GetMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Update,
              (const std::string&, const std::shared_ptr<const UpdateSpec>&,
               const std::shared_ptr<AsyncActivation>&, const UpdateMethod::ResultCbType&),
              (override));
  MOCK_METHOD(void, Attach,
              (const std::string&, const std::shared_ptr<const AttachSpec>&,
               const std::shared_ptr<AsyncActivation>&, const AttachMethod::StreamResultCbType&),
              (override));
  MOCK_METHOD(void, Delete,
              (const std::string&, const std::shared_ptr<AsyncActivation>&,
               const DeleteMethod::ResultCbType&),
              (override));
};

CreateSpec FilledCreateSpec() {
  CreateSpec spec;
  spec.interval = 5;
  spec.timeout = 60;
  return spec;
}

UpdateSpec FilledUpdateSpec() {
  UpdateSpec spec;
  spec.interval = 10;
  spec.buffer = 0;
  return spec;
}

Info FilledInfo() {
  Info info;
  info.interval = 5;
  info.timeout = 60;
  info.buffer = 16;
  return info;
}

class StreamServiceTest : public testing::Test {
 protected:
  StreamServiceTest() { transport_->Publish(AsyncServiceBinder::BindImplementation(impl_)); }

  std::shared_ptr<StrictMock<MockStream>> impl_ = std::make_shared<StrictMock<MockStream>>();
  std::shared_ptr<InProcessApiProvider> transport_ = std::make_shared<InProcessApiProvider>();
  AsyncServiceStub stub_{std::make_shared<Jorv::Stub::AsyncApiStub>(transport_)};
};

TEST_F(StreamServiceTest, SingleResultMethodsCarryArgumentsAndResults) {
  EXPECT_CALL(*impl_, Create("q-17", _, _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<const CreateSpec>& spec,
                   const std::shared_ptr<AsyncActivation>&,
                   const CreateMethod::ResultCbType& result) {
        ASSERT_TRUE(spec);
        EXPECT_TRUE(WriteSame(*spec, FilledCreateSpec()));
        EXPECT_FALSE(spec->buffer);
        result(Void());
      });
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const GetMethod::ResultCbType& result) {
        result(std::make_shared<const Info>(FilledInfo()));
      });
  EXPECT_CALL(*impl_, Update("q-17", _, _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<const UpdateSpec>& spec,
                   const std::shared_ptr<AsyncActivation>&,
                   const UpdateMethod::ResultCbType& result) {
        ASSERT_TRUE(spec);
        EXPECT_TRUE(WriteSame(*spec, FilledUpdateSpec()));
        EXPECT_EQ(spec->buffer, boost::optional<long long>(0));
        EXPECT_FALSE(spec->timeout);
        result(Void());
      });
  EXPECT_CALL(*impl_, Delete("q-17", _, _))
      .WillOnce([](const std::string&, const std::shared_ptr<AsyncActivation>&,
                   const DeleteMethod::ResultCbType& result) { result(Void()); });

  Client<Void> create;
  Client<std::shared_ptr<const Info>> get;
  Client<Void> update;
  Client<Void> remove;
  stub_.Create("q-17", std::make_shared<const CreateSpec>(FilledCreateSpec()), nullptr,
               create.Result());
  stub_.Get("q-17", nullptr, get.Result());
  stub_.Update("q-17", std::make_shared<const UpdateSpec>(FilledUpdateSpec()), nullptr,
               update.Result());
  stub_.Delete("q-17", nullptr, remove.Result());
  create.Output();
  const auto info = get.Output();
  ASSERT_TRUE(info);
  EXPECT_TRUE(WriteSame(*info, FilledInfo()));
  update.Output();
  remove.Output();
}

TEST_F(StreamServiceTest, NullSpecsAreRejectedBeforeAnythingIsSent) {
  Client<Void> create;
  stub_.Create("q-17", nullptr, nullptr, create.Result());
  ExpectError(
      create.Error(), Std::kInvalidArgument,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.stream.create_spec"}}});
  Client<Void> update;
  stub_.Update("q-17", nullptr, nullptr, update.Result());
  ExpectError(
      update.Error(), Std::kInvalidArgument,
      {{MessageIds::kUnsetNonOptionalField, {"com.zentak.stats.provider.stream.update_spec"}}});
}

TEST_F(StreamServiceTest, AnErrorIsJudgedAgainstTheErrorsOfItsOwnMethod) {
  const auto notAllowed = ErrorValue::GetInstance(kNotAllowed);
  EXPECT_CALL(*impl_, Delete("q-17", _, _))
      .WillOnce([&](const std::string&, const std::shared_ptr<AsyncActivation>&,
                    const DeleteMethod::ResultCbType& result) { result.error(notAllowed); });
  EXPECT_CALL(*impl_, Get("q-17", _, _))
      .WillOnce([&](const std::string&, const std::shared_ptr<AsyncActivation>&,
                    const GetMethod::ResultCbType& result) { result.error(notAllowed); });
  Client<Void> remove;
  stub_.Delete("q-17", nullptr, remove.Result());
  EXPECT_EQ(remove.Error(), notAllowed);
  Client<std::shared_ptr<const Info>> get;
  stub_.Get("q-17", nullptr, get.Result());
  ExpectError(get.Error(), Std::kInternalServerError,
              {{MessageIds::kErrorUndeclared, {"get", kNotAllowed}}});
}

TEST(StreamServiceBinding, PublishesEveryMethodInSlotOrder) {
  const auto published =
      AsyncServiceBinder::BindImplementation(std::make_shared<StrictMock<MockStream>>());
  ASSERT_TRUE(published);
  EXPECT_EQ(published->GetIdentifier()->GetName(), "com.zentak.stats.provider.stream");
  std::vector<std::string> names;
  for (const auto& method : published->GetMethods()) names.push_back(method->methodName());
  EXPECT_EQ(names, (std::vector<std::string>{"create", "get", "update", "attach", "delete"}));
}

}  // namespace
