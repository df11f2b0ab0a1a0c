#pragma once
// The data values that hold other values: structures (and error values, which are structures
// naming a failure), lists and optionals. A container is filled while it is being built,
// through slots that can be created empty and filled later and that never move; once shared
// it is not changed again.
//
//   auto s = StructValue::GetInstance("com.example.point");
//   *s->CreateSlot("x") = DataValue::Create(1LL);
//   s->SetField("y", DataValue::Create(2LL));

#include <list>
#include <map>
#include <memory>
#include <string>

#include "framework/core/data_value.h"

namespace Jorv {
namespace Data {

// A named set of fields kept in a map ordered by name.
class CompoundValue : public DataValue {
 public:
  using Fields = std::map<std::string, DataValuePtr>;
  // A name held by many values at once, such as the wire identifier of a record type, so that
  // each value of the type shares one string instead of copying it. Never null.
  using SharedName = std::shared_ptr<const std::string>;

  const std::string& GetName() const { return *name_; }
  const Fields& GetFields() const { return fields_; }

  // The slot for `name`, created empty when absent. Valid for the life of this value. Slots
  // created in ascending name order are appended without a search.
  DataValuePtr* CreateSlot(const std::string& name) {
    return &fields_.emplace_hint(fields_.end(), name, nullptr)->second;
  }
  DataValuePtr* CreateSlot(std::string&& name) {
    return &fields_.emplace_hint(fields_.end(), std::move(name), nullptr)->second;
  }
  // Sets the field `name` to `value`, replacing an earlier one.
  void SetField(const std::string& name, DataValuePtr value) { fields_[name] = std::move(value); }
  // Finds the field `name`: true with `value` set when present; otherwise appends
  // "jorv.data.missing.field" (arguments: the field name, this value's name) and returns false.
  bool GetField(const std::string& name, DataValuePtr& value,
                std::list<BaseMessage>& messages) const;

 protected:
  explicit CompoundValue(std::string name)
      : name_(std::make_shared<const std::string>(std::move(name))) {}
  explicit CompoundValue(SharedName name) : name_(std::move(name)) {}
  ~CompoundValue() override { DestroyChildrenIteratively(); }
  void ReleaseChildren(std::vector<DataValuePtr>& out) override;

 private:
  SharedName name_;
  Fields fields_;
};

// A structure value: code 9, or 15 for a dynamic structure whose fields follow no declared
// type. Both are visited as structures.
class StructValue final : public CompoundValue {
 public:
  // A new, empty structure named `name`.
  static std::shared_ptr<StructValue> GetInstance(const std::string& name) {
    return std::make_shared<StructValue>(name, DataType::STRUCTURE);
  }
  // A new, empty structure sharing the name `name` (not null).
  static std::shared_ptr<StructValue> GetInstance(SharedName name) {
    return std::make_shared<StructValue>(std::move(name), DataType::STRUCTURE);
  }
  // A new, empty dynamic structure (code 15) named `name`.
  static std::shared_ptr<StructValue> GetDynamicInstance(const std::string& name) {
    return std::make_shared<StructValue>(name, DataType::DYNAMIC_STRUCTURE);
  }

  StructValue(const std::string& name, DataType::EnumType type)
      : CompoundValue(name), type_(type) {}
  StructValue(SharedName name, DataType::EnumType type)
      : CompoundValue(std::move(name)), type_(type) {}
  DataType::EnumType GetType() const override { return type_; }
  void Accept(ValueVisitor& visitor) const override { visitor.VisitStruct(*this); }

 private:
  DataType::EnumType type_;
};

// An error value (code 6): the name of an error and its fields, conventionally "messages", a
// list of localizable-message structures.
class ErrorValue final : public CompoundValue {
 public:
  static constexpr DataType::EnumType kType = DataType::ERROR;
  // A new error value named `name` without messages: its field "messages" is an empty list,
  // so that every error value has the shape of the standard error records.
  static std::shared_ptr<ErrorValue> GetInstance(const std::string& name) {
    return Create(name, {});
  }
  // A new error value named `name` whose field "messages" lists `messages` as localizable
  // message structures, in order.
  static std::shared_ptr<ErrorValue> Create(const std::string& name,
                                            const std::list<BaseMessage>& messages);

  explicit ErrorValue(const std::string& name) : CompoundValue(name) {}
  DataType::EnumType GetType() const override { return kType; }
  void Accept(ValueVisitor& visitor) const override { visitor.VisitError(*this); }

  // The messages of the field "messages", read back. Entries that are not well-formed
  // localizable-message structures are skipped; no field gives an empty list.
  std::list<BaseMessage> GetMessages() const;
};

// A list value (code 8) of a given list kind: 1 for lists, 3 for maps.
class ListValue final : public DataValue {
 public:
  static constexpr DataType::EnumType kType = DataType::LIST;
  using Elements = std::list<DataValuePtr>;

  // A new, empty list of kind `kind`.
  static std::shared_ptr<ListValue> GetInstance(int kind) {
    return std::make_shared<ListValue>(kind);
  }

  explicit ListValue(int kind) : kind_(kind) {}
  ~ListValue() override { DestroyChildrenIteratively(); }
  DataType::EnumType GetType() const override { return kType; }
  void Accept(ValueVisitor& visitor) const override { visitor.VisitList(*this); }

  int GetKind() const { return kind_; }
  const Elements& GetElements() const { return elements_; }
  // Appends an empty element slot; valid for the life of this value.
  DataValuePtr* AppendSlot() {
    elements_.emplace_back();
    return &elements_.back();
  }
  // Appends `value`.
  void Append(DataValuePtr value) { elements_.push_back(std::move(value)); }

 protected:
  void ReleaseChildren(std::vector<DataValuePtr>& out) override;

 private:
  int kind_;
  Elements elements_;
};

// An optional value (code 10): unset, or set and holding one value.
class OptionalValue final : public DataValue {
 public:
  static constexpr DataType::EnumType kType = DataType::OPTIONAL;

  // A new, unset optional value.
  static std::shared_ptr<OptionalValue> GetInstance() { return std::make_shared<OptionalValue>(); }

  OptionalValue() = default;
  ~OptionalValue() override { DestroyChildrenIteratively(); }
  DataType::EnumType GetType() const override { return kType; }
  void Accept(ValueVisitor& visitor) const override { visitor.VisitOptional(*this); }

  bool IsSet() const { return set_; }
  // The held value; null when unset.
  const DataValuePtr& value() const { return value_; }
  // Makes the optional set, holding `v`, and returns the slot that holds it (to be filled
  // later when `v` is null). Valid for the life of this value.
  DataValuePtr* value(DataValuePtr v) {
    set_ = true;
    value_ = std::move(v);
    return &value_;
  }

 protected:
  void ReleaseChildren(std::vector<DataValuePtr>& out) override;

 private:
  bool set_ = false;
  DataValuePtr value_;
};

}  // namespace Data
}  // namespace Jorv
