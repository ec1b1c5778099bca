// vantrel-decode --chart run as a user would: a synthesized recording with
// an ephemeris packet in, a PNG of the chart out.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

int CountPixels(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
  return n;
}

// Run as from cron: no runtime folder. A success says nothing.
TEST(ChartTool, ChartWithDecodedSatellite) {
  QTemporaryDir dir;
  const auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };
  const auto ephemeris = synth::EphemerisPacket(12, 45.0, 36.87, 800.0, 1400, 0);
  ASSERT_TRUE(synth::WriteWav(
      path("pass.wav"),
      synth::SynthesizePackets({ephemeris}, {.leadInSamples = 2000, .idleBits = 40})));
  const int status = std::system(
      ("env -u XDG_RUNTIME_DIR " + std::string(std::getenv("VANTREL_BIN_DIR")) +
       "/vantrel-decode --polarity upright --start-time 2007-03-21T12:00:00Z --chart " +
       path("chart.png") + " --home 45,30 " + path("pass.wav") + " > /dev/null 2> " + path("err"))
          .c_str());
  std::string err;
  std::getline(std::ifstream(path("err")), err);
  ASSERT_EQ(status, 0) << err;
  EXPECT_EQ(err, "");
  const QImage image(QString::fromStdString(path("chart.png")));
  EXPECT_EQ(image.size(), QSize(481, 481));
  EXPECT_EQ(image.pixel(240, 240), qRgb(255, 0, 0));
  // FM-12, 4.9 degrees east of home: a red-rimmed marker near (267, 235); no red on the earth.
  const auto reddish = [](QRgb p) { return qRed(p) > 150 && qBlue(p) < 150; };
  EXPECT_GT(CountPixels(image, QRect(262, 228, 10, 12), reddish), 5);
  EXPECT_EQ(CountPixels(image, QRect(300, 100, 100, 100), reddish), 0);
}

}  // namespace
}  // namespace vantrel
