#include "framework/core/api_method_helper.h"

#include <utility>

#include "framework/core/standard_names.h"
#include "framework/core/validation.h"
#include "framework/text/message_catalog.h"

namespace Jorv {
namespace Provider {
namespace {

template <class... Args>
BaseMessage Make(const char* id, Args... args) {
  return MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id), std::move(args)...);
}

std::shared_ptr<const Core::MethodResult> Failed(const char* errorName,
                                                 std::list<BaseMessage> messages) {
  return Core::MethodResult::Create(nullptr, Data::ErrorValue::Create(errorName, messages));
}

// The structure definition in `definitions` named `name`, looking through references.
std::shared_ptr<const Data::StructDefinition> FindDeclared(
    const std::list<Data::DataDefinitionPtr>& definitions, const std::string& name) {
  for (const Data::DataDefinitionPtr& definition : definitions) {
    std::shared_ptr<const Data::StructDefinition> target;
    if (!definition) continue;
    if (definition->GetType() == Data::DefinitionType::STRUCTURE) {
      target = std::static_pointer_cast<const Data::StructDefinition>(definition);
    } else if (definition->GetType() == Data::DefinitionType::STRUCT_REF) {
      target = static_cast<const Data::StructRefDefinition&>(*definition).GetTarget();
    }
    if (target && target->GetName() == name) return target;
  }
  return nullptr;
}

}  // namespace

bool ApiMethodHelper::ValidateInput(const std::string& methodName,
                                    const Data::DataDefinitionPtr& inputDefinition,
                                    const Data::DataValuePtr& input,
                                    std::shared_ptr<const Core::MethodResult>& result) {
  auto failure = Data::Validate(inputDefinition, input);
  if (!failure) return true;
  result = Failed(Std::kInvalidArgument,
                  {Make(MessageIds::kInputInvalid, methodName, std::move(failure->path)),
                   std::move(failure->message)});
  return false;
}

std::shared_ptr<const Core::MethodResult> ApiMethodHelper::ValidateOutput(
    const std::string& methodName, const Data::DataDefinitionPtr& outputDefinition,
    const Data::DataValuePtr& output) {
  auto failure = Data::Validate(outputDefinition, output);
  if (!failure) return Core::MethodResult::Create(output, nullptr);
  return Failed(Std::kInternalServerError,
                {Make(MessageIds::kOutputInvalid, methodName, std::move(failure->path)),
                 std::move(failure->message)});
}

std::shared_ptr<const Core::MethodResult> ApiMethodHelper::ValidateError(
    const std::string& methodName, const std::list<Data::DataDefinitionPtr>& errorDefinitions,
    const std::shared_ptr<const Data::ErrorValue>& error) {
  if (!error)
    return Failed(Std::kInternalServerError, {Make(MessageIds::kErrorMissing, methodName)});
  const std::string& name = error->GetName();
  if (const auto declared = FindDeclared(errorDefinitions, name)) {
    auto failure = Data::Validate(declared, error);
    if (!failure) return Core::MethodResult::Create(nullptr, error);
    return Failed(Std::kInternalServerError,
                  {Make(MessageIds::kErrorInvalid, methodName, name, std::move(failure->path)),
                   std::move(failure->message)});
  }
  if (IsImplicitError(name)) return Core::MethodResult::Create(nullptr, error);
  return Failed(Std::kInternalServerError, {Make(MessageIds::kErrorUndeclared, methodName, name)});
}

bool ApiMethodHelper::IsImplicitError(const std::string& name) {
  return name == Std::kInvalidArgument || name == Std::kInternalServerError;
}

}  // namespace Provider
}  // namespace Jorv
