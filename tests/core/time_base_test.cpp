// Time computations checked against worked examples.
#include <gtest/gtest.h>

#include "orbit/time_base.h"

namespace vantrel {
namespace {

TEST(TimeBase, JulianDatesOfKnownInstants) {
  EXPECT_DOUBLE_EQ(JulianDate(2000, 1, 1, 12, 0, 0), 2451545.0);
  EXPECT_DOUBLE_EQ(JulianDate(2007, 1, 1, 0, 0, 0), 2454101.5);
  EXPECT_DOUBLE_EQ(JulianDate(1970, 1, 1, 0, 0, 0), 2440587.5);
  // January and February count as months 13 and 14 of the year before.
  EXPECT_DOUBLE_EQ(JulianDate(2007, 2, 28, 0, 0, 0) + 1, JulianDate(2007, 3, 1, 0, 0, 0));
  EXPECT_DOUBLE_EQ(JulianDate(2008, 2, 29, 18, 0, 0) + 0.25, JulianDate(2008, 3, 1, 0, 0, 0));
}

TEST(TimeBase, CurrentJulianDateKeepsMilliseconds) {
  const HeldClock clock(0, 500);
  EXPECT_DOUBLE_EQ(CurrentJulianDate(clock), 2440587.5 + 500 * 1.1574074074074076e-8);
  const HeldClock may12(1178964672);  // 2007-05-12 10:11:12
  EXPECT_DOUBLE_EQ(CurrentJulianDate(may12), JulianDate(2007, 5, 12, 10, 11, 12));
}

TEST(TimeBase, SiderealAngle) {
  EXPECT_DOUBLE_EQ(SiderealAngle(1.0), 1.7509401592863545);
  EXPECT_NEAR(SiderealAngle(0.0), 0.2759328721 * 6.283185307372, 1e-12);
}

// The tests run with TZ=UTC, so local time is UTC here.
TEST(TimeBase, DaysSinceEquinoxAndUtcOffsetInUtc) {
  constexpr CTime kEquinox2007 = 1174435200;  // 2007-03-21 00:00:00
  EXPECT_EQ(DaysSinceEquinox(kEquinox2007), 0);
  EXPECT_EQ(DaysSinceEquinox(kEquinox2007 - 86399), 0);
  EXPECT_EQ(DaysSinceEquinox(kEquinox2007 + 86400), 1);
  EXPECT_EQ(DaysSinceEquinox(1167609600), -79);  // 2007-01-01
  EXPECT_EQ(UtcOffset(1178964672), 0);
}

}  // namespace
}  // namespace vantrel
