// Where a satellite stands in the sky of a place on the ground: azimuth,
// elevation (geometric, no refraction), range and range rate, from the
// model's TEME state and the UTC time.
#pragma once

#include "orbit/sgp4.h"

namespace vantrel {

// A place on the WGS-84 ellipsoid.
struct Observer {
  double latitude = 0.0;   // geodetic, degrees north
  double longitude = 0.0;  // degrees east
  double height = 0.0;     // km above the ellipsoid
};

struct LookAngles {
  double azimuth = 0.0;    // degrees from north through east, 0..360
  double elevation = 0.0;  // degrees above the horizon
  double range = 0.0;      // km
  double rangeRate = 0.0;  // km/s, positive when receding
};

// unixTime: seconds since 1970-01-01 0h UTC.
LookAngles Look(const Observer& observer, const StateVector& teme, double unixTime);

// The frequency heard on the ground for a transmitter receding at rangeRate
// km/s (first order in v/c).
double DopplerShifted(double frequency, double rangeRate);

}  // namespace vantrel
