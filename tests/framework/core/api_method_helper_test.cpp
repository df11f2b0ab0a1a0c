#include "framework/core/api_method_helper.h"

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"
#include "support/service_client.h"

namespace Jorv {
namespace Provider {
namespace {

using Data::DataDefinitionPtr;
using Data::DataValue;
using Data::ErrorValue;
using Data::StructDefinition;
using Testing::ExpectedMessage;

// Expects a completed result without output whose error is `name` with exactly `messages`.
void ExpectError(const std::shared_ptr<const Core::MethodResult>& result, const std::string& name,
                 const std::vector<ExpectedMessage>& messages) {
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->completed);
  EXPECT_EQ(result->output, nullptr);
  Testing::ExpectError(result->error, name, messages);
}

const DataDefinitionPtr kString = Data::DataDefinition::Create<std::string>();
const DataDefinitionPtr kInt = Data::DataDefinition::Create<long long>();

// The definition of a standard error record named `name`: a required list of localizable
// messages, plus `extra` fields.
std::shared_ptr<const StructDefinition> ErrorDef(const std::string& name,
                                                 StructDefinition::Fields extra = {}) {
  const auto message = StructDefinition::GetInstance(
      Std::kLocalizableMessageName,
      {{Std::kLocalizableMessageId, kString},
       {Std::kLocalizableMessageDefaultMessage, kString},
       {Std::kLocalizableMessageArgs, Data::ListDefinition::GetInstance(kString)}});
  extra[Std::kErrorMessagesField] = Data::ListDefinition::GetInstance(message);
  return StructDefinition::GetInstance(name, extra);
}

TEST(ApiMethodHelper, InputsAndOutputsThatDoNotConformAreBlamedOnTheirSide) {
  const auto input = StructDefinition::GetInstance("in", {{"n", kInt}});
  auto value = Data::StructValue::GetInstance("in");
  value->SetField("n", DataValue::Create(3LL));
  const auto untouched = Core::MethodResult::Create(nullptr, nullptr);
  auto result = untouched;
  EXPECT_TRUE(ApiMethodHelper::ValidateInput("list", input, value, result));
  EXPECT_EQ(result, untouched);
  value->SetField("n", DataValue::Create(std::string("three")));
  EXPECT_FALSE(ApiMethodHelper::ValidateInput("list", input, value, result));
  ExpectError(result, Std::kInvalidArgument,
              {{MessageIds::kInputInvalid, {"list", "n"}},
               {MessageIds::kValidationParse, {"three", "n", "integer"}}});
  EXPECT_EQ(result->error->GetMessages().front().defaultMessage,
            "The input of method list does not conform at 'n'.");

  const Data::DataValuePtr output = DataValue::Create(5LL);
  result = ApiMethodHelper::ValidateOutput("count", kInt, output);
  ASSERT_TRUE(result && result->completed);
  EXPECT_EQ(result->output, output);
  EXPECT_EQ(result->error, nullptr);
  ExpectError(ApiMethodHelper::ValidateOutput("count", Data::ListDefinition::GetInstance(kInt),
                                              Data::StructValue::GetInstance("x")),
              Std::kInternalServerError,
              {{MessageIds::kOutputInvalid, {"count", ""}},
               {MessageIds::kValidationKind, {"list", "", "structure"}}});
}

TEST(ApiMethodHelper, ErrorsPassAsTheSameValueOnlyWhenDeclaredAndConforming) {
  // A reference does not keep its target alive.
  const auto busyDefinition = ErrorDef("com.example.busy");
  auto ref = Data::StructRefDefinition::GetInstance("com.example.busy");
  ref->SetTarget(busyDefinition);
  const std::list<DataDefinitionPtr> declared = {
      ErrorDef("com.example.not_found", {{"id", kString}}), ref,
      Data::StructRefDefinition::GetInstance("com.example.gone"), nullptr};
  auto notFound = std::make_shared<ErrorValue>("com.example.not_found");
  notFound->SetField("id", DataValue::Create(std::string("x")));
  notFound->SetField(Std::kErrorMessagesField, Data::ListValue::GetInstance(1));
  const std::shared_ptr<const ErrorValue> busy = ErrorValue::GetInstance("com.example.busy");
  for (const std::shared_ptr<const ErrorValue>& error :
       {std::shared_ptr<const ErrorValue>(notFound), busy}) {
    const auto result = ApiMethodHelper::ValidateError("get", declared, error);
    ASSERT_TRUE(result && result->completed);
    EXPECT_EQ(result->error, error);
    EXPECT_EQ(result->output, nullptr);
  }

  ExpectError(ApiMethodHelper::ValidateError("get", declared,
                                             ErrorValue::GetInstance("com.example.not_found")),
              Std::kInternalServerError,
              {{MessageIds::kErrorInvalid, {"get", "com.example.not_found", "id"}},
               {MessageIds::kValidationMissingField, {"id"}}});
  // A reference without target declares nothing.
  ExpectError(
      ApiMethodHelper::ValidateError("get", declared, ErrorValue::GetInstance("com.example.gone")),
      Std::kInternalServerError, {{MessageIds::kErrorUndeclared, {"get", "com.example.gone"}}});
  ExpectError(ApiMethodHelper::ValidateError("get", declared, nullptr), Std::kInternalServerError,
              {{MessageIds::kErrorMissing, {"get"}}});
}

TEST(ApiMethodHelper, ImplicitErrorsPassUncheckedUnlessDeclared) {
  for (const char* name : {Std::kInvalidArgument, Std::kInternalServerError}) {
    EXPECT_TRUE(ApiMethodHelper::IsImplicitError(name));
    // Without its "messages" field the error conforms to no standard record, yet it passes.
    const std::shared_ptr<const ErrorValue> bare = std::make_shared<ErrorValue>(name);
    EXPECT_EQ(ApiMethodHelper::ValidateError("get", {}, bare)->error, bare);
    ExpectError(ApiMethodHelper::ValidateError("get", {ErrorDef(name)}, bare),
                Std::kInternalServerError,
                {{MessageIds::kErrorInvalid, {"get", name, "messages"}},
                 {MessageIds::kValidationMissingField, {"messages"}}});
  }
  EXPECT_FALSE(ApiMethodHelper::IsImplicitError("com.zentak.jorv.std.errors.not_found"));
}

}  // namespace
}  // namespace Provider
}  // namespace Jorv
