// The chart's azimuthal equidistant projection centred on home: geographic
// points to chart pixels (satellites) and chart pixels to the one-degree cell
// of the land mask under them (the chart's projection cache).
#pragma once

#include <cstdint>
#include <optional>

namespace vantrel {

// Pixel coordinates of the chart: (240, 240) is home, north up, east right.
struct ChartPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ChartPoint&) const = default;
};

constexpr int kChartCentre = 240;
constexpr int kChartSize = 481;                    // the chart square is 0..480 in x and y
constexpr double kChartScale = 5.555555555555555;  // pixels per degree of arc
constexpr std::int16_t kOutsideDisc = 181;         // colatitude of a pixel off the disc

// Places a point at latitude/longitude (degrees) on the chart around home.
// Empty when the inputs are not finite numbers, so no garbage pixel is made.
std::optional<ChartPoint> ProjectToChart(double homeLatitude, double homeLongitude, double latitude,
                                         double longitude);

// The geographic cell under one chart pixel, as the projection cache keeps it.
struct ChartCell {
  std::int16_t colatitude = kOutsideDisc;  // whole degrees from the north pole, 0..179
  std::int16_t longitude = 0;              // whole degrees east, 0..359
  std::int32_t distance = 0;               // whole pixels from the centre
  double exactDistance = 0.0;              // the unrounded distance
  bool InsideDisc() const { return colatitude < 180; }
};

ChartCell ComputeChartCell(int x, int y, double homeLatitude, double homeLongitude);

// Whole-degree longitude cell of a longitude in degrees: cut toward zero,
// then negative values wrap by 360 (-0.5 -> 0, -1.5 -> 359).
int LongitudeCell(double longitude);

// Truncates toward zero when v is finite and fits an int; otherwise empty.
std::optional<int> TruncToInt(double v);

}  // namespace vantrel
