// The Chart screen's colours as drawn: day, night, rim, stars, track history,
// and a projection that follows home.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <string>

#include "view/chart_screen.h"

namespace vantrel {
namespace {

constexpr CTime kEquinoxNoon = 1174478400;  // 2007-03-21 12:00:00 UTC: sun over 0 N 0 E
const QRgb kBackground = qRgb(200, 200, 255);

class ChartScreenTest : public ::testing::Test {
 protected:
  ChartScreenTest() {
    doc_.homeLatitude = 0.0;
    doc_.homeLongitude = 0.0;
  }
  QImage Draw() {
    QImage frame(640, 481, QImage::Format_RGB32);
    frame.fill(kBackground);
    QPainter painter(&frame);
    painter.setFont(QGuiApplication::font());
    chart_.SeedStars(1);
    chart_.Draw(painter, doc_, clock_);
    return frame;
  }

  HeldClock clock_{kEquinoxNoon};
  CVantrelDoc doc_{clock_, "/nonexistent/"};
  ChartScreen chart_{kEquinoxNoon};
};

TEST_F(ChartScreenTest, DayNightRimStarsAndTrackHistoryOverAnAllLandGlobe) {
  QTemporaryDir dir;
  const std::string land = dir.filePath("land.dat").toStdString();
  std::ofstream(land, std::ios::binary) << std::string(8100, '\xFF');
  ASSERT_TRUE(chart_.LoadGlobe(land));
  const QImage day = Draw();
  EXPECT_EQ(day.pixel(240, 240), qRgb(255, 0, 0));  // home marker's centre
  EXPECT_EQ(day.pixel(250, 240), qRgb(0, 254, 0));  // sun overhead, 10 px out
  EXPECT_EQ(day.pixel(1, 240), qRgb(0, 87, 0));     // rim, 239 px out, still day
  for (const QPoint star : {QPoint(0, 240), QPoint(0, 0), QPoint(480, 480), QPoint(480, 240)}) {
    const QRgb p = day.pixel(star);
    EXPECT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255)) << star.x() << "," << star.y();
  }
  EXPECT_EQ(day.pixel(600, 100), kBackground);  // outside the chart square

  chart_.trackHistory()[300 + 480 * 100] = 1;
  EXPECT_EQ(qRed(Draw().pixel(300, 100)), 0);  // flag off: hidden
  doc_.trackHistory = 1;
  EXPECT_EQ(Draw().pixel(300, 100), qRgb(255, 0, 0));
  chart_.ClearTrackHistory();
  EXPECT_EQ(qRed(Draw().pixel(300, 100)), 0);

  clock_.Set(kEquinoxNoon + 12 * 3600);
  EXPECT_EQ(Draw().pixel(250, 240), qRgb(0, 190, 0));  // night: three quarters of 254
}

TEST_F(ChartScreenTest, ProjectionFollowsHome) {
  ASSERT_TRUE(chart_.LoadGlobe(std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/data/globe.dat"));
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

}  // namespace
}  // namespace vantrel
