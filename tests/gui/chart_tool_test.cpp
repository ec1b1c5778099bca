// vantrel-decode --chart run as a user would: a synthesized recording with
// an ephemeris packet and a TLE file in, a PNG of the chart out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "orbit/orbit_model.h"
#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr CTime kStart = 1174478400;  // 2007-03-21 12:00:00 UTC

// Ephemeris of FM-12 at 45.000173 N 36.869898 E.
const std::vector<test::Packet> kEphemeris = {
    {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0, 0,
     0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78}};

// A geostationary set: it stays over one longitude while the recording runs.
const char* const kGeoSet =
    "ORBCOMM GEO 1\n"
    "1 99999U 07001A   07080.00000000  .00000000  00000-0  00000-0 0  9990\n"
    "2 99999   0.0000   0.0000 0000000   0.0000   0.0000  1.00273791    01\n";

class ChartTool : public ::testing::Test {
 protected:
  ChartTool() {
    char pattern[] = "/tmp/vantrel-chart-test.XXXXXX";
    dir_ = mkdtemp(pattern);
    test::SynthOptions options;
    options.leadInSamples = 2000;
    options.idleBits = 40;
    wav_ = (dir_ / "pass.wav").string();
    EXPECT_TRUE(test::WriteWav(wav_, test::SynthesizePackets(kEphemeris, options)));
  }
  ~ChartTool() override { fs::remove_all(dir_); }

  // Exit status; standard error in err_.
  int Run(const std::string& args) {
    const char* bin = std::getenv("VANTREL_BIN_DIR");
    const std::string command = std::string(bin != nullptr ? bin : ".") +
                                "/vantrel-decode --polarity upright --start-time 2007-03-21T12:00:00Z " +
                                args + " > /dev/null 2> " + (dir_ / "err").string();
    const int raw = std::system(command.c_str());
    std::ifstream in(dir_ / "err");
    err_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  static int CountPixels(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
  }

  fs::path dir_;
  std::string wav_;
  std::string err_;
};

TEST_F(ChartTool, ChartWithDecodedSatelliteAndTleSet) {
  const std::string tle = (dir_ / "geo.tle").string();
  std::ofstream(tle) << kGeoSet;
  // Home on the equator ten degrees west of where the set stands.
  std::istringstream lines(kGeoSet);
  std::string name, line1, line2;
  std::getline(lines, name);
  std::getline(lines, line1);
  std::getline(lines, line2);
  const auto geo = PropagateElements(*ParseTleElements(line1, line2), HeldClock(kStart + 3));
  ASSERT_TRUE(geo);

  const std::string png = (dir_ / "chart.png").string();
  ASSERT_EQ(Run("--chart " + png + " --home 45,30 " + wav_), 0) << err_;
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(481, 481));
  EXPECT_EQ(image.pixel(240, 240), qRgb(255, 0, 0));
  // FM-12, 4.9 degrees east of home, has its yellow marker near (267, 235)
  // and its "FM-12" label ending six pixels to the left of it; the earth
  // itself has no red in it.
  const auto reddish = [](QRgb p) { return qRed(p) > 150 && qBlue(p) < 150; };
  EXPECT_GT(CountPixels(image, QRect(262, 228, 10, 12), reddish), 5);
  EXPECT_GT(CountPixels(image, QRect(215, 225, 40, 20), reddish), 5);
  EXPECT_EQ(CountPixels(image, QRect(300, 100, 100, 100), reddish), 0);

  const double homeLongitude = geo->longitude - 10.0 < -180.0 ? geo->longitude + 350.0 : geo->longitude - 10.0;
  const std::string tleHome = "--home 0," + std::to_string(homeLongitude) + " --tle " + tle;
  ASSERT_EQ(Run("--chart " + png + " " + tleHome + " " + wav_), 0) << err_;
  const QImage withTle(QString::fromStdString(png));
  EXPECT_EQ(withTle.pixel(295, 240), qRgb(255, 255, 255));  // the set's white marker
  const auto grey = [](QRgb p) { return qRed(p) > 120 && qGreen(p) > 120; };
  EXPECT_GT(CountPixels(withTle, QRect(301, 232, 40, 18), grey), 5);  // "GEO1"
}

TEST_F(ChartTool, BadChartArgumentsAreOneLineAndStatusTwo) {
  const std::string png = (dir_ / "x.png").string();
  EXPECT_EQ(Run("--chart " + png + " --home 95,0 " + wav_), 2);
  EXPECT_NE(err_.find("bad --home '95,0'"), std::string::npos) << err_;
  EXPECT_EQ(Run("--home 10,20 " + wav_), 2);
  EXPECT_NE(err_.find("need --chart"), std::string::npos) << err_;
  EXPECT_EQ(Run("--chart " + png + " --tle /nonexistent.tle " + wav_), 2);
  EXPECT_NE(err_.find("cannot read TLE file"), std::string::npos) << err_;
  EXPECT_FALSE(fs::exists(png));
  EXPECT_EQ(Run("--chart /nonexistent/dir/x.png " + wav_), 2);
  EXPECT_NE(err_.find("cannot write chart"), std::string::npos) << err_;
}

}  // namespace
}  // namespace vantrel
