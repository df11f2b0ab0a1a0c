#pragma once
// Test helpers around the three conversion engines for any native type: reading values into
// natives, writing natives expecting failure, deriving definitions and printing them, and small
// edits of structure values. Writing and the value builders come from support/values.h.

#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "framework/core/compound_value.h"
#include "framework/core/data_definition.h"
#include "framework/core/value_ops.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/value_to_native.h"
#include "support/values.h"

namespace Jorv {
namespace Testing {

// Reads `value` into `native` with the value-to-native engine; returns what Adapt returns.
template <class T>
bool Read(const Data::DataValuePtr& value, T& native, std::list<BaseMessage>& messages) {
  return Data::ValueToNativeAdapter::Adapt(value, Data::ValueToNativeAdapter::AdaptMethod<T>::Get(),
                                           &native, messages);
}

// Reads `value` into a default-constructed T, expecting success without messages.
template <class T>
T ReadOk(const Data::DataValuePtr& value) {
  T native;
  std::list<BaseMessage> messages;
  EXPECT_TRUE(Read(value, native, messages));
  for (const BaseMessage& m : messages) ADD_FAILURE() << m.GetId() << ": " << m.GetDefaultMessage();
  return native;
}

// Reads `value` into a T expecting failure with exactly one message, which it returns.
template <class T>
BaseMessage ReadFails(const Data::DataValuePtr& value) {
  T native;
  std::list<BaseMessage> messages;
  EXPECT_FALSE(Read(value, native, messages));
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? BaseMessage() : messages.front();
}

// Writes `native` expecting failure with exactly one message, which it returns.
template <class T>
BaseMessage WriteFails(const T& native) {
  Data::DataValuePtr out;
  std::list<BaseMessage> messages;
  EXPECT_FALSE(Write(native, out, messages));
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? BaseMessage() : messages.front();
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
  using Data::DefinitionType;
  if (!definition) return "null";
  switch (definition->GetType()) {
    case DefinitionType::LIST:
      return "list<" +
             DefinitionText(static_cast<const Data::ListDefinition&>(*definition).GetElement()) +
             ">";
    case DefinitionType::OPTIONAL:
      return "optional<" +
             DefinitionText(
                 static_cast<const Data::OptionalDefinition&>(*definition).GetElement()) +
             ">";
    case DefinitionType::STRUCTURE: {
      const auto& structure = static_cast<const Data::StructDefinition&>(*definition);
      std::string text = structure.GetName() + "{";
      const char* separator = "";
      for (const auto& field : structure.GetFields()) {
        text += separator + field.first + ": " + DefinitionText(field.second);
        separator = ", ";
      }
      return text + "}";
    }
    case DefinitionType::STRUCT_REF:
      return "ref<" + static_cast<const Data::StructRefDefinition&>(*definition).GetName() + ">";
    default:
      return DefinitionType::Name(definition->GetType());
  }
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

// Whether two values are deeply equal, printing both when they are not.
inline ::testing::AssertionResult SameValue(const Data::DataValuePtr& actual,
                                            const Data::DataValuePtr& expected) {
  if (Data::Equals(actual, expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\n  actual:   " << Data::ToText(actual) << "\n  expected: " << Data::ToText(expected);
}

// Whether two natives write equal values: the equality of records, which declare no operator.
template <class T>
::testing::AssertionResult WriteSame(const T& actual, const T& expected) {
  return SameValue(WriteOk(actual), WriteOk(expected));
}

// Reads the structure `full` without its field `name` into a record T. A required field must
// be rejected with "jorv.data.missing.field" naming the field and the structure; an optional
// one must be accepted.
template <class T>
void ExpectFieldRequirement(const Data::DataValuePtr& full, const std::string& name,
                            bool required) {
  SCOPED_TRACE(name);
  const auto& structure = static_cast<const Data::StructValue&>(*full);
  ASSERT_EQ(structure.GetFields().count(name), 1u) << "the field to remove is not there";
  const Data::DataValuePtr without = Edited(full, {{name, nullptr}});
  if (required) {
    const BaseMessage m = ReadFails<T>(without);
    EXPECT_EQ(m.GetId(), "jorv.data.missing.field");
    EXPECT_EQ(m.GetArgs(), (std::list<std::string>{name, structure.GetName()}));
  } else {
    ReadOk<T>(without);
  }
}

// Reads the structure `full` plus a field that record T does not declare, and writes the record
// again: the field must be kept, shared, in unknownFields and come back beside the declared
// ones, the whole structure unchanged.
template <class T>
void ExpectKeepsUnknownField(const Data::DataValuePtr& full) {
  const Data::DataValuePtr extra = Struct("com.example.test.extension", {{"level", Int(2)}});
  const Data::DataValuePtr received = Edited(full, {{"zz_extension", extra}});
  const T read = ReadOk<T>(received);
  ASSERT_NE(read.unknownFields, nullptr);
  ASSERT_EQ(read.unknownFields->GetFields().size(), 1u);
  EXPECT_EQ(read.unknownFields->GetFields().at("zz_extension").get(), extra.get());
  EXPECT_TRUE(SameValue(WriteOk(read), received));
}

}  // namespace Testing
}  // namespace Jorv
