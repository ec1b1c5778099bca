#include "orbit/orbit_model.h"

#include <charconv>
#include <cmath>

#include "base/angles.h"
#include "base/geodetic.h"
#include "orbit/time_base.h"

namespace vantrel {

namespace {

constexpr double kMotionToAxis = 7.5369793e13;  // a^3 * n^2, km^3 with n in rev/day
constexpr double kSmallestMeanMotion = 0.1;
constexpr double kRateCoefficient = 9.95;     // degrees per day
constexpr double kReferenceRadius = 6378.16;  // km
using angles::kDegToRevolutions;
using angles::kElementDegToRad;
using angles::kRevolutionsToRad;
constexpr double kKeplerTolerance = 1e-6;
// Newton's method settles in a handful of steps for any orbit that is not
// nearly parabolic; a set that needs more is not worth drawing.
constexpr int kKeplerIterationCap = 50;

// The 1-based columns first..last of line, cut short where the line ends.
std::string Columns(const std::string& line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return line.substr(first - 1, last - first + 1);
}

// Scans a number from the start of a field as "%d" and "%lf" do: leading
// white space skipped, an optional sign, as many characters as make a
// number. Unlike the C scanners this does not follow the process locale, so
// a decimal comma locale (which a Qt program adopts) still reads "14.2".
template <typename T>
bool ScanNumber(const std::string& field, T& value) {
  const char* p = field.data();
  const char* end = p + field.size();
  while (p != end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
  if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-') ++p;
  const auto result = std::from_chars(p, end, value);
  return result.ec == std::errc() && result.ptr != p;
}

bool ScanDouble(const std::string& field, double& value) {
  return ScanNumber(field, value) && std::isfinite(value);
}

double Fraction(double r) { return r - std::trunc(r); }

}  // namespace

std::optional<TleElements> ParseTleElements(const std::string& line1, const std::string& line2) {
  TleElements e;
  const std::string year = Columns(line1, 19, 20);
  if (!ScanNumber(year, e.epochYear)) return std::nullopt;
  // The eccentricity field has an assumed leading decimal point; a field
  // that is missing altogether is not a zero.
  const std::string eccentricity = Columns(line2, 27, 33);
  if (eccentricity.empty()) return std::nullopt;
  const bool ok = ScanDouble(Columns(line1, 21, 32), e.epochDay) &&
                  ScanDouble(Columns(line1, 34, 43), e.meanMotionRate) &&
                  ScanDouble(Columns(line2, 9, 16), e.inclination) &&
                  ScanDouble(Columns(line2, 18, 25), e.rightAscension) &&
                  ScanDouble("0." + eccentricity, e.eccentricity) &&
                  ScanDouble(Columns(line2, 35, 42), e.argumentOfPerigee) &&
                  ScanDouble(Columns(line2, 44, 51), e.meanAnomaly) &&
                  ScanDouble(Columns(line2, 53, 63), e.meanMotion);
  if (!ok) return std::nullopt;
  return e;
}

std::optional<SatellitePosition> PropagateElements(const TleElements& el, const Clock& clock) {
  const double jd0 = JulianDate(2000 + el.epochYear, 1, 1, 0, 0, 0);
  const double t = CurrentJulianDate(clock) - jd0 + 1.0 - el.epochDay;
  const double n = el.meanMotion + el.meanMotionRate * t;
  if (!(n > kSmallestMeanMotion)) return std::nullopt;
  const double a = std::pow(kMotionToAxis / (n * n), 0.3333333333333333);
  const double e = el.eccentricity;
  const double s = 1.0 - e * e;
  const double b = std::sqrt(s);
  const double m0 = el.meanAnomaly * kDegToRevolutions;
  const double k = kRateCoefficient * std::pow(kReferenceRadius / a, 3.5) / (s * s);
  const double i = el.inclination * kElementDegToRad;
  const double sinI = std::sin(i), cosI = std::cos(i);

  const double d = CurrentJulianDate(clock) - jd0 + 1.0;
  const double t2 = d - el.epochDay;
  const double node = (el.rightAscension - t2 * cosI * k) * kElementDegToRad;
  const double perigee =
      (el.argumentOfPerigee + k * t2 * (2.5 * cosI * cosI - 0.5)) * kElementDegToRad;
  const double sinW = std::sin(perigee), cosW = std::cos(perigee);
  const double sinO = std::sin(node), cosO = std::cos(node);
  const double px = cosW * cosO - cosI * sinW * sinO;
  const double py = cosW * sinO + cosI * sinW * cosO;
  const double pz = sinW * sinI;
  const double qx = -sinW * cosO - cosI * cosW * sinO;
  const double qy = cosI * cosW * cosO - sinW * sinO;
  const double qz = cosW * sinI;

  const double m = Fraction(t2 * n + m0) * kRevolutionsToRad;
  double bigE = m + e * std::sin(m) + 0.5 * e * e * std::sin(2.0 * m);
  double sinE = 0.0, cosE = 0.0;
  bool settled = false;
  for (int step = 0; step < kKeplerIterationCap; ++step) {
    sinE = std::sin(bigE);
    cosE = std::cos(bigE);
    const double f = bigE - e * sinE - m;
    bigE -= f / (1.0 - e * cosE);
    if (std::fabs(f) <= kKeplerTolerance) {
      settled = true;
      break;
    }
  }
  if (!settled) return std::nullopt;

  const double xw = a * (cosE - e);
  const double yw = a * b * sinE;
  const double x = xw * px + yw * qx;
  const double y = xw * py + yw * qy;
  const double z = xw * pz + yw * qz;
  const double theta = SiderealAngle(d);
  const double xe = x * std::cos(theta) + y * std::sin(theta);
  const double ye = y * std::cos(theta) - x * std::sin(theta);
  const GeodeticPosition g = EcefToGeodetic(xe, ye, z);
  if (!std::isfinite(g.latitude) || !std::isfinite(g.longitude)) return std::nullopt;
  return SatellitePosition{g.latitude, g.longitude};
}

std::optional<ChartPoint> ComputeSatellitePoint(const std::string& line1, const std::string& line2,
                                                double homeLatitude, double homeLongitude,
                                                const Clock& clock) {
  const auto elements = ParseTleElements(line1, line2);
  if (!elements) return std::nullopt;
  const auto position = PropagateElements(*elements, clock);
  if (!position) return std::nullopt;
  return ProjectToChart(homeLatitude, homeLongitude, position->latitude, position->longitude);
}

}  // namespace vantrel
