// The lines of the eight decoded packet types and the table changes of sync
// and ephemeris packets; a type byte outside the eight gets a line of its bytes.
#include "decoder/interpreter.h"

#include <cstdio>
#include <vector>

#include "base/packet_types.h"
#include "decoder/orbit_lines.h"
#include "decoder/packet_fields.h"

namespace vantrel {

namespace {

std::string Format(const char* format, auto... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string NineBytesHex(const char* prefix, const std::uint8_t* packet) {
  return Format("%s%02X%02X%02X%02X%02X%02X%02X%02X%02X", prefix, packet[1], packet[2], packet[3],
                packet[4], packet[5], packet[6], packet[7], packet[8], packet[9]);
}

// "Packet 0x0A  0A 3C ..": the type, then bytes 0 to 9 (the check bytes are left out).
std::string OtherPacketLine(const std::uint8_t* packet) {
  std::string line = Format("Packet 0x%02X ", packet[0]);
  for (int i = 0; i < kShortPacketBytes - 2; ++i) line += Format(" %02X", packet[i]);
  return line;
}

Interpretation Accepted(int length) { return {PacketOutcome::Accepted, std::nullopt, length, 0}; }

}  // namespace

Interpretation Interpreter::InterpretPacket(const std::uint8_t* packet, CTime now) {
  return packet[0] == kTypeEphemeris ? Ephemeris(packet, now) : ShortPacket(packet, now);
}

Interpretation Interpreter::ShortPacket(const std::uint8_t* packet, CTime now) {
  Interpretation result = Accepted(kShortPacketBytes);
  switch (packet[0]) {
    case kTypeSync:
      if (HasSyncWord(packet)) {
        lastDecodeTime_ = now;
        if (filters_[kFilterSync]) {
          const int fm = packet[3];
          if (fm == 0) return {};
          const double frequency = ChannelMhz(kDownlinkBandMhz, SyncChannelCode(packet[5]));
          const int frame = packet[6] >> 4;
          satellites_[static_cast<std::size_t>(fm)].frequency = frequency;
          result.satellite = fm;
          result.line = Format("Spacecraft FM-%02d %8.4lfMHz frame %02d", fm, frequency, frame);
        }
      }
      break;
    case kTypeMessage:
      if (filters_[kFilterMessage]) {
        const PartCount parts = ReadPartCount(packet[1]);
        if (parts.part > parts.total) return {};
        const std::vector<unsigned> v = MessageWords(packet);
        result.line = Format("Message (pt. %d of %d) %05X %05X %05X %05X", parts.part, parts.total,
                             v[0], v[1], v[2], v[3]);
      }
      break;
    case kTypeUplink:
      if (filters_[kFilterUplink]) {
        std::string line = "Uplink channels ";
        for (unsigned code : UplinkCodes(packet)) {
          line += Format("%8.4lfMHz ", ChannelMhz(kUplinkBandMhz, code));
        }
        result.line = line;
      }
      break;
    case kTypeDownlink:
      if (filters_[kFilterDownlink]) {
        const PartCount parts = ReadPartCount(packet[1]);
        std::string line = Format("Downlink channels (pt %d of %d) ", parts.part, parts.total);
        for (unsigned code : DownlinkCodes(packet)) {
          line += Format("%8.4lfMHz ", ChannelMhz(kDownlinkBandMhz, code));
        }
        result.line = line;
      }
      break;
    case kTypeNetwork:
      if (filters_[kFilterNetwork]) result.line = NineBytesHex("Network Control ", packet);
      break;
    case kTypeFill:
      if (filters_[kFilterFill]) result.line = NineBytesHex("Fill packet ", packet);
      break;
    case kTypeElements:
      // A damaged element packet is still accepted, without a line.
      if (filters_[kFilterElements]) {
        if (const std::optional<ElementFields> e = ReadElements(packet))
          result.line = ElementsLine(*e);
      }
      break;
    default:
      // A type of today's downlink that this receiver does not decode; the
      // demodulators hand these over only where a packet follows another.
      if (IsBlankPacket(packet)) return {};
      if (filters_[kFilterOther]) result.line = OtherPacketLine(packet);
      break;
  }
  // Every line but the sync's marks a decode; a sync packet marked its own above.
  if (result.line && packet[0] != kTypeSync) lastDecodeTime_ = now;
  return result;
}

Interpretation Interpreter::Ephemeris(const std::uint8_t* packet, CTime now) {
  const std::optional<EphemerisFields> e = ReadEphemeris(packet);
  if (!e) return {};
  Interpretation result = Accepted(kLongPacketBytes);
  const int fm = e->satellite;
  if (fm > 0) {
    SatelliteRecord& record = satellites_[static_cast<std::size_t>(fm)];
    record.longitude = e->position.longitude;
    record.latitude = e->position.latitude;
    record.positionTime = static_cast<std::int32_t>(now);
    lastSatellite_ = fm;
    result.satellite = fm;
  }
  if (filters_[kFilterEphemeris]) result.line = EphemerisLine(*e);
  return result;
}

}  // namespace vantrel
