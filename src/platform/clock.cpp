#include "platform/clock.h"

namespace mon {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t AYear, unsigned AMonth, unsigned ADay) {
  AYear -= AMonth <= 2 ? 1 : 0;
  const std::int64_t era = (AYear >= 0 ? AYear : AYear - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(AYear - era * 400);
  const unsigned dayOfYear = (153 * (AMonth + (AMonth > 2 ? -3 : 9)) + 2) / 5 + ADay - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

}  // namespace

double ToDateTimeValue(const TLocalDateTime& ATime) {
  const std::int64_t epoch = DaysFromCivil(1899, 12, 30);
  const std::int64_t days = DaysFromCivil(ATime.Year, static_cast<unsigned>(ATime.Month),
                                          static_cast<unsigned>(ATime.Day)) -
                            epoch;
  const double milliseconds =
      ((ATime.Hour * 60.0 + ATime.Minute) * 60.0 + ATime.Second) * 1000.0 + ATime.Millisecond;
  return static_cast<double>(days) + milliseconds / 86400000.0;
}

}  // namespace mon
