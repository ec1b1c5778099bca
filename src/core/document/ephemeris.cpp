// Ephemeris packets (position of a satellite, stored in the satellite table)
// and element packets (mean anomaly and mean motion, shown only).
#include <cmath>
#include <cstdio>

#include "base/angles.h"
#include "base/geodetic.h"
#include "base/packet_types.h"
#include "decoder/packet_fields.h"
#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

constexpr const char* kDayNames[8] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Err"};

}  // namespace

PacketOutcome VantrelDoc::DecodeEphemeris(const std::uint8_t* packet) {
  const std::optional<EphemerisFields> e = ReadEphemeris(packet);
  if (!e) return PacketOutcome::Abandoned;
  const int fm = e->satellite;
  if (fm > 0) {
    SatelliteRecord& record = satellites[fm];
    record.longitude = e->position.longitude;
    record.latitude = e->position.latitude;
    record.positionTime = static_cast<std::int32_t>(clock().Now());
    lastSatellite = fm;
  }
  if (filters[kFilterEphemeris]) {
    char line[256];
    std::snprintf(line, sizeof line, "Ephemeris  FM-%02d wk. %d, %s, %02d:%02d:%02d pos. %lf %lf",
                  fm, e->week, kDayNames[e->day], e->hours, e->minutes, e->seconds,
                  e->position.latitude, e->position.longitude);
    PostLine(line, false);
  }
  WriteRawRecord(packet, kLongPacketBytes);
  NotifyAccepted(packet, kLongPacketBytes);
  return PacketOutcome::Accepted;
}

void VantrelDoc::DecodeElements(const std::uint8_t* packet) {
  const std::optional<ElementFields> e = ReadElements(packet);
  if (!e) return;
  char line[256];
  std::snprintf(line, sizeof line, "Elements   FM-%02d Ma %12.8lf\xB0 Mm %12.8lf/day ",
                e->satellite, e->meanAnomaly, e->meanMotion);
  PostLine(line, true);
}

}  // namespace vantrel
