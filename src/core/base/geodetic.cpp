#include "base/geodetic.h"

#include <cmath>

#include "base/angles.h"

namespace vantrel {

namespace {

constexpr double kEquatorialRadius = 6378.137;
constexpr double kPolarRadius = 6356.752;
constexpr double kSecondEccentricityB = 42.84194212154114;
constexpr double kFirstEccentricityA = 42.69829909031287;
using angles::kRadToDeg;

}  // namespace

GeodeticPosition EcefToGeodetic(double x, double y, double z) {
  const double p = std::sqrt(x * x + y * y);
  GeodeticPosition position;
  position.longitude = std::atan2(y, x) * kRadToDeg;
  if (p == 0.0) {
    // On the polar axis the one-step formula divides by a rounding residue of
    // cos(90 degrees) and lands on the wrong pole (or NaN at the centre).
    position.latitude = z > 0.0 ? 90.0 : z < 0.0 ? -90.0 : 0.0;
    return position;
  }
  const double theta = std::atan((z * kEquatorialRadius) / (p * kPolarRadius));
  const double s = std::sin(theta), c = std::cos(theta);
  position.latitude =
      std::atan((z + kSecondEccentricityB * s * s * s) / (p - kFirstEccentricityA * c * c * c)) *
      kRadToDeg;
  return position;
}

}  // namespace vantrel
