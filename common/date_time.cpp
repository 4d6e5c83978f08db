// Dates as day numbers since 30 December 1899, on the proleptic Gregorian
// calendar, by the civil-from-days arithmetic (eras of 400 years).
#include "common/date_time.h"

#include <cmath>
#include <cstdint>

namespace ranta2kv {
namespace {

// Days from 1 January 1970 to 30 December 1899 (the zero date) is -25569.
constexpr std::int64_t kZeroDateFromUnixEpoch = -25569;

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(y - era * 400);
  const unsigned dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(z - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  d = dayOfYear - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yearOfEra) + era * 400 + (m <= 2);
}

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  int last = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  return day <= last;
}

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kZeroDateFromUnixEpoch);
}

void DecodeDate(double days, int& year, int& month, int& day) {
  std::int64_t y = 0;
  unsigned m = 0, d = 0;
  // Beyond a billion days (and for NaN) the day number is held at the bound, so
  // that the conversion never overflows.
  double whole = std::isnan(days) ? 0 : std::trunc(std::fmax(-1e9, std::fmin(1e9, days)));
  CivilFromDays(static_cast<std::int64_t>(whole) + kZeroDateFromUnixEpoch, y, m, d);
  year = static_cast<int>(y);
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

}  // namespace ranta2kv
