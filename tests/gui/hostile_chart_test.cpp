// The Chart screen while its TLE file changes between frames: it vanishes, is cut off mid-set or
// becomes a folder. Every frame is drawn, nothing is reported, and the sets come back once the
// file is good.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <functional>

#include "view/chart_screen.h"
#include "support/fake_host.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(HostileChart, TleAndGlobeFilesThatChangeBetweenFrames) {
  constexpr CTime kEquinoxNoon = 1174478400;  // 2007-03-21 12:00:00 UTC: sun over 0 N 0 E
  char pattern[] = "/tmp/vantrel-hostile-chart.XXXXXX";
  const fs::path dir = mkdtemp(pattern), tle = dir / "sets.tle", globe = dir / "globe.dat";
  FakeHost host;
  HeldClock clock(1167804000);  // 2007-01-03 06:00:00 UTC
  CVantrelDoc doc(clock, "/nonexistent/");
  doc.SetHost(&host);
  doc.homeLatitude = 22.0, doc.homeLongitude = -148.0, doc.tleFile = tle.string(),
  doc.tleEnable = 1;
  ChartScreen chart(kEquinoxNoon);
  Write(globe, std::string(8100, '\0'));  // all sea
  ASSERT_TRUE(chart.LoadGlobe(globe.string(), host));

  // From home 22 N 148 W at this hour the set lies at (215, 266).
  const std::string good =
      "ORBCOMM FM 5\n"
      "1 25117U 97084E   07001.50000000  .00010000  00000-0  00000-0 0  9990\n"
      "2 25117  45.0000  30.0000 0010000  60.0000  10.0000 14.20000000    01\n";
  const auto draw = [&] {
    QImage frame(640, 481, QImage::Format_RGB32);
    frame.fill(qRgb(200, 200, 255));
    QPainter painter(&frame);
    painter.setFont(QGuiApplication::font());
    chart.SeedStars(1);
    chart.Draw(painter, doc, clock);
    painter.end();
    return frame;
  };
  const auto tleOf = [&](const std::string& bytes) {
    return [&, bytes] { fs::remove_all(tle), Write(tle, bytes); };
  };
  // The TLE parser on nonsense is the fuzz target's; here the file changes under the chart.
  for (const auto& [what, change, shown] :
       std::vector<std::tuple<const char*, std::function<void()>, bool>>{
           {"good sets", tleOf(good), true},
           {"file gone", [&] { fs::remove(tle); }, false},
           {"cut inside the second element line", tleOf(good.substr(0, good.size() - 30)), false},
           {"a folder", [&] { fs::remove(tle), fs::create_directory(tle); }, false},
           {"good again", tleOf(good), true}}) {
    change();
    EXPECT_EQ(draw().pixel(215, 266) == qRgb(255, 255, 255), shown) << what;
  }

  EXPECT_TRUE(host.messages.empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel
