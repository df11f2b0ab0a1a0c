#include "framework/core/compound_value.h"

#include <algorithm>
#include <stdexcept>

#include "framework/core/standard_names.h"

namespace Jorv {
namespace Data {
namespace {

// Moves `child` to `out` when this is the last reference to a value that has children.
void ReleaseChild(DataValuePtr& child, detail::ValueStack& out) {
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

FieldNames::FieldNames(std::vector<std::string> names) : names_(std::move(names)) {
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
}

FieldTable::size_type FieldTable::LowerBound(std::string_view name) const {
  size_type low = 0;
  size_type high = size();
  while (low < high) {
    const size_type middle = low + (high - low) / 2;
    if (std::string_view(At(middle).first) < name) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

FieldTable::const_iterator FieldTable::find(std::string_view name) const {
  const size_type position = LowerBound(name);
  if (position == size() || At(position).first != name) return end();
  return {this, position};
}

const DataValuePtr& FieldTable::at(std::string_view name) const {
  const auto found = find(name);
  if (found == end()) throw std::out_of_range("no field " + std::string(name));
  return found->second;
}

template <class MakeName>
DataValuePtr* CompoundValue::FindOrInsert(std::string_view name, MakeName makeName) {
  auto& slots = fields_.slots_;
  const std::size_t size = slots.size();
  // Fields usually arrive in name order: one comparison with the last finds the place.
  std::size_t position = size;
  if (size != 0 && !(std::string_view(slots.At(size - 1).first) < name)) {
    position = fields_.LowerBound(name);
    if (position < size && slots.At(position).first == name) return &slots.At(position).second;
  }
  return &slots.Insert(position, makeName(), nullptr)->second;
}

const std::string& CompoundValue::OwnName(std::string name) {
  if (!ownedNames_) ownedNames_ = std::make_unique<std::deque<std::string>>();
  ownedNames_->push_back(std::move(name));
  return ownedNames_->back();
}

DataValuePtr* CompoundValue::CreateSlot(const std::string& name) {
  return FindOrInsert(name, [&]() -> const std::string& { return OwnName(name); });
}

DataValuePtr* CompoundValue::CreateSlot(std::string&& name) {
  return FindOrInsert(name, [&]() -> const std::string& { return OwnName(std::move(name)); });
}

DataValuePtr* CompoundValue::CreateSlot(LastingName name) {
  return FindOrInsert(name.text, [&]() -> const std::string& { return name.text; });
}

void CompoundValue::CreateSlots(const FieldNames& names, DataValuePtr** slots) {
  auto& table = fields_.slots_;
  if (table.size() != 0 || !table.HasRoomAtEnd(names.size())) {
    for (std::size_t i = 0; i < names.size(); ++i) slots[i] = CreateSlot(LastingName{names[i]});
    return;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    slots[i] = &table.AppendInFirstBlock(names[i], nullptr)->second;
  }
}

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

void CompoundValue::ReleaseChildren(detail::ValueStack& out) {
  auto& slots = fields_.slots_;
  for (std::size_t i = 0; i < slots.size(); ++i) ReleaseChild(slots.At(i).second, out);
}

void ListValue::ReleaseChildren(detail::ValueStack& out) {
  auto& slots = elements_.slots_;
  for (std::size_t i = 0; i < slots.size(); ++i) ReleaseChild(slots.At(i), out);
}

void OptionalValue::ReleaseChildren(detail::ValueStack& out) { ReleaseChild(value_, out); }

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
