#pragma once
// Test helpers for data values: short builders (strings, numbers, optionals, lists, structures),
// the three conversion engines called for any native type, definitions printed in one line, and
// deep comparison with both values printed on failure.

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <string>
#include <utility>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "framework/core/localization.h"
#include "framework/core/value_ops.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/native_to_value.h"
#include "framework/data/value_to_native.h"

namespace Jorv {
namespace Testing {

inline Data::DataValuePtr Str(const std::string& s) { return Data::StringValue::GetInstance(s); }
inline Data::DataValuePtr Int(long long v) { return Data::DataValue::Create(v); }
inline Data::DataValuePtr Real(double v) { return Data::DataValue::Create(v); }
inline Data::DataValuePtr Unset() { return Data::OptionalValue::GetInstance(); }
inline Data::DataValuePtr Some(Data::DataValuePtr v) {
  auto o = Data::OptionalValue::GetInstance();
  o->value(std::move(v));
  return o;
}
// A list value of list kind `kind` (1 for lists, 3 for maps).
inline Data::DataValuePtr List(int kind, std::list<Data::DataValuePtr> elements) {
  auto l = Data::ListValue::GetInstance(kind);
  for (auto& e : elements) l->Append(e);
  return l;
}
inline Data::DataValuePtr Struct(const std::string& name,
                                 std::map<std::string, Data::DataValuePtr> fields) {
  auto s = Data::StructValue::GetInstance(name);
  for (auto& f : fields) s->SetField(f.first, f.second);
  return s;
}
inline Data::DataValuePtr MapEntry(const std::string& k, const std::string& v) {
  return Struct("map-entry", {{"key", Str(k)}, {"value", Str(v)}});
}

// A copy of the structure `value` (same name, field values shared) with each field of `set`
// set to its value, or removed when that value is null.
inline Data::DataValuePtr Edited(const Data::DataValuePtr& value,
                                 const std::map<std::string, Data::DataValuePtr>& set) {
  const auto& original = static_cast<const Data::StructValue&>(*value);
  auto copy = Data::StructValue::GetInstance(original.GetName());
  for (const auto& field : original.GetFields()) {
    if (set.count(field.first) == 0) copy->SetField(field.first, field.second);
  }
  for (const auto& field : set) {
    if (field.second) copy->SetField(field.first, field.second);
  }
  return copy;
}

// Writes `native` with the native-to-value engine; returns what Adapt returns.
template <class T>
bool Write(const T& native, Data::DataValuePtr& out, std::list<BaseMessage>& messages) {
  return Data::NativeToValueAdapter::Adapt(
      &native, Data::NativeToValueAdapter::AdaptMethod<T>::Get(&native), &out, messages,
      L10n::RequestLocalizerHelper::GetDefaultRequestLocalizer());
}

// Writes `native`, expecting success without messages.
template <class T>
Data::DataValuePtr WriteOk(const T& native) {
  Data::DataValuePtr out;
  std::list<BaseMessage> messages;
  EXPECT_TRUE(Write(native, out, messages));
  EXPECT_TRUE(messages.empty());
  return out;
}

// Reads `value` into `native` with the value-to-native engine; returns what Adapt returns.
template <class T>
bool Read(const Data::DataValuePtr& value, T& native, std::list<BaseMessage>& messages) {
  return Data::ValueToNativeAdapter::Adapt(value, Data::ValueToNativeAdapter::AdaptMethod<T>::Get(),
                                           &native, messages);
}

// Reads `value` into a default-constructed T, expecting success without messages.
template <class T>
T ReadOk(const Data::DataValuePtr& value) {
  T native{};
  std::list<BaseMessage> messages;
  EXPECT_TRUE(Read(value, native, messages));
  for (const BaseMessage& m : messages) ADD_FAILURE() << m.id << ": " << m.defaultMessage;
  return native;
}

// The definition of native type T, built afresh.
template <class T>
Data::DataDefinitionPtr Define() {
  Data::DataDefinitionPtr definition;
  Data::NativeToDefinitionAdapter::Adapt(Data::NativeToDefinitionAdapter::AdaptMethod<T>::Get(),
                                         &definition, {});
  return definition;
}

// A definition in one line: primitives by kind name ("integer", "date-time", ...), lists as
// list<...>, optionals as optional<...>, structures as name{field: ..., ...} in field order,
// structure references as ref<name>. Meant for the small definitions of records under test.
inline std::string DefinitionText(const Data::DataDefinitionPtr& definition) {
  using namespace Data;
  if (!definition) return "null";
  switch (definition->GetType()) {
    case DefinitionType::LIST:
      return "list<" +
             DefinitionText(static_cast<const ListDefinition&>(*definition).GetElement()) + ">";
    case DefinitionType::OPTIONAL:
      return "optional<" +
             DefinitionText(static_cast<const OptionalDefinition&>(*definition).GetElement()) + ">";
    case DefinitionType::STRUCTURE: {
      const auto& structure = static_cast<const StructDefinition&>(*definition);
      std::string text = structure.GetName() + "{";
      for (const auto& field : structure.GetFields()) {
        text +=
            (text.back() == '{' ? "" : ", ") + field.first + ": " + DefinitionText(field.second);
      }
      return text + "}";
    }
    case DefinitionType::STRUCT_REF:
      return "ref<" + static_cast<const StructRefDefinition&>(*definition).GetName() + ">";
    default:
      return DefinitionType::Name(definition->GetType());
  }
}

// Whether two values are deeply equal, printing both when they are not.
inline ::testing::AssertionResult SameValue(const Data::DataValuePtr& actual,
                                            const Data::DataValuePtr& expected) {
  if (Data::Equals(actual, expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\n  actual:   " << Data::ToText(actual) << "\n  expected: " << Data::ToText(expected);
}

}  // namespace Testing
}  // namespace Jorv
