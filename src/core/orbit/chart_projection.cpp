#include "orbit/chart_projection.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/angles.h"
namespace vantrel {

namespace {

using angles::kDegToRad;
using angles::kPi;
using angles::kTwoPi;
constexpr double kBearingClamp = 0.999999;
constexpr double kRadiansPerPixel = kPi / 1000;
constexpr double kCellDegrees = angles::kRadToDeg;

double Clamp1(double v) { return v <= -1.0 ? -1.0 : (v >= 1.0 ? 1.0 : v); }

// Bearings from home divide by the sine of home's colatitude, which is 0 at
// a pole: a home at a pole is drawn as one a hair away from it.
double AwayFromPole(double homeLatitude) { return std::clamp(homeLatitude, -89.99, 89.99); }

}  // namespace

std::optional<int> TruncToInt(double v) {
  if (!std::isfinite(v) || v <= static_cast<double>(INT_MIN) - 1.0 ||
      v >= static_cast<double>(INT_MAX) + 1.0) {
    return std::nullopt;
  }
  return static_cast<int>(v);
}

std::optional<ChartPoint> ProjectToChart(double homeLatitude, double homeLongitude, double latitude,
                                         double longitude) {
  const double ch = (90.0 - AwayFromPole(homeLatitude)) * kDegToRad;
  const double cs = (90.0 - latitude) * kDegToRad;
  const double delta = (homeLongitude - longitude) * kDegToRad;
  // Rounding can push the cosine a hair past 1 for a point at home; acos
  // would then give NaN.
  const double rho = std::acos(
      Clamp1(std::cos(cs) * std::cos(ch) + std::sin(ch) * std::sin(cs) * std::cos(delta)));
  double a = 0.0;
  if (std::sin(rho) != 0.0) {
    double q = std::sin(delta) * std::sin(cs) / std::sin(rho);
    if (q < -kBearingClamp) q = -kBearingClamp;
    if (q > kBearingClamp) q = kBearingClamp;
    a = std::asin(q);
  }
  const double t = cs != 0.0 ? std::atan(std::sin(delta) / (std::sin(ch) / std::tan(cs) -
                                                            std::cos(ch) * std::cos(delta)))
                             : 0.0;
  if (a * t < 0.0) a = kPi - a;
  if (a == 0.0 && cs > ch) a = kPi - a;  // on the home meridian, south of home
  if (a < 0.0) a += kTwoPi;
  const double d = rho * angles::kChartRadToDeg;
  const auto x = TruncToInt(240.0 - d * std::sin(a) * kChartScale);
  const auto y = TruncToInt(240.0 - d * std::cos(a) * kChartScale);
  if (!x || !y) return std::nullopt;
  return ChartPoint{*x, *y};
}

int LongitudeCell(double longitude) {
  const auto cell = TruncToInt(longitude);
  if (!cell) return 0;
  // Any value of a finite home longitude lands in 0..359; within -360..360
  // this is the plain "plus 360 if negative".
  int c = *cell % 360;
  if (c < 0) c += 360;
  return c;
}

ChartCell ComputeChartCell(int x, int y, double homeLatitude, double homeLongitude) {
  ChartCell cell;
  const double dx = x - kChartCentre, dy = y - kChartCentre;
  const double d = std::sqrt(dx * dx + dy * dy);
  cell.exactDistance = d;
  cell.distance = static_cast<std::int32_t>(d);
  if (d >= 240.0) return cell;  // colatitude stays kOutsideDisc: a star pixel

  const double rho = d * kRadiansPerPixel;
  const double theta = std::atan2(dx, -dy);
  const double ch = (90.0 - AwayFromPole(homeLatitude)) * kDegToRad;
  const double c =
      Clamp1(std::cos(theta) * std::sin(rho) * std::sin(ch) + std::cos(rho) * std::cos(ch));
  const double cp = std::acos(c);
  const double g = std::sin(theta) * std::sin(rho) / std::sin(cp);
  const double w =
      Clamp1((std::cos(rho) - std::cos(cp) * std::cos(ch)) / (std::sin(cp) * std::sin(ch)));
  double l = std::acos(w);
  if (g < 0.0) l = -l;

  // The pole itself (cp = pi exactly) belongs to the last row of cells; a
  // NaN from a pole at home is taken as the pole's cell too.
  const int colatitude = TruncToInt(cp * kCellDegrees).value_or(0);
  cell.colatitude =
      static_cast<std::int16_t>(colatitude < 0 ? 0 : (colatitude > 179 ? 179 : colatitude));
  cell.longitude = static_cast<std::int16_t>(LongitudeCell(homeLongitude + l * kCellDegrees));
  return cell;
}

}  // namespace vantrel
