#include "decoder/packet_fields.h"

#include "base/packet_types.h"

namespace vantrel {

namespace {

constexpr double kMeanAnomalyScale = 2.1457673398117624e-05;
constexpr double kMeanMotionScale = 3.4924599024216785e-09;

}  // namespace

std::uint64_t Field64(const std::uint8_t* packet) {
  std::uint64_t n = 0;
  for (int i = 9; i >= 2; --i) n = (n << 8) | packet[i];
  return n;
}

std::vector<unsigned> MessageWords(const std::uint8_t* packet) {
  const std::uint64_t n = Field64(packet);
  return {static_cast<unsigned>(n >> 44), static_cast<unsigned>((n >> 24) & 0xFFFFF),
          static_cast<unsigned>((n >> 4) & 0xFFFFF), static_cast<unsigned>(n & 0xF)};
}

std::vector<unsigned> UplinkCodes(const std::uint8_t* packet) {
  std::vector<unsigned> codes;
  for (int i = 3; i <= 8 && packet[i] != 0; ++i) codes.push_back(packet[i]);
  return codes;
}

std::vector<unsigned> DownlinkCodes(const std::uint8_t* packet) {
  const std::uint64_t n = Field64(packet);
  std::vector<unsigned> codes;
  for (int k = 0; k < 5; ++k) {
    const auto code = static_cast<unsigned>((n >> (48 - 12 * k)) & 0xFFF);
    if (code != 0) codes.push_back(code);
  }
  return codes;
}

std::optional<EphemerisFields> ReadEphemeris(const std::uint8_t* packet) {
  EphemerisFields e;
  e.satellite = packet[1];
  e.secondsOfWeek = packet[17] + 256 * packet[18] + 65536 * packet[19];
  e.week = packet[20] + 256 * packet[21];
  e.day = e.secondsOfWeek / 86400;
  if (e.day > 7) return std::nullopt;
  const int r = e.secondsOfWeek - 86400 * e.day;
  e.hours = r / 3600;
  e.minutes = (r - 3600 * e.hours) / 60;
  e.seconds = r - 3600 * e.hours - 60 * e.minutes;

  // Three 20-bit offset-binary coordinates in units of 16.
  const std::uint64_t n = Field64(packet);
  const auto field = [](std::uint64_t v) {
    return (static_cast<std::int64_t>(v & 0xFFFFF) - 0x80000) * 16;
  };
  e.position = EcefToGeodetic(static_cast<double>(field(n)), static_cast<double>(field(n >> 20)),
                              static_cast<double>(field(n >> 40)));
  return e;
}

std::optional<ElementFields> ReadElements(const std::uint8_t* packet) {
  const int fm = packet[1];
  if (packet[2] != packet[1] || fm == 0) return std::nullopt;
  ElementFields e;
  e.satellite = fm;
  e.meanAnomaly = (packet[3] + 256.0 * packet[4] + 65536.0 * packet[5]) * kMeanAnomalyScale;
  const std::uint32_t motionCount = packet[6] | (packet[7] << 8) | (packet[8] << 16) |
                                    (static_cast<std::uint32_t>(packet[9]) << 24);
  e.meanMotion = motionCount * kMeanMotionScale;
  return e;
}

}  // namespace vantrel
