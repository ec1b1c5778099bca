#include "orbit/look_angles.h"

#include <cmath>
#include <numbers>

namespace vantrel {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kWgs84Radius = 6378.137;  // km
constexpr double kWgs84Flattening = 1.0 / 298.257223563;
constexpr double kEarthRotation = 7.292115146706979e-5;  // rad/s
constexpr double kSpeedOfLight = 299792.458;             // km/s

}  // namespace

LookAngles Look(const Observer& observer, const StateVector& teme, double unixTime) {
  // TEME to earth-fixed: a turn by the sidereal angle, and the frame's
  // rotation taken out of the velocity.
  const double gmst = GreenwichSidereal(unixTime / 86400.0 + 2440587.5);
  const double cg = std::cos(gmst), sg = std::sin(gmst);
  const auto& r = teme.position;
  const auto& v = teme.velocity;
  const double x = cg * r[0] + sg * r[1];
  const double y = -sg * r[0] + cg * r[1];
  const double z = r[2];
  const double vx = cg * v[0] + sg * v[1] + kEarthRotation * y;
  const double vy = -sg * v[0] + cg * v[1] - kEarthRotation * x;
  const double vz = v[2];

  const double lat = observer.latitude * kDegToRad;
  const double lon = observer.longitude * kDegToRad;
  const double sinLat = std::sin(lat), cosLat = std::cos(lat);
  const double sinLon = std::sin(lon), cosLon = std::cos(lon);
  const double e2 = kWgs84Flattening * (2.0 - kWgs84Flattening);
  const double n = kWgs84Radius / std::sqrt(1.0 - e2 * sinLat * sinLat);
  const double ox = (n + observer.height) * cosLat * cosLon;
  const double oy = (n + observer.height) * cosLat * sinLon;
  const double oz = (n * (1.0 - e2) + observer.height) * sinLat;

  const double dx = x - ox, dy = y - oy, dz = z - oz;
  const double east = -sinLon * dx + cosLon * dy;
  const double north = -sinLat * cosLon * dx - sinLat * sinLon * dy + cosLat * dz;
  const double up = cosLat * cosLon * dx + cosLat * sinLon * dy + sinLat * dz;

  LookAngles look;
  look.range = std::sqrt(dx * dx + dy * dy + dz * dz);
  look.elevation = std::atan2(up, std::hypot(east, north)) / kDegToRad;
  look.azimuth = std::atan2(east, north) / kDegToRad;
  if (look.azimuth < 0.0) look.azimuth += 360.0;
  look.rangeRate = (dx * vx + dy * vy + dz * vz) / look.range;
  return look;
}

double DopplerShifted(double frequency, double rangeRate) {
  return frequency * (1.0 - rangeRate / kSpeedOfLight);
}

}  // namespace vantrel
