// Time computations of the orbit and chart code: Julian dates, the Greenwich
// sidereal angle, days since the March equinox and the UTC offset.
#pragma once

#include <cstdint>

#include "base/clock.h"

namespace vantrel {

// Gregorian calendar instant to Julian date (days; 0h UTC has fraction .5).
double JulianDate(int year, int month, int day, int hour, int minute, int second);

// Julian date of the clock's reading, to the millisecond.
double CurrentJulianDate(const Clock& clock);

// Greenwich sidereal angle in radians for day count d.
double SiderealAngle(double d);

// Whole days since local midnight starting 21 March of now's local year.
std::int32_t DaysSinceEquinox(CTime now);

// UTC minus local clock time in seconds, from the hour and minute of now.
std::int32_t UtcOffset(CTime now);

}  // namespace vantrel
