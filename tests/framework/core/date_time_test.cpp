#include "framework/core/date_time.h"

#include <gtest/gtest.h>

#include <string>

namespace Jorv {
namespace {

// Milliseconds since the epoch of `text`, or a sentinel when it does not parse.
constexpr std::int64_t kRejected = -999999999999999;
std::int64_t Millis(const std::string& text) {
  const auto parsed = DateTime::Parse(text);
  return parsed ? parsed->MillisSinceEpoch() : kRejected;
}

TEST(DateTime, WritesAndParsesTheSameInstant) {
  for (const auto& [millis, text] :
       {std::pair<std::int64_t, const char*>{0, "1970-01-01T00:00:00.000Z"},
        {1796577587123, "2026-12-06T17:19:47.123Z"},
        {-1, "1969-12-31T23:59:59.999Z"},
        {951782400000, "2000-02-29T00:00:00.000Z"},
        {253402300799999, "9999-12-31T23:59:59.999Z"},
        {-62167219200000, "0000-01-01T00:00:00.000Z"}}) {
    EXPECT_EQ(DateTime::FromMillisSinceEpoch(millis).ToString(), text);
    EXPECT_EQ(Millis(text), millis);
  }
}

TEST(DateTime, ParsesOffsetsFractionsAndSeparatorsAndRejectsTheRest) {
  const std::int64_t base = 1796577587000;  // 2026-12-06T17:19:47Z
  for (const auto& [text, millis] :
       {std::pair<const char*, std::int64_t>{"2026-12-06T22:49:47.123+05:30", base + 123},
        {"2026-12-06T09:19:47-08:00", base},
        {"2026-12-06t17:19:47.1z", base + 100},
        {"2026-12-06 17:19:47.999999999Z", base + 999},
        {"1969-12-31T23:59:59.5Z", -500},
        {"2016-12-31T23:59:60Z", 1483228799999},  // a leap second
        {"9999-12-31T22:59:59.999-01:00", 253402300799999}}) {
    EXPECT_EQ(Millis(text), millis) << text;
  }
  for (const char* bad : {"2027-02-29T00:00:00Z", "1900-02-29T00:00:00Z", "2026-04-31T00:00:00Z",
                          "2026-01-01T24:00:00Z", "2026-01-01T00:00:00+24:00",
                          "0000-01-01T00:00:00+00:01", "2026-12-06T17:19:47", "2026-1-06T17:19:47Z",
                          "2026-12-06T17:19:47.Z", "2026-12-06T17:19:47Zx"}) {
    EXPECT_EQ(Millis(bad), kRejected) << bad;
  }
}

}  // namespace
}  // namespace Jorv
