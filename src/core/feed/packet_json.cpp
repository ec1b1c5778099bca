#include "feed/packet_json.h"

#include <cmath>
#include <cstdio>

#include "base/packet_types.h"
#include "base/text_encoding.h"
#include "decoder/packet_fields.h"

namespace vantrel {

namespace {

using json = nlohmann::ordered_json;

const char* TypeName(const std::uint8_t* bytes) {
  switch (bytes[0]) {
    case kTypeSync:
      return HasSyncWord(bytes) ? "sync" : "unknown-sync";
    case kTypeMessage:
      return "message";
    case kTypeUplink:
      return "uplink";
    case kTypeDownlink:
      return "downlink";
    case kTypeNetwork:
      return "network";
    case kTypeFill:
      return "fill";
    case kTypeEphemeris:
      return "ephemeris";
    case kTypeElements:
      return "elements";
    default:
      return "other";
  }
}

// A number JSON can hold; NaN and infinities become null.
json Finite(double value) { return std::isfinite(value) ? json(value) : json(nullptr); }

json FrequenciesHz(int bandMhz, const std::vector<unsigned>& codes) {
  json list = json::array();
  for (unsigned code : codes) list.push_back(ChannelHz(bandMhz, code));
  return list;
}

void AddDecodedFields(const std::uint8_t* b, json& object) {
  switch (b[0]) {
    case kTypeSync:
      if (!HasSyncWord(b)) break;
      object["satellite"] = b[3];
      object["frequency_hz"] = ChannelHz(kDownlinkBandMhz, SyncChannelCode(b[5]));
      object["frame"] = b[6] >> 4;
      break;
    case kTypeMessage: {
      const PartCount parts = ReadPartCount(b[1]);
      object["part"] = parts.part;
      object["parts"] = parts.total;
      object["words"] = MessageWords(b);
      break;
    }
    case kTypeUplink:
      object["frequencies_hz"] = FrequenciesHz(kUplinkBandMhz, UplinkCodes(b));
      break;
    case kTypeDownlink: {
      const PartCount parts = ReadPartCount(b[1]);
      object["part"] = parts.part;
      object["parts"] = parts.total;
      object["frequencies_hz"] = FrequenciesHz(kDownlinkBandMhz, DownlinkCodes(b));
      break;
    }
    case kTypeEphemeris:
      if (const auto e = ReadEphemeris(b)) {
        object["satellite"] = e->satellite;
        object["latitude"] = Finite(e->position.latitude);
        object["longitude"] = Finite(e->position.longitude);
        object["week"] = e->week;
        object["seconds_of_week"] = e->secondsOfWeek;
      }
      break;
    case kTypeElements:
      if (const auto e = ReadElements(b)) {
        object["satellite"] = e->satellite;
        object["mean_anomaly_deg"] = e->meanAnomaly;
        object["mean_motion_rev_per_day"] = e->meanMotion;
      }
      break;
    default:
      if (!IsPacketType(b[0])) object["type_byte"] = b[0];
      break;
  }
}

const char* DemodulatorName(DemodulatorKind kind) {
  switch (kind) {
    case DemodulatorKind::Sensitive:
      return "sensitive";
    case DemodulatorKind::Sdr:
      return "sdr";
    case DemodulatorKind::Classic:
      break;
  }
  return "classic";
}

}  // namespace

std::string IsoUtc(CTime seconds) { return FormatUtc(seconds, "%Y-%m-%dT%H:%M:%SZ"); }

json PacketJson(const AcceptedPacket& packet) {
  std::string hex;
  for (int i = 0; i < packet.length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", packet.bytes[i]);
    hex += pair;
  }
  json object = {{"time", IsoUtc(packet.time)},
                 {"type", TypeName(packet.bytes)},
                 {"hex", hex},
                 {"line", packet.line ? json(Cp1252ToUtf8(*packet.line)) : json(nullptr)}};
  AddDecodedFields(packet.bytes, object);
  json demod = {{"demodulator", DemodulatorName(packet.source.demodulator)},
                {"polarity", packet.source.polarity == 0 ? "upright" : "inverted"},
                {"corrected_bits", packet.source.correctedBits}};
  if (packet.source.carrierHz) {
    demod["carrier_hz"] = Finite(*packet.source.carrierHz);
    demod["carrier_absolute"] = packet.source.carrierIsAbsolute;
  }
  object["demod"] = std::move(demod);
  return object;
}

json SatelliteTableJson(const SatelliteTable& table) {
  json rows = json::array();
  for (const int k : ListedSatellites(table)) {
    const SatelliteRecord& r = table[static_cast<std::size_t>(k)];
    json row = {{"satellite", k}};
    if (r.Heard()) row["frequency_hz"] = std::llround(r.frequency * 1e6);
    if (r.positionTime != 0) {
      row["latitude"] = Finite(r.latitude);
      row["longitude"] = Finite(r.longitude);
      row["position_time"] = IsoUtc(r.positionTime);
    }
    rows.push_back(std::move(row));
  }
  return {{"satellites", std::move(rows)}};
}

}  // namespace vantrel
