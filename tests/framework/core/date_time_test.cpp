#include "framework/core/date_time.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "framework/core/data_value.h"

namespace Jorv {
namespace {

// Milliseconds since the epoch of `text`, or a sentinel when it does not parse.
constexpr std::int64_t kRejected = -999999999999999;
std::int64_t Millis(const std::string& text) {
  const auto parsed = DateTime::Parse(text);
  return parsed ? parsed->MillisSinceEpoch() : kRejected;
}

TEST(DateTime, ToStringAndParseRoundTrip) {
  struct Case {
    std::int64_t millis;
    const char* text;
  };
  for (const Case c :
       {Case{0, "1970-01-01T00:00:00.000Z"}, Case{1796577587123, "2026-12-06T17:19:47.123Z"},
        Case{-1, "1969-12-31T23:59:59.999Z"}, Case{-86400000, "1969-12-31T00:00:00.000Z"},
        Case{-2208988800000, "1900-01-01T00:00:00.000Z"},
        Case{951782400000, "2000-02-29T00:00:00.000Z"},
        Case{253402300799999, "9999-12-31T23:59:59.999Z"},
        Case{-62167219200000, "0000-01-01T00:00:00.000Z"}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DateTime::FromMillisSinceEpoch(c.millis).ToString(), c.text);
    EXPECT_EQ(Millis(c.text), c.millis);
  }
  EXPECT_EQ(DateTime().ToString(), "1970-01-01T00:00:00.000Z");
  EXPECT_EQ(DateTime::FromMillisSinceEpoch(253402300800000).ToString(),
            "+10000-01-01T00:00:00.000Z");
  EXPECT_EQ(DateTime::FromMillisSinceEpoch(-62167219200001).ToString(),
            "-0001-12-31T23:59:59.999Z");
}

TEST(DateTime, ParseValidatesCalendarFields) {
  EXPECT_EQ(Millis("2024-02-29T00:00:00Z"), 1709164800000);
  EXPECT_EQ(Millis("2000-02-29T00:00:00Z"), 951782400000);
  EXPECT_EQ(Millis("2027-02-29T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("1900-02-29T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-04-31T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-13-01T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-00-01T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-01-00T00:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-01-01T24:00:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-01-01T00:60:00Z"), kRejected);
  EXPECT_EQ(Millis("2026-01-01T00:00:61Z"), kRejected);
  // A leap second is read as the last millisecond of its minute.
  EXPECT_EQ(Millis("2016-12-31T23:59:60Z"), Millis("2016-12-31T23:59:59.999Z"));
}

TEST(DateTime, ParseNormalisesOffsetsToUtc) {
  EXPECT_EQ(*DateTime::Parse("2026-12-06T22:49:47.123+05:30"),
            *DateTime::Parse("2026-12-06T17:19:47.123Z"));
  EXPECT_EQ(DateTime::Parse("2026-12-06T09:19:47-08:00")->ToString(), "2026-12-06T17:19:47.000Z");
  EXPECT_EQ(DateTime::Parse("1970-01-01T00:00:00+00:01")->MillisSinceEpoch(), -60000);
  EXPECT_EQ(DateTime::Parse("2026-12-31T23:00:00-01:30")->ToString(), "2027-01-01T00:30:00.000Z");
  EXPECT_EQ(Millis("2026-01-01T00:00:00+24:00"), kRejected);
  EXPECT_EQ(Millis("2026-01-01T00:00:00+05:60"), kRejected);
  EXPECT_EQ(Millis("2026-01-01T00:00:00+0530"), kRejected);
  // Only instants whose text has a four-digit year: ToString writes the others with a sign.
  EXPECT_EQ(Millis("0000-01-01T01:00:00+01:00"), -62167219200000);
  EXPECT_EQ(Millis("9999-12-31T22:59:59.999-01:00"), 253402300799999);
  for (const char* outside : {"0000-01-01T00:00:00+00:01", "0000-01-01T00:59:59.999+01:00",
                              "9999-12-31T23:59:59-00:01", "9999-12-31T23:30:00-00:30"}) {
    SCOPED_TRACE(outside);
    EXPECT_EQ(Millis(outside), kRejected);
  }
}

TEST(DateTime, ParseTruncatesFractionsToMilliseconds) {
  const std::int64_t base = 1796577587000;
  EXPECT_EQ(Millis("2026-12-06T17:19:47.1Z"), base + 100);
  EXPECT_EQ(Millis("2026-12-06T17:19:47.12Z"), base + 120);
  EXPECT_EQ(Millis("2026-12-06T17:19:47.123Z"), base + 123);
  EXPECT_EQ(Millis("2026-12-06T17:19:47.1239Z"), base + 123);
  EXPECT_EQ(Millis("2026-12-06T17:19:47.999999999Z"), base + 999);
  EXPECT_EQ(Millis("2026-12-06T17:19:47.000000001Z"), base);
  EXPECT_EQ(Millis("1969-12-31T23:59:59.5Z"), -500);
}

TEST(DateTime, ParseAcceptsLowerCaseAndSpaceSeparators) {
  const std::int64_t expected = 1796577587123;
  EXPECT_EQ(Millis("2026-12-06t17:19:47.123z"), expected);
  EXPECT_EQ(Millis("2026-12-06 17:19:47.123Z"), expected);
}

TEST(DateTime, ParseRejectsMalformedText) {
  for (const char* bad :
       {"", "2026-12-06T17:19:47", "2026-12-06T17:19:47.123", "2026-1-06T17:19:47Z",
        "2026-12-6T17:19:47Z", "26-12-06T17:19:47Z", "2026-12-06T17:19Z", "2026-12-06T7:19:47Z",
        "2026-12-06X17:19:47Z", "2026-12-06T17:19:47.Z", "2026-12-06T17:19:47Zx",
        "2026-12-06T17:19:47Z ", " 2026-12-06T17:19:47Z", "2026-12-06T17:19:47+05", "2026-12-06",
        "+2026-12-06T17:19:47Z", "2026/12/06T17:19:47Z"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(DateTime::Parse(bad));
  }
}

TEST(DateTime, TravelsAsStringValue) {
  const auto when = DateTime::FromMillisSinceEpoch(1796577587123);
  const auto value = Data::DataValue::Create(when);
  ASSERT_EQ(value->GetType(), Data::DataType::STRING);
  EXPECT_EQ(static_cast<const Data::StringValue&>(*value).GetValue(), "2026-12-06T17:19:47.123Z");

  std::list<BaseMessage> messages;
  DateTime out;
  ASSERT_TRUE(Data::DataValue::Value(value, out, messages));
  EXPECT_EQ(out, when);

  out = DateTime::FromMillisSinceEpoch(5);
  EXPECT_FALSE(Data::DataValue::Value(Data::DataValue::Create(std::string("2026-13-06T00:00:00Z")),
                                      out, messages));
  EXPECT_EQ(out, DateTime::FromMillisSinceEpoch(5));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().GetId(), "jorv.data.parse.failed");
  EXPECT_EQ(messages.front().GetArgs(),
            (std::list<std::string>{"2026-13-06T00:00:00Z", "date-time"}));
}

}  // namespace
}  // namespace Jorv
