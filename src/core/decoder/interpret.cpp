// Packet interpretation: one checked 12-byte packet becomes at most one line
// for the message ring and the log, and sync packets update the satellite
// table. Ephemeris and element packets are decoded in ephemeris.cpp.
#include <cstdio>
#include <string>

#include "decoder/packet_types.h"
#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

// Bytes 2..9 as a little-endian 64-bit number.
std::uint64_t Field64(const std::uint8_t* packet) {
  std::uint64_t n = 0;
  for (int i = 9; i >= 2; --i) n = (n << 8) | packet[i];
  return n;
}

std::string Format(const char* format, auto... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string NineBytesHex(const char* prefix, const std::uint8_t* packet) {
  return Format("%s%02X%02X%02X%02X%02X%02X%02X%02X%02X", prefix, packet[1], packet[2],
                packet[3], packet[4], packet[5], packet[6], packet[7], packet[8], packet[9]);
}

}  // namespace

PacketOutcome CVantrelDoc::InterpretPacket(const std::uint8_t* packet) {
  const std::uint8_t type = packet[0];
  if (type == kTypeEphemeris) return DecodeEphemeris(packet);

  const std::uint64_t n = Field64(packet);
  switch (type) {
    case kTypeSync:
      if (packet[1] == 0xA8 && packet[2] == 0xF9) {
        lastDecodeTime = clock().Now();
        if (filters[kFilterSync]) {
          const int fm = packet[3];
          if (fm < 1 || fm > kSatelliteCount) return PacketOutcome::Abandoned;
          const int f = packet[5];
          const int code = f <= 64 ? f + 256 : f;
          const double frequency = 137 + 0.0025 * code;
          const int frame = packet[6] >> 4;
          satellites[fm].frequency = frequency;
          PostLine(Format("Spacecraft FM-%02d %8.4lfMHz frame %02d", fm, frequency, frame), false);
        }
      }
      break;
    case kTypeMessage:
      if (filters[kFilterMessage]) {
        const int total = packet[1] >> 4;
        const int part = ((packet[1] & 0x0F) + 1) & 0x0F;
        if (part > total) return PacketOutcome::Abandoned;
        const auto v1 = static_cast<unsigned>(n >> 44);
        const auto v2 = static_cast<unsigned>((n >> 24) & 0xFFFFF);
        const auto v3 = static_cast<unsigned>((n >> 4) & 0xFFFFF);
        const auto v4 = static_cast<unsigned>(n & 0xF);
        PostLine(Format("Message (pt. %d of %d) %05X %05X %05X %05X", part, total, v1, v2, v3, v4),
                 true);
      }
      break;
    case kTypeUplink:
      if (filters[kFilterUplink]) {
        std::string line = "Uplink channels ";
        for (int i = 3; i <= 8 && packet[i] != 0; ++i) {
          line += Format("%8.4lfMHz ", 148 + 0.0025 * packet[i]);
        }
        PostLine(line, true);
      }
      break;
    case kTypeDownlink:
      if (filters[kFilterDownlink]) {
        const int total = packet[1] >> 4;
        const int part = ((packet[1] & 0x0F) + 1) & 0x0F;
        std::string line = Format("Downlink channels (pt %d of %d) ", part, total);
        for (int k = 0; k < 5; ++k) {
          const auto code = static_cast<unsigned>((n >> (48 - 12 * k)) & 0xFFF);
          if (code != 0) line += Format("%8.4lfMHz ", 137 + 0.0025 * code);
        }
        PostLine(line, true);
      }
      break;
    case kTypeNetwork:
      if (filters[kFilterNetwork]) PostLine(NineBytesHex("Network Control ", packet), true);
      break;
    case kTypeFill:
      if (filters[kFilterFill]) PostLine(NineBytesHex("Fill packet ", packet), true);
      break;
    case kTypeElements:
      if (filters[kFilterElements]) DecodeElements(packet);
      break;
    default:
      break;
  }
  WriteRawRecord(packet, kShortPacketBytes);
  return PacketOutcome::Accepted;
}

void CVantrelDoc::PostLine(const std::string& line, bool setsTime) {
  messages[messageHead] = line;
  messageHead = (messageHead + 1) % kMessageRingSize;
  if (setsTime) lastDecodeTime = clock().Now();
  if (logFlag) WriteLog(line);
}

void CVantrelDoc::WriteRawRecord(const std::uint8_t* packet, int length) {
  if (!rawFlag) return;
  std::string text;
  for (int i = 0; i < length; ++i) text += Format("%02X ", packet[i]);
  WriteRawLog(text);
}

std::vector<std::string> CVantrelDoc::MessagesInArrivalOrder() const {
  std::vector<std::string> lines;
  for (int i = 0; i < kMessageRingSize; ++i) {
    const std::string& line = messages[(messageHead + i) % kMessageRingSize];
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace vantrel
