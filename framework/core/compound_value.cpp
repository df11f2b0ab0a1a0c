#include "framework/core/compound_value.h"

#include "framework/core/standard_names.h"

namespace Jorv {
namespace Data {
namespace {

// Moves `child` to `out` when this is the last reference to a value that has children.
void ReleaseChild(DataValuePtr& child, std::vector<DataValuePtr>& out) {
  if (!child || child.use_count() != 1) return;
  switch (child->GetType()) {
    case DataType::STRUCTURE:
    case DataType::DYNAMIC_STRUCTURE:
    case DataType::ERROR:
    case DataType::LIST:
    case DataType::OPTIONAL:
      out.push_back(std::move(child));
      break;
    default:
      break;
  }
}

}  // namespace

bool CompoundValue::GetField(const std::string& name, DataValuePtr& value,
                             std::list<BaseMessage>& messages) const {
  const auto it = fields_.find(name);
  if (it == fields_.end()) {
    messages.push_back(MakeMessage("jorv.data.missing.field",
                                   Message<CoreTag>::DefaultMessageForId("jorv.data.missing.field"),
                                   name, *name_));
    return false;
  }
  value = it->second;
  return true;
}

void CompoundValue::ReleaseChildren(std::vector<DataValuePtr>& out) {
  for (auto& field : fields_) ReleaseChild(field.second, out);
}

void ListValue::ReleaseChildren(std::vector<DataValuePtr>& out) {
  for (auto& element : elements_) ReleaseChild(element, out);
}

void OptionalValue::ReleaseChildren(std::vector<DataValuePtr>& out) { ReleaseChild(value_, out); }

std::shared_ptr<ErrorValue> ErrorValue::Create(const std::string& name,
                                               const std::list<BaseMessage>& messages) {
  auto error = std::make_shared<ErrorValue>(name);
  auto list = ListValue::GetInstance(1);
  for (const BaseMessage& message : messages) {
    auto entry = StructValue::GetInstance(Std::kLocalizableMessageName);
    entry->SetField(Std::kLocalizableMessageId, DataValue::Create(message.GetId()));
    entry->SetField(Std::kLocalizableMessageDefaultMessage,
                    DataValue::Create(message.GetDefaultMessage()));
    auto args = ListValue::GetInstance(1);
    for (const std::string& arg : message.GetArgs()) args->Append(DataValue::Create(arg));
    entry->SetField(Std::kLocalizableMessageArgs, std::move(args));
    list->Append(std::move(entry));
  }
  error->SetField(Std::kErrorMessagesField, std::move(list));
  return error;
}

std::list<BaseMessage> ErrorValue::GetMessages() const {
  std::list<BaseMessage> result;
  const auto field = GetFields().find(Std::kErrorMessagesField);
  if (field == GetFields().end() || !field->second || field->second->GetType() != DataType::LIST) {
    return result;
  }
  std::list<BaseMessage> scratch;
  for (const DataValuePtr& element : static_cast<const ListValue&>(*field->second).GetElements()) {
    if (!element || !DataType::IsCompound(element->GetType())) continue;
    const auto& entry = static_cast<const CompoundValue&>(*element);
    DataValuePtr id, text, argsValue;
    std::string idText, defaultText;
    if (!entry.GetField(Std::kLocalizableMessageId, id, scratch) ||
        !DataValue::Value(id, idText, scratch) ||
        !entry.GetField(Std::kLocalizableMessageDefaultMessage, text, scratch) ||
        !DataValue::Value(text, defaultText, scratch)) {
      continue;
    }
    std::list<std::string> args;
    if (entry.GetField(Std::kLocalizableMessageArgs, argsValue, scratch) && argsValue &&
        argsValue->GetType() == DataType::LIST) {
      for (const DataValuePtr& arg : static_cast<const ListValue&>(*argsValue).GetElements()) {
        std::string argText;
        if (DataValue::Value(arg, argText, scratch)) args.push_back(std::move(argText));
      }
    }
    result.emplace_back(idText, defaultText, args);
  }
  return result;
}

}  // namespace Data
}  // namespace Jorv
