#include "framework/remote/value_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <list>
#include <string>

#include "framework/core/value_ops.h"
#include "framework/text/message_catalog.h"
#include "support/values.h"

namespace Jorv {
namespace Remote {
namespace {

using Data::DataValuePtr;
using namespace Testing;
using namespace std::string_literals;

DataValuePtr RoundTrip(const DataValuePtr& value) {
  DataValuePtr back;
  std::list<BaseMessage> messages;
  EXPECT_TRUE(DecodeValue(EncodeValue(value), {}, back, messages));
  EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages.front().GetDefaultMessage());
  return back;
}

// Decoding `bytes` fails with exactly one message `id` whose arguments are `args`.
void ExpectRefused(const std::string& bytes, const char* id, std::list<std::string> args,
                   const DecodeLimits& limits = {}) {
  DataValuePtr out = Str("untouched");
  std::list<BaseMessage> messages;
  EXPECT_FALSE(DecodeValue(bytes, limits, out, messages));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), id);
  EXPECT_EQ(messages.front().GetArgs(), args);
  EXPECT_EQ(ToText(out), "\"untouched\"");
}

TEST(ValueCodec, EveryKindRoundTripsExactlyAndMalformedFramesAreRefusedWithAMessage) {
  using namespace MessageIds;
  const std::string list = EncodeValue(List(1, {Int(1), Int(2)}));
  const std::string truncated = list.substr(0, list.size() - 1);
  const std::string longVarint = "\x01\x02"s + std::string(10, '\xff') + "\x01";
  const std::string hugeListKind = "\x01\x08\xff\xff\xff\xff\x1f\x00"s;
  std::string unordered = EncodeValue(Struct("s", {{"a", Int(1)}, {"b", Int(2)}}));
  unordered[unordered.find('b')] = 'a';
  auto withNullSlots = Data::StructValue::GetDynamicInstance("dyn");
  withNullSlots->CreateSlot("a");
  withNullSlots->SetField("b", Int(1));
  auto setToNull = Data::OptionalValue::GetInstance();
  setToNull->value(nullptr);
  auto bareError = std::make_shared<Data::ErrorValue>("e.bare");
  bareError->SetField("code", Int(7));

  // A value round-trips unless an error is given: then its bytes are refused with it.
  const struct {
    const char* name;
    DataValuePtr value;
    std::string bytes = "";
    const char* id = nullptr;
    std::list<std::string> args = {};
  } cases[] = {
      {"null", nullptr},
      {"void", Data::VoidValue::GetInstance()},
      {"integers", List(1, {Int(0), Int(-1), Int(std::numeric_limits<long long>::min()),
                            Int(std::numeric_limits<long long>::max())})},
      {"doubles", List(1, {Real(1.5), Real(-0.0), Real(std::numeric_limits<double>::infinity()),
                           Real(std::numeric_limits<double>::denorm_min())})},
      {"booleans",
       List(1, {Data::BooleanValue::GetInstance(true), Data::BooleanValue::GetInstance(false)})},
      {"strings", List(1, {Str(""), Str(std::string("a\0b\xff", 4))})},
      {"secret", Data::SecretValue::GetInstance("hunter2")},
      {"blob", Data::BlobValue::GetInstance({0, 255, 7})},
      {"error with messages",
       Data::ErrorValue::Create("e.name", {BaseMessage("id", "text", {"x", "y"})})},
      {"error without fields", bareError},
      {"list kinds", List(3, {List(-5, {}), List(1 << 30, {Str("x")})})},
      {"structure", Struct("s.name", {{"", Int(1)}, {"z", Unset()}, {"\x01", Some(Str("v"))}})},
      {"dynamic structure with a null slot", withNullSlots},
      {"optional set to null", setToNull},
      {"empty", nullptr, "", kValueTruncated, {"0"}},
      {"unknown format", nullptr, "\x02\x01", kValueFormat, {"2"}},
      {"unknown kind", nullptr, "\x01\x0c"s, kValueKind, {"12", "1"}},
      {"truncated list", nullptr, truncated, kValueTruncated, {std::to_string(truncated.size())}},
      {"count beyond the frame", nullptr, "\x01\x08\x02\xff\x01"s, kValueCount, {"255", "3"}},
      {"string beyond the frame", nullptr, "\x01\x05\x09"s + "abc", kValueTruncated, {"6"}},
      {"varint too long", nullptr, longVarint, kValueMalformed, {"varint", "2"}},
      {"boolean 2", nullptr, "\x01\x04\x02"s, kValueMalformed, {"boolean", "2"}},
      {"optional flag 7", nullptr, "\x01\x0a\x07"s, kValueMalformed, {"optional flag", "2"}},
      {"list kind out of range", nullptr, hugeListKind, kValueMalformed, {"list kind", "2"}},
      {"repeated field", nullptr, unordered, kValueFieldOrder, {"a", "9"}},
      {"trailing bytes", nullptr, EncodeValue(Int(1)) + "xy", kValueTrailing, {"2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.id) {
      ExpectRefused(c.bytes, c.id, c.args);
      continue;
    }
    const DataValuePtr back = RoundTrip(c.value);
    EXPECT_TRUE(Data::Equals(back, c.value)) << ToText(back) << " vs " << ToText(c.value);
  }
  // Equality of doubles misses the bits of NaNs and signed zeros; they cross too.
  const double nan = std::nan("0x5a5a5");
  for (const double d : {nan, -nan, -0.0}) {
    const DataValuePtr back = RoundTrip(Real(d));
    ASSERT_TRUE(back);
    const double after = static_cast<const Data::DoubleValue&>(*back).GetValue();
    EXPECT_EQ(std::memcmp(&after, &d, sizeof d), 0) << after;
  }
  SCOPED_TRACE("limits");
  ExpectRefused(list, kValueTooLarge, {std::to_string(list.size()), "4"}, DecodeLimits{4, 100});
  ExpectRefused(list, kValueTooManyNodes, {"2"}, DecodeLimits{100, 2});
}

}  // namespace
}  // namespace Remote
}  // namespace Jorv
