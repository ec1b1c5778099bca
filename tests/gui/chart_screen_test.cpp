// The Chart screen drawn headless into an image: the designed colours of
// land, sea, night, stars, markers and labels, the land mask's absence,
// the projection cache and the track history.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "view/chart_screen.h"

namespace vantrel {
namespace {

constexpr CTime kEquinoxNoon = 1174478400;      // 2007-03-21 12:00:00 UTC: sun over 0 N 0 E
constexpr CTime k2007Jan3At6 = 1167804000;      // 2007-01-03 06:00:00 UTC
const QRgb kBackground = qRgb(200, 200, 255);

class RecordingHost : public DocumentHost {
 public:
  void UpdateAllViews() override {}
  void SetMainWindowTitle(const std::string&) override {}
  std::uint32_t SetViewTimer(int, int) override { return 1; }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override {}
  std::vector<std::string> messages;
};

std::string SourceData(const char* name) {
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/data/" + name;
}

// Counts pixels of the rectangle for which the test holds.
template <typename Test>
int CountPixels(const QImage& image, const QRect& area, Test test) {
  int n = 0;
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
  return n;
}

class ChartScreenTest : public ::testing::Test {
 protected:
  ChartScreenTest() {
    doc_.homeLatitude = 0.0;
    doc_.homeLongitude = 0.0;
    chart_.SeedStars(1);
  }

  QImage Draw() {
    QImage frame(640, 481, QImage::Format_RGB32);
    frame.fill(kBackground);
    QPainter painter(&frame);
    painter.setFont(QGuiApplication::font());
    chart_.Draw(painter, doc_, clock_);
    return frame;
  }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("vantrel_chart_" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    written_.push_back(path);
    return path.string();
  }
  void TearDown() override {
    for (const auto& p : written_) std::filesystem::remove(p);
  }

  HeldClock clock_{kEquinoxNoon};
  CVantrelDoc doc_{clock_, "/nonexistent/"};
  ChartScreen chart_{kEquinoxNoon};
  std::vector<std::filesystem::path> written_;
};

TEST_F(ChartScreenTest, DayNightRimAndStarsOverAnAllLandGlobe) {
  ASSERT_TRUE(chart_.LoadGlobe(WriteFile("land.dat", std::string(8100, '\xFF'))));
  const QImage image = Draw();
  EXPECT_EQ(image.pixel(240, 240), qRgb(255, 0, 0));        // home marker's centre
  EXPECT_EQ(image.pixel(250, 240), qRgb(0, 254, 0));        // sun overhead, 10 px out
  EXPECT_EQ(image.pixel(1, 240), qRgb(0, 87, 0));           // rim, 239 px out, still day
  for (const QPoint star : {QPoint(0, 240), QPoint(0, 0), QPoint(480, 480), QPoint(480, 240)}) {
    const QRgb p = image.pixel(star);
    EXPECT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255)) << star.x() << "," << star.y();
  }
  // Outside the chart square the frame keeps its background.
  EXPECT_EQ(image.pixel(600, 100), kBackground);

  clock_.Set(kEquinoxNoon + 12 * 3600);
  const QImage night = Draw();
  EXPECT_EQ(night.pixel(250, 240), qRgb(0, 190, 0));  // three quarters of 254
}

TEST_F(ChartScreenTest, MissingGlobeIsReportedOnceAndTheEarthIsSea) {
  RecordingHost host;
  EXPECT_FALSE(chart_.LoadGlobe("/nonexistent/globe.dat", host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "The file globe.dat could not be opened");
  const QImage image = Draw();
  EXPECT_EQ(image.pixel(250, 240), qRgb(0, 0, 254));
  EXPECT_EQ(CountPixels(image, QRect(100, 100, 281, 120), [](QRgb p) { return qGreen(p) != 0; }), 0);
}

TEST_F(ChartScreenTest, DecodedSatellitesOfTheLastFiveMinutesWithTheirLabels) {
  ASSERT_TRUE(chart_.LoadGlobe(WriteFile("sea.dat", std::string(8100, '\0'))));
  Draw();  // the paint that fills the projection cache shades from exact distances
  chart_.SeedStars(1);
  const QImage empty = Draw();

  // FM-07 heard 299 seconds ago 10 degrees east of home: drawn at (295, 240).
  SatelliteRecord& fm7 = doc_.satellites[7];
  fm7.latitude = -0.01;
  fm7.longitude = 10.0;
  fm7.positionTime = static_cast<std::int32_t>(kEquinoxNoon - 299);
  // FM-09 heard 301 seconds ago 10 degrees west: not drawn.
  SatelliteRecord& fm9 = doc_.satellites[9];
  fm9.latitude = -0.01;
  fm9.longitude = -10.0;
  fm9.positionTime = static_cast<std::int32_t>(kEquinoxNoon - 301);
  chart_.SeedStars(1);
  const QImage image = Draw();

  EXPECT_EQ(image.pixel(295, 240), qRgb(255, 255, 0));  // yellow marker
  EXPECT_EQ(image.pixel(293, 240), qRgb(255, 0, 0));    // its red rim
  // The label ends six pixels left of the marker, in pale yellow.
  const QRect label(230, 232, 59, 18);
  const int yellowish = CountPixels(image, label, [](QRgb p) { return qRed(p) > 150 && qGreen(p) > 150; });
  EXPECT_GT(yellowish, 5);
  EXPECT_EQ(CountPixels(image, QRect(289, 225, 3, 10), [](QRgb p) { return qRed(p) > 150 && qBlue(p) > 90; }), 0);
  // Nothing of FM-09 west of home.
  EXPECT_EQ(image.copy(130, 225, 60, 30), empty.copy(130, 225, 60, 30));
  EXPECT_EQ(chart_.trackHistory()[295 + 480 * 240], 1);
  EXPECT_EQ(chart_.trackHistory()[185 + 480 * 240], 0);
}

TEST_F(ChartScreenTest, TrackHistoryShowsWhileTheFlagIsOn) {
  ASSERT_TRUE(chart_.LoadGlobe(WriteFile("sea2.dat", std::string(8100, '\0'))));
  chart_.trackHistory()[300 + 480 * 100] = 1;
  doc_.trackHistory = 0;
  EXPECT_EQ(qRed(Draw().pixel(300, 100)), 0);
  doc_.trackHistory = 1;
  EXPECT_EQ(Draw().pixel(300, 100), qRgb(255, 0, 0));
  chart_.ClearTrackHistory();
  EXPECT_EQ(qRed(Draw().pixel(300, 100)), 0);
}

TEST_F(ChartScreenTest, ProjectionFollowsHome) {
  ASSERT_TRUE(chart_.LoadGlobe(SourceData("globe.dat")));
  const QImage atZero = Draw();
  EXPECT_EQ(doc_.projectionDirty, 0);
  // Home moved without the document's request: the picture still follows.
  doc_.homeLatitude = -25.0;
  doc_.homeLongitude = 134.0;
  const QImage australia = Draw();
  // Central Australia is land (at night at this hour), 0 N 0 E is sea.
  EXPECT_EQ(qRgb(0, qGreen(australia.pixel(250, 250)), 0), australia.pixel(250, 250));
  EXPECT_GT(qGreen(australia.pixel(250, 250)), 150);
  EXPECT_EQ(qRgb(0, 0, qBlue(atZero.pixel(250, 250))), atZero.pixel(250, 250));
}

TEST_F(ChartScreenTest, TleSetsInsideTheDiscWithTheirNames) {
  ASSERT_TRUE(chart_.LoadGlobe(WriteFile("sea3.dat", std::string(8100, '\0'))));
  // The propagation's second worked example: at (215, 266) from home 22 N 148 W.
  const std::string line1 = "1 25117U 97084E   07001.50000000  .00010000  00000-0  00000-0 0  9990";
  const std::string line2 = "2 25117  45.0000  30.0000 0010000  60.0000  10.0000 14.20000000    01";
  doc_.tleFile = WriteFile("sets.tle", "ORBCOMM FM 5\n" + line1 + "\n" + line2 + "\n");
  doc_.tleEnable = 1;
  doc_.homeLatitude = 22.0;
  doc_.homeLongitude = -148.0;
  clock_.Set(k2007Jan3At6);
  const QImage with = Draw();

  EXPECT_EQ(with.pixel(215, 266), qRgb(255, 255, 255));   // white marker, black rim
  EXPECT_EQ(with.pixel(213, 266), qRgb(0, 0, 0));
  const auto grey = [](QRgb p) { return qRed(p) > 120 && qGreen(p) > 120; };
  EXPECT_GT(CountPixels(with, QRect(221, 260, 30, 16), grey), 5);  // "FM5"
}

}  // namespace
}  // namespace vantrel
