// Two-line element sets from file to chart point: the column layout, the
// propagation's worked examples, sets the model cannot place, and the
// projection's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "orbit/chart_projection.h"
#include "orbit/orbit_model.h"
#include "orbit/tle_reader.h"

namespace vantrel {
namespace {

constexpr CTime k2007Jan1 = 1167609600;     // 2007-01-01 00:00:00 UTC, JD 2454101.5
constexpr CTime k2007Jan3At6 = 1167804000;  // 2007-01-03 06:00:00 UTC, JD 2454103.75

// Element lines with each field at its columns.
struct Elements {
  std::string day = "001.00000000", rate = " .00000000", inclination = "  0.0000",
              node = "  0.0000", eccentricity = "0000000", perigee = "  0.0000",
              anomaly = "  0.0000", motion = "14.00000000";
  std::string Line1() const { return "1 25117U 97084E   07" + day + " " + rate + "  00000-0  00000-0 0  9990"; }
  std::string Line2() const {
    return "2 25117 " + inclination + " " + node + " " + eccentricity + " " + perigee + " " + anomaly +
           " " + motion + "    01";
  }
};

Elements SecondExample() {
  return {"001.50000000", " .00010000", " 45.0000", " 30.0000", "0010000", " 60.0000", " 10.0000",
          "14.20000000"};
}

TEST(OrbitModel, WorkedExamples) {
  const Elements first;
  const HeldClock atFirst(k2007Jan1);
  const auto p1 = PropagateElements(*ParseTleElements(first.Line1(), first.Line2()), atFirst);
  ASSERT_TRUE(p1);
  EXPECT_NEAR(p1->longitude, -100.32148130674626, 1e-9);
  EXPECT_NEAR(p1->latitude, 0.0, 1e-9);
  EXPECT_EQ(ComputeSatellitePoint(first.Line1(), first.Line2(), 0.0, -100.0, atFirst), (ChartPoint{238, 240}));

  const Elements second = SecondExample();
  const HeldClock atSecond(k2007Jan3At6);
  const auto p2 = PropagateElements(*ParseTleElements(second.Line1(), second.Line2()), atSecond);
  ASSERT_TRUE(p2);
  EXPECT_NEAR(p2->longitude, -152.67306475974345, 1e-9);
  EXPECT_NEAR(p2->latitude, 17.188821350254177, 1e-9);
  EXPECT_EQ(ComputeSatellitePoint(second.Line1(), second.Line2(), 22.0, -148.0, atSecond),
            (ChartPoint{215, 266}));
}

TEST(OrbitModel, SetsTheModelCannotPlaceAreSkipped) {
  const HeldClock clock(k2007Jan1);
  std::vector<Elements> bad(5);
  bad[0].motion = " 0.10000000";  // mean motion at the floor
  bad[1].motion = "-3.00000000";
  bad[2].inclination = "  abcdef";
  bad[3].anomaly = "     nan";    // scans, but is no number to draw from
  bad[4].day = "   inf      ";
  for (const Elements& e : bad) {
    EXPECT_FALSE(ComputeSatellitePoint(e.Line1(), e.Line2(), 0.0, 0.0, clock)) << e.Line2();
  }
  const Elements good;
  // A field cut short still scans as far as it goes; a missing one does not.
  EXPECT_TRUE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 58), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 50), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint("", "", 0.0, 0.0, clock));
}

TEST(OrbitModel, ScrambledElementLinesNeverGiveGarbagePoints) {
  // Characters of real and broken files dropped at random into a valid set:
  // either no point, or one a projection can produce (no NaN cast to int).
  const Elements e = SecondExample();
  const std::string alphabet = "0123456789 .-+eEnaifx";
  std::mt19937 rng(3);
  const HeldClock clock(k2007Jan3At6);
  int placed = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string line1 = e.Line1(), line2 = e.Line2();
    for (int k = 0; k < 4; ++k) {
      std::string& line = rng() % 2 ? line1 : line2;
      line[rng() % line.size()] = alphabet[rng() % alphabet.size()];
    }
    const auto point = ComputeSatellitePoint(line1, line2, 22.0, -148.0, clock);
    if (!point) continue;
    ++placed;
    EXPECT_LE(std::hypot(point->x - 240, point->y - 240), 180 * kChartScale + 2) << line1 << "\n" << line2;
  }
  EXPECT_GT(placed, 100);
}

TEST(ChartProjection, BearingsAndDistance) {
  EXPECT_EQ(ProjectToChart(0.0, 0.0, 10.0, 0.0), (ChartPoint{240, 184}));   // due north
  EXPECT_EQ(ProjectToChart(0.0, 0.0, -10.0, 0.0), (ChartPoint{240, 295}));  // due south
  EXPECT_EQ(ProjectToChart(0.0, 0.0, 0.0, 10.0)->x, 295);                     // east right
  const ChartPoint far = *ProjectToChart(0.0, 0.0, 0.0, 90.0);
  EXPECT_NEAR(std::hypot(far.x - 240, far.y - 240), 500.0, 1.0);
  // A point exactly at home sits on the centre instead of a NaN.
  EXPECT_EQ(ProjectToChart(-34.5, 139.0, -34.5, 139.0), (ChartPoint{240, 240}));
  EXPECT_FALSE(ProjectToChart(0.0, 0.0, std::nan(""), 10.0));
}

TEST(TleFile, BlankLinesLineEndsCutOffLastSetAndLabels) {
  const Elements e;
  const auto path = std::filesystem::temp_directory_path() / "vantrel_orbit_test.tle";
  const auto read = [&](const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    std::vector<TleSet> sets;
    ForEachTleSet(path.string(), [&](const TleSet& set) { sets.push_back(set); });
    return sets;
  };
  const std::string set = "ORBCOMM FM 5\n" + e.Line1() + "\n" + e.Line2() + "\n";
  const std::string crlf = "ORBCOMM FM 5\r\n" + e.Line1() + "\r\n" + e.Line2() + "\r\n";
  const auto plain = read(set + set);
  const auto spaced = read("\n" + crlf + "\r\n\r\n" + crlf + "\nORBCOMM FM 9\n" + e.Line1());
  std::filesystem::remove(path);
  ASSERT_EQ(plain.size(), 2u);
  ASSERT_EQ(spaced.size(), 2u);
  for (const TleSet& s : spaced) {
    EXPECT_EQ(s.name, "ORBCOMM FM 5");
    EXPECT_EQ(s.line1, e.Line1());
    EXPECT_EQ(s.line2, e.Line2());
  }
  EXPECT_EQ(TleLabel(plain[0].name), "FM5");
  EXPECT_EQ(TleLabel("ISS (ZARYA)"), "ISS(ZARYA)");
  EXPECT_FALSE(ForEachTleSet("/nonexistent/x.tle", [](const TleSet&) { FAIL(); }));
}

}  // namespace
}  // namespace vantrel
