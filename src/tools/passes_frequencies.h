// The downlink frequencies the desktop program's satellite table knows, from
// its settings file (read only; nothing is written).
#pragma once

#include <array>

#include "base/satellite_record.h"

namespace vantrel::tools {

// MHz by FM number (1..255: FM-01..FM-36 and every satellite above them the
// settings hold); 0 where the table has not heard the satellite or there is
// no settings file.
std::array<double, kMaxSatellite + 1> KnownDownlinks();

}  // namespace vantrel::tools
