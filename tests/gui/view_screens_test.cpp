// Pixels of the view's frames at the screens' fixed coordinates.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <string>

#include "view/vantrel_view.h"

namespace vantrel {
namespace {

const QRgb kPaleBlue = qRgb(200, 200, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);

// True when some pixel inside the rectangle is dark (text).
bool HasInk(const QImage& image, const QRect& area) {
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(image.pixel(x, y)) < 100) return true;
  return false;
}

// Right-most dark pixel inside the rectangle, -1 when none.
int RightmostInk(const QImage& image, const QRect& area) {
  const QRect r = area.intersected(image.rect());
  for (int x = r.right(); x >= r.left(); --x)
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (qGray(image.pixel(x, y)) < 100) return x;
  return -1;
}

class ViewScreensTest : public ::testing::Test {
 protected:
  HeldClock clock_{1180701296};
  CVantrelDoc doc_{clock_, "/tmp/"};
  CVantrelView view_{doc_};

  QImage Draw(int state, QSize size = {640, 600}) {
    doc_.viewState = state;
    QImage target(size, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    QPainter painter(&target);
    view_.OnDraw(painter, size);
    return target;
  }

  void Post(const std::string& line) {
    doc_.logFlag = 0;
    doc_.PostLine(line, false);
  }
};

TEST_F(ViewScreensTest, StatesOutsideTheFourScreensShowOnlyTheBackground) {
  Post("a decoded line");
  for (int state : {4, -1, 99}) {
    const QImage frame = Draw(state, {100, 80});
    for (int y = 0; y < frame.height(); ++y)
      for (int x = 0; x < frame.width(); ++x)
        ASSERT_EQ(frame.pixel(x, y), kPaleBlue) << "state " << state << " at " << x << "," << y;
  }
}

TEST_F(ViewScreensTest, ClientSizeClipsTheScreenAndAnEmptyOneDrawsNothing) {
  const QImage small = Draw(kSignalScreen, {300, 220});
  EXPECT_EQ(small.pixel(299, 0), kBlack);
  EXPECT_EQ(small.pixel(299, 200), kGreen);

  QImage target(10, 10, QImage::Format_RGB32);
  target.fill(Qt::magenta);
  QPainter painter(&target);
  view_.OnDraw(painter, QSize(0, 0));
  view_.OnDraw(painter, QSize(10, 0));
  painter.end();
  EXPECT_EQ(target.pixel(5, 5), qRgb(255, 0, 255));
}

TEST_F(ViewScreensTest, SignalPanelCaptionCentreLineAndAdvice) {
  const QImage frame = Draw(kSignalScreen);
  // Black panel 420 x 400 at (0, 0) on the pale blue background.
  EXPECT_EQ(frame.pixel(0, 0), kBlack);
  EXPECT_EQ(frame.pixel(419, 399), kBlack);
  EXPECT_EQ(frame.pixel(420, 0), kPaleBlue);
  EXPECT_EQ(frame.pixel(0, 400), kPaleBlue);
  EXPECT_EQ(frame.pixel(639, 599), kPaleBlue);
  // The caption stands on an opaque pale blue box whose top-left is (10, 50).
  EXPECT_EQ(frame.pixel(10, 50), kPaleBlue);
  EXPECT_EQ(frame.pixel(9, 50), kBlack);
  EXPECT_EQ(frame.pixel(10, 49), kBlack);
  EXPECT_TRUE(HasInk(frame, QRect(10, 50, 150, 20)));
  // Silence: one green line on row 200 from x 10 to 410, 3 pixels thick.
  for (int x : {10, 100, 406, 410}) EXPECT_EQ(frame.pixel(x, 200), kGreen) << x;
  EXPECT_EQ(frame.pixel(200, 199), kGreen);
  EXPECT_EQ(frame.pixel(200, 201), kGreen);
  EXPECT_EQ(frame.pixel(200, 196), kBlack);
  EXPECT_EQ(frame.pixel(200, 204), kBlack);
  EXPECT_EQ(frame.pixel(415, 200), kBlack);
  // Advice lines at (10, 410) and (10, 425), black on the background.
  EXPECT_TRUE(HasInk(frame, QRect(10, 410, 300, 15)));
  EXPECT_TRUE(HasInk(frame, QRect(10, 425, 300, 15)));
  EXPECT_FALSE(HasInk(frame, QRect(0, 401, 9, 60)));
}

TEST_F(ViewScreensTest, SignalTraceSpansFullScaleFromRow73To328) {
  for (int i = 20; i <= 30; ++i) doc_.ring[i] = 127;   // sample 255
  for (int i = 60; i <= 70; ++i) doc_.ring[i] = -128;  // sample 0
  doc_.ring[100] = 127;  // only slots 0..99 are drawn
  const QImage frame = Draw(kSignalScreen);
  EXPECT_EQ(frame.pixel(10 + 4 * 25, 73), kGreen);
  EXPECT_EQ(frame.pixel(10 + 4 * 25, 68), kBlack);
  EXPECT_EQ(frame.pixel(10 + 4 * 65, 328), kGreen);
  EXPECT_EQ(frame.pixel(10 + 4 * 65, 333), kBlack);
  EXPECT_EQ(frame.pixel(10 + 4 * 25, 200), kGreen);  // centre line under the trace
  // Nothing of the trace beyond the last point at x = 406 except the centre line.
  for (int y = 60; y < 340; ++y) {
    if (y < 197 || y > 203) {
      ASSERT_NE(frame.pixel(412, y), kGreen) << y;
    }
  }
}

int MessagesLineHeight(QFont* font = nullptr) {
  QFont f(QStringLiteral("Courier New"));
  f.setPointSize(10);
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setFont(f);
  if (font != nullptr) *font = painter.font();
  return painter.fontMetrics().height();
}

TEST_F(ViewScreensTest, MessagesNewestLineOnTopRowsBelowBlank) {
  const int h = MessagesLineHeight();
  const QImage empty = Draw(kMessagesScreen);
  EXPECT_FALSE(HasInk(empty, empty.rect()));

  Post("MM");
  Post("MMMMMMMMMMMMMMMMMMMM");
  Post("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
  const QImage frame = Draw(kMessagesScreen);
  const int right0 = RightmostInk(frame, QRect(0, 0, 640, h));
  const int right1 = RightmostInk(frame, QRect(0, h, 640, h));
  const int right2 = RightmostInk(frame, QRect(0, 2 * h, 640, h));
  EXPECT_GT(right0, right1);
  EXPECT_GT(right1, right2);
  EXPECT_GT(right2, 0);
  EXPECT_FALSE(HasInk(frame, QRect(0, 3 * h + 2, 640, 600)));
}

TEST_F(ViewScreensTest, MessagesAfterWrapShowTheLast100OldestAtRow99) {
  QFont font;
  const int h = MessagesLineHeight(&font);
  // Line j has (j mod 10) + 1 characters: each row's width tells which line it shows.
  for (int j = 0; j < 103; ++j) Post(std::string(static_cast<std::size_t>(j % 10 + 1), 'M'));
  const QImage frame = Draw(kMessagesScreen, {200, 100 * h + 5});
  QImage probe(1, 1, QImage::Format_RGB32);
  QPainter painter(&probe);
  painter.setFont(font);
  const int w = painter.fontMetrics().horizontalAdvance(QLatin1Char('M'));
  auto charsInRow = [&](int row) {
    const int right = RightmostInk(frame, QRect(0, row * h, 200, h));
    return right < 0 ? 0 : right / w + 1;
  };
  EXPECT_EQ(charsInRow(0), 102 % 10 + 1);   // newest
  EXPECT_EQ(charsInRow(1), 101 % 10 + 1);
  EXPECT_EQ(charsInRow(57), 45 % 10 + 1);
  EXPECT_EQ(charsInRow(99), 3 % 10 + 1);    // oldest kept
}

TEST_F(ViewScreensTest, SatellitesRowsEvery15Pixels) {
  doc_.satellites[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  doc_.satellites[12].frequency = 137.7375;
  const QImage frame = Draw(kSatellitesScreen, {640, 560});
  // Row 1 "FM-01" at y 0..14, short.
  EXPECT_TRUE(HasInk(frame, QRect(0, 0, 60, 15)));
  EXPECT_FALSE(HasInk(frame, QRect(80, 0, 560, 12)));
  // Row 5 is the long row, row 12 the medium one.
  EXPECT_GT(RightmostInk(frame, QRect(0, 60, 640, 12)), 250);
  const int medium = RightmostInk(frame, QRect(0, 165, 640, 12));
  EXPECT_GT(medium, 80);
  EXPECT_LT(medium, 250);
  // The last row, FM-36, at y = 525.
  EXPECT_TRUE(HasInk(frame, QRect(0, 525, 60, 15)));
  EXPECT_FALSE(HasInk(frame, QRect(0, 545, 640, 15)));
}

}  // namespace
}  // namespace vantrel
