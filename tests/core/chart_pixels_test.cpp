// The chart's pixel maths: which cell lies under a pixel, the sun's
// shading, the land mask and which decoded satellites are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "orbit/chart_projection.h"
#include "orbit/chart_shading.h"
#include "orbit/globe_mask.h"

namespace vantrel {
namespace {

constexpr CTime k2007Equinox12Utc = 1174478400;  // 2007-03-21 12:00:00 UTC

TEST(ChartCells, RimAndCentreRowForHomeAtZeroZero) {
  const ChartCell rim = ComputeChartCell(0, 240, 0.0, 0.0);
  EXPECT_FALSE(rim.InsideDisc());
  EXPECT_EQ(rim.colatitude, kOutsideDisc);

  const ChartCell left = ComputeChartCell(1, 240, 0.0, 0.0);
  ASSERT_TRUE(left.InsideDisc());
  EXPECT_EQ(left.colatitude, 89);
  EXPECT_EQ(left.longitude, 317);
  EXPECT_EQ(left.distance, 239);

  const ChartCell right = ComputeChartCell(479, 240, 0.0, 0.0);
  EXPECT_EQ(right.colatitude, 89);
  EXPECT_EQ(right.longitude, 43);

  // Corners of the chart square are off the disc as well.
  EXPECT_FALSE(ComputeChartCell(480, 480, 0.0, 0.0).InsideDisc());
  EXPECT_FALSE(ComputeChartCell(240, 0, 0.0, 0.0).InsideDisc());
  EXPECT_TRUE(ComputeChartCell(240, 1, 0.0, 0.0).InsideDisc());
}

TEST(ChartCells, HomePixelOfTheDefaultHome) {
  const ChartCell home = ComputeChartCell(240, 240, -34.5, 139.0);
  EXPECT_EQ(home.colatitude, 124);
  EXPECT_EQ(home.longitude, 139);
  EXPECT_EQ(home.distance, 0);
}

TEST(ChartCells, PolesAndWildHomesStayInsideTheMask) {
  // Home on a pole: the centre is the pole's cell, never a row past the mask.
  EXPECT_EQ(ComputeChartCell(240, 240, -90.0, 0.0).colatitude, 179);
  EXPECT_EQ(ComputeChartCell(240, 240, 90.0, 0.0).colatitude, 0);
  for (const double lon : {-180.0, 180.0, 359.0, 720.5, -1000.0}) {
    for (int x = 1; x < 480; x += 17) {
      const ChartCell c = ComputeChartCell(x, 240, 89.9, lon);
      ASSERT_TRUE(c.InsideDisc());
      EXPECT_GE(c.longitude, 0);
      EXPECT_LT(c.longitude, 360);
      EXPECT_LT(c.colatitude, 180);
    }
  }
}

TEST(ChartCells, LongitudeCellsTruncateThenWrap) {
  EXPECT_EQ(LongitudeCell(-0.5), 0);
  EXPECT_EQ(LongitudeCell(-1.5), 359);
  EXPECT_EQ(LongitudeCell(0.0), 0);
  EXPECT_EQ(LongitudeCell(359.9), 359);
  EXPECT_EQ(LongitudeCell(360.0), 0);
  EXPECT_EQ(LongitudeCell(std::nan("")), 0);
}

TEST(ChartShading, SunOverGreenwichAtNoonOfTheEquinox) {
  const SunPosition sun = ComputeSunPosition(k2007Equinox12Utc, 0);
  EXPECT_DOUBLE_EQ(sun.declination, 0.0);
  EXPECT_DOUBLE_EQ(sun.subSolarLongitude, 0.0);
  const SunZenith zenith(sun);
  EXPECT_EQ(zenith.At(90, 0), 0);
  EXPECT_EQ(zenith.At(0, 0), 90);       // the pole is on the day-night line
  EXPECT_EQ(zenith.At(90, 180), 179);   // midnight on the far side
  // An hour and a half later the sun is 22.5 degrees further west.
  EXPECT_DOUBLE_EQ(ComputeSunPosition(k2007Equinox12Utc + 5400, 0).subSolarLongitude, -22.5);
  // Three months on, the sun stands north of the equator.
  EXPECT_GT(ComputeSunPosition(k2007Equinox12Utc + 92 * 86400, 0).declination, 22.0);
}

TEST(ChartShading, RimDarkeningAndTwilight) {
  EXPECT_EQ(RimBrightness(0.0), 255);
  EXPECT_EQ(RimBrightness(240.0), 85);
  EXPECT_EQ(RimBrightness(120.0), 233);
  EXPECT_EQ(ShadeForSun(200, 85), 200);
  EXPECT_EQ(ShadeForSun(200, 86), 195);
  EXPECT_EQ(ShadeForSun(200, 94), 155);
  EXPECT_EQ(ShadeForSun(200, 95), 150);
  EXPECT_EQ(ShadeForSun(255, 180), 191);
  EXPECT_EQ(EarthColour(191, true), MakeRgb(0, 191, 0));
  EXPECT_EQ(EarthColour(191, false), MakeRgb(0, 0, 191));
  EXPECT_EQ(StarColour(131), kStarWhite);
  EXPECT_EQ(StarColour(132), kStarBlack);
  EXPECT_EQ(StarColour(32767), kStarBlack);
}

TEST(ChartShading, DecodedSatellitesOfTheLastFiveMinutes) {
  const CTime now = k2007Equinox12Utc;
  EXPECT_TRUE(IsRecentPosition(-30.0, 140.0, now - 299, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 140.0, now - 300, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 140.0, now - 301, now));
  EXPECT_FALSE(IsRecentPosition(0.0, 140.0, now, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 0.0, now, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 140.0, 0, now));
  EXPECT_EQ(FmLabel(7), "FM-07");
  EXPECT_EQ(FmLabel(36), "FM-36");
}

// Cell of a latitude and longitude in degrees.
bool LandAt(const GlobeMask& globe, double latitude, double longitude) {
  return globe.IsLand(static_cast<int>(90.0 - latitude), LongitudeCell(longitude));
}

TEST(GlobeMaskFile, ShippedMaskKnowsTheContinents) {
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string path = std::string(source) + "/data/globe.dat";
  ASSERT_EQ(std::filesystem::file_size(path), GlobeMask::kMaskBytes);
  GlobeMask globe;
  ASSERT_TRUE(globe.Load(path));
  EXPECT_TRUE(LandAt(globe, -25.5, 134.5));   // central Australia
  EXPECT_TRUE(LandAt(globe, 23.5, 10.5));     // the Sahara
  EXPECT_TRUE(LandAt(globe, 60.5, 100.5));    // Siberia
  EXPECT_TRUE(LandAt(globe, -5.5, -60.5));    // the Amazon
  EXPECT_TRUE(LandAt(globe, 40.5, -100.5));   // the Great Plains
  EXPECT_TRUE(LandAt(globe, -80.5, 30.5));    // Antarctica
  EXPECT_FALSE(LandAt(globe, 0.5, -160.5));   // mid-Pacific
  EXPECT_FALSE(LandAt(globe, 40.5, -40.5));   // North Atlantic
  EXPECT_FALSE(LandAt(globe, -30.5, 80.5));   // Indian Ocean
  EXPECT_FALSE(LandAt(globe, -50.5, -120.5)); // Southern Ocean
  // France on both sides of the Greenwich meridian: cells 0 and 359.
  EXPECT_TRUE(LandAt(globe, 47.5, 0.5));
  EXPECT_TRUE(LandAt(globe, 47.5, -1.5));
}

TEST(GlobeMaskFile, MissingOrShortFileIsSea) {
  GlobeMask globe;
  EXPECT_FALSE(globe.Load("/nonexistent/globe.dat"));
  EXPECT_FALSE(globe.IsLand(115, 134));

  const auto path = std::filesystem::temp_directory_path() / "vantrel_short_globe.dat";
  // Only the first row, all land.
  std::ofstream(path, std::ios::binary) << std::string(45, '\xFF');
  EXPECT_TRUE(globe.Load(path.string()));
  std::filesystem::remove(path);
  EXPECT_TRUE(globe.IsLand(0, 0));
  EXPECT_TRUE(globe.IsLand(0, 359));
  EXPECT_FALSE(globe.IsLand(1, 0));
  EXPECT_FALSE(globe.IsLand(180, 0));
  EXPECT_FALSE(globe.IsLand(0, 360));

  EXPECT_FALSE(globe.Load(std::filesystem::temp_directory_path().string()));  // a folder
  EXPECT_FALSE(globe.IsLand(0, 0));
}

}  // namespace
}  // namespace vantrel
