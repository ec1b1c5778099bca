// Look angles and passes: the geometry against cases with a known answer,
// and the pass search against a dense sampling of the same model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "orbit/element_set.h"
#include "orbit/look_angles.h"
#include "orbit/pass_finder.h"
#include "orbit/pass_table.h"
#include "orbit/sgp4.h"

namespace vantrel {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Orbits of the constellation's kind, Molniya and drifting near-geostationary (up for days).
const char* const kLow[] = {
    "ORBCOMM FM 5", "1 40000U 26001A   26339.24729127  .00000100  00000-0  68798-4 0  9993",
    "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18"};
const char* const kMolniya[] = {
    "MOLNIYA", "1 08195U 75081A   26339.33215444  .00000099  00000-0  11873-3 0   813",
    "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656"};
const char* const kDrifting[] = {
    "SMS 1", "1 09998U 74033F   26339.00000000 -.00000112  00000-0  00000+0 0  4488",
    "2 09998   9.4958 313.1750 0270971 327.5225  30.8097  1.16186785 45878"};
constexpr double kStart = 1796428800.0;  // 2026-12-05T00:00:00Z
const Observer kHome{52.5, -1.25, 0.0};

Sgp4 Model(const char* const set[3]) {
  std::string error;
  const auto elements = ParseElementSet(set[0], set[1], set[2], &error);
  EXPECT_TRUE(elements) << error;
  return Sgp4(*elements);
}

// A state held still above the earth-fixed point (lat, lon) at height km,
// written in TEME for time t.
StateVector Above(double lat, double lon, double height, double t) {
  const double g = GreenwichSidereal(t / 86400.0 + 2440587.5);
  const double r = 6378.137 + height;  // on the equator the ellipsoid is exact
  const double x = r * std::cos(lat) * std::cos(lon);
  const double y = r * std::cos(lat) * std::sin(lon);
  StateVector s;
  s.position = {std::cos(g) * x - std::sin(g) * y, std::sin(g) * x + std::cos(g) * y,
                r * std::sin(lat)};
  return s;
}

TEST(LookAngles, KnownGeometry) {
  const Observer equator{0.0, 30.0, 0.0};
  const double t = kStart + 1234.5;
  // Straight overhead: elevation 90, range the height.
  const LookAngles up = Look(equator, Above(0.0, 30.0 * kPi / 180, 800.0, t), t);
  EXPECT_NEAR(up.elevation, 90.0, 1e-6);
  EXPECT_NEAR(up.range, 800.0, 1e-6);
  // Further east along the equator: azimuth 90; west: 270; a point on the
  // far side is below the horizon.
  EXPECT_NEAR(Look(equator, Above(0.0, 40.0 * kPi / 180, 800.0, t), t).azimuth, 90.0, 1e-6);
  EXPECT_NEAR(Look(equator, Above(0.0, 20.0 * kPi / 180, 800.0, t), t).azimuth, 270.0, 1e-6);
  EXPECT_LT(Look(equator, Above(0.0, -150.0 * kPi / 180, 800.0, t), t).elevation, -80.0);
  EXPECT_DOUBLE_EQ(DopplerShifted(137.5e6, -7.0), 137.5e6 * (1 + 7.0 / 299792.458));
  // The range rate is the range's derivative along a real orbit.
  const Sgp4 model = Model(kLow);
  for (double t = kStart; t < kStart + 6000; t += 997) {
    const LookAngles now = *LookAt(model, kHome, t);
    const double slope =
        LookAt(model, kHome, t + 0.5)->range - LookAt(model, kHome, t - 0.5)->range;
    EXPECT_NEAR(now.rangeRate, slope, 1e-4) << t;
  }
}

// Every pass agrees with the elevation sampled every 2 s: the satellite is
// up between AOS and LOS and below the minimum between passes, the crossings
// lie on the minimum, and no sample is higher than the maximum.
void ExpectPassesMatchSampling(const Sgp4& model, double minElevation, double hours) {
  const double end = kStart + hours * 3600;
  const PassList list = FindPasses(model, kHome, kStart, end, minElevation);
  ASSERT_EQ(list.error, Sgp4Error::kNone);
  ASSERT_FALSE(list.passes.empty());
  auto elevation = [&](double t) { return LookAt(model, kHome, t)->elevation; };
  std::size_t next = 0;
  for (double t = kStart; t < end; t += 2.0) {
    while (next < list.passes.size() && list.passes[next].los < t) ++next;
    const bool inPass = next < list.passes.size() && list.passes[next].aos <= t;
    EXPECT_EQ(elevation(t) >= minElevation, inPass) << t - kStart;
    EXPECT_TRUE(!inPass || elevation(t) <= list.passes[next].maxElevation + 1e-6) << t - kStart;
  }
  for (const Pass& p : list.passes) {
    EXPECT_NEAR(elevation(p.aos), minElevation, 1e-3);
    EXPECT_NEAR(elevation(p.los), minElevation, 1e-3);
    EXPECT_NEAR(LookAt(model, kHome, p.aos)->azimuth, p.aosAzimuth, 1e-9);
    EXPECT_NEAR(elevation(p.maxTime), p.maxElevation, 1e-9);
    EXPECT_LE(elevation(p.maxTime - 1), p.maxElevation);
    EXPECT_LE(elevation(p.maxTime + 1), p.maxElevation);
  }
}

TEST(Passes, LowAndDeepSpaceOrbitsAgreeWithSampling) {
  ExpectPassesMatchSampling(Model(kLow), 0.0, 24);
  ExpectPassesMatchSampling(Model(kLow), 10.0, 24);
  ExpectPassesMatchSampling(Model(kMolniya), 5.0, 30);
}

TEST(Passes, PassUnderWayAtStartKeepsItsRealAos) {
  for (const auto* set : {kLow, kDrifting}) {
    const Sgp4 model = Model(set);
    const Pass pass = FindPasses(model, kHome, kStart, kStart + 2 * 86400, 0.0).passes.back();
    const double middle = pass.aos + 0.9 * (pass.los - pass.aos);
    const PassList late = FindPasses(model, kHome, middle, middle + 3600, 0.0);
    ASSERT_FALSE(late.passes.empty()) << set[0];
    EXPECT_NEAR(late.passes[0].aos, pass.aos, 0.01) << set[0];
    EXPECT_NEAR(late.passes[0].los, pass.los, 0.01) << set[0];
    // A pass that rises before the end is followed to its set.
    EXPECT_NEAR(FindPasses(model, kHome, kStart, middle, 0.0).passes.back().los, pass.los, 0.01);
  }
}

TEST(Passes, TableOfAFile) {
  const auto path = std::filesystem::temp_directory_path() / "vantrel_passes_table.tle";
  // The last set has eccentricity 0.995 and is at perigee at epoch: under the surface.
  std::ofstream(path)
      << kLow[0] << '\n'
      << kLow[1] << '\n'
      << kLow[2] << '\n'
      << kMolniya[0] << '\n'
      << kMolniya[1] << '\n'
      << kMolniya[2] << "\nBROKEN\n"
      << kLow[1] << "\n2 40000  44.8821 216.2726 ABCDEFG\nDECAYED\n"
      << kLow[1] << "\n2 40000  44.8821 216.2726 9950000 279.4783   0.0000  4.00000000    18\n";
  const PassTable table = ComputePassTable(path.string(), kHome, kStart, kStart + 86400, 0.0);
  std::filesystem::remove(path);
  EXPECT_TRUE(table.fileRead);
  EXPECT_EQ(table.setCount, 2);
  ASSERT_EQ(table.problems.size(), 2u);
  EXPECT_EQ(table.problems[0].rfind("BROKEN: ", 0), 0u) << table.problems[0];
  EXPECT_EQ(table.problems[1].rfind("DECAYED: ", 0), 0u) << table.problems[1];
  ASSERT_GT(table.passes.size(), 4u);
  for (std::size_t i = 1; i < table.passes.size(); ++i)
    EXPECT_LE(table.passes[i - 1].pass.aos, table.passes[i].pass.aos);
  EXPECT_EQ(table.passes[0].fm == 5, table.passes[0].satellite == "ORBCOMM FM 5");
  EXPECT_FALSE(ComputePassTable("/nonexistent.tle", kHome, kStart, kStart + 60, 0).fileRead);
}

TEST(Passes, FmNumbersOfSetNames) {
  const std::pair<const char*, int> rows[] = {
      {"ORBCOMM FM 5", 5},    {"ORBCOMM FM36", 36},   {"fm-07", 7},
      {"ORBCOMM FM109", 109}, {"ORBCOMM FM 1234", 0}, {"ORBCOMM FM256", 0},
      {"ORBCOMM FM0", 0},     {"ISS (ZARYA)", 0},     {"ORBCOMM FM12 [+]", 12}};
  for (const auto& [name, fm] : rows) EXPECT_EQ(FmNumberOfSetName(name), fm) << name;
}

TEST(ElementSet, RefusesBrokenLines) {
  std::string error;
  const std::string l1 = kLow[1];
  const std::string l2 = kLow[2];
  const std::pair<std::string, std::string> refused[] = {
      {l2, l1},
      {l1.substr(0, 40), l2},
      {l1, l2.substr(0, 50)},
      {l1, std::string(l2).replace(26, 7, "-000756")},
      {l1, std::string(l2).replace(8, 8, "190.0000")},
      {l1, std::string(l2).replace(52, 11, " 0.00000000")},
      {std::string(l1).replace(53, 8, " 6x798-4"), l2},
      {std::string(l1).replace(20, 12, "000.50000000"), l2}};  // no day 0 of a year
  for (const auto& [a, b] : refused) {
    error.clear();
    EXPECT_FALSE(ParseElementSet("X", a, b, &error)) << b;
    EXPECT_NE(error, "") << b;
  }
  const auto ok = ParseElementSet("  ORBCOMM FM 5 \r", l1, l2, &error);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->name, "ORBCOMM FM 5");
  EXPECT_DOUBLE_EQ(ok->bstar, 0.68798e-4);
  EXPECT_NEAR(ok->epoch, kStart + 0.24729127 * 86400, 1e-4);  // day 339 of 2026
  const auto huge = ParseElementSet("X", std::string(l1).replace(2, 5, "8e95 "), l2, &error);
  ASSERT_TRUE(huge);
  EXPECT_EQ(huge->catalogNumber, 0);  // no number rather than an overflow
}

}  // namespace
}  // namespace vantrel
