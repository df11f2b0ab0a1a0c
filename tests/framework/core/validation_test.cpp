#include "framework/core/validation.h"

#include <gtest/gtest.h>

#include <string>

#include "support/service_client.h"
#include "support/values.h"

namespace Jorv::Data {
namespace {

using namespace Testing;
using T = DefinitionType;

DataDefinitionPtr Prim(T::EnumType type) { return std::make_shared<PrimitiveDefinition>(type); }
DataDefinitionPtr ListOf(DataDefinitionPtr element) { return ListDefinition::GetInstance(element); }
DataDefinitionPtr StructDef(const std::string& name, StructDefinition::Fields fields) {
  return StructDefinition::GetInstance(name, fields);
}

// "ok", or the failure as "<path> <message id without jorv.data.validation.>(<args>)".
std::string Outcome(const DataDefinitionPtr& definition, const DataValuePtr& value) {
  const auto failure = Validate(definition, value);
  if (!failure) return "ok";
  std::string text = failure->path + Summary(ErrorValue::Create("", {failure->message}));
  return text.replace(text.find(" jorv.data.validation."), 22, " ");
}

TEST(Validation, JudgesEachKindAndNamesTheFirstFailure) {
  const auto kInt = Prim(T::INTEGER);
  const auto kString = Prim(T::STRING);
  const auto optInt = OptionalDefinition::GetInstance(kInt);
  const auto entry = StructDef("map-entry", {{"key", kString}, {"value", kString}});
  // Fields are judged in name order: a, b, c, d.
  const auto record = StructDef("r", {{"a", ListOf(StructDef("p", {{"x", kInt}, {"y", kInt}}))},
                                      {"b", kInt},
                                      {"c", optInt},
                                      {"d", ListOf(entry)}});
  // A record r, with the empty text for a and d and 1 for b unless `fields` sets them.
  auto r = [](std::map<std::string, DataValuePtr> fields) {
    for (const char* name : {"a", "d"}) fields.emplace(name, Str(""));
    fields.emplace("b", Int(1));
    return Struct("r", std::move(fields));
  };
  auto next = StructRefDefinition::GetInstance("node");
  const auto node =
      StructDef("node", {{"value", kInt}, {"next", OptionalDefinition::GetInstance(next)}});
  next->SetTarget(std::static_pointer_cast<const StructDefinition>(node));
  auto link = [](DataValuePtr tail) {
    return Struct("node", {{"value", Int(1)}, {"next", Some(std::move(tail))}});
  };
  const struct {
    DataDefinitionPtr definition;
    DataValuePtr value;
    std::string expected;
  } rows[] = {
      // Primitives take their kind and the texts the reader parses.
      {kInt, Str("+42"), "ok"},
      {Prim(T::SECRET), Str("pw"), " kind(secret, , string)"},
      {kInt, Some(Int(1)), " kind(integer, , optional)"},
      {Prim(T::DOUBLE), Str("1.5x"), " parse(1.5x, , double)"},
      // An optional takes a bare value, and the empty text stands for unset.
      {optInt, Int(1), "ok"},
      {optInt, Str(""), "ok"},
      {optInt, Str("x"), " parse(x, , integer)"},
      // A list takes any list kind, a text for a list of one and the empty text.
      {ListOf(kInt), List(3, {Int(1), Str("2")}), "ok"},
      {ListOf(kInt), Str("x"), " parse(x, , integer)"},
      {ListOf(kInt), List(1, {Int(1), DataValue::Create(false), nullptr}),
       "[1] kind(integer, [1], boolean)"},
      // A string map takes entries of any structure name, extra fields ignored, or a structure
      // of texts.
      {record,
       r({{"d",
           List(1, {MapEntry("a", "1"),
                    Struct("o", {{"key", Str("b")}, {"value", Str("2")}, {"extra", Int(3)}})})}}),
       "ok"},
      {record, r({{"d", Struct("m", {{"a", Str("1")}, {"b", Int(2)}})}}),
       "d.b kind(string, d.b, integer)"},
      {record, r({{"d", ErrorValue::GetInstance("e")}}), "d kind(list, d, error)"},
      {record,
       r({{"d",
           List(3, {MapEntry("a", "1"), Struct("map-entry", {{"key", Str("b")}}), Str("c")})}}),
       "d[1] map.entry(d[1])"},
      {record, r({{"d", List(3, {MapEntry("a", "1"), Str("b")})}}), "d[1] map.entry(d[1])"},
      // A structure: its name, then the first missing field, then the first failure in name
      // order, a field's whole subtree before the next field. An error value is a structure;
      // the empty text is the default record.
      {record, ErrorValue::Create("r", {}), "a missing.field(a)"},
      {record, r({{"a", List(1, {Str("")})}, {"z", Int(3)}}), "ok"},
      {record, Struct("rr", {{"b", Int(1)}}), " struct.name(r, , rr)"},
      {record, r({{"a", Str("p")}}), "a kind(structure, a, string)"},
      {record, Struct("r", {{"c", Str("bad")}, {"d", Str("")}}), "a missing.field(a)"},
      {record,
       r({{"a", List(1, {Struct("p", {{"x", Int(1)}, {"y", Real(1.5)}})})}, {"b", Real(2)}}),
       "a[0].y kind(integer, a[0].y, double)"},
      {record, r({{"c", nullptr}}), "c kind(optional, c, null)"},
      // The default record's record members are null: it conforms only when none is required.
      {ListOf(StructDef("o", {{"z", StructDef("i", {})}})), List(1, {Str("")}),
       "[0].z missing.field([0].z)"},
      // References follow their target; one without target fails where it is used.
      {node, link(link(Struct("node", {{"value", Int(3)}}))), "ok"},
      {node, link(link(Struct("node", {{"value", Real(3)}}))),
       "next.next.value kind(integer, next.next.value, double)"},
      {StructDef("h", {{"ref", StructRefDefinition::GetInstance("gone")}}),
       Struct("h", {{"ref", Struct("gone", {})}}), "ref unresolved(gone, ref)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Outcome(row.definition, row.value), row.expected) << ToText(row.value);
  }
}

}  // namespace
}  // namespace Jorv::Data
