#include "framework/data/native_to_definition.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <memory>
#include <string>

#include "framework/data/std_records.h"
#include "support/conversions.h"
#include "support/test_records.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataDefinitionPtr;
using Jorv::Data::DefinitionType;
using Jorv::Data::ListDefinition;
using Jorv::Data::NativeToDefinitionAdapter;
using Jorv::Data::OptionalDefinition;
using Jorv::Data::StructDefinition;
using Jorv::Data::StructRefDefinition;
using namespace Jorv::Testing;
using namespace TestRecords;

std::shared_ptr<const StructDefinition> AsStruct(const DataDefinitionPtr& definition) {
  EXPECT_TRUE(definition && definition->GetType() == DefinitionType::STRUCTURE);
  return std::static_pointer_cast<const StructDefinition>(definition);
}

const DataDefinitionPtr& FieldDef(const DataDefinitionPtr& structure, const std::string& name) {
  return AsStruct(structure)->GetFields().at(name);
}

// The element of a list or optional definition.
const DataDefinitionPtr& ElementOf(const DataDefinitionPtr& definition) {
  if (definition->GetType() == DefinitionType::LIST) {
    return static_cast<const ListDefinition&>(*definition).GetElement();
  }
  EXPECT_EQ(definition->GetType(), DefinitionType::OPTIONAL);
  return static_cast<const OptionalDefinition&>(*definition).GetElement();
}

std::shared_ptr<const StructRefDefinition> AsRef(const DataDefinitionPtr& definition) {
  EXPECT_TRUE(definition && definition->GetType() == DefinitionType::STRUCT_REF);
  return std::static_pointer_cast<const StructRefDefinition>(definition);
}

TEST(NativeToDefinition, DefinesEveryFieldKind) {
  const std::string leaf = "com.example.test.leaf{name: string, number: integer}";
  const std::string entries = "list<map-entry{key: string, value: string}>";
  const std::string expected =
      "com.example.test.all_kinds{color: string, integer: integer, leaf: " + leaf +
      ", leaves: list<" + leaf +
      ">, maybe_color: optional<string>, maybe_integer: "
      "optional<integer>, maybe_leaf: optional<" +
      leaf + ">, maybe_leaves: optional<list<" + leaf +
      ">>, maybe_opaque: optional<opaque>, maybe_real: optional<double>, "
      "maybe_strings: optional<list<string>>, maybe_tags: optional<" +
      entries +
      ">, maybe_text: optional<string>, opaque: opaque, real: double, "
      "reals: list<double>, strings: list<string>, tags: " +
      entries + ", text: string, when: date-time}";
  EXPECT_EQ(DefinitionText(Define<AllKinds>()), expected);
}

TEST(NativeToDefinition, DefinesStandaloneKinds) {
  EXPECT_EQ(DefinitionText(Define<std::map<std::string, std::string>>()),
            "list<map-entry{key: string, value: string}>");
  EXPECT_EQ(DefinitionText(Define<std::list<boost::optional<long long>>>()),
            "list<optional<integer>>");
  EXPECT_EQ(DefinitionText(Define<boost::optional<std::list<Color>>>()), "optional<list<string>>");
  EXPECT_EQ(DefinitionText(Define<std::shared_ptr<const Leaf>>()),
            "com.example.test.leaf{name: string, number: integer}");
  EXPECT_EQ(DefinitionText(Define<Jorv::DateTime>()), "date-time");
}

TEST(NativeToDefinition, SharesOneDefinitionPerRecordTypeWithinACall) {
  const DataDefinitionPtr first = Define<AllKinds>();
  const DataDefinitionPtr& leaf = FieldDef(first, "leaf");
  ASSERT_EQ(leaf->GetType(), DefinitionType::STRUCTURE);
  EXPECT_EQ(ElementOf(FieldDef(first, "leaves")).get(), leaf.get());
  EXPECT_EQ(ElementOf(FieldDef(first, "maybe_leaf")).get(), leaf.get());
  EXPECT_EQ(ElementOf(ElementOf(FieldDef(first, "maybe_leaves"))).get(), leaf.get());

  // Nothing is kept between calls.
  const DataDefinitionPtr second = Define<AllKinds>();
  EXPECT_NE(second.get(), first.get());
  EXPECT_NE(FieldDef(second, "leaf").get(), leaf.get());
  EXPECT_EQ(DefinitionText(second), DefinitionText(first));
}

TEST(NativeToDefinition, ClosesSelfContainingTypesWithAResolvedReference) {
  const DataDefinitionPtr chain = Define<Chain>();
  EXPECT_EQ(DefinitionText(chain),
            "com.example.test.chain{depth: integer, next: optional<ref<com.example.test.chain>>}");
  EXPECT_EQ(AsRef(ElementOf(FieldDef(chain, "next")))->GetTarget().get(), chain.get());

  const DataDefinitionPtr tree = Define<Tree>();
  EXPECT_EQ(DefinitionText(tree),
            "com.example.test.tree{children: list<ref<com.example.test.tree>>, label: string}");
  EXPECT_EQ(AsRef(ElementOf(FieldDef(tree, "children")))->GetTarget().get(), tree.get());

  // Inside another record the reference resolves to the nested definition, which both uses of
  // the type share.
  const DataDefinitionPtr forest = Define<Forest>();
  const DataDefinitionPtr& inner = ElementOf(FieldDef(forest, "trees"));
  EXPECT_EQ(DefinitionText(inner), DefinitionText(tree));
  EXPECT_EQ(ElementOf(FieldDef(forest, "tallest")).get(), inner.get());
  EXPECT_EQ(AsRef(ElementOf(FieldDef(inner, "children")))->GetTarget().get(), inner.get());

  // Two types that contain each other: the reference sits in the inner one.
  const DataDefinitionPtr ping = Define<Ping>();
  EXPECT_EQ(DefinitionText(ping),
            "com.example.test.ping{pong: optional<com.example.test.pong{pings: "
            "list<ref<com.example.test.ping>>}>}");
  const DataDefinitionPtr& pong = ElementOf(FieldDef(ping, "pong"));
  EXPECT_EQ(AsRef(ElementOf(FieldDef(pong, "pings")))->GetTarget().get(), ping.get());
}

TEST(NativeToDefinition, ReferenceDoesNotKeepItsTargetAlive) {
  DataDefinitionPtr tree = Define<Tree>();
  const std::shared_ptr<const StructRefDefinition> reference =
      AsRef(ElementOf(FieldDef(tree, "children")));
  const std::weak_ptr<const Jorv::Data::DataDefinition> watch = tree;
  ASSERT_EQ(reference->GetTarget().get(), tree.get());
  tree.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(reference->GetTarget(), nullptr);
}

TEST(NativeToDefinition, LeavesTheMessageListUntouched) {
  const std::list<BaseMessage> before{BaseMessage("earlier", "Earlier {1}.", {"x"})};
  std::list<BaseMessage> messages = before;
  DataDefinitionPtr definition;
  NativeToDefinitionAdapter::Adapt(NativeToDefinitionAdapter::AdaptMethod<AllKinds>::Get(),
                                   &definition, messages);
  ASSERT_NE(definition, nullptr);
  EXPECT_EQ(messages, before);
}

TEST(NativeToDefinition, DefinesTheStandardRecords) {
  using namespace Com::Zentak::Jorv::Std;
  const std::string message =
      "com.zentak.jorv.std.localizable_message{args: list<string>, default_message: string, "
      "id: string}";
  EXPECT_EQ(DefinitionText(Define<LocalizableMessage>()), message);
  EXPECT_EQ(DefinitionText(Define<Errors::NotFound>()),
            "com.zentak.jorv.std.errors.not_found{messages: list<" + message + ">}");
  EXPECT_EQ(DefinitionText(Define<Errors::InvalidArgument>()),
            "com.zentak.jorv.std.errors.invalid_argument{messages: list<" + message + ">}");

  const DataDefinitionPtr input = Define<Jorv::OperationInput>();
  EXPECT_EQ(AsStruct(input)->GetName(), "com.zentak.jorv.std.operation_input");
  EXPECT_TRUE(AsStruct(input)->GetFields().empty());
}

}  // namespace
