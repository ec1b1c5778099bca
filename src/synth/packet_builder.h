// Builds downlink packets: fills in the two check bytes so that
// the two-sum check comes out zero.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::synth {

using Packet = std::vector<std::uint8_t>;

// bytes holds the packet without its last two bytes (10 or 22 bytes).
Packet WithChecksum(Packet bytes);

// The 24-byte ephemeris packet of satellite fm at a geodetic position
// (degrees, km above the WGS 84 ellipsoid) and a GPS week and second.
Packet EphemerisPacket(int fm, double latitude, double longitude, double altitudeKm, int week,
                       int seconds);

}  // namespace vantrel::synth
