#include "framework/core/validation.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <list>
#include <string>
#include <utility>

#include "framework/core/value_ops.h"
#include "framework/text/message_catalog.h"
#include "support/small_stack.h"

namespace Jorv {
namespace Data {
namespace {

using Args = std::list<std::string>;

DataValuePtr Int(long long v) { return DataValue::Create(v); }
DataValuePtr Dbl(double v) { return DataValue::Create(v); }
DataValuePtr Bool(bool v) { return DataValue::Create(v); }
DataValuePtr Str(const std::string& v) { return DataValue::Create(v); }

DataValuePtr Some(DataValuePtr v) {
  auto optional = OptionalValue::GetInstance();
  optional->value(std::move(v));
  return optional;
}

DataValuePtr List(std::initializer_list<DataValuePtr> elements, int kind = 1) {
  auto list = ListValue::GetInstance(kind);
  for (const auto& element : elements) list->Append(element);
  return list;
}

DataValuePtr Struct(const std::string& name,
                    std::initializer_list<std::pair<const std::string, DataValuePtr>> fields,
                    DataType::EnumType type = DataType::STRUCTURE) {
  auto value = std::make_shared<StructValue>(name, type);
  for (const auto& field : fields) value->SetField(field.first, field.second);
  return value;
}

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

const DataDefinitionPtr kInt = Prim(DefinitionType::INTEGER);
const DataDefinitionPtr kString = Prim(DefinitionType::STRING);
const DataDefinitionPtr kMap =
    ListOf(StructDef("map-entry", {{"key", kString}, {"value", kString}}));

// Expects `value` to fail against `definition` at `path` with the message `id` and `args`.
void ExpectFailure(const DataDefinitionPtr& definition, const DataValuePtr& value,
                   const std::string& path, const std::string& id, const Args& args) {
  const auto failure = Validate(definition, value);
  ASSERT_TRUE(failure) << ToText(value);
  EXPECT_EQ(failure->path, path);
  EXPECT_EQ(failure->message.GetId(), id);
  EXPECT_EQ(failure->message.GetArgs(), args);
}

void ExpectKind(const DataDefinitionPtr& definition, const DataValuePtr& value,
                const std::string& path, const std::string& expected, const std::string& found) {
  ExpectFailure(definition, value, path, MessageIds::kValidationKind, {expected, path, found});
}

void ExpectConforms(const DataDefinitionPtr& definition, const DataValuePtr& value) {
  const auto failure = Validate(definition, value);
  EXPECT_FALSE(failure) << ToText(value) << ": " << failure->message.GetDefaultMessage();
}

TEST(Validation, PrimitivesAcceptTheirKindAndTheStringsTheReaderParses) {
  const struct {
    DefinitionType::EnumType type;
    DataValuePtr value;
  } conforming[] = {
      {DefinitionType::VOID, VoidValue::GetInstance()},
      {DefinitionType::INTEGER, Int(-3)},
      {DefinitionType::INTEGER, Str("+42")},
      {DefinitionType::DOUBLE, Dbl(1.5)},
      {DefinitionType::DOUBLE, Str("-0x1p3")},
      {DefinitionType::BOOLEAN, Bool(false)},
      {DefinitionType::BOOLEAN, Str("true")},
      {DefinitionType::STRING, Str("")},
      {DefinitionType::DATE_TIME, Str("2026-12-06T17:19:47.123+01:00")},
      {DefinitionType::BLOB, BlobValue::GetInstance({1, 2})},
      {DefinitionType::SECRET, SecretValue::GetInstance("pw")},
      {DefinitionType::OPAQUE, Struct("any", {})},
      {DefinitionType::OPAQUE, OptionalValue::GetInstance()},
  };
  for (const auto& row : conforming) ExpectConforms(Prim(row.type), row.value);
}

TEST(Validation, PrimitivesRejectOtherKindsAndUnparsedStrings) {
  const struct {
    DefinitionType::EnumType type;
    DataValuePtr value;
    const char* found;
  } wrongKind[] = {
      {DefinitionType::VOID, Str(""), "string"},
      {DefinitionType::INTEGER, Dbl(1.0), "double"},
      {DefinitionType::INTEGER, Some(Int(1)), "optional"},
      {DefinitionType::DOUBLE, Int(1), "integer"},
      {DefinitionType::BOOLEAN, Int(0), "integer"},
      {DefinitionType::STRING, SecretValue::GetInstance("pw"), "secret"},
      {DefinitionType::STRING, Int(1), "integer"},
      {DefinitionType::DATE_TIME, Int(0), "integer"},
      {DefinitionType::BLOB, Str(""), "string"},
      {DefinitionType::SECRET, Str("pw"), "string"},
      {DefinitionType::OPAQUE, nullptr, "null"},
      {DefinitionType::INTEGER, nullptr, "null"},
  };
  for (const auto& row : wrongKind) {
    ExpectKind(Prim(row.type), row.value, "", DefinitionType::Name(row.type), row.found);
  }

  const struct {
    DefinitionType::EnumType type;
    const char* text;
  } unparsed[] = {
      {DefinitionType::INTEGER, "12a"},
      {DefinitionType::INTEGER, "99999999999999999999"},
      {DefinitionType::DOUBLE, "one"},
      {DefinitionType::BOOLEAN, "True"},
      {DefinitionType::DATE_TIME, "2026-02-30T00:00:00Z"},
  };
  for (const auto& row : unparsed) {
    ExpectFailure(Prim(row.type), Str(row.text), "", MessageIds::kValidationParse,
                  {row.text, "", DefinitionType::Name(row.type)});
  }
}

TEST(Validation, OptionalTakesUnsetSetEmptyStringAndBareValues) {
  const auto optionalInt = Opt(kInt);
  ExpectConforms(optionalInt, OptionalValue::GetInstance());
  ExpectConforms(optionalInt, Some(Int(1)));
  ExpectConforms(optionalInt, Str(""));
  ExpectConforms(optionalInt, Int(1));
  ExpectConforms(optionalInt, Str("7"));
  ExpectFailure(optionalInt, Str("x"), "", MessageIds::kValidationParse, {"x", "", "integer"});
  ExpectKind(optionalInt, Some(nullptr), "", "integer", "null");
  ExpectKind(optionalInt, Some(Dbl(1)), "", "integer", "double");
  ExpectKind(optionalInt, nullptr, "", "optional", "null");
}

TEST(Validation, ListTakesAnyListKindAndStrings) {
  const auto ints = ListOf(kInt);
  ExpectConforms(ints, List({Int(1), Str("2")}));
  ExpectConforms(ints, List({Int(1)}, 3));
  ExpectConforms(ints, List({}));
  ExpectConforms(ints, Str(""));
  ExpectConforms(ints, Str("5"));
  // A string standing for a one-element list is judged at the list's own place.
  ExpectFailure(ints, Str("x"), "", MessageIds::kValidationParse, {"x", "", "integer"});
  ExpectKind(ints, List({Int(1), nullptr}), "[1]", "integer", "null");
  ExpectKind(ints, Struct("s", {}), "", "list", "structure");
  ExpectKind(ints, Some(List({})), "", "list", "optional");
}

TEST(Validation, StringMapTakesEntryListsAndStructures) {
  const auto record = StructDef("r", {{"tags", kMap}});
  auto withTags = [](DataValuePtr tags) { return Struct("r", {{"tags", std::move(tags)}}); };

  // Neither the list kind nor the entries' structure name matters; extra fields are ignored.
  ExpectConforms(
      record,
      withTags(List({Struct("map-entry", {{"key", Str("a")}, {"value", Str("1")}}),
                     Struct("other", {{"key", Str("b")}, {"value", Str("2")}, {"extra", Int(3)}})},
                    3)));
  ExpectConforms(record, withTags(Struct("anything", {{"a", Str("1")}, {"b", Str("2")}})));
  ExpectConforms(record, withTags(Struct("dyn", {{"a", Str("1")}}, DataType::DYNAMIC_STRUCTURE)));
  ExpectConforms(record, withTags(Str("")));

  ExpectKind(record, withTags(Struct("m", {{"a", Str("1")}, {"b", Int(2)}})), "tags.b", "string",
             "integer");
  ExpectKind(record, withTags(Str("a=1")), "tags", "list", "string");
  ExpectKind(record, withTags(ErrorValue::GetInstance("e")), "tags", "list", "error");

  const DataValuePtr good = Struct("map-entry", {{"key", Str("a")}, {"value", Str("1")}});
  const DataValuePtr badEntries[] = {
      Struct("map-entry", {{"key", Str("b")}}),
      Struct("map-entry", {{"key", Int(1)}, {"value", Str("1")}}),
      Struct("map-entry", {{"key", Str("b")}, {"value", nullptr}}),
      Struct("map-entry", {{"key", Str("b")}, {"value", Str("1")}}, DataType::DYNAMIC_STRUCTURE),
      Str("b"),
      nullptr,
  };
  for (const auto& bad : badEntries) {
    ExpectFailure(record, withTags(List({good, bad, bad})), "tags[1]",
                  MessageIds::kValidationMapEntry, {"tags[1]"});
  }
}

TEST(Validation, StructureChecksNameAndRequiredFieldsAndIgnoresUndeclaredOnes) {
  const auto point = StructDef("point", {{"x", kInt}, {"y", kInt}, {"label", Opt(kString)}});
  ExpectConforms(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}}));
  ExpectConforms(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}, {"z", Int(3)}}));
  ExpectConforms(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}, {"label", Str("p")}}));
  ExpectConforms(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}}, DataType::ERROR));
  ExpectConforms(point,
                 Struct("point", {{"x", Int(1)}, {"y", Int(2)}}, DataType::DYNAMIC_STRUCTURE));
  ExpectConforms(point, Str(""));

  ExpectFailure(point, Struct("pointe", {{"x", Int(1)}, {"y", Int(2)}}), "",
                MessageIds::kValidationStructName, {"point", "", "pointe"});
  ExpectKind(point, Str("p"), "", "structure", "string");
  ExpectKind(point, List({}), "", "structure", "list");
  ExpectKind(point, nullptr, "", "structure", "null");
  ExpectKind(point, Struct("point", {{"x", Int(1)}, {"y", nullptr}}), "y", "integer", "null");
  ExpectKind(point, Struct("point", {{"x", Int(1)}, {"y", Int(2)}, {"label", nullptr}}), "label",
             "optional", "null");
  // The first missing field in name order, before the contents of the fields present.
  ExpectFailure(point, Struct("point", {{"label", Int(1)}}), "x",
                MessageIds::kValidationMissingField, {"x"});
  ExpectFailure(point, Struct("point", {{"x", Str("bad")}}), "y",
                MessageIds::kValidationMissingField, {"y"});
}

TEST(Validation, EmptyStringIsADefaultRecordThatLacksItsRequiredRecords) {
  // The empty string reads as the default record: records inside it stay null, so it only
  // conforms when none is required.
  const auto inner = StructDef("inner", {{"x", kInt}});
  const auto outer = StructDef("outer", {{"a", Opt(inner)}, {"n", kInt}, {"z", inner}});
  ExpectConforms(StructDef("flat", {{"a", Opt(inner)}, {"n", kInt}, {"m", kMap}}), Str(""));
  ExpectFailure(outer, Str(""), "z", MessageIds::kValidationMissingField, {"z"});
  const auto holder = StructDef("holder", {{"items", ListOf(outer)}});
  ExpectFailure(holder, Struct("holder", {{"items", List({Str("")})}}), "items[0].z",
                MessageIds::kValidationMissingField, {"items[0].z"});
}

TEST(Validation, NestedFailuresNameTheirPath) {
  const auto item = StructDef("item", {{"count", kInt}});
  const auto order = StructDef("order", {{"items", ListOf(item)}, {"note", Opt(kString)}});
  auto items = [](DataValuePtr third) {
    const DataValuePtr ok = Struct("item", {{"count", Int(1)}});
    return Struct("order", {{"items", List({ok, ok, std::move(third), ok})}});
  };
  ExpectConforms(order, items(Struct("item", {{"count", Str("3")}})));
  ExpectKind(order, items(Struct("item", {{"count", Bool(true)}})), "items[2].count", "integer",
             "boolean");
  ExpectFailure(order, items(Struct("item", {})), "items[2].count",
                MessageIds::kValidationMissingField, {"items[2].count"});
  ExpectFailure(order, items(Struct("thing", {})), "items[2]", MessageIds::kValidationStructName,
                {"item", "items[2]", "thing"});

  // Optionals add nothing to the path, whether set or given bare.
  const auto instance = StructDef("instance", {{"chandle", kInt}});
  const auto spec = StructDef("spec", {{"instances", Opt(ListOf(Opt(instance)))}});
  const auto root = StructDef("root", {{"spec", Opt(spec)}});
  const DataValuePtr good = Struct("instance", {{"chandle", Int(1)}});
  const DataValuePtr bad = Some(Struct("instance", {{"chandle", Str("h")}}));
  const auto value = Struct(
      "root", {{"spec", Some(Struct("spec", {{"instances", List({good, Some(good), bad})}}))}});
  ExpectFailure(root, value, "spec.instances[2].chandle", MessageIds::kValidationParse,
                {"h", "spec.instances[2].chandle", "integer"});
}

TEST(Validation, ReportsOnlyTheFirstFailureInOrder) {
  ExpectKind(ListOf(kInt), List({Int(1), Bool(false), Int(2), Dbl(3)}), "[1]", "integer",
             "boolean");
  const auto pair = StructDef("pair", {{"a", kInt}, {"b", kInt}});
  ExpectKind(pair, Struct("pair", {{"b", Dbl(1)}, {"a", Dbl(2)}}), "a", "integer", "double");
  // The whole first field's subtree comes before the next field.
  const auto outer = StructDef("outer", {{"a", ListOf(pair)}, {"b", kInt}});
  ExpectKind(outer,
             Struct("outer", {{"a", List({Struct("pair", {{"a", Int(1)}, {"b", Dbl(1.5)}})})},
                              {"b", Bool(true)}}),
             "a[0].b", "integer", "double");
}

TEST(Validation, StructRefFollowsItsTarget) {
  auto next = StructRefDefinition::GetInstance("node");
  const auto node = StructDef("node", {{"value", kInt}, {"next", Opt(next)}});
  next->SetTarget(std::static_pointer_cast<const StructDefinition>(node));

  auto link = [](DataValuePtr tail) {
    return Struct("node", {{"value", Int(1)}, {"next", Some(std::move(tail))}});
  };
  ExpectConforms(node, link(link(Struct("node", {{"value", Int(3)}}))));
  ExpectKind(node, link(link(Struct("node", {{"value", Dbl(3)}}))), "next.next.value", "integer",
             "double");
  ExpectFailure(node, link(Struct("leaf", {})), "next", MessageIds::kValidationStructName,
                {"node", "next", "leaf"});
  ExpectKind(node, link(Int(1)), "next", "structure", "integer");

  const auto dangling = StructDef("holder", {{"ref", StructRefDefinition::GetInstance("gone")}});
  ExpectFailure(dangling, Struct("holder", {{"ref", Struct("gone", {})}}), "ref",
                MessageIds::kValidationUnresolved, {"gone", "ref"});
}

TEST(Validation, MillionDeepChainOnASmallStack) {
  constexpr int kDepth = 1000000;
  auto next = StructRefDefinition::GetInstance("chain");
  const auto chain = StructDef("chain", {{"next", Opt(next)}});
  next->SetTarget(std::static_pointer_cast<const StructDefinition>(chain));

  auto deep = [](DataValuePtr innermost) {
    for (int i = 0; i < kDepth; ++i) innermost = Struct("chain", {{"next", Some(innermost)}});
    return innermost;
  };
  Testing::RunOnSmallStack([&] {
    EXPECT_FALSE(Validate(chain, deep(Struct("chain", {}))));

    const auto failure = Validate(chain, deep(Int(7)));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message.GetId(), MessageIds::kValidationKind);
    EXPECT_EQ(failure->path.size(), 5u * kDepth - 1);
    EXPECT_EQ(failure->path.substr(failure->path.size() - 10), ".next.next");
    EXPECT_EQ(failure->message.GetArgs().front(), "structure");
    EXPECT_EQ(failure->message.GetArgs().back(), "integer");
  });
}

}  // namespace
}  // namespace Data
}  // namespace Jorv
