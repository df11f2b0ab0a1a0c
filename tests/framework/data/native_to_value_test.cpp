#include "framework/data/native_to_value.h"

#include <gtest/gtest.h>

#include "support/test_records.h"
#include "support/values.h"

namespace {

using Jorv::BaseMessage;
using Jorv::Data::ToText;
using namespace Jorv::Testing;
using namespace TestRecords;

// The encoding of each set kind is checked where the reader's table writes back what it read
// (value_to_native_test.cpp); here, what defaults and unknown enumerators write.
TEST(NativeToValue, WritesDefaultsAndUnknownEnumerators) {
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
  const auto failure = [](void (*edit)(AllKinds&)) {
    AllKinds r = FilledAllKinds();
    edit(r);
    std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
    Jorv::Data::DataValuePtr out;
    EXPECT_FALSE(Write(r, out, messages));
    EXPECT_EQ(messages.size(), 2u);
    return messages.back();
  };
  const BaseMessage unsetLeaf("jorv.data.unset.non.optional.field",
                              "The required field of type com.example.test.leaf is not set.",
                              {"com.example.test.leaf"});
  EXPECT_EQ(failure([](AllKinds& r) { r.leaf = nullptr; }), unsetLeaf);
  EXPECT_EQ(failure([](AllKinds& r) { r.leaves = {nullptr, r.leaf, nullptr}; }), unsetLeaf);
  EXPECT_EQ(failure([](AllKinds& r) { r.maybe_opaque = Jorv::Data::Opaque(nullptr); }),
            BaseMessage("jorv.data.unset.field", "A field of type Opaque is not set.", {"Opaque"}));
}

}  // namespace
