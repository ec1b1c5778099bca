// The Chart screen while its files misbehave: a TLE file that vanishes, turns
// into garbage, is cut off mid-set or becomes a folder between two frames,
// and a globe.dat cut short. The chart keeps drawing every frame, reports
// nothing, and shows the sets again once the file is good.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "view/chart_screen.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr CTime kEquinoxNoon = 1174478400;  // 2007-03-21 12:00:00 UTC: sun over 0 N 0 E
constexpr CTime k2007Jan3At6 = 1167804000;  // 2007-01-03 06:00:00 UTC
const QRgb kBackground = qRgb(200, 200, 255);

// A set that lies at (215, 266) on the chart from home 22 N 148 W at k2007Jan3At6.
const std::string kLine1 = "1 25117U 97084E   07001.50000000  .00010000  00000-0  00000-0 0  9990";
const std::string kLine2 = "2 25117  45.0000  30.0000 0010000  60.0000  10.0000 14.20000000    01";
const std::string kGoodFile = "ORBCOMM FM 5\n" + kLine1 + "\n" + kLine2 + "\n";

class CountingHost final : public DocumentHost {
 public:
  void UpdateAllViews() override {}
  void SetMainWindowTitle(const std::string&) override {}
  std::uint32_t SetViewTimer(int, int) override { return 1; }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string&) override { ++messages; }
  void ClearTrackHistory() override {}
  int messages = 0;
};

class HostileChart : public ::testing::Test {
 protected:
  HostileChart() {
    char pattern[] = "/tmp/vantrel-hostile-chart.XXXXXX";
    dir_ = mkdtemp(pattern);
    doc_.SetHost(&host_);
    chart_.SeedStars(1);
  }
  ~HostileChart() override { fs::remove_all(dir_); }

  QImage Draw() {
    QImage frame(640, 481, QImage::Format_RGB32);
    frame.fill(kBackground);
    QPainter painter(&frame);
    painter.setFont(QGuiApplication::font());
    chart_.SeedStars(1);
    chart_.Draw(painter, doc_, clock_);
    return frame;
  }
  void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  bool MarkerShown(const QImage& frame) {
    return frame.pixel(215, 266) == qRgb(255, 255, 255) && frame.pixel(213, 266) == qRgb(0, 0, 0);
  }

  fs::path dir_;
  CountingHost host_;
  HeldClock clock_{k2007Jan3At6};
  CVantrelDoc doc_{clock_, "/nonexistent/"};
  ChartScreen chart_{kEquinoxNoon};
};

TEST_F(HostileChart, TleFileThatVanishesOrChangesBetweenFrames) {
  Write(dir_ / "sea.dat", std::string(8100, '\0'));
  ASSERT_TRUE(chart_.LoadGlobe((dir_ / "sea.dat").string(), host_));
  const fs::path tle = dir_ / "sets.tle";
  doc_.homeLatitude = 22.0;
  doc_.homeLongitude = -148.0;
  doc_.tleFile = tle.string();
  doc_.tleEnable = 1;

  Write(tle, kGoodFile);
  const QImage good = Draw();
  ASSERT_TRUE(MarkerShown(good));

  fs::remove(tle);
  const QImage gone = Draw();
  EXPECT_FALSE(MarkerShown(gone));

  std::mt19937 rng(9);
  std::string garbage(5000, '\0');
  for (auto& c : garbage) c = static_cast<char>(rng());
  Write(tle, garbage);
  EXPECT_FALSE(MarkerShown(Draw()));

  // Cut off inside the second element line, as while it is being rewritten.
  Write(tle, kGoodFile.substr(0, kGoodFile.size() - 30));
  EXPECT_FALSE(MarkerShown(Draw()));

  // Replaced by a folder, then by sets whose numbers are all nonsense.
  fs::remove(tle);
  fs::create_directory(tle);
  EXPECT_FALSE(MarkerShown(Draw()));
  fs::remove(tle);
  Write(tle, "X\n1 " + std::string(80, '9') + "\n2 " + std::string(80, '-') + "\nY\n\n\n");
  EXPECT_FALSE(MarkerShown(Draw()));

  Write(tle, kGoodFile);
  EXPECT_TRUE(MarkerShown(Draw()));
  EXPECT_EQ(host_.messages, 0);  // a TLE file never brings up a message
}

TEST_F(HostileChart, TruncatedGlobeHasSeaBeyondItsLastByte) {
  // The northern hemisphere's 90 rows of land and nothing after them.
  const fs::path globe = dir_ / "globe.dat";
  Write(globe, std::string(4050, '\xFF'));
  ASSERT_TRUE(chart_.LoadGlobe(globe.string(), host_));
  EXPECT_EQ(host_.messages, 0);
  doc_.homeLatitude = 0.0;
  doc_.homeLongitude = 0.0;
  clock_.Set(kEquinoxNoon);
  const QImage frame = Draw();
  // 10 degrees north of home is land (green), 10 degrees south is sea (blue).
  const QRgb north = frame.pixel(240, 184), south = frame.pixel(240, 296);
  EXPECT_EQ(north, qRgb(0, qGreen(north), 0));
  EXPECT_GT(qGreen(north), 100);
  EXPECT_EQ(south, qRgb(0, 0, qBlue(south)));
  EXPECT_GT(qBlue(south), 100);

  // Cut to nothing at all: every cell is sea and the chart still draws.
  Write(globe, "");
  ASSERT_TRUE(chart_.LoadGlobe(globe.string(), host_));
  const QImage empty = Draw();
  EXPECT_EQ(empty.pixel(240, 184), qRgb(0, 0, qBlue(empty.pixel(240, 184))));
}

}  // namespace
}  // namespace vantrel
