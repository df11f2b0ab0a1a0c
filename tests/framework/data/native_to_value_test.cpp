#include "framework/data/native_to_value.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::StructValue;
using namespace Jorv::Testing;
using namespace TestRecords;

DataValuePtr LeafValue(const std::string& name, long long number) {
  return Struct(Leaf::kTypeName, {{"name", Str(name)}, {"number", Int(number)}});
}
const DataValuePtr& FieldOf(const DataValuePtr& structure, const std::string& name) {
  return static_cast<const StructValue&>(*structure).GetFields().at(name);
}

TEST(NativeToValue, WritesEveryFieldKindInItsOwnEncoding) {
  const DataValuePtr expected =
      Struct(AllKinds::kTypeName,
             {{"text", Str("hello")},
              {"integer", Int(-42)},
              {"real", Real(2.5)},
              {"when", Str("2026-12-06T17:19:47.123Z")},
              {"opaque", Str("held")},
              {"color", Str("GREEN")},
              {"leaf", LeafValue("one", 1)},
              {"strings", List(1, {Str("b"), Str("a")})},
              {"reals", List(1, {Real(1.5), Real(-0.25)})},
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
  EXPECT_TRUE(SameValue(WriteOk(FilledAllKinds()), expected));

  AllKinds defaults;
  defaults.leaf = MakeLeaf("", 0);
  const DataValuePtr written = WriteOk(defaults);
  EXPECT_TRUE(SameValue(FieldOf(written, "tags"), List(3, {})));
  EXPECT_EQ(FieldOf(written, "opaque")->GetType(), Jorv::Data::DataType::VOID);
  // An enumerator outside the literals writes as the unknown one.
  EXPECT_TRUE(SameValue(WriteOk(Color(static_cast<Color::Enumerator>(Color::_UNKNOWN + 5))),
                        Str("_UNKNOWN")));
}

TEST(NativeToValue, SharesOpaqueValuesAndWritesUnknownFieldsBesideDeclaredOnes) {
  AllKinds r = FilledAllKinds();
  const DataValuePtr held = LeafValue("inner", 9);
  r.opaque = Jorv::Data::Opaque(held);
  r.maybe_opaque = Jorv::Data::Opaque(held);
  r.unknownFields = StructValue::GetInstance("unknownFields");
  r.unknownFields->SetField("aaa", held);
  // A stored field under a declared name does not replace the declared member's value.
  r.unknownFields->SetField("integer", Str("stale"));
  const DataValuePtr written = WriteOk(r);
  EXPECT_EQ(FieldOf(written, "opaque"), held);
  EXPECT_EQ(FieldOf(written, "aaa"), held);
  EXPECT_TRUE(SameValue(FieldOf(written, "integer"), Int(-42)));
  EXPECT_EQ(static_cast<const StructValue&>(*written).GetFields().size(), 21u);
}

TEST(NativeToValue, AMissingValueStopsTheWriteWithOneMessage) {
  AllKinds nullLeaf = FilledAllKinds();
  nullLeaf.leaf = nullptr;
  AllKinds nullElement = FilledAllKinds();
  nullElement.leaves = {nullptr, MakeLeaf("middle", 2), nullptr};
  AllKinds emptyOpaque = FilledAllKinds();
  emptyOpaque.maybe_opaque = Jorv::Data::Opaque(nullptr);
  const BaseMessage unsetLeaf("jorv.data.unset.non.optional.field",
                              "The required field of type com.example.test.leaf is not set.",
                              {"com.example.test.leaf"});
  const BaseMessage unsetOpaque("jorv.data.unset.field", "A field of type Opaque is not set.",
                                {"Opaque"});
  for (const auto& row :
       {std::make_pair(nullLeaf, unsetLeaf), std::make_pair(nullElement, unsetLeaf),
        std::make_pair(emptyOpaque, unsetOpaque)}) {
    std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
    DataValuePtr out;
    EXPECT_FALSE(Write(row.first, out, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.back(), row.second);
  }
}

}  // namespace
