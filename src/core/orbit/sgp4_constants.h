// The WGS-72 earth the element sets are fitted with, in the model's units
// (earth radii, minutes).
#pragma once

#include <cmath>
#include <numbers>

namespace vantrel::sgp4 {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
inline constexpr double kEarthRadius = 6378.135;  // km
inline constexpr double kMu = 398600.8;           // km^3/s^2
inline const double kXke = 60.0 / std::sqrt(kEarthRadius * kEarthRadius * kEarthRadius / kMu);
inline constexpr double kJ2 = 0.001082616;
inline constexpr double kJ3 = -0.00000253881;
inline constexpr double kJ4 = -0.00000165597;
inline constexpr double kJ3OverJ2 = kJ3 / kJ2;
inline constexpr double kTwoThirds = 2.0 / 3.0;

}  // namespace vantrel::sgp4
