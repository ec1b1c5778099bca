#include "decoder/orbit_lines.h"

#include <cstdio>

namespace vantrel {

namespace {

constexpr const char* kDayNames[8] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Err"};

}  // namespace

std::string EphemerisLine(const EphemerisFields& e) {
  char line[256];
  std::snprintf(line, sizeof line, "Ephemeris  FM-%02d wk. %d, %s, %02d:%02d:%02d pos. %lf %lf",
                e.satellite, e.week, kDayNames[e.day], e.hours, e.minutes, e.seconds,
                e.position.latitude, e.position.longitude);
  return line;
}

std::string ElementsLine(const ElementFields& e) {
  char line[256];
  std::snprintf(line, sizeof line, "Elements   FM-%02d Ma %12.8lf\xB0 Mm %12.8lf/day ", e.satellite,
                e.meanAnomaly, e.meanMotion);
  return line;
}

}  // namespace vantrel
