// Time base, two-line element sets from file to chart point, when a TLE
// update is due, and the chart's pixel maths: the cell under a pixel, recent
// positions and the land mask.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "base/satellite_record.h"
#include "orbit/chart_projection.h"
#include "orbit/chart_shading.h"
#include "orbit/globe_mask.h"
#include "orbit/orbit_model.h"
#include "orbit/time_base.h"
#include "orbit/tle_catalog.h"
#include "orbit/tle_reader.h"
#include "orbit/tle_update.h"

namespace vantrel {
namespace {

constexpr CTime k2007Jan1 = 1167609600;     // 2007-01-01 00:00:00 UTC
constexpr CTime k2007Jan3At6 = 1167804000;  // 2007-01-03 06:00:00 UTC

TEST(TimeBase, WorkedExamples) {
  EXPECT_DOUBLE_EQ(JulianDate(2007, 1, 1, 0, 0, 0), 2454101.5);
  // January and February count as months 13 and 14 of the year before.
  EXPECT_DOUBLE_EQ(JulianDate(2008, 2, 29, 18, 0, 0) + 0.25, JulianDate(2008, 3, 1, 0, 0, 0));
  EXPECT_DOUBLE_EQ(JulianDate(2007, 1, 1, 0, 1, 30), 2454101.5 + 90.0 / 86400);
  EXPECT_DOUBLE_EQ(CurrentJulianDate(HeldClock(0, 500)), 2440587.5 + 500 * 1.1574074074074076e-8);
  EXPECT_DOUBLE_EQ(SiderealAngle(1.0), 1.7509401592863545);
  constexpr CTime kEquinox2007 = 1174435200;  // 2007-03-21 00:00:00; TZ=UTC here
  EXPECT_EQ(DaysSinceEquinox(kEquinox2007 - 86399), 0);
  EXPECT_EQ(DaysSinceEquinox(kEquinox2007 + 86400), 1);
  EXPECT_EQ(DaysSinceEquinox(k2007Jan1), -79);
  EXPECT_EQ(UtcOffset(1178964672), 0);
  setenv("TZ", "AEST-10", 1), tzset();  // 20:11 local at 10:11 UTC
  EXPECT_EQ(UtcOffset(1178964672), -36000);
  setenv("TZ", "UTC", 1), tzset();
}

// Element lines with each field at its columns.
struct Elements {
  std::string day = "001.00000000", rate = " .00000000", inclination = "  0.0000",
              node = "  0.0000", eccentricity = "0000000", perigee = "  0.0000",
              anomaly = "  0.0000", motion = "14.00000000";
  std::string Line1() const {
    return "1 25117U 97084E   07" + day + " " + rate + "  00000-0  00000-0 0  9990";
  }
  std::string Line2() const {
    return "2 25117 " + inclination + " " + node + " " + eccentricity + " " + perigee + " " +
           anomaly + " " + motion + "    01";
  }
};

TEST(OrbitModel, WorkedExamples) {
  const Elements first;
  const Elements second{"001.50000000", " .00010000", " 45.0000", " 30.0000",
                        "0010000",      " 60.0000",   " 10.0000", "14.20000000"};
  const struct {
    Elements e;
    CTime at;
    double latitude, longitude, homeLat, homeLon;
    ChartPoint point;
  } cases[] = {
      {first, k2007Jan1, 0.0, -100.32148130674626, 0.0, -100.0, {238, 240}},
      {second, k2007Jan3At6, 17.188821350254177, -152.67306475974345, 22.0, -148.0, {215, 266}}};
  for (const auto& c : cases) {
    const HeldClock clock(c.at);
    const auto p = PropagateElements(*ParseTleElements(c.e.Line1(), c.e.Line2()), clock);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->longitude, c.longitude, 1e-9);
    EXPECT_NEAR(p->latitude, c.latitude, 1e-9);
    EXPECT_EQ(ComputeSatellitePoint(c.e.Line1(), c.e.Line2(), c.homeLat, c.homeLon, clock),
              c.point);
  }
}

// Distinct values in every field, a negative rate among them.
TEST(OrbitModel, EveryFieldAtItsColumns) {
  const Elements e{"123.45678901", "-.00012345", "108.1234", "359.9999",
                   "1234567",      "270.5000",   "123.4567", "14.12345678"};
  const auto p = ParseTleElements(e.Line1(), e.Line2());
  ASSERT_TRUE(p);
  EXPECT_EQ(std::vector({p->epochDay, p->meanMotionRate, p->inclination, p->rightAscension,
                         p->eccentricity, p->argumentOfPerigee, p->meanAnomaly, p->meanMotion}),
            std::vector({123.45678901, -0.00012345, 108.1234, 359.9999, 0.1234567, 270.5, 123.4567,
                         14.12345678}));
  EXPECT_EQ(p->epochYear, 7);
}

TEST(OrbitModel, SetsTheModelCannotPlaceAreSkipped) {
  const HeldClock clock(k2007Jan1);
  std::vector<Elements> bad(5);
  bad[0].motion = " 0.10000000";  // mean motion at the floor
  bad[1].motion = "-3.00000000";
  bad[2].inclination = "  abcdef";
  bad[3].anomaly = "     nan";  // scans, but is no number to draw from
  bad[4].day = "   inf      ";
  for (const Elements& e : bad)
    EXPECT_FALSE(ComputeSatellitePoint(e.Line1(), e.Line2(), 0.0, 0.0, clock)) << e.Line2();
  const Elements good;
  // A field cut short still scans as far as it goes; a missing one does not.
  EXPECT_TRUE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 58), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint(good.Line1(), good.Line2().substr(0, 50), 0.0, 0.0, clock));
  EXPECT_FALSE(ComputeSatellitePoint("", "", 0.0, 0.0, clock));
}

TEST(TleFile, BlankLinesLineEndsCutOffLastSetAndLabels) {
  const Elements e;
  const auto path = std::filesystem::temp_directory_path() / "vantrel_orbit_test.tle";
  const auto read = [&](const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    std::vector<TleSet> sets;
    EXPECT_TRUE(ForEachTleSet(path.string(), [&](const TleSet& set) { sets.push_back(set); }));
    return sets;
  };
  const std::string crlf = "ORBCOMM FM 5\r\n" + e.Line1() + "\r\n" + e.Line2() + "\r\n";
  auto sets = read("\n" + crlf + "\r\n\r\n" + crlf + "\nORBCOMM FM 9\n" + e.Line1());
  // The last line of a file without a line end is read whole, and no further.
  const auto unended = read(crlf.substr(0, crlf.size() - 2));
  sets.insert(sets.end(), unended.begin(), unended.end());
  std::filesystem::remove(path);
  ASSERT_EQ(sets.size(), 3u);
  for (const TleSet& s : sets) {
    EXPECT_EQ(s.name, "ORBCOMM FM 5");
    EXPECT_EQ(s.line1, e.Line1());
    EXPECT_EQ(s.line2, e.Line2());
  }
  EXPECT_EQ(TleLabel("ORBCOMM FM 5"), "FM5");
  EXPECT_EQ(TleLabel("ISS (ZARYA)"), "ISS(ZARYA)");
}

// Files that would hang, exhaust memory or stall the chart are refused whole, with one line.
TEST(TleFile, OnlyBoundedRegularFilesAreRead) {
  const Elements e;
  const std::string set = "ORBCOMM FM 5\n" + e.Line1() + "\n" + e.Line2() + "\n";
  const auto dir = std::filesystem::temp_directory_path() / "vantrel_orbit_test_bounds";
  std::filesystem::create_directories(dir);
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  };
  const std::string fifo = (dir / "fifo").string();
  ::mkfifo(fifo.c_str(), 0600);
  std::string many;
  for (std::size_t i = 0; i <= kMaxTleSets; ++i) many += set;
  const std::string longLine = set + std::string(kMaxTleLineLength + 1, 'x') + "\r\n";
  const struct {
    std::string path, error;
  } rows[] = {
      {fifo, fifo + ": not a regular file"},
      {(dir / "none").string(),
       (dir / "none").string() + ": cannot open: No such file or directory"},
      {write("huge", std::string(kMaxTleFileBytes + 1, '\n')),
       (dir / "huge").string() + ": larger than 8 MiB"},
      {write("megaline", set + std::string(1 << 20, '1')),
       (dir / "megaline").string() + ": line 4 is longer than 512 characters"},
      {write("long", longLine), (dir / "long").string() + ": line 4 is longer than 512 characters"},
      {write("many", many), (dir / "many").string() + ": more than 10000 sets"},
      {write("edge", set + std::string(kMaxTleLineLength, 'x') + "\r\n"), ""},
  };
  for (const auto& row : rows) {
    const TleFileContents contents = ReadTleFile(row.path);
    EXPECT_EQ(contents.error, row.error);
    EXPECT_EQ(contents.sets.size(), row.error.empty() ? 1u : 0u) << row.path;
  }
  many.resize(many.size() - set.size());
  EXPECT_EQ(ReadTleFile(write("most", many)).sets.size(), kMaxTleSets);
  std::filesystem::remove_all(dir);
}

// The catalog reads a file once and again only when it changes, without the caller waiting.
TEST(TleFile, TheCatalogRereadsAChangedFile) {
  const Elements e;
  const auto path = (std::filesystem::temp_directory_path() / "vantrel_catalog_test.tle").string();
  const std::string set = "ORBCOMM FM 5\n" + e.Line1() + "\n" + e.Line2() + "\n";
  std::ofstream(path) << set;
  TleCatalog catalog;
  EXPECT_TRUE(catalog.Sets(path)->sets.empty());  // not read yet
  const auto settled = [&] {  // what a later paint sees once the check started now has ended
    catalog.Wait(), catalog.Sets(path), catalog.Wait();
    return catalog.Sets(path);
  };
  const auto first = settled();
  EXPECT_EQ(first->sets.size(), 1u);
  EXPECT_EQ(settled(), first) << "read again though unchanged";
  std::ofstream(path, std::ios::app) << set;  // a different size
  EXPECT_EQ(settled()->sets.size(), 2u);
  std::filesystem::remove(path);
  EXPECT_TRUE(settled()->error.starts_with(path + ": cannot open"));
  EXPECT_TRUE(catalog.Sets("/elsewhere.tle")->sets.empty());  // another file: not yet read
}

TEST(TleUpdate, WhenDue) {
  constexpr double kNow = 1765000000, kDay = 86400;
  const struct {
    std::optional<double> file;
    int hours;
    std::optional<double> lastAttempt;
    bool due;
  } rows[] = {
      {kNow - kDay, 24, {}, true},          {kNow - kDay + 60, 24, {}, false},
      {std::nullopt, 24, {}, true},         {kNow - 10 * kDay, 0, {}, false},
      {kNow + 2 * kDay, 24, {}, true},      {kNow - kDay, 24, kNow - 3000, false},
      {kNow - kDay, 24, kNow - 3700, true}, {std::nullopt, 6, kNow - 3500, false},
  };
  for (const auto& r : rows)
    EXPECT_EQ(TleUpdateDue(kNow, r.file, r.hours, r.lastAttempt), r.due)
        << (r.file ? *r.file - kNow : 0) << " " << r.hours;
}

TEST(TleUpdate, AddressesAreHttpOrHttpsWithAHost) {
  EXPECT_EQ(SplitTleUrls(" http://a/x\n\thttps://b/y  "),
            (std::vector<std::string>{"http://a/x", "https://b/y"}));
  EXPECT_EQ(CheckTleUrls(std::string(kDefaultTleUrl) + "\nHTTP://127.0.0.1:8080/a.tle"), "");
  EXPECT_EQ(CheckTleUrls(""), "");
  for (const char* bad : {"ftp://host/a.tle", "https://", "http:///a.tle", "celestrak.org",
                          "https://h\xC3\xA9/a.tle"})
    EXPECT_NE(CheckTleUrls(std::string("https://ok/ ") + bad), "") << bad;
}

TEST(ChartCells, ProjectionCellsUnderPixelsAndRecentPositions) {
  EXPECT_EQ(ProjectToChart(-34.5, 139.0, -34.5, 139.0),
            (ChartPoint{240, 240}));  // home itself, not NaN
  EXPECT_FALSE(ProjectToChart(0.0, 0.0, std::nan(""), 10.0));
  EXPECT_FALSE(ComputeChartCell(0, 240, 0.0, 0.0).InsideDisc());  // distance 240: a star
  const auto cell = [](int x, double latitude, double longitude) {
    const ChartCell c = ComputeChartCell(x, 240, latitude, longitude);
    return std::pair<int, int>(c.colatitude, c.longitude);
  };
  EXPECT_EQ(cell(1, 0.0, 0.0), std::pair(89, 317));
  EXPECT_EQ(cell(240, -34.5, 139.0), std::pair(124, 139));  // the default home
  // Full light to 85 degrees from the sun, dimming to 3/4 beyond 94.
  EXPECT_EQ(std::tuple(ShadeForSun(200, 85), ShadeForSun(200, 90), ShadeForSun(200, 94),
                       ShadeForSun(200, 95)),
            std::tuple(200, 175, 155, 150));
  EXPECT_EQ(LongitudeCell(-0.5), 0);
  EXPECT_EQ(LongitudeCell(-1.5), 359);
  // Poles and odd homes stay inside the mask.
  EXPECT_EQ(ComputeChartCell(240, 240, -90.0, 0.0).colatitude, 179);
  // A home at a pole is drawn as one a hair from it, not as rings.
  for (const double pole : {90.0, -90.0}) {
    const double near = std::copysign(89.99, pole);
    for (int x = 1; x < 480; x += 37)
      for (int y = 1; y < 480; y += 37)
        EXPECT_EQ(ComputeChartCell(x, y, pole, 20.0).longitude,
                  ComputeChartCell(x, y, near, 20.0).longitude)
            << x << "," << y;
    EXPECT_EQ(ProjectToChart(pole, 20.0, 0.0, 100.0), ProjectToChart(near, 20.0, 0.0, 100.0));
  }
  for (const double lon : {-180.0, 180.0, 720.5, -1000.0}) {
    for (int x = 1; x < 480; x += 17) {
      const ChartCell c = ComputeChartCell(x, 240, 89.9, lon);
      SCOPED_TRACE(testing::Message() << x << " " << lon);
      EXPECT_TRUE(c.InsideDisc());
      EXPECT_GE(c.longitude, 0);
      EXPECT_LT(c.longitude, 360);
      EXPECT_LT(c.colatitude, 180);
    }
  }
  constexpr CTime now = 1174478400;
  const auto recent = [&](double lat, double lon, CTime time) {
    return SatelliteRecord{137.5, lon, lat, static_cast<std::int32_t>(time), 0}.HasRecentPosition(
        now);
  };
  EXPECT_TRUE(recent(-30.0, 140.0, now - 299));
  EXPECT_FALSE(recent(-30.0, 140.0, now - 300));
  EXPECT_FALSE(recent(0.0, 140.0, now));  // no position: a zero coordinate
  EXPECT_FALSE(recent(-30.0, 0.0, now));
}

TEST(GlobeMaskFile, ShippedMaskKnowsTheContinentsAndAShortFileEndsInSea) {
  const std::string path = std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/data/globe.dat";
  ASSERT_EQ(std::filesystem::file_size(path), GlobeMask::kMaskBytes);
  GlobeMask globe;
  ASSERT_TRUE(globe.Load(path));
  const auto land = [&](double latitude, double longitude) {
    return globe.IsLand(static_cast<int>(90.0 - latitude), LongitudeCell(longitude));
  };
  // France west of Greenwich is land; the Pacific sea.
  EXPECT_TRUE(land(47.5, -1.5));
  EXPECT_FALSE(land(0.5, -160.5));
  // A file cut short after the northern 90 rows: the rest is sea.
  const std::string cut = testing::TempDir() + "vantrel-cut-globe.dat";
  std::ofstream(cut, std::ios::binary) << std::string(GlobeMask::kMaskBytes / 2, '\xFF');
  ASSERT_TRUE(globe.Load(cut));
  EXPECT_TRUE(land(0.5, -160.5));
  EXPECT_FALSE(land(-0.5, -160.5));
  std::filesystem::remove(cut);
  EXPECT_FALSE(globe.Load("/nonexistent/globe.dat"));
  EXPECT_FALSE(land(47.5, -1.5));  // all sea without the file
}

}  // namespace
}  // namespace vantrel
