// The JSON object that describes one accepted packet, as written by
// vantrel-decode --json and published to the network feed. Field names and
// meanings are part of the program's interface (README, manual): extend,
// never rename.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "base/clock.h"
#include "base/packet_listener.h"
#include "base/satellite_record.h"

namespace vantrel {

// "2007-05-12T10:11:12Z"
std::string IsoUtc(CTime seconds);

nlohmann::ordered_json PacketJson(const AcceptedPacket& packet);

// The 36 rows of the satellite table; rows not heard hold only their number.
nlohmann::ordered_json SatelliteTableJson(const SatelliteTable& table);

}  // namespace vantrel
