#pragma once
// The data values that hold other values: structures (and error values, which are structures
// naming a failure), lists and optionals. A container is filled while it is being built,
// through slots that can be created empty and filled later and that never move; once shared
// it is not changed again.
//
//   auto s = StructValue::GetInstance("com.example.point");
//   *s->CreateSlot("x") = DataValue::Create(1LL);
//   s->SetField("y", DataValue::Create(2LL));
//
// A builder that knows the number of fields or elements passes it on creation, and may pass an
// arena (value_arena.h): the slots then take one block, drawn with the value from the arena.

#include <cstddef>
#include <deque>
#include <iterator>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/data_value.h"
#include "framework/core/detail/stable_slots.h"
#include "framework/core/value_arena.h"

namespace Jorv {
namespace Data {

// One field of a structure: its name and the slot that holds its value.
struct Field {
  const std::string& first;
  DataValuePtr second;
};

// A field name that outlives every value, such as the declared field names of a record kept in
// static storage: slots made for it refer to it instead of copying it.
struct LastingName {
  const std::string& text;
};

// Field names for the structures of one shape, such as the declared fields of a record type,
// sorted in byte order without repeats, so that a structure takes slots for all of them at once
// without a search. Structures refer to these names instead of copying them: a FieldNames must
// outlive every value made with it (keep it in static storage).
class FieldNames {
 public:
  // Copies of `names`, sorted, each once.
  explicit FieldNames(std::vector<std::string> names);
  std::size_t size() const { return names_.size(); }
  const std::string& operator[](std::size_t position) const { return names_[position]; }

 private:
  std::vector<std::string> names_;
};

// The fields of a structure in ascending byte order of their names, each name once.
class FieldTable {
 public:
  using value_type = Field;
  using size_type = std::size_t;
  using const_iterator = detail::SlotIterator<FieldTable, Field>;
  using iterator = const_iterator;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;
  using reverse_iterator = const_reverse_iterator;

  FieldTable() = default;
  FieldTable(const FieldTable&) = delete;
  FieldTable& operator=(const FieldTable&) = delete;

  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }
  size_type size() const { return slots_.size(); }
  bool empty() const { return size() == 0; }
  // The field named `name`, or end().
  const_iterator find(std::string_view name) const;
  size_type count(std::string_view name) const { return find(name) == end() ? 0 : 1; }
  // The value of the field named `name`; throws std::out_of_range when there is none.
  const DataValuePtr& at(std::string_view name) const;
  // The field at `position` in name order.
  const Field& At(size_type position) const { return slots_.At(position); }

 private:
  friend class CompoundValue;
  // The position of the first field whose name is not below `name`.
  size_type LowerBound(std::string_view name) const;

  detail::StableSlots<Field> slots_;
};

// A named set of fields kept in order of their names.
class CompoundValue : public DataValue {
 public:
  using Fields = FieldTable;
  // A name held by many values at once, such as the wire identifier of a record type, so that
  // each value of the type shares one string instead of copying it. Never null.
  using SharedName = std::shared_ptr<const std::string>;

  const std::string& GetName() const { return *name_; }
  const Fields& GetFields() const { return fields_; }

  // The slot for `name`, created empty when absent. Valid for the life of this value, however
  // many fields follow. Slots created in ascending name order are appended without a search.
  DataValuePtr* CreateSlot(const std::string& name);
  DataValuePtr* CreateSlot(std::string&& name);
  DataValuePtr* CreateSlot(LastingName name);
  // The slots for every name of `names`, created empty where absent: slots[i] is the slot of
  // names[i]. On a structure without fields this takes no search.
  void CreateSlots(const FieldNames& names, DataValuePtr** slots);
  // Sets the field `name` to `value`, replacing an earlier one.
  void SetField(const std::string& name, DataValuePtr value) {
    *CreateSlot(name) = std::move(value);
  }
  // Finds the field `name`: true with `value` set when present; otherwise appends
  // "jorv.data.missing.field" (arguments: the field name, this value's name) and returns false.
  bool GetField(const std::string& name, DataValuePtr& value,
                std::list<BaseMessage>& messages) const;

 protected:
  CompoundValue(DataType::EnumType type, std::string name)
      : DataValue(type), name_(std::make_shared<const std::string>(std::move(name))) {}
  // Room for `fieldCount` fields up front, drawn from `arena` when it is not null.
  CompoundValue(DataType::EnumType type, SharedName name, std::size_t fieldCount, ValueArena* arena)
      : DataValue(type), name_(std::move(name)) {
    fields_.slots_.Reserve(fieldCount, arena);
  }
  ~CompoundValue() override { DestroyChildrenIteratively(); }
  void ReleaseChildren(detail::ValueStack& out) override;

 private:
  // The slot for `name`, made when absent with the name makeName() returns, which stays valid
  // for the life of this value.
  template <class MakeName>
  DataValuePtr* FindOrInsert(std::string_view name, MakeName makeName);
  // Keeps `name` for the life of this value.
  const std::string& OwnName(std::string name);

  SharedName name_;
  Fields fields_;
  // The names this value copied, for fields made without a lasting name.
  std::unique_ptr<std::deque<std::string>> ownedNames_;
};

// A structure value: code 9, or 15 for a dynamic structure whose fields follow no declared
// type. Both are visited as structures.
class StructValue final : public CompoundValue {
 public:
  // A new, empty structure named `name`.
  static std::shared_ptr<StructValue> GetInstance(const std::string& name) {
    return std::make_shared<StructValue>(name, DataType::STRUCTURE);
  }
  // A new, empty structure sharing the name `name` (not null), with room for `fieldCount`
  // fields, drawn with the value from `arena` when it is not null.
  static std::shared_ptr<StructValue> GetInstance(SharedName name, std::size_t fieldCount = 0,
                                                  ValueArena* arena = nullptr) {
    return MakeValue<StructValue>(arena, std::move(name), DataType::STRUCTURE, fieldCount, arena);
  }
  // A new, empty dynamic structure (code 15) named `name`.
  static std::shared_ptr<StructValue> GetDynamicInstance(const std::string& name) {
    return std::make_shared<StructValue>(name, DataType::DYNAMIC_STRUCTURE);
  }

  StructValue(const std::string& name, DataType::EnumType type) : CompoundValue(type, name) {}
  StructValue(SharedName name, DataType::EnumType type, std::size_t fieldCount = 0,
              ValueArena* arena = nullptr)
      : CompoundValue(type, std::move(name), fieldCount, arena) {}
  void Accept(ValueVisitor& visitor) const override { visitor.VisitStruct(*this); }
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

  explicit ErrorValue(const std::string& name) : CompoundValue(kType, name) {}
  void Accept(ValueVisitor& visitor) const override { visitor.VisitError(*this); }

  // The messages of the field "messages", read back. Entries that are not well-formed
  // localizable-message structures are skipped; no field gives an empty list.
  std::list<BaseMessage> GetMessages() const;
};

// The elements of a list value, in order.
class ElementTable {
 public:
  using value_type = DataValuePtr;
  using size_type = std::size_t;
  using const_iterator = detail::SlotIterator<ElementTable, DataValuePtr>;
  using iterator = const_iterator;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;
  using reverse_iterator = const_reverse_iterator;

  ElementTable() = default;
  ElementTable(const ElementTable&) = delete;
  ElementTable& operator=(const ElementTable&) = delete;

  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }
  size_type size() const { return slots_.size(); }
  bool empty() const { return size() == 0; }
  // The first and the last element; the list must not be empty.
  const DataValuePtr& front() const { return At(0); }
  const DataValuePtr& back() const { return At(size() - 1); }
  // The element at `position`.
  const DataValuePtr& At(size_type position) const { return slots_.At(position); }

 private:
  friend class ListValue;
  detail::StableSlots<DataValuePtr> slots_;
};

// A list value (code 8) of a given list kind: 1 for lists, 3 for maps.
class ListValue final : public DataValue {
 public:
  static constexpr DataType::EnumType kType = DataType::LIST;
  using Elements = ElementTable;

  // A new, empty list of kind `kind`, with room for `capacity` elements, drawn with the value
  // from `arena` when it is not null.
  static std::shared_ptr<ListValue> GetInstance(int kind, std::size_t capacity = 0,
                                                ValueArena* arena = nullptr) {
    return MakeValue<ListValue>(arena, kind, capacity, arena);
  }

  explicit ListValue(int kind, std::size_t capacity = 0, ValueArena* arena = nullptr)
      : DataValue(kType), kind_(kind) {
    elements_.slots_.Reserve(capacity, arena);
  }
  ~ListValue() override { DestroyChildrenIteratively(); }
  void Accept(ValueVisitor& visitor) const override { visitor.VisitList(*this); }

  int GetKind() const { return kind_; }
  const Elements& GetElements() const { return elements_; }
  // Appends an empty element slot; valid for the life of this value.
  DataValuePtr* AppendSlot() { return elements_.slots_.Insert(elements_.size()); }
  // Appends `value`.
  void Append(DataValuePtr value) { elements_.slots_.Insert(elements_.size(), std::move(value)); }

 protected:
  void ReleaseChildren(detail::ValueStack& out) override;

 private:
  int kind_;
  Elements elements_;
};

// An optional value (code 10): unset, or set and holding one value.
class OptionalValue final : public DataValue {
 public:
  static constexpr DataType::EnumType kType = DataType::OPTIONAL;

  // A new, unset optional value, drawn from `arena` when it is not null.
  static std::shared_ptr<OptionalValue> GetInstance(ValueArena* arena = nullptr) {
    return MakeValue<OptionalValue>(arena);
  }

  OptionalValue() : DataValue(kType) {}
  ~OptionalValue() override { DestroyChildrenIteratively(); }
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
  void ReleaseChildren(detail::ValueStack& out) override;

 private:
  bool set_ = false;
  DataValuePtr value_;
};

}  // namespace Data
}  // namespace Jorv
