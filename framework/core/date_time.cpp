#include "framework/core/date_time.h"

#include <chrono>
#include <cstdio>

namespace Jorv {
namespace {

constexpr std::int64_t kMillisPerDay = 86400000;
// The instants whose text has a four-digit year: 0000-01-01T00:00:00.000Z up to, not
// including, 10000-01-01T00:00:00.000Z.
constexpr std::int64_t kFirstFourDigitYear = -62167219200000;
constexpr std::int64_t kEndFourDigitYear = 253402300800000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

bool IsLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `n` decimal digits at `pos`, advancing it; false if any is missing.
bool Digits(boost::string_view text, std::size_t& pos, int n, unsigned& out) {
  out = 0;
  for (int i = 0; i < n; ++i, ++pos) {
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
    out = out * 10 + static_cast<unsigned>(text[pos] - '0');
  }
  return true;
}

bool Expect(boost::string_view text, std::size_t& pos, boost::string_view any_of) {
  if (pos >= text.size() || any_of.find(text[pos]) == boost::string_view::npos) return false;
  ++pos;
  return true;
}

// Writes the `width` low decimal digits of `value` to `out`, zero-padded.
void PutDigits(char* out, int width, unsigned value) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

DateTime DateTime::Now() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return DateTime(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::string DateTime::ToString() const {
  std::int64_t days = millis_ / kMillisPerDay;
  std::int64_t rest = millis_ % kMillisPerDay;
  if (rest < 0) {
    rest += kMillisPerDay;
    --days;
  }
  const Civil c = CivilFromDays(days);
  const auto ms = static_cast<unsigned>(rest % 1000);
  const auto secs = static_cast<unsigned>(rest / 1000);
  if (c.year >= 0 && c.year <= 9999) {
    // Every part has a fixed width here: write the digits in place.
    char text[] = "0000-00-00T00:00:00.000Z";
    PutDigits(text, 4, static_cast<unsigned>(c.year));
    PutDigits(text + 5, 2, c.month);
    PutDigits(text + 8, 2, c.day);
    PutDigits(text + 11, 2, secs / 3600);
    PutDigits(text + 14, 2, secs / 60 % 60);
    PutDigits(text + 17, 2, secs % 60);
    PutDigits(text + 20, 3, ms);
    return std::string(text, sizeof text - 1);
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%+05lld-%02u-%02uT%02u:%02u:%02u.%03uZ",
                static_cast<long long>(c.year), c.month, c.day, secs / 3600, secs / 60 % 60,
                secs % 60, ms);
  return buffer;
}

boost::optional<DateTime> DateTime::Parse(boost::string_view text) {
  std::size_t pos = 0;
  unsigned year, month, day, hour, minute, second;
  if (!Digits(text, pos, 4, year) || !Expect(text, pos, "-") || !Digits(text, pos, 2, month) ||
      !Expect(text, pos, "-") || !Digits(text, pos, 2, day) || !Expect(text, pos, "Tt ") ||
      !Digits(text, pos, 2, hour) || !Expect(text, pos, ":") || !Digits(text, pos, 2, minute) ||
      !Expect(text, pos, ":") || !Digits(text, pos, 2, second)) {
    return boost::none;
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 60) {
    return boost::none;
  }
  unsigned millis = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    const std::size_t first = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      if (pos - first < 3) millis = millis * 10 + static_cast<unsigned>(text[pos] - '0');
    }
    if (pos == first) return boost::none;
    for (std::size_t n = pos - first; n < 3; ++n) millis *= 10;
  }
  if (second == 60) {
    second = 59;
    millis = 999;
  }
  std::int64_t offsetMinutes = 0;
  if (Expect(text, pos, "Zz")) {
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    const bool negative = text[pos++] == '-';
    unsigned oh, om;
    if (!Digits(text, pos, 2, oh) || !Expect(text, pos, ":") || !Digits(text, pos, 2, om) ||
        oh > 23 || om > 59) {
      return boost::none;
    }
    offsetMinutes = (negative ? -1 : 1) * static_cast<std::int64_t>(oh * 60 + om);
  } else {
    return boost::none;
  }
  if (pos != text.size()) return boost::none;
  const std::int64_t days = DaysFromCivil(year, month, day);
  const std::int64_t secs = days * 86400 + hour * 3600 + minute * 60 + second - offsetMinutes * 60;
  const std::int64_t instant = secs * 1000 + millis;
  // An offset can carry the first or last day of the range into year -1 or 10000, which
  // ToString writes with a sign, in a form that this function does not read.
  if (instant < kFirstFourDigitYear || instant >= kEndFourDigitYear) return boost::none;
  return DateTime(instant);
}

}  // namespace Jorv
