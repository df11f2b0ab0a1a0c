#pragma once
// Jorv::DateTime: a point in time in UTC with millisecond precision. On the wire it travels as
// an RFC 3339 text such as "2026-12-06T17:19:47.123Z".

#include <cstdint>
#include <string>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

namespace Jorv {

class DateTime {
 public:
  // The epoch, 1970-01-01T00:00:00.000Z.
  DateTime() = default;
  // `millis` milliseconds after (or before, when negative) the epoch.
  static DateTime FromMillisSinceEpoch(std::int64_t millis) { return DateTime(millis); }
  // Now, read from the system clock.
  static DateTime Now();

  std::int64_t MillisSinceEpoch() const { return millis_; }

  // "YYYY-MM-DDThh:mm:ss.fffZ", always with three fraction digits. Years outside 0..9999 are
  // written with a sign and as many digits as they need.
  std::string ToString() const;

  // Reads an RFC 3339 date-time: "YYYY-MM-DD", "T" or "t" or " ", "hh:mm:ss", an optional
  // fraction of any length (kept to the millisecond, truncated), and "Z", "z" or a "+hh:mm" /
  // "-hh:mm" offset. A leap second (ss = 60) is read as the last millisecond of its minute.
  // Returns none for anything else, including out-of-range fields (month 13, February 30) and
  // offsets that move the instant out of the years 0000 to 9999, so that every instant it
  // returns writes as a text it reads again.
  static boost::optional<DateTime> Parse(boost::string_view text);

  friend bool operator==(DateTime a, DateTime b) { return a.millis_ == b.millis_; }
  friend bool operator!=(DateTime a, DateTime b) { return a.millis_ != b.millis_; }
  friend bool operator<(DateTime a, DateTime b) { return a.millis_ < b.millis_; }

 private:
  explicit DateTime(std::int64_t millis) : millis_(millis) {}
  std::int64_t millis_ = 0;
};

}  // namespace Jorv
