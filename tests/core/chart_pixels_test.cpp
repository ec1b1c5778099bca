// The chart's pixel maths: the cell under a pixel, the sun's shading, the
// shipped land mask and which decoded satellites are drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "orbit/chart_projection.h"
#include "orbit/chart_shading.h"
#include "orbit/globe_mask.h"

namespace vantrel {
namespace {

constexpr CTime kEquinoxNoon = 1174478400;  // 2007-03-21 12:00:00 UTC

TEST(ChartCells, RimCentreRowAndHomePixel) {
  EXPECT_FALSE(ComputeChartCell(0, 240, 0.0, 0.0).InsideDisc());  // distance 240: a star
  const ChartCell left = ComputeChartCell(1, 240, 0.0, 0.0);
  const ChartCell right = ComputeChartCell(479, 240, 0.0, 0.0);
  EXPECT_EQ(left.colatitude, 89);
  EXPECT_EQ(left.longitude, 317);
  EXPECT_EQ(right.colatitude, 89);
  EXPECT_EQ(right.longitude, 43);
  const ChartCell home = ComputeChartCell(240, 240, -34.5, 139.0);
  EXPECT_EQ(home.colatitude, 124);
  EXPECT_EQ(home.longitude, 139);
  EXPECT_EQ(LongitudeCell(-0.5), 0);
  EXPECT_EQ(LongitudeCell(-1.5), 359);
}

TEST(ChartCells, PolesAndOddHomesStayInsideTheMask) {
  EXPECT_EQ(ComputeChartCell(240, 240, -90.0, 0.0).colatitude, 179);  // the pole's own row
  for (const double lon : {-180.0, 180.0, 720.5, -1000.0}) {
    for (int x = 1; x < 480; x += 17) {
      const ChartCell c = ComputeChartCell(x, 240, 89.9, lon);
      EXPECT_TRUE(c.InsideDisc());
      EXPECT_TRUE(c.longitude >= 0 && c.longitude < 360 && c.colatitude < 180) << x << " " << lon;
    }
  }
}

TEST(ChartShading, SunTwilightRimAndStars) {
  const SunPosition sun = ComputeSunPosition(kEquinoxNoon, 0);
  EXPECT_DOUBLE_EQ(sun.declination, 0.0);
  EXPECT_DOUBLE_EQ(sun.subSolarLongitude, 0.0);
  const SunZenith zenith(sun);
  EXPECT_EQ(zenith.At(90, 0), 0);
  EXPECT_EQ(zenith.At(90, 180), 179);
  EXPECT_DOUBLE_EQ(ComputeSunPosition(kEquinoxNoon + 5400, 0).subSolarLongitude, -22.5);
  EXPECT_EQ(RimBrightness(0.0), 255);
  EXPECT_EQ(RimBrightness(240.0), 85);
  EXPECT_EQ(ShadeForSun(200, 85), 200);
  EXPECT_EQ(ShadeForSun(200, 86), 195);
  EXPECT_EQ(ShadeForSun(200, 94), 155);
  EXPECT_EQ(ShadeForSun(200, 95), 150);
  EXPECT_EQ(StarColour(131), kStarWhite);
  EXPECT_EQ(StarColour(132), kStarBlack);
}

TEST(ChartShading, DecodedSatellitesOfTheLastFiveMinutes) {
  const CTime now = kEquinoxNoon;
  EXPECT_TRUE(IsRecentPosition(-30.0, 140.0, now - 299, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 140.0, now - 300, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 140.0, now - 301, now));
  EXPECT_FALSE(IsRecentPosition(0.0, 140.0, now, now));
  EXPECT_FALSE(IsRecentPosition(-30.0, 0.0, now, now));
}

TEST(GlobeMaskFile, ShippedMaskKnowsTheContinents) {
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string path = std::string(source) + "/data/globe.dat";
  ASSERT_EQ(std::filesystem::file_size(path), GlobeMask::kMaskBytes);
  GlobeMask globe;
  ASSERT_TRUE(globe.Load(path));
  const auto land = [&](double latitude, double longitude) {
    return globe.IsLand(static_cast<int>(90.0 - latitude), LongitudeCell(longitude));
  };
  EXPECT_TRUE(land(-25.5, 134.5));   // central Australia
  EXPECT_TRUE(land(23.5, 10.5));     // the Sahara
  EXPECT_TRUE(land(60.5, 100.5));    // Siberia
  EXPECT_TRUE(land(-5.5, -60.5));    // the Amazon
  EXPECT_TRUE(land(-80.5, 30.5));    // Antarctica
  EXPECT_TRUE(land(47.5, -1.5));     // France, west of Greenwich (cell 359)
  EXPECT_FALSE(land(0.5, -160.5));   // mid-Pacific
  EXPECT_FALSE(land(40.5, -40.5));   // North Atlantic
  EXPECT_FALSE(land(-30.5, 80.5));   // Indian Ocean

  EXPECT_FALSE(globe.Load("/nonexistent/globe.dat"));
  EXPECT_FALSE(land(-25.5, 134.5));  // all sea without the file
}

}  // namespace
}  // namespace vantrel
