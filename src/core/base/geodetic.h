// Earth-centred coordinates to geodetic latitude and longitude by one step of
// Bowring's formula, as both the ephemeris decoder and the orbit model use it.
#pragma once

namespace vantrel {

struct GeodeticPosition {
  double latitude = 0.0;   // degrees north
  double longitude = 0.0;  // degrees east, -180..180
};

// x, y, z in any one unit (the formula's corrections assume kilometres).
GeodeticPosition EcefToGeodetic(double x, double y, double z);

}  // namespace vantrel
