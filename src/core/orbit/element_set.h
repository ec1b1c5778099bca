// The mean elements of a two-line element set as the propagator takes them:
// angles in radians, mean motion in radians per minute, the epoch as a UTC
// instant.
#pragma once

#include <optional>
#include <string>

namespace vantrel {

struct ElementSet {
  std::string name;       // the name line, trimmed; may be empty
  int catalogNumber = 0;  // 0 when the field is blank
  double epoch = 0.0;     // seconds since 1970-01-01 0h UTC
  double bstar = 0.0;     // drag term, per earth radius
  double inclination = 0.0;
  double rightAscension = 0.0;  // of the ascending node
  double eccentricity = 0.0;
  double argumentOfPerigee = 0.0;
  double meanAnomaly = 0.0;
  double meanMotion = 0.0;  // Kozai mean motion, radians per minute
};

// Reads the fixed columns of element lines 1 and 2. On a missing or
// unreadable field, lines that are not numbered 1 and 2, or values no orbit
// has, returns nothing and says which in *error.
std::optional<ElementSet> ParseElementSet(const std::string& name, const std::string& line1,
                                          const std::string& line2, std::string* error);

}  // namespace vantrel
