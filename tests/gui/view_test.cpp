// The view widget: each screen's pixels as painted, timers, clipboard and printing.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orbit/element_set.h"
#include "orbit/pass_finder.h"
#include "support/fake_host.h"
#include "view/chart_screen.h"
#include "view/passes_screen.h"
#include "view/vantrel_view.h"

namespace vantrel {
namespace {

const QRgb kGreen = qRgb(0, 255, 0);

// Right-most dark (text) pixel inside the rectangle, -1 when none.
int RightmostInk(const QImage& image, const QRect& area) {
  const QRect r = area.intersected(image.rect());
  for (int x = r.right(); x >= r.left(); --x)
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (qGray(image.pixel(x, y)) < 100) return x;
  return -1;
}
bool HasInk(const QImage& image, const QRect& area) { return RightmostInk(image, area) >= 0; }

class View : public ::testing::Test {
 protected:
  View() {
    doc_.SetHost(&host_);
    doc_.logFlag = 0;
  }
  ~View() override { doc_.SetHost(nullptr); }

  // The widget as it paints itself.
  QImage Draw(int state, QSize size = {640, 600}) {
    doc_.viewState = static_cast<Screen>(state);
    view_.resize(size);
    return view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  HeldClock clock_{1180701296};
  VantrelDoc doc_{clock_, "/tmp/"};
  FakeHost host_;
  VantrelView view_{doc_};
};

TEST_F(View, SignalScreenPanelCentreLineTraceAndAdvice) {
  QImage background(100, 80, QImage::Format_RGB32);
  background.fill(qRgb(200, 200, 255));
  for (int state : {6, -1, 99}) EXPECT_EQ(Draw(state, {100, 80}), background) << state;
  for (int i = 20; i <= 30; ++i) doc_.packetSearch().EditState().ring[i] = 127;   // sample 255
  for (int i = 60; i <= 70; ++i) doc_.packetSearch().EditState().ring[i] = -128;  // sample 0
  const QImage frame = Draw(kSignalScreen);
  // The trace at full scale both ways and on the centre line between; the advice below the panel.
  EXPECT_EQ(std::tuple(frame.pixel(110, 73), frame.pixel(270, 328), frame.pixel(300, 200)),
            std::tuple(kGreen, kGreen, kGreen));
  EXPECT_EQ(frame.pixel(300, 190), qRgb(0, 0, 0));  // the panel
  EXPECT_TRUE(HasInk(frame, QRect(10, 410, 300, 30)));
}

// Which lines and rows the screens hold is the readout tests'; here they are painted in place.
TEST_F(View, MessagesNewestOnTopAndSatellitesOnTheirRows) {
  EXPECT_FALSE(HasInk(Draw(kMessagesScreen), QRect(0, 0, 640, 600)));
  const int h = QFontMetrics(QFont(QStringLiteral("Courier New"), 10)).height();
  doc_.PostLine("MMMMMMMMMM");
  doc_.PostLine("M");
  const QImage messages = Draw(kMessagesScreen, {200, 3 * h});
  const int newest = RightmostInk(messages, QRect(0, 0, 200, h));
  EXPECT_GT(newest, 0);
  EXPECT_GT(RightmostInk(messages, QRect(0, h, 200, h)), 4 * newest);

  doc_.interpreter().satellites()[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  const QImage satellites = Draw(kSatellitesScreen, {640, 560});
  EXPECT_GT(RightmostInk(satellites, QRect(0, 60, 640, 12)), 250);  // row 5, with a position
  EXPECT_TRUE(HasInk(satellites, QRect(0, 525, 60, 15)));           // FM-36
  doc_.interpreter().satellites()[44].frequency = 137.2875;         // heard: a row after FM-36
  EXPECT_TRUE(HasInk(Draw(kSatellitesScreen, {640, 560}), QRect(0, 540, 60, 15)));
  view_.Scroll(4), view_.Scroll(-10), view_.Scroll(4);  // the wheel: FM-05 on the first row
  EXPECT_GT(RightmostInk(Draw(kSatellitesScreen, {640, 560}), QRect(0, 0, 640, 12)), 250);
}

TEST_F(View, ChartColoursLandMaskTrackHistoryAndHome) {
  doc_.homeLatitude = doc_.homeLongitude = 0.0;
  clock_.Set(1174478400);  // 2007-03-21 12:00:00 UTC: sun over 0 N 0 E
  EXPECT_FALSE(view_.LoadGlobe("/nonexistent/globe.dat"));
  EXPECT_EQ(host_.messages, std::vector<std::string>{"The file globe.dat could not be opened"});
  ASSERT_TRUE(view_.LoadGlobe(std::string(std::getenv("VANTREL_SOURCE_DIR")) + "/data/globe.dat"));
  EXPECT_EQ(Draw(kChartScreen, {640, 500}).pixel(250, 240), qRgb(0, 0, 254));  // sea, sun overhead

  // Satellites heard a minute ago (one above 36) are remembered in the track history, shown
  // while the flag is on.
  const auto minuteAgo = static_cast<std::int32_t>(clock_.Now() - 60);
  doc_.interpreter().satellites()[7] = {137.3, 5.0, 5.0, minuteAgo, 0};
  doc_.interpreter().satellites()[44] = {137.3, -5.0, -5.0, minuteAgo, 0};
  std::uint8_t* track = view_.chart().trackHistory();
  track[300 + 480 * 100] = 1;
  EXPECT_NE(Draw(kChartScreen, {640, 500}).pixel(300, 100), qRgb(255, 0, 0));
  EXPECT_EQ(std::count(track, track + 480 * 480, 1), 3);
  doc_.trackHistory = 1;
  EXPECT_EQ(Draw(kChartScreen, {640, 500}).pixel(300, 100), qRgb(255, 0, 0));
  view_.ClearTrackHistory();
  EXPECT_EQ(std::count(track, track + 480 * 480, 1), 0);

  // The projection follows home even when moved without the document's request: the centre is
  // then central Australia, land, lit by day and at 3/4 by night.
  doc_.homeLatitude = -25.0, doc_.homeLongitude = 134.0;
  clock_.Set(1174478400 - 9 * 3600);  // 03:00 UTC: noon in central Australia
  EXPECT_EQ(Draw(kChartScreen, {640, 500}).pixel(250, 250), qRgb(0, 254, 0));
  clock_.Set(clock_.Now() + 12 * 3600);
  EXPECT_EQ(Draw(kChartScreen, {640, 500}).pixel(250, 250), qRgb(0, 190, 0));

  // The TLE file is read in the background and again when it changes: FM5 shows while the file
  // is good and goes with it, with one status line.
  const std::string tle = testing::TempDir() + "vantrel-view.tle";
  std::ofstream(tle) << "ORBCOMM FM 5\n"
                        "1 25117U 97084E   07001.50000000  .00010000  00000-0  00000-0 0  9990\n"
                        "2 25117  45.0000  30.0000 0010000  60.0000  10.0000 14.20000000    01\n";
  doc_.tleFile = tle, doc_.tleEnable = 1, doc_.homeLatitude = 22.0, doc_.homeLongitude = -148.0;
  clock_.Set(1167804000);  // 2007-01-03 06:00:00 UTC: the set lies at (215, 266)
  const auto marked = [&] {
    return Draw(kChartScreen, {640, 500}).pixel(215, 266) == qRgb(255, 255, 255);
  };
  EXPECT_TRUE(QTest::qWaitFor(marked, 5000));
  std::filesystem::remove(tle);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !marked(); }, 5000));
  EXPECT_EQ(host_.messages.size(), 1u);  // only the missing globe's
  EXPECT_EQ(host_.statuses.back(), "TLE file: " + tle + ": cannot open: No such file or directory");
}

TEST_F(View, PassesListFollowsTheFileAndMarksThePassUnderWay) {
  const std::string name = "ORBCOMM FM 5";
  const std::string line1 = "1 40000U 26001A   26339.24729127  .00000100  00000-0  68798-4 0  9993";
  const std::string line2 = "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18";
  const std::string path = testing::TempDir() + "vantrel_view_passes.tle";
  std::ofstream(path) << name << '\n' << line1 << '\n' << line2 << '\n';
  // Held in the middle of the satellite's first pass of the day over home.
  doc_.homeLatitude = 52.5, doc_.homeLongitude = -1.25, doc_.tleFile = path;
  doc_.interpreter().satellites()[5].frequency = 137.5;
  std::string error;
  const Sgp4 model(*ParseElementSet(name, line1, line2, &error));
  const double day = 1796428800.0;  // 2026-12-05T00:00:00Z
  const Pass first = FindPasses(model, {52.5, -1.25, 0.0}, day, day + 86400, 0.0).passes.at(0);
  clock_.Set(static_cast<CTime>(0.5 * (first.aos + first.los)));
  // The list is computed on a thread of its own: drawn meanwhile, it says so.
  const auto drawn = [&] {
    Draw(kPassesScreen);
    EXPECT_EQ(view_.passes().lines().back(), "Computing the passes...");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          return Draw(kPassesScreen), view_.passes().lines().size() > 1 &&
                                          !view_.passes().lines()[1].startsWith("Computing");
        },
        5000));
    return view_.passes().lines();
  };
  const std::vector<QString> lines = drawn();
  ASSERT_GE(lines.size(), 4u);
  const QString& current = lines[2];
  // Marked, with where it is now and the downlink heard off 137.5 MHz by the Doppler shift.
  EXPECT_TRUE(
      current.contains(QRegularExpression("^> .* now el .* 137\\.(49[6-9]\\d|50[0-3]\\d) MHz")))
      << current.toStdString();
  for (std::size_t i = 3; i < lines.size(); ++i) EXPECT_TRUE(lines[i].startsWith("  "));
  view_.passes().Scroll(1), Draw(kPassesScreen), view_.passes().Scroll(-1);
  EXPECT_EQ(view_.passes().lines()[2], lines[3]);  // the wheel moves the list on a row

  // A higher minimum lists fewer passes; new content in the file is read.
  doc_.passMinElevation = 30.0;
  EXPECT_LT(drawn().size(), lines.size());
  std::ofstream(path) << "NOTHING\n" << line1 << "\n2 garbage\n";
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
  EXPECT_EQ(drawn().back(), "The TLE file holds no element set that can be used.");
  std::filesystem::remove(path);
}

TEST_F(View, TimersRepaintAndWatchPolarity) {
  doc_.packetSearch().SetPolarity(1);
  doc_.refreshTimerId = view_.SetTimer(2, 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host_.redraws >= 3; }, 2000));
  EXPECT_EQ(doc_.packetSearch().polarity(), 0);
  view_.KillTimer(doc_.refreshTimerId);
  const int seen = host_.redraws;
  QTest::qWait(50);
  EXPECT_EQ(host_.redraws, seen);
}

TEST_F(View, CopyPutsUtf8TextOnTheClipboardOnlyWhenThereIsSome) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("kept");
  doc_.viewState = kMessagesScreen;  // the message ring is empty
  view_.OnEditCopy();
  EXPECT_EQ(clipboard->text(), "kept");
  doc_.viewState = kSatellitesScreen;
  doc_.interpreter().satellites()[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  view_.OnEditCopy();
  // The text itself is the readout tests'; here its degree signs arrive as UTF-8.
  EXPECT_TRUE(clipboard->text().contains(QString::fromUtf8("-34.50000\u00B0  139.00000\u00B0")))
      << clipboard->text().toStdString();
}

}  // namespace
}  // namespace vantrel
