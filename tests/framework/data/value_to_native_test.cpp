#include "framework/data/value_to_native.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "framework/data/std_records.h"
#include "support/service_client.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ErrorValue;
using Jorv::Data::StructValue;
using Jorv::Data::ToText;
using namespace Jorv::Testing;
using namespace TestRecords;

// Stands for a field left out of the received record.
const DataValuePtr kAbsent = Str("absent");

DataValuePtr LeafValue(const std::string& name, long long number) {
  return Struct(Leaf::kTypeName, {{"name", Str(name)}, {"number", Int(number)}});
}
DataValuePtr Dynamic(const std::string& name, std::map<std::string, DataValuePtr> fields) {
  auto value = StructValue::GetDynamicInstance(name);
  for (const auto& field : fields) value->SetField(field.first, field.second);
  return value;
}

// Reads into AllKinds the written form of FilledAllKinds with the field `name` set to `value`
// (an empty slot when null, left out when kAbsent), or `value` itself when `name` is empty.
// Gives the field as the record read writes it again, or "!" and the one message a failure
// adds.
std::string Outcome(const std::string& name, const DataValuePtr& value) {
  DataValuePtr received = value;
  if (!name.empty()) {
    const DataValuePtr base = WriteOk(FilledAllKinds());
    auto copy = StructValue::GetInstance(AllKinds::kTypeName);
    for (const auto& field : static_cast<const StructValue&>(*base).GetFields()) {
      if (field.first != name) copy->SetField(field.first, field.second);
    }
    if (value != kAbsent) copy->SetField(name, value);
    received = copy;
  }
  AllKinds read;
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
  if (!Read(received, read, messages)) {
    EXPECT_EQ(messages.size(), 2u);
    return "!" + Summary(ErrorValue::Create("", {messages.back()})).substr(1);
  }
  EXPECT_EQ(messages.size(), 1u);
  return ToText(static_cast<const StructValue&>(*WriteOk(read)).GetFields().at(name));
}

// Each row: a field of AllKinds, a value received for it, and the field as the record read
// writes it again, or the one message reading fails with.
TEST(ValueToNative, ReadsEachKindInEveryEncodingAndFailsWithOneMessage) {
  const DataValuePtr held = LeafValue("inner", 9);
  const std::string leaf = ToText(LeafValue("", 0));
  const std::string ab = ToText(List(3, {MapEntry("a", "1"), MapEntry("b", "2")}));
  auto errorEntry = ErrorValue::GetInstance("map-entry");
  errorEntry->SetField("key", Str("k"));
  errorEntry->SetField("value", Str("v"));
  const std::string invalid = "!jorv.data.invalid.type()";
  const std::tuple<std::string, DataValuePtr, std::string> rows[] = {
      {"integer", Str("42"), "42"},
      {"when", Str("2026-12-06T18:19:47.123+01:00"), R"("2026-12-06T17:19:47.123Z")"},
      {"maybe_integer", Str(""), "unset"},
      {"maybe_integer", Str("7"), "some(7)"},
      // An empty text stands for unset only bare: inside a set optional it is the content.
      {"maybe_text", Some(Str("")), R"(some(""))"},
      {"maybe_leaf", held, "some(" + ToText(held) + ")"},
      {"maybe_leaf", kAbsent, "unset"},
      // The empty text is the default record; an error value or a dynamic structure reads as a
      // structure of any name.
      {"leaves", List(1, {Str(""), held}), "[" + leaf + ", " + ToText(held) + "]"},
      {"leaf", Dynamic("com.example.anything", {{"name", Str("inner")}, {"number", Int(9)}}),
       ToText(held)},
      // One text for a list of one element; the empty text for an empty list.
      {"strings", Str("solo"), R"(["solo"])"},
      {"reals", List(1, {Real(1.5), Str("-0.25")}), "[1.5, -0.25]"},
      // Maps: entries of any list kind and any structure name, extra fields ignored; a
      // structure's fields; with a repeated key the first entry wins.
      {"tags",
       List(1, {Struct("entry", {{"key", Str("b")}, {"value", Str("2")}}),
                Struct("other", {{"key", Str("a")}, {"value", Str("1")}, {"extra", Int(0)}})}),
       ab},
      {"tags", Dynamic("whatever", {{"b", Str("2")}, {"a", Str("1")}}), ab},
      {"tags", List(3, {MapEntry("a", "1"), MapEntry("b", "2"), MapEntry("a", "3")}), ab},
      // Enumerations keep a text that matches no literal.
      {"color", Str("red"), R"("red")"},
      {"color", Str(""), R"("_UNKNOWN")"},
      // A required opaque takes any value as it is; an optional one unwraps a set optional.
      {"opaque", Unset(), "unset"},
      {"maybe_opaque", held, "some(" + ToText(held) + ")"},
      {"maybe_opaque", Some(held), "some(" + ToText(held) + ")"},
      {"maybe_opaque", Str(""), "unset"},
      // Failures.
      {"leaf", kAbsent, "!jorv.data.missing.field(leaf, com.example.test.all_kinds)"},
      {"leaf", Struct(Leaf::kTypeName, {{"name", Str("n")}}),
       "!jorv.data.missing.field(number, com.example.test.leaf)"},
      {"", ErrorValue::GetInstance("com.example.e"),
       "!jorv.data.missing.field(text, com.example.e)"},
      {"integer", Str("4 2"), "!jorv.data.parse.failed(4 2, integer)"},
      {"integer", nullptr, "!jorv.data.type.mismatch(integer, null)"},
      {"maybe_integer", Some(Real(1.5)), "!jorv.data.type.mismatch(integer, double)"},
      // Records: only the empty text stands for one; other non-structures are the wrong type.
      {"", Str("{2} not a leaf"), "!jorv.data.bad.cast1({2} not a leaf)"},
      {"leaf", nullptr, invalid},
      {"leaf", Some(held), invalid},
      {"reals", List(1, {Real(1), Str("x"), Real(3)}), "!jorv.data.parse.failed(x, double)"},
      {"maybe_tags", Some(Str("x")), "!jorv.data.bad.cast1(x)"},
      {"tags", ErrorValue::GetInstance("map"), invalid},
      {"tags", List(3, {MapEntry("a", "1"), Str("b")}), invalid},
      {"tags", List(3, {errorEntry}), invalid},
      {"tags", List(3, {Struct("e", {{"key", Str("k")}})}), "!jorv.data.missing.field(value, e)"},
      {"tags", Struct("s", {{"a", Str("1")}, {"b", Int(2)}}),
       "!jorv.data.type.mismatch(string, integer)"},
  };
  for (const auto& [field, received, expected] : rows) {
    EXPECT_EQ(Outcome(field, received), expected) << field << " = " << ToText(received);
  }
  EXPECT_EQ(ReadOk<Color>(Str("BLUE")).GetEnumerator(), Color::BLUE);
  EXPECT_EQ(ReadOk<AllKinds>(Str("")).leaf, nullptr);
}

TEST(ValueToNative, KeepsUndeclaredFieldsSharedAndWritesThemBack) {
  // Declared names run from "color" to "when"; these fall before, between and after them.
  std::map<std::string, DataValuePtr> undeclared{{"Text", Str("upper case sorts first")},
                                                 {"leaves0", List(1, {Str("x")})},
                                                 {"tex", LeafValue("unknown", 2)},
                                                 {"zzz", Struct("other", {{"deep", Int(3)}})}};
  std::map<std::string, DataValuePtr> changes = undeclared;
  changes["leaf"] =
      Struct(Leaf::kTypeName, {{"name", Str("one")}, {"number", Int(1)}, {"rank", Int(7)}});
  const DataValuePtr received = Edited(WriteOk(FilledAllKinds()), changes);
  const AllKinds read = ReadOk<AllKinds>(received);
  ASSERT_NE(read.unknownFields, nullptr);
  ASSERT_EQ(read.unknownFields->GetFields().size(), undeclared.size());
  for (const auto& field : undeclared) {
    EXPECT_EQ(read.unknownFields->GetFields().at(field.first), field.second) << field.first;
  }
  EXPECT_EQ(ToText(read.leaf->unknownFields), "unknownFields{rank: 7}");
  EXPECT_TRUE(SameValue(WriteOk(read), received));

  // Records without unknownFields (method inputs) ignore them.
  ReadOk<Jorv::OperationInput>(Struct(Jorv::Std::kOperationInputName, {{"stray", Int(1)}}));
  using Com::Zentak::Jorv::Std::LocalizableMessage;
  const BaseMessage original("some.id", "Some {1} text.", {"one", "two"});
  EXPECT_EQ(ReadOk<LocalizableMessage>(WriteOk(*LocalizableMessage::From(original))).ToMessage(),
            original);
}

}  // namespace
