// The downlink frequencies the desktop program's satellite table knows, from
// its settings file (read only; nothing is written).
#pragma once

#include <array>

#include "document/satellite_record.h"

namespace vantrel::tools {

// MHz by FM number (1..36); 0 where the table has not heard the satellite
// or there is no settings file.
std::array<double, kSatelliteCount + 1> KnownDownlinks();

}  // namespace vantrel::tools
