#include "orbit/time_base.h"

#include <ctime>

#include "base/angles.h"

namespace vantrel {

double JulianDate(int year, int month, int day, int hour, int minute, int second) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const int a = year / 100;
  const int j = static_cast<int>((year + 4716) * 365.25) + static_cast<int>((month + 1) * 30.6001) +
                day + 2 - a + a / 4;
  constexpr double k60 = 0.016666666666666666;
  constexpr double k24 = 0.041666666666666664;
  return j - 1524.5 + ((second * k60 + minute) * k60 + hour) * k24;
}

double CurrentJulianDate(const Clock& clock) {
  const ClockReading now = clock.Read();
  const std::time_t t = static_cast<std::time_t>(now.seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  return JulianDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                    tm.tm_sec) +
         now.milliseconds * 1.1574074074074076e-8;
}

double SiderealAngle(double d) {
  const double r = 0.2759328721 + 1.0027379093 * d;
  return (r - static_cast<double>(static_cast<long long>(r))) * angles::kRevolutionsToRad;
}

std::int32_t DaysSinceEquinox(CTime now) {
  const std::time_t t = static_cast<std::time_t>(now);
  std::tm local{};
  localtime_r(&t, &local);
  std::tm equinox{};
  equinox.tm_year = local.tm_year;
  equinox.tm_mon = 2;
  equinox.tm_mday = 21;
  equinox.tm_isdst = -1;
  const std::time_t start = std::mktime(&equinox);
  return static_cast<std::int32_t>((static_cast<long long>(t) - static_cast<long long>(start)) /
                                   86400);
}

std::int32_t UtcOffset(CTime now) {
  const std::time_t t = static_cast<std::time_t>(now);
  std::tm utc{}, local{};
  gmtime_r(&t, &utc);
  localtime_r(&t, &local);
  const int m = (utc.tm_hour * 60 + utc.tm_min) - (local.tm_hour * 60 + local.tm_min);
  return (m % 60) * 60 + (m / 60) * 3600;
}

}  // namespace vantrel
