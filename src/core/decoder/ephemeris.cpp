// Ephemeris packets (position of a satellite, stored in the satellite table)
// and element packets (mean anomaly and mean motion, shown only).
#include <cmath>
#include <cstdio>

#include "decoder/packet_types.h"
#include "orbit/angles.h"
#include "orbit/geodetic.h"
#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

constexpr double kEquatorialRadius = 6378.137;
constexpr double kPolarRadius = 6356.752;
constexpr double kSecondEccentricityB = 42.84194212154114;
constexpr double kFirstEccentricityA = 42.69829909031287;
using angles::kRadToDeg;
constexpr double kMeanAnomalyScale = 2.1457673398117624e-05;
constexpr double kMeanMotionScale = 3.4924599024216785e-09;
constexpr const char* kDayNames[8] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Err"};

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

PacketOutcome CVantrelDoc::DecodeEphemeris(const std::uint8_t* packet) {
  const int fm = packet[1];
  if (fm > kSatelliteCount) return PacketOutcome::Abandoned;
  const int s = packet[17] + 256 * packet[18] + 65536 * packet[19];
  const int week = packet[20] + 256 * packet[21];
  const int day = s / 86400;
  if (day > 7) return PacketOutcome::Abandoned;
  const int r = s - 86400 * day;
  const int hours = r / 3600;
  const int minutes = (r - 3600 * hours) / 60;
  const int seconds = r - 3600 * hours - 60 * minutes;

  std::uint64_t n = 0;
  for (int i = 9; i >= 2; --i) n = (n << 8) | packet[i];
  const auto field = [](std::uint64_t v) {
    return (static_cast<std::int64_t>(v & 0xFFFFF) - 0x80000) * 16;
  };
  const double x = static_cast<double>(field(n));
  const double y = static_cast<double>(field(n >> 20));
  const double z = static_cast<double>(field(n >> 40));
  const GeodeticPosition position = EcefToGeodetic(x, y, z);

  if (fm > 0) {
    SatelliteRecord& record = satellites[fm];
    record.longitude = position.longitude;
    record.latitude = position.latitude;
    record.positionTime = static_cast<std::int32_t>(clock().Now());
    lastSatellite = fm;
  }
  if (filters[kFilterEphemeris]) {
    char line[256];
    std::snprintf(line, sizeof line, "Ephemeris  FM-%02d wk. %d, %s, %02d:%02d:%02d pos. %lf %lf",
                  fm, week, kDayNames[day], hours, minutes, seconds, position.latitude,
                  position.longitude);
    PostLine(line, false);
  }
  WriteRawRecord(packet, kLongPacketBytes);
  return PacketOutcome::Accepted;
}

void CVantrelDoc::DecodeElements(const std::uint8_t* packet) {
  const int fm = packet[1];
  if (packet[2] != packet[1] || fm < 1 || fm > kSatelliteCount) return;
  const double meanAnomaly = (packet[3] + 256.0 * packet[4] + 65536.0 * packet[5]) * kMeanAnomalyScale;
  const std::uint32_t motionCount = packet[6] | (packet[7] << 8) | (packet[8] << 16) |
                                    (static_cast<std::uint32_t>(packet[9]) << 24);
  const double meanMotion = motionCount * kMeanMotionScale;
  char line[256];
  std::snprintf(line, sizeof line, "Elements   FM-%02d Ma %12.8lf\xB0 Mm %12.8lf/day ", fm,
                meanAnomaly, meanMotion);
  PostLine(line, true);
}

}  // namespace vantrel
