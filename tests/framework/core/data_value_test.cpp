#include "framework/core/data_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "framework/core/compound_value.h"

namespace Jorv::Data {
namespace {

using Args = std::list<std::string>;

// Reads `value` with ToPrimitive into a T that starts as `start`; gives what was read (or
// `start` when it failed) and the arguments of the one message a failure must leave.
template <class T>
std::pair<T, Args> Parse(const DataValuePtr& value, T start = T()) {
  std::list<BaseMessage> messages{BaseMessage("earlier", "Earlier.", {})};
  const bool ok = DataValue::ToPrimitive(value, start, messages);
  EXPECT_EQ(messages.size(), ok ? 1u : 2u);
  EXPECT_EQ(messages.front().id, "earlier");
  return {start, ok ? Args() : messages.back().args};
}
DataValuePtr Text(const std::string& text) { return DataValue::Create(text); }

TEST(DataValue, PrimitivesReadTheirOwnKindAndParseTheirTextOrLeaveTheOutputAndOneMessage) {
  constexpr long long kMin = std::numeric_limits<long long>::min();
  EXPECT_EQ(Parse<long long>(DataValue::Create(kMin)).first, kMin);
  EXPECT_EQ(Parse<std::string>(Text(std::string("h\0i", 3))).first, std::string("h\0i", 3));
  // Texts that read as integers, then texts that leave the output (99) and one message.
  const std::pair<const char*, long long> integers[] = {
      {"-5", -5},
      {"+7", 7},
      {"9223372036854775807", std::numeric_limits<long long>::max()},
      {"-9223372036854775808", kMin}};
  for (const auto& [text, expected] : integers) {
    EXPECT_EQ(Parse<long long>(Text(text), 99), std::make_pair(expected, Args()));
  }
  for (const char* bad : {"12x", "", " 1", "+", "+-5", "0x10", "1.0", "9223372036854775808"}) {
    EXPECT_EQ(Parse<long long>(Text(bad), 99), std::make_pair(99LL, Args{bad, "integer"}));
  }
  EXPECT_EQ(Parse<double>(Text("+0x1.8p1")).first, 3.0);
  for (const char* bad : {"1.5x", "", "+-1"}) {
    EXPECT_EQ(Parse<double>(Text(bad)).second, (Args{bad, "double"}));
  }
  EXPECT_EQ(Parse<bool>(Text("false"), true).first, false);
  EXPECT_EQ(Parse<bool>(Text("True")).second, (Args{"True", "boolean"}));
  EXPECT_EQ(Parse<DateTime>(Text("1970-01-01T00:00:01Z")).first.MillisSinceEpoch(), 1000);
  EXPECT_EQ(Parse<long long>(DataValue::Create(1.0), 42),
            std::make_pair(42LL, Args{"integer", "double"}));
  EXPECT_EQ(Parse<std::string>(nullptr, "keep"),
            std::make_pair(std::string("keep"), Args{"string", "null"}));
  EXPECT_EQ(Parse<std::string>(SecretValue::GetInstance("s")).second, (Args{"string", "secret"}));

  // Value takes only the value's own kind.
  std::list<BaseMessage> messages;
  long long integer = 0;
  EXPECT_FALSE(DataValue::Value(Text("7"), integer, messages));
  EXPECT_EQ(messages.back(), BaseMessage("jorv.data.type.mismatch",
                                         "Expected a value of kind integer but found string.",
                                         {"integer", "string"}));
  EXPECT_FALSE(DataValue::ToPrimitive(Text("x"), integer, messages));
  EXPECT_EQ(messages.back().defaultMessage, "The text 'x' is not a valid integer.");
}

}  // namespace
}  // namespace Jorv::Data
