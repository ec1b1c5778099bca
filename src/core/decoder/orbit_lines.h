// The lines of the packets that describe orbits: ephemeris (a satellite's
// position and time) and elements (mean anomaly and mean motion).
#pragma once

#include <string>

#include "decoder/packet_fields.h"

namespace vantrel {

std::string EphemerisLine(const EphemerisFields& e);
std::string ElementsLine(const ElementFields& e);

}  // namespace vantrel
