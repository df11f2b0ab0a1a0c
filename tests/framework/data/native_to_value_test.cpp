#include "framework/data/native_to_value.h"

#include <gtest/gtest.h>

#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::DataValuePtr;
using Jorv::Data::ToText;
using namespace Jorv::Testing;
using namespace TestRecords;

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
  const std::string written = ToText(WriteOk(defaults));
  EXPECT_NE(written.find("opaque: void, real: 0.0, reals: [], strings: [], tags: map[]"),
            std::string::npos)
      << written;
  // An enumerator outside the literals writes as the unknown one.
  EXPECT_EQ(ToText(WriteOk(Color(static_cast<Color::Enumerator>(Color::_UNKNOWN + 5)))),
            "\"_UNKNOWN\"");
}

TEST(NativeToValue, AMissingValueStopsTheWriteWithOneMessage) {
  const BaseMessage unsetLeaf("jorv.data.unset.non.optional.field",
                              "The required field of type com.example.test.leaf is not set.",
                              {"com.example.test.leaf"});
  const std::pair<void (*)(AllKinds&), BaseMessage> rows[] = {
      {[](AllKinds& r) { r.leaf = nullptr; }, unsetLeaf},
      {[](AllKinds& r) {
         r.leaves = {nullptr, MakeLeaf("middle", 2), nullptr};
       },
       unsetLeaf},
      {[](AllKinds& r) { r.maybe_opaque = Jorv::Data::Opaque(nullptr); },
       BaseMessage("jorv.data.unset.field", "A field of type Opaque is not set.", {"Opaque"})}};
  for (const auto& [edit, expected] : rows) {
    AllKinds r = FilledAllKinds();
    edit(r);
    std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
    DataValuePtr out;
    EXPECT_FALSE(Write(r, out, messages));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.back(), expected);
  }
}

}  // namespace
