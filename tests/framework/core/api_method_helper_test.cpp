#include "framework/core/api_method_helper.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "framework/core/standard_names.h"
#include "framework/data/std_records.h"
#include "support/service_client.h"
#include "support/values.h"

namespace Jorv::Provider {
namespace {

using Data::DataDefinitionPtr;
using Data::ErrorValue;
using Data::StructDefinition;

// A completed result without output in one line: its error's summary.
std::string Failure(const std::shared_ptr<const Core::MethodResult>& result) {
  EXPECT_TRUE(result && result->completed && !result->output);
  return result ? Testing::Summary(result->error) : "no result";
}

const DataDefinitionPtr kString = Data::DataDefinition::Create<std::string>();

// The definition of a standard error record named `name`: a required list of localizable
// messages, plus `extra` fields.
std::shared_ptr<const StructDefinition> ErrorDef(const std::string& name,
                                                 StructDefinition::Fields extra = {}) {
  extra[Std::kErrorMessagesField] = Data::ListDefinition::GetInstance(
      Testing::Define<Com::Zentak::Jorv::Std::LocalizableMessage>());
  return StructDefinition::GetInstance(name, extra);
}

TEST(ApiMethodHelper, ErrorsPassAsTheSameValueOnlyWhenDeclaredAndConforming) {
  // A reference does not keep its target alive; one without target declares nothing.
  const auto busyDefinition = ErrorDef("busy");
  auto ref = Data::StructRefDefinition::GetInstance("busy");
  ref->SetTarget(busyDefinition);
  const std::list<DataDefinitionPtr> declared = {ErrorDef("not_found", {{"id", kString}}), ref,
                                                 Data::StructRefDefinition::GetInstance("gone"),
                                                 nullptr};
  auto notFound = std::make_shared<ErrorValue>("not_found");
  notFound->SetField("id", Data::DataValue::Create(std::string("x")));
  notFound->SetField(Std::kErrorMessagesField, Data::ListValue::GetInstance(1));
  const std::shared_ptr<const ErrorValue> busy = ErrorValue::GetInstance("busy");
  for (const std::shared_ptr<const ErrorValue>& error :
       {std::shared_ptr<const ErrorValue>(notFound), busy}) {
    EXPECT_EQ(ApiMethodHelper::ValidateError("get", declared, error)->error, error);
  }
  const char* kInternal = "com.zentak.jorv.std.errors.internal_server_error ";
  EXPECT_EQ(Failure(ApiMethodHelper::ValidateError("get", declared,
                                                   ErrorValue::GetInstance("not_found"))),
            kInternal + std::string("jorv.provider.error.invalid(get, not_found, id) "
                                    "jorv.data.validation.missing.field(id)"));
  EXPECT_EQ(
      Failure(ApiMethodHelper::ValidateError("get", declared, ErrorValue::GetInstance("gone"))),
      kInternal + std::string("jorv.provider.error.undeclared(get, gone)"));
  EXPECT_EQ(Failure(ApiMethodHelper::ValidateError("get", declared, nullptr)),
            kInternal + std::string("jorv.provider.error.missing(get)"));
  // The two implicit errors pass unchecked, unless a method declares them.
  for (const char* name : {Std::kInvalidArgument, Std::kInternalServerError}) {
    const std::shared_ptr<const ErrorValue> bare = std::make_shared<ErrorValue>(name);
    EXPECT_EQ(ApiMethodHelper::ValidateError("get", {}, bare)->error, bare);
    EXPECT_EQ(Failure(ApiMethodHelper::ValidateError("get", {ErrorDef(name)}, bare)),
              kInternal + std::string("jorv.provider.error.invalid(get, ") + name +
                  ", messages) jorv.data.validation.missing.field(messages)");
  }
}

}  // namespace
}  // namespace Jorv::Provider
