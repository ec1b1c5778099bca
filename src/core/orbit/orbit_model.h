// Where a satellite of a two-line element set is now: Keplerian motion with
// the secular node and perigee drift of the earth's oblateness and a mean
// motion growing linearly in time, placed on the chart around home.
#pragma once

#include <optional>
#include <string>

#include "base/clock.h"
#include "orbit/chart_projection.h"

namespace vantrel {

// The values the model reads from the two element lines.
struct TleElements {
  int epochYear = 0;          // two digits; the year is 2000 + epochYear
  double epochDay = 0.0;      // day of the year with fraction, 1.0 = 1 January 0h UTC
  double meanMotionRate = 0;  // first derivative of mean motion / 2, rev/day^2
  double inclination = 0.0;   // degrees
  double rightAscension = 0.0;
  double eccentricity = 0.0;
  double argumentOfPerigee = 0.0;
  double meanAnomaly = 0.0;
  double meanMotion = 0.0;  // revolutions per day
};

// Reads the fixed columns of element lines 1 and 2. Empty when a field is
// missing (short line) or does not scan as a finite number.
std::optional<TleElements> ParseTleElements(const std::string& line1, const std::string& line2);

struct SatellitePosition {
  double latitude = 0.0;   // geodetic, degrees north
  double longitude = 0.0;  // degrees east, -180..180
};

// Propagates to the clock's time (read twice, as the model was built).
// Empty for a set the model cannot place: mean motion of 0.1 rev/day or
// less, or a Kepler iteration that does not settle.
std::optional<SatellitePosition> PropagateElements(const TleElements& elements, const Clock& clock);

// The chart point of the set's satellite now, seen from home; empty when the
// set cannot be read or placed. The caller decides whether it is on the disc.
std::optional<ChartPoint> ComputeSatellitePoint(const std::string& line1, const std::string& line2,
                                                double homeLatitude, double homeLongitude,
                                                const Clock& clock);

}  // namespace vantrel
