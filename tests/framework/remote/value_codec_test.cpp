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

TEST(ValueCodec, EveryKindRoundTripsExactly) {
  auto withNullSlots = Data::StructValue::GetDynamicInstance("dyn");
  withNullSlots->CreateSlot("a");
  withNullSlots->SetField("b", Int(1));
  auto setToNull = Data::OptionalValue::GetInstance();
  setToNull->value(nullptr);
  auto bareError = std::make_shared<Data::ErrorValue>("e.bare");
  bareError->SetField("code", Int(7));

  const struct {
    const char* name;
    DataValuePtr value;
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DataValuePtr back = RoundTrip(c.value);
    EXPECT_TRUE(Data::Equals(back, c.value)) << ToText(back) << " vs " << ToText(c.value);
    if (c.value && back) {
      EXPECT_EQ(back->GetType(), c.value->GetType());
    }
  }
  // Equality of doubles misses the bits of NaNs and signed zeros; they cross too.
  const double nan = std::nan("0x5a5a5");
  for (const double d : {nan, -nan, -0.0}) {
    const DataValuePtr back = RoundTrip(Real(d));
    ASSERT_TRUE(back);
    const double after = static_cast<const Data::DoubleValue&>(*back).GetValue();
    EXPECT_EQ(std::memcmp(&after, &d, sizeof d), 0) << after;
  }
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

TEST(ValueCodec, MalformedFramesAreRefusedWithAMessage) {
  using namespace MessageIds;
  const std::string list = EncodeValue(List(1, {Int(1), Int(2)}));
  std::string unordered = EncodeValue(Struct("s", {{"a", Int(1)}, {"b", Int(2)}}));
  unordered[unordered.find('b')] = 'a';
  const struct {
    const char* name;
    std::string bytes;
    const char* id;
    std::list<std::string> args;
  } cases[] = {
      {"empty", "", kValueTruncated, {"0"}},
      {"unknown format", "\x02\x01", kValueFormat, {"2"}},
      {"unknown kind", "\x01\x0c"s, kValueKind, {"12", "1"}},
      {"truncated list",
       list.substr(0, list.size() - 1),
       kValueTruncated,
       {std::to_string(list.size() - 1)}},
      {"count beyond the frame", "\x01\x08\x02\xff\x01"s, kValueCount, {"255", "3"}},
      {"string beyond the frame", "\x01\x05\x09"s + "abc", kValueTruncated, {"6"}},
      {"varint too long",
       "\x01\x02"s + std::string(10, '\xff') + "\x01",
       kValueMalformed,
       {"varint", "2"}},
      {"boolean 2", "\x01\x04\x02"s, kValueMalformed, {"boolean", "2"}},
      {"optional flag 7", "\x01\x0a\x07"s, kValueMalformed, {"optional flag", "2"}},
      {"list kind out of range",
       "\x01\x08\xff\xff\xff\xff\x1f\x00"s,
       kValueMalformed,
       {"list kind", "2"}},
      {"repeated field", unordered, kValueFieldOrder, {"a", "9"}},
      {"trailing bytes", EncodeValue(Int(1)) + "xy", kValueTrailing, {"2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRefused(c.bytes, c.id, c.args);
  }
  SCOPED_TRACE("limits");
  ExpectRefused(list, kValueTooLarge, {std::to_string(list.size()), "4"}, DecodeLimits{4, 100});
  ExpectRefused(list, kValueTooManyNodes, {"2"}, DecodeLimits{100, 2});
}

}  // namespace
}  // namespace Remote
}  // namespace Jorv
