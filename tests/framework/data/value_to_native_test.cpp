#include "framework/data/value_to_native.h"

#include <gtest/gtest.h>

#include <tuple>

#include "framework/data/std_records.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ErrorValue;
using Jorv::Data::StructValue;
using namespace Jorv::Testing;
using namespace TestRecords;
using Args = std::list<std::string>;

DataValuePtr LeafValue(const std::string& name, long long number) {
  return Struct(Leaf::kTypeName, {{"name", Str(name)}, {"number", Int(number)}});
}
const DataValuePtr& FieldOf(const DataValuePtr& structure, const std::string& name) {
  return static_cast<const StructValue&>(*structure).GetFields().at(name);
}
// The written form of FilledAllKinds with the field `name` set to `value` (an empty slot when
// `value` is null).
DataValuePtr With(const std::string& name, const DataValuePtr& value) {
  const DataValuePtr base = WriteOk(FilledAllKinds());
  auto copy = StructValue::GetInstance(AllKinds::kTypeName);
  for (const auto& field : static_cast<const StructValue&>(*base).GetFields()) {
    copy->SetField(field.first, field.second);
  }
  copy->SetField(name, value);
  return copy;
}
DataValuePtr Without(const std::string& name) {
  return Edited(WriteOk(FilledAllKinds()), {{name, nullptr}});
}
DataValuePtr Dynamic(const std::string& name, std::map<std::string, DataValuePtr> fields) {
  auto value = StructValue::GetDynamicInstance(name);
  for (const auto& field : fields) value->SetField(field.first, field.second);
  return value;
}

// Each row: a field of AllKinds, a value received for it in one of the encodings the reader
// takes besides the writer's own, and the field as the record read writes it again.
TEST(ValueToNative, ReadsTheOtherEncodingsOfEachKind) {
  const DataValuePtr held = LeafValue("inner", 9);
  const DataValuePtr ab = List(3, {MapEntry("a", "1"), MapEntry("b", "2")});
  const std::tuple<const char*, DataValuePtr, DataValuePtr> rows[] = {
      {"integer", Str("42"), Int(42)},
      {"when", Str("2026-12-06T18:19:47.123+01:00"), Str("2026-12-06T17:19:47.123Z")},
      {"maybe_integer", Str(""), Unset()},
      {"maybe_integer", Str("7"), Some(Int(7))},
      // An empty text stands for unset only bare: inside a set optional it is the content.
      {"maybe_text", Some(Str("")), Some(Str(""))},
      {"maybe_leaf", Some(Str("")), Some(LeafValue("", 0))},
      {"maybe_leaf", LeafValue("bare", 2), Some(LeafValue("bare", 2))},
      {"maybe_tags", Str(""), Unset()},
      // The empty text is the default record; an error value or a dynamic structure reads as a
      // structure of any name.
      {"leaves", List(1, {Str(""), LeafValue("x", 1)}),
       List(1, {LeafValue("", 0), LeafValue("x", 1)})},
      {"leaf", Dynamic("com.example.anything", {{"name", Str("d")}, {"number", Int(15)}}),
       LeafValue("d", 15)},
      // One text for a list of one element; the empty text for an empty list.
      {"strings", Str("solo"), List(1, {Str("solo")})},
      {"leaves", Str(""), List(1, {})},
      // Maps: entries of any list kind and any structure name, extra fields ignored; a
      // structure's fields; with a repeated key the first entry wins.
      {"tags",
       List(1, {Struct("entry", {{"key", Str("b")}, {"value", Str("2")}}),
                Struct("other", {{"key", Str("a")}, {"value", Str("1")}, {"extra", Int(0)}})}),
       ab},
      {"tags", Dynamic("whatever", {{"b", Str("2")}, {"a", Str("1")}}), ab},
      {"tags", List(3, {MapEntry("k", "first"), MapEntry("j", "x"), MapEntry("k", "second")}),
       List(3, {MapEntry("j", "x"), MapEntry("k", "first")})},
      // Enumerations keep a text that matches no literal.
      {"color", Str("red"), Str("red")},
      {"color", Str(""), Str("_UNKNOWN")},
      // A required opaque takes any value as it is; an optional one unwraps a set optional.
      {"opaque", Unset(), Unset()},
      {"maybe_opaque", held, Some(held)},
      {"maybe_opaque", Str(""), Unset()},
  };
  for (const auto& [field, received, written] : rows) {
    SCOPED_TRACE(std::string(field) + " = " + Jorv::Data::ToText(received));
    EXPECT_TRUE(
        SameValue(FieldOf(WriteOk(ReadOk<AllKinds>(With(field, received))), field), written));
  }
  for (const char* optional : {"maybe_integer", "maybe_leaf", "maybe_tags"}) {
    EXPECT_TRUE(
        SameValue(FieldOf(WriteOk(ReadOk<AllKinds>(Without(optional))), optional), Unset()));
  }
  EXPECT_EQ(ReadOk<AllKinds>(With("maybe_opaque", Some(held))).maybe_opaque->GetValue(), held);
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
  EXPECT_TRUE(SameValue(read.leaf->unknownFields, Struct("unknownFields", {{"rank", Int(7)}})));
  EXPECT_TRUE(SameValue(WriteOk(read), received));

  // Records without unknownFields (method inputs) ignore them.
  ReadOk<Jorv::OperationInput>(Struct(Jorv::Std::kOperationInputName, {{"stray", Int(1)}}));
  using Com::Zentak::Jorv::Std::LocalizableMessage;
  const BaseMessage original("some.id", "Some {1} text.", {"one", "two"});
  EXPECT_EQ(ReadOk<LocalizableMessage>(WriteOk(*LocalizableMessage::From(original))).ToMessage(),
            original);
}

// Each row: a received value and the one message reading it into AllKinds gives.
TEST(ValueToNative, WrongValuesFailWithOneMessage) {
  auto errorEntry = ErrorValue::GetInstance("map-entry");
  errorEntry->SetField("key", Str("k"));
  errorEntry->SetField("value", Str("v"));
  const std::string braces = "{2} not a leaf";
  const Args invalid;
  const std::pair<DataValuePtr, std::pair<std::string, Args>> rows[] = {
      {Without("leaf"), {"jorv.data.missing.field", {"leaf", AllKinds::kTypeName}}},
      {With("leaf", Struct(Leaf::kTypeName, {{"name", Str("n")}})),
       {"jorv.data.missing.field", {"number", Leaf::kTypeName}}},
      {ErrorValue::GetInstance("com.example.failure"),
       {"jorv.data.missing.field", {"text", "com.example.failure"}}},
      {With("integer", Str("4 2")), {"jorv.data.parse.failed", {"4 2", "integer"}}},
      {With("integer", nullptr), {"jorv.data.type.mismatch", {"integer", "null"}}},
      {With("maybe_integer", Some(Real(1.5))), {"jorv.data.type.mismatch", {"integer", "double"}}},
      {With("color", Int(1)), {"jorv.data.type.mismatch", {"string", "integer"}}},
      // Records: only the empty text stands for one; other non-structures are the wrong type.
      {Str(braces), {"jorv.data.bad.cast1", {braces}}},
      {With("leaves", Str("x")), {"jorv.data.bad.cast1", {"x"}}},
      {With("leaf", nullptr), {"jorv.data.invalid.type", invalid}},
      {With("leaf", Some(LeafValue("x", 1))), {"jorv.data.invalid.type", invalid}},
      {Int(1), {"jorv.data.invalid.type", invalid}},
      // Lists.
      {With("strings", Some(List(1, {}))), {"jorv.data.invalid.type", invalid}},
      {With("reals", List(1, {Real(1), Str("x"), Real(3)})),
       {"jorv.data.parse.failed", {"x", "double"}}},
      // Maps.
      {With("maybe_tags", Some(Str("x"))), {"jorv.data.bad.cast1", {"x"}}},
      {With("tags", ErrorValue::GetInstance("map")), {"jorv.data.invalid.type", invalid}},
      {With("tags", List(3, {MapEntry("a", "1"), Str("b")})), {"jorv.data.invalid.type", invalid}},
      {With("tags", List(3, {errorEntry})), {"jorv.data.invalid.type", invalid}},
      {With("tags", List(3, {Struct("e", {{"key", Str("k")}})})),
       {"jorv.data.missing.field", {"value", "e"}}},
      {With("tags", Struct("s", {{"a", Str("1")}, {"b", Int(2)}})),
       {"jorv.data.type.mismatch", {"string", "integer"}}},
  };
  for (const auto& [received, expected] : rows) {
    SCOPED_TRACE(Jorv::Data::ToText(received));
    AllKinds read;
    std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
    EXPECT_FALSE(Read(received, read, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.front().id, "earlier");
    EXPECT_EQ(std::make_pair(messages.back().id, messages.back().args), expected);
  }
}

}  // namespace
