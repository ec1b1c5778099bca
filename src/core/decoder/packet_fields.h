// The values carried by each packet type, read from the checked bytes. The
// interpretation builds its lines from them and the packet feeds report them,
// so both always agree.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/geodetic.h"

namespace vantrel {

// Bytes 2..9 as a little-endian 64-bit number.
std::uint64_t Field64(const std::uint8_t* packet);

// Channel numbers: frequency = base + 0.0025 MHz * code (2500 Hz per step).
constexpr double ChannelMhz(int baseMhz, unsigned code) { return baseMhz + 0.0025 * code; }
constexpr std::int64_t ChannelHz(int baseMhz, unsigned code) {
  return baseMhz * std::int64_t{1000000} + 2500 * std::int64_t{code};
}
constexpr int kDownlinkBandMhz = 137;
constexpr int kUplinkBandMhz = 148;

// Sync: byte 5 is the downlink channel; codes up to 64 wrap above 255.
constexpr unsigned SyncChannelCode(std::uint8_t f) { return f <= 64 ? f + 256u : f; }
constexpr bool HasSyncWord(const std::uint8_t* packet) {
  return packet[1] == 0xA8 && packet[2] == 0xF9;
}

// Message and downlink packets: part P of T from byte 1.
struct PartCount {
  int part = 0;
  int total = 0;
};
constexpr PartCount ReadPartCount(std::uint8_t byte1) {
  return {((byte1 & 0x0F) + 1) & 0x0F, byte1 >> 4};
}

// The four words of a message packet, most significant first (20, 20, 20, 4 bits).
std::vector<unsigned> MessageWords(const std::uint8_t* packet);
// Uplink channel codes, bytes 3..8 up to the first zero.
std::vector<unsigned> UplinkCodes(const std::uint8_t* packet);
// The non-zero downlink channel codes c0..c4.
std::vector<unsigned> DownlinkCodes(const std::uint8_t* packet);

struct EphemerisFields {
  int satellite = 0;  // FM number, 0..255
  int week = 0;
  int secondsOfWeek = 0;
  int day = 0;  // 0 Sunday .. 7 ("Err")
  int hours = 0, minutes = 0, seconds = 0;
  GeodeticPosition position;
};
// Empty when the packet is to be abandoned (day above 7).
std::optional<EphemerisFields> ReadEphemeris(const std::uint8_t* packet);

struct ElementFields {
  int satellite = 0;
  double meanAnomaly = 0.0;  // degrees
  double meanMotion = 0.0;   // revolutions per day
};
// Empty when bytes 1 and 2 differ or the FM number is 0.
std::optional<ElementFields> ReadElements(const std::uint8_t* packet);

}  // namespace vantrel
