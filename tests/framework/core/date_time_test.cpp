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

TEST(DateTime, WritesAndParsesTheSameInstant) {
  for (const auto& row : {std::pair<std::int64_t, const char*>{0, "1970-01-01T00:00:00.000Z"},
                          {1796577587123, "2026-12-06T17:19:47.123Z"},
                          {-1, "1969-12-31T23:59:59.999Z"},
                          {-86400000, "1969-12-31T00:00:00.000Z"},
                          {-2208988800000, "1900-01-01T00:00:00.000Z"},
                          {951782400000, "2000-02-29T00:00:00.000Z"},
                          {253402300799999, "9999-12-31T23:59:59.999Z"},
                          {-62167219200000, "0000-01-01T00:00:00.000Z"}}) {
    EXPECT_EQ(DateTime::FromMillisSinceEpoch(row.first).ToString(), row.second);
    EXPECT_EQ(Millis(row.second), row.first);
  }
  // Outside four-digit years the text carries a sign, which Parse does not read.
  EXPECT_EQ(DateTime::FromMillisSinceEpoch(253402300800000).ToString(),
            "+10000-01-01T00:00:00.000Z");
  EXPECT_EQ(DateTime::FromMillisSinceEpoch(-62167219200001).ToString(),
            "-0001-12-31T23:59:59.999Z");
}

TEST(DateTime, ParsesOffsetsFractionsAndSeparators) {
  const std::int64_t base = 1796577587000;  // 2026-12-06T17:19:47Z
  for (const auto& row :
       {std::pair<const char*, std::int64_t>{"2026-12-06T22:49:47.123+05:30", base + 123},
        {"2026-12-06T09:19:47-08:00", base},
        {"1970-01-01T00:00:00+00:01", -60000},
        {"2026-12-06t17:19:47.1z", base + 100},
        {"2026-12-06 17:19:47.12Z", base + 120},
        {"2026-12-06T17:19:47.999999999Z", base + 999},
        {"2026-12-06T17:19:47.000000001Z", base},
        {"1969-12-31T23:59:59.5Z", -500},
        {"2024-02-29T00:00:00Z", 1709164800000},
        {"0000-01-01T01:00:00+01:00", -62167219200000},
        {"9999-12-31T22:59:59.999-01:00", 253402300799999},
        // A leap second is the last millisecond of its minute.
        {"2016-12-31T23:59:60Z", 1483228799999}}) {
    EXPECT_EQ(Millis(row.first), row.second) << row.first;
  }
}

TEST(DateTime, RejectsWhatIsNotAnInstantOfFourDigitYears) {
  for (const char* bad :
       {"2027-02-29T00:00:00Z",      "1900-02-29T00:00:00Z",      "2026-04-31T00:00:00Z",
        "2026-13-01T00:00:00Z",      "2026-00-01T00:00:00Z",      "2026-01-00T00:00:00Z",
        "2026-01-01T24:00:00Z",      "2026-01-01T00:60:00Z",      "2026-01-01T00:00:61Z",
        "2026-01-01T00:00:00+24:00", "2026-01-01T00:00:00+05:60", "2026-01-01T00:00:00+0530",
        "0000-01-01T00:00:00+00:01", "9999-12-31T23:59:59-00:01", "",
        "2026-12-06T17:19:47",       "2026-1-06T17:19:47Z",       "26-12-06T17:19:47Z",
        "2026-12-06T17:19Z",         "2026-12-06X17:19:47Z",      "2026-12-06T17:19:47.Z",
        "2026-12-06T17:19:47Zx",     " 2026-12-06T17:19:47Z",     "2026-12-06T17:19:47+05",
        "+2026-12-06T17:19:47Z",     "2026/12/06T17:19:47Z"}) {
    EXPECT_EQ(Millis(bad), kRejected) << bad;
  }
}

TEST(DateTime, TravelsAsAStringValue) {
  const auto when = DateTime::FromMillisSinceEpoch(1796577587123);
  const auto value = Data::DataValue::Create(when);
  ASSERT_EQ(value->GetType(), Data::DataType::STRING);
  std::list<BaseMessage> messages;
  DateTime out;
  ASSERT_TRUE(Data::DataValue::Value(value, out, messages));
  EXPECT_EQ(out, when);
  EXPECT_FALSE(Data::DataValue::Value(Data::DataValue::Create(std::string("2026-13-06T00:00:00Z")),
                                      out, messages));
  EXPECT_EQ(out, when);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages.front().args, (std::list<std::string>{"2026-13-06T00:00:00Z", "date-time"}));
}

}  // namespace
}  // namespace Jorv
