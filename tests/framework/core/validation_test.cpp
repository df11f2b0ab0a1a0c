#include "framework/core/validation.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Data {
namespace {

using namespace Testing;
using Args = std::list<std::string>;

DataDefinitionPtr Prim(DefinitionType::EnumType type) {
  return std::make_shared<PrimitiveDefinition>(type);
}
DataDefinitionPtr ListOf(DataDefinitionPtr element) { return ListDefinition::GetInstance(element); }
DataDefinitionPtr Opt(DataDefinitionPtr element) {
  return OptionalDefinition::GetInstance(element);
}
DataDefinitionPtr StructDef(const std::string& name, StructDefinition::Fields fields) {
  return StructDefinition::GetInstance(name, fields);
}
DataValuePtr Compound(DataType::EnumType type, const std::string& name,
                      std::map<std::string, DataValuePtr> fields) {
  auto value = std::make_shared<StructValue>(name, type);
  for (const auto& field : fields) value->SetField(field.first, field.second);
  return value;
}

const DataDefinitionPtr kInt = Prim(DefinitionType::INTEGER);
const DataDefinitionPtr kString = Prim(DefinitionType::STRING);
const DataDefinitionPtr kMap =
    ListOf(StructDef("map-entry", {{"key", kString}, {"value", kString}}));

// Expects `value` to fail against `definition` at `path` with the message `id` and `args`
// (for a kind mismatch: expected kind, path, found kind).
void ExpectFailure(const DataDefinitionPtr& definition, const DataValuePtr& value,
                   const std::string& path, const std::string& id, const Args& args) {
  const auto failure = Validate(definition, value);
  ASSERT_TRUE(failure) << ToText(value);
  EXPECT_EQ(failure->path, path) << ToText(value);
  EXPECT_EQ(failure->message.id, id) << ToText(value);
  EXPECT_EQ(failure->message.args, args) << ToText(value);
}
void ExpectKind(const DataDefinitionPtr& definition, const DataValuePtr& value,
                const std::string& path, const std::string& expected, const std::string& found) {
  ExpectFailure(definition, value, path, MessageIds::kValidationKind, {expected, path, found});
}
void ExpectConforms(const DataDefinitionPtr& definition, const DataValuePtr& value) {
  const auto failure = Validate(definition, value);
  EXPECT_FALSE(failure) << ToText(value) << ": " << failure->message.defaultMessage;
}

TEST(Validation, PrimitivesTakeTheirKindAndTheTextsTheReaderParses) {
  using T = DefinitionType;
  const std::pair<T::EnumType, DataValuePtr> conforming[] = {
      {T::INTEGER, Str("+42")},
      {T::DATE_TIME, Str("2026-12-06T17:19:47.123+01:00")},
      {T::SECRET, SecretValue::GetInstance("pw")},
      {T::OPAQUE, Unset()},
  };
  for (const auto& row : conforming) ExpectConforms(Prim(row.first), row.second);
  const std::tuple<T::EnumType, DataValuePtr, const char*> wrongKind[] = {
      {T::VOID, Str(""), "string"},     {T::INTEGER, Some(Int(1)), "optional"},
      {T::DOUBLE, Int(1), "integer"},   {T::STRING, SecretValue::GetInstance("p"), "secret"},
      {T::SECRET, Str("pw"), "string"}, {T::OPAQUE, nullptr, "null"},
  };
  for (const auto& [type, value, found] : wrongKind) {
    ExpectKind(Prim(type), value, "", T::Name(type), found);
  }
  for (const auto& [type, text] : {std::pair<T::EnumType, const char*>{T::INTEGER, "12a"},
                                   {T::DATE_TIME, "2026-02-30T00:00:00Z"}}) {
    ExpectFailure(Prim(type), Str(text), "", MessageIds::kValidationParse,
                  {text, "", T::Name(type)});
  }
}

TEST(Validation, OptionalsAndListsTakeTheirOtherEncodings) {
  const auto optionalInt = Opt(kInt);
  for (const DataValuePtr& value : {Unset(), Some(Int(1)), Str(""), Int(1), Str("7")}) {
    ExpectConforms(optionalInt, value);
  }
  ExpectFailure(optionalInt, Str("x"), "", MessageIds::kValidationParse, {"x", "", "integer"});
  ExpectKind(optionalInt, Some(nullptr), "", "integer", "null");

  const auto ints = ListOf(kInt);
  for (const DataValuePtr& value : {List(3, {Int(1), Str("2")}), Str(""), Str("5")}) {
    ExpectConforms(ints, value);
  }
  // A text standing for a one-element list is judged at the list's own place.
  ExpectFailure(ints, Str("x"), "", MessageIds::kValidationParse, {"x", "", "integer"});
  ExpectKind(ints, List(1, {Int(1), DataValue::Create(false), nullptr}), "[1]", "integer",
             "boolean");
  ExpectKind(ints, Some(List(1, {})), "", "list", "optional");
}

TEST(Validation, StringMapsTakeEntryListsAndStructuresOfTexts) {
  const auto record = StructDef("r", {{"tags", kMap}});
  auto withTags = [](DataValuePtr tags) { return Struct("r", {{"tags", std::move(tags)}}); };
  // Neither the list kind nor the entries' structure name matters; extra fields are ignored.
  ExpectConforms(
      record,
      withTags(
          List(3, {MapEntry("a", "1"),
                   Struct("other", {{"key", Str("b")}, {"value", Str("2")}, {"extra", Int(3)}})})));
  ExpectConforms(record, withTags(Compound(DataType::DYNAMIC_STRUCTURE, "dyn", {{"a", Str("1")}})));
  ExpectConforms(record, withTags(Str("")));
  ExpectKind(record, withTags(Struct("m", {{"a", Str("1")}, {"b", Int(2)}})), "tags.b", "string",
             "integer");
  ExpectKind(record, withTags(ErrorValue::GetInstance("e")), "tags", "list", "error");
  for (const DataValuePtr& bad :
       {Struct("map-entry", {{"key", Str("b")}}),
        Struct("map-entry", {{"key", Int(1)}, {"value", Str("1")}}), Str("b")}) {
    ExpectFailure(record, withTags(List(3, {MapEntry("a", "1"), bad, bad})), "tags[1]",
                  MessageIds::kValidationMapEntry, {"tags[1]"});
  }
}

TEST(Validation, StructuresCheckNameAndFieldsInNameOrder) {
  const auto point = StructDef("point", {{"x", kInt}, {"y", kInt}, {"label", Opt(kString)}});
  for (const DataValuePtr& value :
       {Struct("point", {{"x", Int(1)}, {"y", Int(2)}, {"z", Int(3)}}),
        Compound(DataType::ERROR, "point", {{"x", Int(1)}, {"y", Int(2)}}), Str("")}) {
    ExpectConforms(point, value);
  }
  ExpectFailure(point, Struct("pointe", {{"x", Int(1)}, {"y", Int(2)}}), "",
                MessageIds::kValidationStructName, {"point", "", "pointe"});
  ExpectKind(point, Str("p"), "", "structure", "string");
  ExpectKind(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}, {"label", nullptr}}), "label",
             "optional", "null");
  // The first missing field in name order, before the contents of the fields present; then the
  // first failure in name order, a field's whole subtree before the next field.
  ExpectFailure(point, Struct("point", {{"label", Int(1)}}), "x",
                MessageIds::kValidationMissingField, {"x"});
  ExpectFailure(point, Struct("point", {{"x", Str("bad")}}), "y",
                MessageIds::kValidationMissingField, {"y"});
  const auto pair = StructDef("pair", {{"a", kInt}, {"b", kInt}});
  const auto outer = StructDef("outer", {{"a", ListOf(pair)}, {"b", kInt}});
  ExpectKind(outer,
             Struct("outer", {{"a", List(1, {Struct("pair", {{"a", Int(1)}, {"b", Real(1.5)}})})},
                              {"b", Real(2)}}),
             "a[0].b", "integer", "double");

  // The empty text is the default record, whose record members are null: it conforms only
  // when none of them is required.
  const auto inner = StructDef("inner", {{"x", kInt}});
  const auto holder =
      StructDef("holder", {{"items", ListOf(StructDef("o", {{"n", kInt}, {"z", inner}}))}});
  ExpectFailure(holder, Struct("holder", {{"items", List(1, {Str("")})}}), "items[0].z",
                MessageIds::kValidationMissingField, {"items[0].z"});
}

TEST(Validation, StructRefsFollowTheirTarget) {
  auto next = StructRefDefinition::GetInstance("node");
  const auto node = StructDef("node", {{"value", kInt}, {"next", Opt(next)}});
  next->SetTarget(std::static_pointer_cast<const StructDefinition>(node));
  auto link = [](DataValuePtr tail) {
    return Struct("node", {{"value", Int(1)}, {"next", Some(std::move(tail))}});
  };
  ExpectConforms(node, link(link(Struct("node", {{"value", Int(3)}}))));
  ExpectKind(node, link(link(Struct("node", {{"value", Real(3)}}))), "next.next.value", "integer",
             "double");
  ExpectKind(node, link(Int(1)), "next", "structure", "integer");
  const auto dangling = StructDef("holder", {{"ref", StructRefDefinition::GetInstance("gone")}});
  ExpectFailure(dangling, Struct("holder", {{"ref", Struct("gone", {})}}), "ref",
                MessageIds::kValidationUnresolved, {"gone", "ref"});
}

}  // namespace
}  // namespace Data
}  // namespace Jorv
