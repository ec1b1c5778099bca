// The chart's colours: the sun's position from the calendar, day, twilight
// and night shading, darkening towards the rim, land and sea from the land
// mask and the star field.
#pragma once

#include <array>
#include <cstdint>

#include "base/clock.h"

namespace vantrel {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(int r, int g, int b) {
  return (static_cast<Rgb>(r) << 16) | (static_cast<Rgb>(g) << 8) | static_cast<Rgb>(b);
}

struct SunPosition {
  double declination = 0.0;        // degrees north
  double subSolarLongitude = 0.0;  // degrees east, 0 at 12:00 UTC
};

// The sun for the time now: the declination from the days since the March
// equinox and the sub-solar longitude from the UTC hour and minute, taken
// from the local-time breakdown of now + utcOffset.
SunPosition ComputeSunPosition(CTime now, std::int32_t utcOffset);

// Sun zenith angle in whole degrees over every one-degree cell, for one sun
// position; the trigonometry of a cell's row and column is tabulated once.
class SunZenith {
 public:
  explicit SunZenith(const SunPosition& sun);
  int At(int colatitude, int longitude) const;

 private:
  std::array<double, 180> sinColatitude_{};
  std::array<double, 180> cosColatitude_{};
  std::array<double, 360> cosHourAngle_{};
  double sinSunColatitude_ = 0.0;
  double cosSunColatitude_ = 0.0;
};

// 255 at the centre falling to 85 at the rim, for a distance in pixels.
int RimBrightness(double distance);
// Full up to 85 degrees of zenith angle, a nine-degree twilight ramp, then
// three quarters of the brightness at night.
int ShadeForSun(int brightness, int zenith);
// RGB(0, B, 0) over land, RGB(0, 0, B) over sea.
Rgb EarthColour(int brightness, bool land);

constexpr Rgb kStarWhite = MakeRgb(255, 255, 255);
constexpr Rgb kStarBlack = MakeRgb(0, 0, 0);
constexpr Rgb kTrackRed = MakeRgb(255, 0, 0);
// A star pixel from a uniform random number 0..32767: white with
// probability 132 in 32768.
constexpr Rgb StarColour(int random15) { return random15 <= 131 ? kStarWhite : kStarBlack; }

}  // namespace vantrel
