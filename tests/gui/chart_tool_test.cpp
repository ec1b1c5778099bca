// vantrel-decode --chart run as a user would: a synthesized recording with
// an ephemeris packet and a TLE file in, a PNG of the chart out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

#include "orbit/orbit_model.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

// A geostationary set: it stays over one longitude while the recording runs.
const std::string kGeoLine1 = "1 99999U 07001A   07080.00000000  .00000000  00000-0  00000-0 0  9990";
const std::string kGeoLine2 = "2 99999   0.0000   0.0000 0000000   0.0000   0.0000  1.00273791    01";

int CountPixels(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
  return n;
}

class ChartTool : public ::testing::Test {
 protected:
  ChartTool() {
    // Ephemeris of FM-12 at 45.000173 N 36.869898 E.
    const synth::Packet ephemeris = {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0,    0,
                                    0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78};
    EXPECT_TRUE(synth::WriteWav(Path("pass.wav"),
                               synth::SynthesizePackets({ephemeris}, {.leadInSamples = 2000, .idleBits = 40})));
  }
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

  // Exit status; standard error in err_. Run as from cron: no runtime folder.
  int Run(const std::string& args) {
    const std::string command = "env -u XDG_RUNTIME_DIR " + std::string(std::getenv("VANTREL_BIN_DIR")) +
                                "/vantrel-decode --polarity upright --start-time 2007-03-21T12:00:00Z " + args + " " +
                                Path("pass.wav") + " > /dev/null 2> " + Path("err");
    const int raw = std::system(command.c_str());
    std::getline(std::ifstream(Path("err")), err_);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  QTemporaryDir dir_;
  std::string err_;
};

TEST_F(ChartTool, ChartWithDecodedSatelliteAndTleSet) {
  ASSERT_EQ(Run("--chart " + Path("chart.png") + " --home 45,30"), 0) << err_;
  EXPECT_EQ(err_, "");  // a success says nothing
  const QImage image(QString::fromStdString(Path("chart.png")));
  EXPECT_EQ(image.size(), QSize(481, 481));
  EXPECT_EQ(image.pixel(240, 240), qRgb(255, 0, 0));
  // FM-12, 4.9 degrees east of home: yellow marker with a red rim near
  // (267, 235), its "FM-12" label ending to the left; the earth has no red.
  const auto reddish = [](QRgb p) { return qRed(p) > 150 && qBlue(p) < 150; };
  EXPECT_GT(CountPixels(image, QRect(262, 228, 10, 12), reddish), 5);
  EXPECT_GT(CountPixels(image, QRect(215, 225, 40, 20), reddish), 5);
  EXPECT_EQ(CountPixels(image, QRect(300, 100, 100, 100), reddish), 0);

  // Home on the equator ten degrees west of the set: its marker at (295, 240).
  std::ofstream(Path("geo.tle")) << "ORBCOMM GEO 1\n" << kGeoLine1 << "\n" << kGeoLine2 << "\n";
  const auto geo = PropagateElements(*ParseTleElements(kGeoLine1, kGeoLine2), HeldClock(1174478400 + 3));
  ASSERT_TRUE(geo);
  const double home = geo->longitude - 10.0 < -180.0 ? geo->longitude + 350.0 : geo->longitude - 10.0;
  ASSERT_EQ(Run("--chart " + Path("chart.png") + " --home 0," + std::to_string(home) + " --tle " + Path("geo.tle")), 0)
      << err_;
  const QImage withTle(QString::fromStdString(Path("chart.png")));
  EXPECT_EQ(withTle.pixel(295, 240), qRgb(255, 255, 255));
  const auto grey = [](QRgb p) { return qRed(p) > 120 && qGreen(p) > 120; };
  EXPECT_GT(CountPixels(withTle, QRect(301, 232, 40, 18), grey), 5);  // "GEO1"
}

}  // namespace
}  // namespace vantrel
