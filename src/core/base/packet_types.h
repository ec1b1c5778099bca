// Downlink packet framing: the known packet types, their lengths and the
// two-sum check every packet must pass.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int kSamplesPerBit = 10;
constexpr int kSamplesPerByte = 80;
constexpr int kShortPacketBytes = 12;
constexpr int kLongPacketBytes = 24;  // ephemeris only
constexpr std::uint8_t kTypeMessage = 0x1A;
constexpr std::uint8_t kTypeUplink = 0x1B;
constexpr std::uint8_t kTypeDownlink = 0x1C;
constexpr std::uint8_t kTypeNetwork = 0x1D;
constexpr std::uint8_t kTypeFill = 0x1E;
constexpr std::uint8_t kTypeEphemeris = 0x1F;
constexpr std::uint8_t kTypeElements = 0x22;
constexpr std::uint8_t kTypeSync = 0x65;

constexpr bool IsPacketType(std::uint8_t type) {
  return (type >= kTypeMessage && type <= kTypeEphemeris) || type == kTypeElements ||
         type == kTypeSync;
}

constexpr int PacketLength(std::uint8_t type) {
  return type == kTypeEphemeris ? kLongPacketBytes : kShortPacketBytes;
}

// Twelve zero bytes pass the check, but they are what a carrier without data
// reads as: never a packet of a type outside the eight.
constexpr bool IsBlankPacket(const std::uint8_t* bytes) {
  for (int i = 0; i < kShortPacketBytes; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Two running sums modulo 256; returns a + b, so 0 means the packet is good.
constexpr int PacketChecksum(const std::uint8_t* bytes, int length) {
  std::uint8_t a = 0, b = 0;
  for (int i = 0; i < length; ++i) {
    a = static_cast<std::uint8_t>(a + bytes[i]);
    b = static_cast<std::uint8_t>(b + a);
  }
  return a + b;
}

}  // namespace vantrel
