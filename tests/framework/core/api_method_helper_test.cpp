#include "framework/core/api_method_helper.h"

#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "framework/core/standard_names.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Provider {
namespace {

using Data::DataDefinitionPtr;
using Data::DataValue;
using Data::DataValuePtr;
using Data::DefinitionType;
using Data::ErrorValue;
using Data::StructDefinition;

struct Expected {
  std::string id;
  std::list<std::string> args;
};

// Expects a completed result without output whose error is `name` with exactly `messages`.
void ExpectError(const std::shared_ptr<const Core::MethodResult>& result, const std::string& name,
                 const std::vector<Expected>& messages) {
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->completed);
  EXPECT_EQ(result->output, nullptr);
  ASSERT_TRUE(result->error);
  EXPECT_EQ(result->error->GetName(), name);
  const std::list<BaseMessage> got = result->error->GetMessages();
  ASSERT_EQ(got.size(), messages.size());
  auto message = got.begin();
  for (const Expected& expected : messages) {
    EXPECT_EQ(message->GetId(), expected.id);
    EXPECT_EQ(message->GetArgs(), expected.args);
    ++message;
  }
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

const auto kInput = StructDefinition::GetInstance("in", {{"n", kInt}});

TEST(ApiMethodHelper, ValidateInputLeavesTheResultAloneWhenTheInputConforms) {
  auto value = Data::StructValue::GetInstance("in");
  value->SetField("n", DataValue::Create(3LL));
  const auto untouched = Core::MethodResult::Create(nullptr, nullptr);
  auto result = untouched;
  EXPECT_TRUE(ApiMethodHelper::ValidateInput("list", kInput, value, result));
  EXPECT_EQ(result, untouched);
}

TEST(ApiMethodHelper, ValidateInputRejectsWithInvalidArgument) {
  auto value = Data::StructValue::GetInstance("in");
  value->SetField("n", DataValue::Create(std::string("three")));
  std::shared_ptr<const Core::MethodResult> result;
  EXPECT_FALSE(ApiMethodHelper::ValidateInput("list", kInput, value, result));
  ExpectError(result, Std::kInvalidArgument,
              {{MessageIds::kInputInvalid, {"list", "n"}},
               {MessageIds::kValidationParse, {"three", "n", "integer"}}});
  EXPECT_EQ(result->error->GetMessages().front().GetDefaultMessage(),
            "The input of method list does not conform at 'n'.");

  EXPECT_FALSE(ApiMethodHelper::ValidateInput("list", kInput, nullptr, result));
  ExpectError(result, Std::kInvalidArgument,
              {{MessageIds::kInputInvalid, {"list", ""}},
               {MessageIds::kValidationKind, {"structure", "", "null"}}});
}

TEST(ApiMethodHelper, ValidateOutputPassesTheSameValueOrReportsAServerError) {
  const DataValuePtr output = DataValue::Create(5LL);
  const auto result = ApiMethodHelper::ValidateOutput("count", kInt, output);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->completed);
  EXPECT_EQ(result->output, output);
  EXPECT_EQ(result->error, nullptr);

  ExpectError(ApiMethodHelper::ValidateOutput("count", Data::ListDefinition::GetInstance(kInt),
                                              Data::StructValue::GetInstance("x")),
              Std::kInternalServerError,
              {{MessageIds::kOutputInvalid, {"count", ""}},
               {MessageIds::kValidationKind, {"list", "", "structure"}}});
}

TEST(ApiMethodHelper, DeclaredErrorsPassAsTheSamePointerWhenTheyConform) {
  auto ref = Data::StructRefDefinition::GetInstance("com.example.busy");
  const auto busy = ErrorDef("com.example.busy");
  ref->SetTarget(busy);
  const std::list<DataDefinitionPtr> declared = {ErrorDef("com.example.not_found"), ref};

  const std::shared_ptr<const ErrorValue> notFound =
      ErrorValue::Create("com.example.not_found", {MakeMessage("m.id", "{1}", std::string("a"))});
  auto result = ApiMethodHelper::ValidateError("get", declared, notFound);
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->completed);
  EXPECT_EQ(result->output, nullptr);
  EXPECT_EQ(result->error, notFound);

  const std::shared_ptr<const ErrorValue> viaRef = ErrorValue::GetInstance("com.example.busy");
  EXPECT_EQ(ApiMethodHelper::ValidateError("get", declared, viaRef)->error, viaRef);
}

TEST(ApiMethodHelper, DeclaredErrorsThatDoNotConformBecomeServerErrors) {
  const std::list<DataDefinitionPtr> declared = {
      ErrorDef("com.example.not_found", {{"id", kString}})};

  // A required field of the declared record is missing.
  ExpectError(ApiMethodHelper::ValidateError("get", declared,
                                             ErrorValue::GetInstance("com.example.not_found")),
              Std::kInternalServerError,
              {{MessageIds::kErrorInvalid, {"get", "com.example.not_found", "id"}},
               {MessageIds::kValidationMissingField, {"id"}}});

  // A message entry of the wrong shape.
  auto malformed = std::make_shared<ErrorValue>("com.example.not_found");
  malformed->SetField("id", DataValue::Create(std::string("x")));
  auto messages = Data::ListValue::GetInstance(1);
  messages->Append(DataValue::Create(1LL));
  malformed->SetField(Std::kErrorMessagesField, messages);
  ExpectError(ApiMethodHelper::ValidateError("get", declared, malformed), Std::kInternalServerError,
              {{MessageIds::kErrorInvalid, {"get", "com.example.not_found", "messages[0]"}},
               {MessageIds::kValidationKind, {"structure", "messages[0]", "integer"}}});
}

TEST(ApiMethodHelper, ImplicitErrorsPassUncheckedUnlessDeclared) {
  EXPECT_TRUE(ApiMethodHelper::IsImplicitError(Std::kInvalidArgument));
  EXPECT_TRUE(ApiMethodHelper::IsImplicitError(Std::kInternalServerError));
  EXPECT_FALSE(ApiMethodHelper::IsImplicitError("com.zentak.jorv.std.errors.not_found"));

  // Without its "messages" field the error conforms to no standard record, yet it passes.
  for (const char* name : {Std::kInvalidArgument, Std::kInternalServerError}) {
    const std::shared_ptr<const ErrorValue> bare = std::make_shared<ErrorValue>(name);
    const auto result = ApiMethodHelper::ValidateError("get", {}, bare);
    EXPECT_EQ(result->error, bare);
    EXPECT_EQ(result->output, nullptr);
    EXPECT_TRUE(result->completed);
  }

  // A method that declares one is held to its declaration.
  const std::shared_ptr<const ErrorValue> bare =
      std::make_shared<ErrorValue>(Std::kInvalidArgument);
  ExpectError(ApiMethodHelper::ValidateError("get", {ErrorDef(Std::kInvalidArgument)}, bare),
              Std::kInternalServerError,
              {{MessageIds::kErrorInvalid, {"get", Std::kInvalidArgument, "messages"}},
               {MessageIds::kValidationMissingField, {"messages"}}});
}

TEST(ApiMethodHelper, UndeclaredAndMissingErrorsBecomeServerErrors) {
  const std::list<DataDefinitionPtr> declared = {
      ErrorDef("com.example.not_found"), Data::StructRefDefinition::GetInstance("com.example.busy"),
      nullptr};
  // A reference without target declares nothing.
  ExpectError(
      ApiMethodHelper::ValidateError("get", declared, ErrorValue::GetInstance("com.example.busy")),
      Std::kInternalServerError, {{MessageIds::kErrorUndeclared, {"get", "com.example.busy"}}});
  ExpectError(ApiMethodHelper::ValidateError("get", declared, nullptr), Std::kInternalServerError,
              {{MessageIds::kErrorMissing, {"get"}}});
}

}  // namespace
}  // namespace Provider
}  // namespace Jorv
