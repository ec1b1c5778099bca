#include "synth/packet_builder.h"

#include <cmath>
#include <numbers>

namespace vantrel::synth {

Packet WithChecksum(Packet bytes) {
  std::uint8_t a = 0, b = 0;
  for (const std::uint8_t byte : bytes) {
    a = static_cast<std::uint8_t>(a + byte);
    b = static_cast<std::uint8_t>(b + a);
  }
  // Both sums must end at 0: b + (a + x) + 0 = 0 and a + x + y = 0.
  const auto x = static_cast<std::uint8_t>(-(a + b));
  const auto y = static_cast<std::uint8_t>(-(a + x));
  bytes.push_back(x);
  bytes.push_back(y);
  return bytes;
}

// Earth-centred coordinates in metres of a geodetic position (WGS 84), as the
// 20-bit fields of an ephemeris packet carry them in units of 16 m.
Packet EphemerisPacket(int fm, double lat, double lon, double altKm, int week, int seconds) {
  constexpr double kA = 6378137.0, kE2 = 6.69437999014e-3;
  const double phi = lat * std::numbers::pi / 180, lambda = lon * std::numbers::pi / 180;
  const double n = kA / std::sqrt(1 - kE2 * std::sin(phi) * std::sin(phi));
  const double h = altKm * 1000;
  const double xyz[3] = {(n + h) * std::cos(phi) * std::cos(lambda),
                         (n + h) * std::cos(phi) * std::sin(lambda),
                         (n * (1 - kE2) + h) * std::sin(phi)};
  std::uint64_t field = 0;
  for (int i = 0; i < 3; ++i) {
    const auto v = static_cast<std::int64_t>(std::lround(xyz[i] / 16)) + 0x80000;
    field |= static_cast<std::uint64_t>(v & 0xFFFFF) << (20 * i);
  }
  Packet p(22, 0);
  p[0] = 0x1F;
  p[1] = static_cast<std::uint8_t>(fm);
  for (int i = 0; i < 8; ++i) p[2 + i] = static_cast<std::uint8_t>(field >> (8 * i));
  for (int i = 0; i < 3; ++i) p[17 + i] = static_cast<std::uint8_t>(seconds >> (8 * i));
  p[20] = static_cast<std::uint8_t>(week);
  p[21] = static_cast<std::uint8_t>(week >> 8);
  return WithChecksum(p);
}

}  // namespace vantrel::synth
