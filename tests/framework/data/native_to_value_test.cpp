#include "framework/data/native_to_value.h"

#include <gtest/gtest.h>

#include "framework/core/value_ops.h"
#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValue;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ListValue;
using Jorv::Data::OptionalValue;
using Jorv::Data::StructValue;
using namespace Jorv::Testing;
using namespace TestRecords;

const StructValue& AsStruct(const DataValuePtr& value) {
  EXPECT_TRUE(value && value->GetType() == Jorv::Data::DataType::STRUCTURE);
  return static_cast<const StructValue&>(*value);
}

TEST(NativeToValue, WritesEveryDeclaredFieldWithItsKind) {
  const DataValuePtr written = WriteOk(FilledAllKinds());
  const DataValuePtr expected =
      Struct(AllKinds::kTypeName,
             {{"text", Str("hello")},
              {"integer", Int(-42)},
              {"real", DataValue::Create(2.5)},
              {"when", Str("2026-12-06T17:19:47.123Z")},
              {"opaque", Str("held")},
              {"color", Str("GREEN")},
              {"leaf", LeafValue("one", 1)},
              {"strings", List(1, {Str("b"), Str("a")})},
              {"reals", List(1, {DataValue::Create(1.5), DataValue::Create(-0.25)})},
              {"leaves", List(1, {LeafValue("x", 10), LeafValue("y", 20)})},
              {"tags", List(3, {MapEntry("alpha", "first"), MapEntry("zeta", "last")})},
              {"maybe_integer", Some(Int(7))},
              {"maybe_real", Unset()},
              {"maybe_text", Unset()},
              {"maybe_color", Some(Str("purple"))},
              {"maybe_opaque", Unset()},
              {"maybe_leaves", Some(List(1, {}))},
              {"maybe_strings", Unset()},
              {"maybe_tags", Unset()},
              {"maybe_leaf", Some(LeafValue("opt", 3))}});
  EXPECT_TRUE(Jorv::Data::Equals(written, expected))
      << "written:  " << Jorv::Data::ToText(written)
      << "\nexpected: " << Jorv::Data::ToText(expected);
}

TEST(NativeToValue, DefaultRecordWritesUnsetOptionalsAndEmptyContainers) {
  AllKinds r;
  r.leaf = MakeLeaf("", 0);
  const DataValuePtr written = WriteOk(r);
  const StructValue& s = AsStruct(written);
  EXPECT_EQ(s.GetFields().size(), 20u);
  for (const char* name :
       {"maybe_integer", "maybe_real", "maybe_text", "maybe_color", "maybe_opaque", "maybe_leaves",
        "maybe_strings", "maybe_tags", "maybe_leaf"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at(name), Unset()));
  }
  EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at("tags"), List(3, {})));
  EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at("color"), Str("_UNKNOWN")));
  EXPECT_EQ(s.GetFields().at("opaque")->GetType(), Jorv::Data::DataType::VOID);
  EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at("when"), Str("1970-01-01T00:00:00.000Z")));
}

TEST(NativeToValue, OpaqueValuesAreSharedNotCopied) {
  AllKinds r = FilledAllKinds();
  const DataValuePtr held = LeafValue("inner", 9);
  r.opaque = Jorv::Data::Opaque(held);
  r.maybe_opaque = Jorv::Data::Opaque(held);
  const DataValuePtr written = WriteOk(r);
  const StructValue& s = AsStruct(written);
  EXPECT_EQ(s.GetFields().at("opaque").get(), held.get());
  const auto& optional = static_cast<const OptionalValue&>(*s.GetFields().at("maybe_opaque"));
  EXPECT_EQ(optional.value().get(), held.get());
}

TEST(NativeToValue, UnknownFieldsAreWrittenBackBesideDeclaredOnes) {
  Leaf leaf;
  leaf.name = "n";
  leaf.unknownFields = StructValue::GetInstance("unknownFields");
  const DataValuePtr early = Str("sorts first");
  const DataValuePtr late = Int(99);
  leaf.unknownFields->SetField("aaa", early);
  leaf.unknownFields->SetField("zzz", late);
  // A stored field under a declared name does not replace the declared member's value.
  leaf.number = 5;
  leaf.unknownFields->SetField("number", Str("stale"));
  const DataValuePtr written = WriteOk(leaf);
  const StructValue& s = AsStruct(written);
  ASSERT_EQ(s.GetFields().size(), 4u);
  EXPECT_EQ(s.GetFields().at("aaa").get(), early.get());
  EXPECT_EQ(s.GetFields().at("zzz").get(), late.get());
  EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at("name"), Str("n")));
  EXPECT_TRUE(Jorv::Data::Equals(s.GetFields().at("number"), Int(5)));
}

TEST(NativeToValue, EnumerationsWriteLiteralOrKeptTextOrUnknown) {
  struct Case {
    Color color;
    const char* wire;
  };
  const Case cases[] = {
      {Color::RED, "RED"},
      {Color::BLUE, "BLUE"},
      {Color(), "_UNKNOWN"},
      {Color::FromString("_UNKNOWN"), "_UNKNOWN"},
      {Color::FromString(""), "_UNKNOWN"},
      {Color::FromString("red"), "red"},
      {Color(static_cast<Color::Enumerator>(Color::_UNKNOWN + 5)), "_UNKNOWN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wire);
    AllKinds r = FilledAllKinds();
    r.color = c.color;
    const DataValuePtr written = WriteOk(r);
    EXPECT_TRUE(Jorv::Data::Equals(AsStruct(written).GetFields().at("color"), Str(c.wire)));
  }
}

TEST(NativeToValue, NullRequiredRecordStopsWithOneMessageNamingItsType) {
  AllKinds r = FilledAllKinds();
  r.leaf = nullptr;
  DataValuePtr out;
  std::list<BaseMessage> messages;
  ASSERT_FALSE(Write(r, out, messages));
  ASSERT_EQ(messages.size(), 1u);
  const BaseMessage& m = messages.front();
  EXPECT_EQ(m.GetId(), "jorv.data.unset.non.optional.field");
  EXPECT_EQ(m.GetArgs(), std::list<std::string>{"com.example.test.leaf"});
  EXPECT_EQ(m.GetDefaultMessage(), "The required field of type com.example.test.leaf is not set.");
  // Queued fields declared before "leaf" are converted after it, so they were never reached;
  // fields declared after it were.
  const StructValue& partial = AsStruct(out);
  EXPECT_EQ(partial.GetFields().at("opaque"), nullptr);
  EXPECT_NE(partial.GetFields().at("strings"), nullptr);
  EXPECT_NE(partial.GetFields().at("maybe_leaf"), nullptr);
}

TEST(NativeToValue, ListWithTwoNullElementsReportsOnlyTheLast) {
  AllKinds r = FilledAllKinds();
  r.leaves = {nullptr, MakeLeaf("middle", 2), nullptr};
  DataValuePtr out;
  std::list<BaseMessage> messages;
  ASSERT_FALSE(Write(r, out, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), "jorv.data.unset.non.optional.field");
  // Elements convert back to front: the last one failed first, the middle one was never reached.
  const auto& list = static_cast<const ListValue&>(*AsStruct(out).GetFields().at("leaves"));
  ASSERT_EQ(list.GetElements().size(), 3u);
  for (const DataValuePtr& element : list.GetElements()) EXPECT_EQ(element, nullptr);
}

TEST(NativeToValue, OpaqueWithoutValueFailsRequiredOrInsideSetOptional) {
  for (bool inOptional : {false, true}) {
    SCOPED_TRACE(inOptional);
    AllKinds r = FilledAllKinds();
    if (inOptional) {
      r.maybe_opaque = Jorv::Data::Opaque(nullptr);
    } else {
      r.opaque = Jorv::Data::Opaque(nullptr);
    }
    DataValuePtr out;
    std::list<BaseMessage> messages;
    EXPECT_FALSE(Write(r, out, messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front().GetId(), "jorv.data.unset.field");
    EXPECT_EQ(messages.front().GetArgs(), std::list<std::string>{"Opaque"});
  }
}

TEST(NativeToValue, SucceedsWithMessagesAlreadyInTheList) {
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
  DataValuePtr out;
  EXPECT_TRUE(Write(FilledAllKinds(), out, messages));
  EXPECT_EQ(messages.size(), 1u);
  AllKinds broken = FilledAllKinds();
  broken.leaves.push_back(nullptr);
  EXPECT_FALSE(Write(broken, out, messages));
  EXPECT_EQ(messages.size(), 2u);
}

TEST(NativeToValue, WritesStandaloneKindsAtTheRoot) {
  const std::map<std::string, std::string> map{{"b", "2"}, {"a", "1"}};
  EXPECT_TRUE(Jorv::Data::Equals(WriteOk(map), List(3, {MapEntry("a", "1"), MapEntry("b", "2")})));
  const std::list<std::string> strings{"x"};
  EXPECT_TRUE(Jorv::Data::Equals(WriteOk(strings), List(1, {Str("x")})));
  EXPECT_TRUE(Jorv::Data::Equals(WriteOk(std::string("s")), Str("s")));
  EXPECT_TRUE(Jorv::Data::Equals(WriteOk(Jorv::OperationInput()),
                                 Struct(Jorv::Std::kOperationInputName, {})));
}

}  // namespace
