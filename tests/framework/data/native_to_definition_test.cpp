#include "framework/data/native_to_definition.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::Data::DataDefinitionPtr;
using Jorv::Data::DefinitionType;
using Jorv::Data::StructDefinition;
using namespace Jorv::Testing;
using namespace TestRecords;

const DataDefinitionPtr& Field(const DataDefinitionPtr& structure, const std::string& name) {
  return static_cast<const StructDefinition&>(*structure).GetFields().at(name);
}
// The element of a list or optional definition.
const DataDefinitionPtr& ElementOf(const DataDefinitionPtr& definition) {
  return definition->GetType() == DefinitionType::LIST
             ? static_cast<const Jorv::Data::ListDefinition&>(*definition).GetElement()
             : static_cast<const Jorv::Data::OptionalDefinition&>(*definition).GetElement();
}
// The target of the structure reference `definition`.
const StructDefinition* TargetOf(const DataDefinitionPtr& definition) {
  EXPECT_EQ(definition->GetType(), DefinitionType::STRUCT_REF);
  return static_cast<const Jorv::Data::StructRefDefinition&>(*definition).GetTarget().get();
}

TEST(NativeToDefinition, DefinesEveryKind) {
  const std::string leaf = "com.example.test.leaf{name: string, number: integer}";
  const std::string entries = "list<map-entry{key: string, value: string}>";
  EXPECT_EQ(DefinitionText(Define<AllKinds>()),
            "com.example.test.all_kinds{color: string, integer: integer, leaf: " + leaf +
                ", leaves: list<" + leaf + ">, maybe_color: optional<string>, maybe_integer: " +
                "optional<integer>, maybe_leaf: optional<" + leaf + ">, maybe_leaves: " +
                "optional<list<" + leaf + ">>, maybe_opaque: optional<opaque>, maybe_real: " +
                "optional<double>, maybe_strings: optional<list<string>>, maybe_tags: optional<" +
                entries + ">, maybe_text: optional<string>, opaque: opaque, real: double, " +
                "reals: list<double>, strings: list<string>, tags: " + entries +
                ", text: string, when: date-time}");
  EXPECT_EQ(DefinitionText(Define<std::list<boost::optional<long long>>>()),
            "list<optional<integer>>");
}

TEST(NativeToDefinition, ClosesSelfContainingTypesWithAReferenceThatDoesNotOwnItsTarget) {
  DataDefinitionPtr tree = Define<Tree>();
  EXPECT_EQ(DefinitionText(tree),
            "com.example.test.tree{children: list<ref<com.example.test.tree>>, label: string}");
  EXPECT_EQ(TargetOf(ElementOf(Field(tree, "children"))), tree.get());

  // Of two types that contain each other the inner one holds the reference.
  const DataDefinitionPtr ping = Define<Ping>();
  EXPECT_EQ(DefinitionText(ping),
            "com.example.test.ping{pong: optional<com.example.test.pong{pings: "
            "list<ref<com.example.test.ping>>}>}");
  EXPECT_EQ(TargetOf(ElementOf(Field(ElementOf(Field(ping, "pong")), "pings"))), ping.get());

  const auto reference = ElementOf(Field(tree, "children"));
  tree.reset();
  EXPECT_EQ(TargetOf(reference), nullptr);
}

}  // namespace
