// Packet interpretation: one checked 12-byte packet becomes at most one line
// for the message ring and the log, and sync packets update the satellite
// table. A type byte outside the eight decoded types gets a line of its
// bytes. Ephemeris and element packets are decoded in ephemeris.cpp.
#include <cstdio>
#include <string>

#include "base/packet_types.h"
#include "decoder/packet_fields.h"
#include "document/vantrel_doc.h"

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

}  // namespace

PacketOutcome VantrelDoc::InterpretPacket(const std::uint8_t* packet) {
  messages_.StartPacket();
  const std::uint8_t type = packet[0];
  if (type == kTypeEphemeris) return DecodeEphemeris(packet);

  switch (type) {
    case kTypeSync:
      if (HasSyncWord(packet)) {
        lastDecodeTime = clock().Now();
        if (filters[kFilterSync]) {
          const int fm = packet[3];
          if (fm == 0) return PacketOutcome::Abandoned;
          const double frequency = ChannelMhz(kDownlinkBandMhz, SyncChannelCode(packet[5]));
          const int frame = packet[6] >> 4;
          satellites[fm].frequency = frequency;
          PostLine(Format("Spacecraft FM-%02d %8.4lfMHz frame %02d", fm, frequency, frame), false);
        }
      }
      break;
    case kTypeMessage:
      if (filters[kFilterMessage]) {
        const PartCount parts = ReadPartCount(packet[1]);
        if (parts.part > parts.total) return PacketOutcome::Abandoned;
        const std::vector<unsigned> v = MessageWords(packet);
        PostLine(Format("Message (pt. %d of %d) %05X %05X %05X %05X", parts.part, parts.total, v[0],
                        v[1], v[2], v[3]),
                 true);
      }
      break;
    case kTypeUplink:
      if (filters[kFilterUplink]) {
        std::string line = "Uplink channels ";
        for (unsigned code : UplinkCodes(packet)) {
          line += Format("%8.4lfMHz ", ChannelMhz(kUplinkBandMhz, code));
        }
        PostLine(line, true);
      }
      break;
    case kTypeDownlink:
      if (filters[kFilterDownlink]) {
        const PartCount parts = ReadPartCount(packet[1]);
        std::string line = Format("Downlink channels (pt %d of %d) ", parts.part, parts.total);
        for (unsigned code : DownlinkCodes(packet)) {
          line += Format("%8.4lfMHz ", ChannelMhz(kDownlinkBandMhz, code));
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
      // A type of today's downlink that this receiver does not decode; the
      // demodulators hand these over only where a packet follows another.
      if (IsBlankPacket(packet)) return PacketOutcome::Abandoned;
      if (filters[kFilterOther]) PostLine(OtherPacketLine(packet), true);
      break;
  }
  WriteRawRecord(packet, kShortPacketBytes);
  NotifyAccepted(packet, kShortPacketBytes);
  return PacketOutcome::Accepted;
}

void VantrelDoc::PostLine(const std::string& line, bool setsTime) {
  messages_.Push(line);
  if (setsTime) lastDecodeTime = clock().Now();
  if (postedLines_ != nullptr) postedLines_->push_back(line);
  if (logFlag) WriteLog(line);
}

void VantrelDoc::WriteLog(const std::string& line) {
  logs_.WriteLine(logDirectory, logDirectory == defaultLogDirectory, line, clock());
}

void VantrelDoc::WriteRawLog(const std::string& text) {
  logs_.WriteRaw(logDirectory, logDirectory == defaultLogDirectory, text, clock());
}

void VantrelDoc::WriteRawRecord(const std::uint8_t* packet, int length) {
  if (!rawFlag) return;
  std::string text;
  for (int i = 0; i < length; ++i) text += Format("%02X ", packet[i]);
  WriteRawLog(text);
}

void VantrelDoc::NotifyAccepted(const std::uint8_t* packet, int length) {
  if (packetListener == nullptr) return;
  AcceptedPacket accepted{packet, length, messages_.Posted(), clock().Now(), packetSource};
  packetListener->OnPacket(accepted);
}

}  // namespace vantrel
