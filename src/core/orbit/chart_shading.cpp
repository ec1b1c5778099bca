#include "orbit/chart_shading.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/angles.h"
#include "orbit/time_base.h"

namespace vantrel {

namespace {

using angles::kDegToRad;
using angles::kRadToDeg;
constexpr double kDayToRadians = 0.017202423839014373;    // one year is 2 pi
constexpr double kInverseRimCube = 7.233796296296296e-8;  // 1 / 240^3

}  // namespace

SunPosition ComputeSunPosition(CTime now, std::int32_t utcOffset) {
  SunPosition sun;
  sun.declination = 22.5 * std::sin(DaysSinceEquinox(now) * kDayToRadians);
  const std::time_t shifted = static_cast<std::time_t>(now + utcOffset);
  std::tm local{};
  localtime_r(&shifted, &local);
  sun.subSolarLongitude = 180.0 - 15.0 * local.tm_hour - 0.25 * local.tm_min;
  return sun;
}

SunZenith::SunZenith(const SunPosition& sun) {
  for (int c = 0; c < 180; ++c) {
    sinColatitude_[c] = std::sin(c * kDegToRad);
    cosColatitude_[c] = std::cos(c * kDegToRad);
  }
  for (int l = 0; l < 360; ++l)
    cosHourAngle_[l] = std::cos((sun.subSolarLongitude - l) * kDegToRad);
  sinSunColatitude_ = std::sin((90.0 - sun.declination) * kDegToRad);
  cosSunColatitude_ = std::cos((90.0 - sun.declination) * kDegToRad);
}

int SunZenith::At(int colatitude, int longitude) const {
  double c = cosHourAngle_[longitude] * sinColatitude_[colatitude] * sinSunColatitude_ +
             cosColatitude_[colatitude] * cosSunColatitude_;
  // Rounding may leave the cosine a hair outside -1..1 right under the sun.
  if (c > 1.0) c = 1.0;
  if (c < -1.0) c = -1.0;
  return static_cast<int>(std::acos(c) * kRadToDeg);
}

int RimBrightness(double distance) {
  return static_cast<int>((1.5 - distance * distance * distance * kInverseRimCube) * 170.0);
}

int ShadeForSun(int brightness, int zenith) {
  if (zenith <= 85) return brightness;
  if (zenith <= 94) return static_cast<int>((1.0 - (zenith - 85) * 0.025) * brightness);
  return static_cast<int>(brightness * 0.75);
}

Rgb EarthColour(int brightness, bool land) {
  return land ? MakeRgb(0, brightness, 0) : MakeRgb(0, 0, brightness);
}

}  // namespace vantrel
