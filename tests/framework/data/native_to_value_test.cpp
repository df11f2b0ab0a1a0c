#include "framework/data/native_to_value.h"

#include <gtest/gtest.h>

#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::StructValue;
using Jorv::Data::ToText;
using namespace Jorv::Testing;
using namespace TestRecords;

DataValuePtr LeafValue(const std::string& name, long long number) {
  return Struct(Leaf::kTypeName, {{"name", Str(name)}, {"number", Int(number)}});
}
const DataValuePtr& FieldOf(const DataValuePtr& structure, const std::string& name) {
  return static_cast<const StructValue&>(*structure).GetFields().at(name);
}

TEST(NativeToValue, WritesEveryFieldKindInItsOwnEncoding) {
  EXPECT_EQ(
      ToText(WriteOk(FilledAllKinds())),
      R"(com.example.test.all_kinds{color: "GREEN", integer: -42, leaf: com.example.test.leaf{)"
      R"(name: "one", number: 1}, leaves: [com.example.test.leaf{name: "x", number: 10}, )"
      R"(com.example.test.leaf{name: "y", number: 20}], maybe_color: some("purple"), )"
      R"(maybe_integer: some(7), maybe_leaf: some(com.example.test.leaf{name: "opt", number: )"
      R"(3}), maybe_leaves: some([]), maybe_opaque: unset, maybe_real: unset, maybe_strings: )"
      R"(unset, maybe_tags: unset, maybe_text: unset, opaque: "held", real: 2.5, reals: [1.5, )"
      R"(-0.25], strings: ["b", "a"], tags: map[map-entry{key: "alpha", value: "first"}, )"
      R"(map-entry{key: "zeta", value: "last"}], text: "hello", when: )"
      R"("2026-12-06T17:19:47.123Z"})");

  AllKinds defaults;
  defaults.leaf = MakeLeaf("", 0);
  const DataValuePtr written = WriteOk(defaults);
  EXPECT_EQ(ToText(FieldOf(written, "tags")), "map[]");
  EXPECT_EQ(FieldOf(written, "opaque")->GetType(), Jorv::Data::DataType::VOID);
  // An enumerator outside the literals writes as the unknown one.
  EXPECT_EQ(ToText(WriteOk(Color(static_cast<Color::Enumerator>(Color::_UNKNOWN + 5)))),
            "\"_UNKNOWN\"");
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
  EXPECT_EQ(ToText(FieldOf(written, "integer")), "-42");
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
