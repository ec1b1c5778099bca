// Two-line element sets from file to chart point: the column layout, the
// propagation's worked examples, sets the model cannot place, the file
// reader and the projection's geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "orbit/chart_projection.h"
#include "orbit/orbit_model.h"
#include "orbit/tle_reader.h"

namespace vantrel {
namespace {

constexpr CTime k2007Jan1 = 1167609600;   // 2007-01-01 00:00:00 UTC, JD 2454101.5
constexpr CTime k2007Jan3At6 = 1167804000;  // 2007-01-03 06:00:00 UTC, JD 2454103.75

// Writes text at 1-based column col of a 69-column element line.
void Put(std::string& line, std::size_t col, const std::string& text) {
  if (line.size() < col - 1 + text.size()) line.resize(col - 1 + text.size(), ' ');
  line.replace(col - 1, text.size(), text);
}

struct Elements {
  std::string year = "07", day = "001.00000000", rate = " .00000000";
  std::string inclination = "  0.0000", node = "  0.0000", eccentricity = "0000000";
  std::string perigee = "  0.0000", anomaly = "  0.0000", motion = "14.00000000";

  std::string Line1() const {
    std::string line(69, ' ');
    Put(line, 1, "1 25117U 97084E");
    Put(line, 19, year);
    Put(line, 21, day);
    Put(line, 34, rate);
    Put(line, 45, "00000-0  00000-0 0  9990");
    return line;
  }
  std::string Line2() const {
    std::string line(69, ' ');
    Put(line, 1, "2 25117");
    Put(line, 9, inclination);
    Put(line, 18, node);
    Put(line, 27, eccentricity);
    Put(line, 35, perigee);
    Put(line, 44, anomaly);
    Put(line, 53, motion);
    Put(line, 64, "    01");
    return line;
  }
};

Elements SecondExample() {
  Elements e;
  e.day = "001.50000000";
  e.rate = " .00010000";
  e.inclination = " 45.0000";
  e.node = " 30.0000";
  e.eccentricity = "0010000";
  e.perigee = " 60.0000";
  e.anomaly = " 10.0000";
  e.motion = "14.20000000";
  return e;
}

TEST(OrbitModel, FirstWorkedExampleFromTheColumns) {
  const Elements e;
  const auto parsed = ParseTleElements(e.Line1(), e.Line2());
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->epochYear, 7);
  EXPECT_EQ(parsed->meanMotion, 14.0);

  const HeldClock clock(k2007Jan1);
  const auto position = PropagateElements(*parsed, clock);
  ASSERT_TRUE(position);
  EXPECT_NEAR(position->longitude, -100.32148130674626, 1e-9);
  EXPECT_NEAR(position->latitude, 0.0, 1e-9);
  EXPECT_EQ(ComputeSatellitePoint(e.Line1(), e.Line2(), 0.0, -100.0, clock), (ChartPoint{238, 240}));
}

TEST(OrbitModel, SecondWorkedExampleWithDragAndDrift) {
  const Elements e = SecondExample();
  const auto parsed = ParseTleElements(e.Line1(), e.Line2());
  ASSERT_TRUE(parsed);
  EXPECT_DOUBLE_EQ(parsed->eccentricity, 0.001);
  EXPECT_DOUBLE_EQ(parsed->meanMotionRate, 0.0001);

  const HeldClock clock(k2007Jan3At6);
  const auto position = PropagateElements(*parsed, clock);
  ASSERT_TRUE(position);
  EXPECT_NEAR(position->longitude, -152.67306475974345, 1e-9);
  EXPECT_NEAR(position->latitude, 17.188821350254177, 1e-9);
  EXPECT_EQ(ComputeSatellitePoint(e.Line1(), e.Line2(), 22.0, -148.0, clock), (ChartPoint{215, 266}));
}

TEST(OrbitModel, FieldsScanAsTheyStand) {
  Elements e;
  e.year = "99";
  e.rate = " .00000140";
  e.eccentricity = " 123456";  // "0. 123456" stops at the blank: circular
  const auto parsed = ParseTleElements(e.Line1(), e.Line2());
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->epochYear, 99);
  EXPECT_DOUBLE_EQ(parsed->meanMotionRate, 1.4e-6);
  EXPECT_EQ(parsed->eccentricity, 0.0);
}

TEST(OrbitModel, DecimalCommaLocaleReadsTheSameNumbers) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  const Elements e = SecondExample();
  const auto parsed = ParseTleElements(e.Line1(), e.Line2());
  std::setlocale(LC_NUMERIC, previous.c_str());
  ASSERT_TRUE(parsed);
  EXPECT_DOUBLE_EQ(parsed->meanMotion, 14.2);
  EXPECT_DOUBLE_EQ(parsed->epochDay, 1.5);
}

TEST(OrbitModel, EpochInTheFuturePropagatesBackwards) {
  // Nine days before the epoch a 14 rev/day orbit is back at the same mean
  // anomaly and the sidereal angle is that of the first example; only the
  // node and perigee have drifted, by +9 K and -18 K degrees.
  Elements e;
  e.day = "010.00000000";
  const auto position = PropagateElements(*ParseTleElements(e.Line1(), e.Line2()), HeldClock(k2007Jan1));
  ASSERT_TRUE(position);
  const double a = std::pow(7.5369793e13 / (14.0 * 14.0), 0.3333333333333333);
  const double k = 9.95 * std::pow(6378.16 / a, 3.5);
  EXPECT_NEAR(position->longitude, -100.32148130674626 - 9.0 * k, 1e-6);
  EXPECT_NEAR(position->latitude, 0.0, 1e-9);
}

TEST(OrbitModel, SetsTheModelCannotPlaceAreSkipped) {
  const HeldClock clock(k2007Jan1);
  std::vector<Elements> bad(6);
  bad[0].motion = " 0.10000000";  // mean motion at the floor
  bad[1].motion = "-3.00000000";
  bad[2].inclination = "  abcdef";
  bad[3].anomaly = "     nan";    // scans, but is no number to draw from
  bad[4].day = "   inf      ";
  bad[5].rate = "-1.0000000";     // shrinks the mean motion below zero by now
  bad[5].day = "300.00000000";
  bad[5].year = "06";
  for (const Elements& e : bad) {
    EXPECT_FALSE(ComputeSatellitePoint(e.Line1(), e.Line2(), 0.0, 0.0, clock)) << e.Line1() << "\n"
                                                                              << e.Line2();
  }
  const Elements good;
  // A field cut short still scans; a field missing altogether does not.
  EXPECT_TRUE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 58), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 50), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint(good.Line1().substr(0, 30), good.Line2(), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint("", "", 0.0, 0.0, clock));
}

TEST(OrbitModel, NearlyParabolicOrbitEndsOrIsSkippedWithoutHanging) {
  Elements e;
  e.eccentricity = "9999999";
  e.motion = "14.00000000";
  for (int anomaly = 0; anomaly < 360; anomaly += 7) {
    char field[16];
    std::snprintf(field, sizeof field, "%8.4f", anomaly + 0.0001);
    e.anomaly = field;
    const auto point = ComputeSatellitePoint(e.Line1(), e.Line2(), 0.0, 0.0, HeldClock(k2007Jan1));
    if (point) {
      EXPECT_LT(std::abs(point->x), 2000);
      EXPECT_LT(std::abs(point->y), 2000);
    }
  }
}

TEST(ChartProjection, BearingsAndDistance) {
  // Due north and due south of home lie on the centre column.
  EXPECT_EQ(ProjectToChart(0.0, 0.0, 10.0, 0.0), (ChartPoint{240, 184}));
  EXPECT_EQ(ProjectToChart(0.0, 0.0, -10.0, 0.0), (ChartPoint{240, 295}));
  EXPECT_EQ(ProjectToChart(0.0, 0.0, 0.0, 10.0)->x, 295);   // east to the right
  EXPECT_EQ(ProjectToChart(0.0, 0.0, 0.0, -10.0)->x, 184);  // west to the left
  // Ninety degrees of arc is 500 pixels out, far off the 240-pixel disc.
  const ChartPoint far = *ProjectToChart(0.0, 0.0, 0.0, 90.0);
  EXPECT_NEAR(std::hypot(far.x - 240, far.y - 240), 500.0, 1.0);
  // A point exactly at home sits on the centre instead of a NaN.
  EXPECT_EQ(ProjectToChart(-34.5, 139.0, -34.5, 139.0), (ChartPoint{240, 240}));
  EXPECT_FALSE(ProjectToChart(0.0, 0.0, std::nan(""), 10.0));
  EXPECT_FALSE(ProjectToChart(0.0, 0.0, 10.0, INFINITY));
}

class TleFile : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    path_ = std::filesystem::temp_directory_path() /
            ("vantrel_tle_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".tle");
    std::ofstream(path_, std::ios::binary) << text;
    return path_.string();
  }
  static std::vector<TleSet> Read(const std::string& path) {
    std::vector<TleSet> sets;
    ForEachTleSet(path, [&](const TleSet& set) { sets.push_back(set); });
    return sets;
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::filesystem::path path_;
};

TEST_F(TleFile, BlankLinesLineEndsAndACutOffLastSet) {
  const Elements e;
  const std::string set = "ORBCOMM FM 5\n" + e.Line1() + "\n" + e.Line2() + "\n";
  const auto plain = Read(Write(set + set));
  ASSERT_EQ(plain.size(), 2u);
  EXPECT_EQ(plain[0].name, "ORBCOMM FM 5");
  EXPECT_EQ(plain[1].line2, e.Line2());

  // Blank lines between sets, CR LF line ends and a set cut short at the end
  // of the file change nothing.
  const std::string crlf = "ORBCOMM FM 5\r\n" + e.Line1() + "\r\n" + e.Line2() + "\r\n";
  const auto spaced = Read(Write("\n" + crlf + "\r\n\r\n" + crlf + "\nORBCOMM FM 9\n" + e.Line1()));
  ASSERT_EQ(spaced.size(), 2u);
  EXPECT_EQ(spaced[0].name, plain[0].name);
  EXPECT_EQ(spaced[1].line1, plain[1].line1);
  EXPECT_EQ(spaced[1].line2, plain[1].line2);

  // A line of blanks is a name line, not a gap.
  const auto blankName = Read(Write("   \n" + e.Line1() + "\n" + e.Line2() + "\n"));
  ASSERT_EQ(blankName.size(), 1u);
  EXPECT_EQ(blankName[0].name, "   ");
}

TEST_F(TleFile, MissingFileOrEmptyPathGivesNoSets) {
  EXPECT_FALSE(ForEachTleSet("", [](const TleSet&) { FAIL(); }));
  EXPECT_FALSE(ForEachTleSet("/nonexistent/x.tle", [](const TleSet&) { FAIL(); }));
}

TEST(TleLabelText, OrbcommAndBlanksRemoved) {
  EXPECT_EQ(TleLabel("ORBCOMM FM 5"), "FM5");
  EXPECT_EQ(TleLabel("ORBCOMM FM107 [+]"), "FM107[+]");
  EXPECT_EQ(TleLabel("ISS (ZARYA)"), "ISS(ZARYA)");
  EXPECT_EQ(TleLabel("ORBCOMM"), "");
}

}  // namespace
}  // namespace vantrel
