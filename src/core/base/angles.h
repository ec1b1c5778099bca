// The angle factors of the receiver's orbit and chart arithmetic. They are
// the receiver's own rounded values, not the nearest doubles to pi/180: the
// chart's pixels, the decoded positions and the satellite table are exact
// only with these, so every computation takes them from here.
#pragma once

namespace vantrel::angles {

// Pi and two pi as the chart geometry rounds them (ten decimals).
inline constexpr double kPi = 3.1415926536;
inline constexpr double kTwoPi = 6.2831853072;
// Degrees to radians on the chart (kPi / 180 rounded to eleven decimals).
inline constexpr double kDegToRad = 0.01745329252;
// Degrees to radians for orbital elements.
inline constexpr double kElementDegToRad = 0.017453292520477778;
// Radians to degrees (exactly 180 / kPi): positions, sun angles, land cells.
inline constexpr double kRadToDeg = 57.29577951289617;
// The chart's distance from home uses the next double up.
inline constexpr double kChartRadToDeg = 57.295779512896175;
// Whole revolutions to radians (mean anomaly, sidereal angle).
inline constexpr double kRevolutionsToRad = 6.283185307372;
inline constexpr double kDegToRevolutions = 0.002777777777777778;

}  // namespace vantrel::angles
