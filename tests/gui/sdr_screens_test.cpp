// What the window shows with an SDR source: the status pane, and the
// Spectrum screen's labels and end mark.
#include <gtest/gtest.h>

#include <QImage>
#include <random>

#include "view/spectrum_labels.h"
#include "view/vantrel_view.h"

namespace vantrel {
namespace {

class SdrScreens : public ::testing::Test {
 protected:
  SdrScreens() { doc_.sdrDevice[1] = 0, doc_.soundCardSlot = 1; }  // Source 2 is a receiver
  QImage Draw(Screen state) {
    doc_.viewState = state;
    view_.resize(660, 560);
    return view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  HeldClock clock_{1180701296};
  VantrelDoc doc_{clock_, "/tmp/"};
  VantrelView view_{doc_};
};

// Never the sound-card watch, which flips while no audio decodes.
TEST_F(SdrScreens, TheStatusPaneTellsTheChannelsAndTheLastPacketsPolarity) {
  doc_.packetSearch().SetPolarity(1);
  EXPECT_EQ(view_.PolarityText(), "SDR source");
  doc_.captureRunning = 1;
  doc_.sdrCapture().display().spectrum.channels.resize(1);
  EXPECT_EQ(view_.PolarityText(), "SDR: 1 channel");
  doc_.sdrCapture().display().spectrum.channels.resize(2);
  doc_.packetSource.demodulator = DemodulatorKind::Sdr;
  EXPECT_EQ(view_.PolarityText(), "SDR: 2 channels, upright");  // not the watch
  doc_.soundCardSlot = 0;
  EXPECT_EQ(view_.PolarityText(), "Signal inverted");
}

// No label overlaps another, crosses a marker running through its row or
// leaves the panel; one that fits nowhere is left out.
TEST_F(SdrScreens, CarrierLabelsKeepClearOfEachOtherAndOfTheMarkers) {
  std::mt19937 random(3);
  int labelled = 0, total = 0;
  for (int round = 0; round < 300; ++round) {
    const int rows = 1 + round % 4;
    std::vector<CarrierLabel> labels(1 + round % 12);
    for (CarrierLabel& label : labels)
      label = {.x = std::uniform_int_distribution(0, 640)(random),
               .width = std::uniform_int_distribution(60, 130)(random)};
    LayOutCarrierLabels(labels, 0, 640, rows);
    for (const CarrierLabel& a : labels) {
      ++total;
      if (a.row < 0) continue;
      ++labelled;
      const auto covers = [&](int x) { return x >= a.left && x <= a.left + a.width; };
      ASSERT_TRUE(a.row < rows && a.left >= 0 && a.left + a.width <= 640 && !covers(a.x));
      for (const CarrierLabel& b : labels) {
        // b's marker runs down from below its own row.
        ASSERT_FALSE(&a != &b && b.row == a.row && a.left <= b.left + b.width &&
                     b.left <= a.left + a.width);
        ASSERT_FALSE(b.row >= 0 && b.row < a.row && covers(b.x)) << round;
      }
    }
  }
  EXPECT_GT(labelled, total * 2 / 3);  // crowded bands still get most labels
}

// The last spectrum kept after the input ended is marked over the waterfall's newest row.
TEST_F(SdrScreens, TheSpectrumMarksTheEndOfTheInput) {
  doc_.sdrCapture().display().spectrum = {
      .sampleRate = 1228800.0, .centreHz = 137.5e6, .powerDb = {}, .channels = {}};
  doc_.sdrCapture().display().spectrum.powerDb.assign(1024, -60.0f);
  doc_.sdrCapture().display().waterfall.assign(30, doc_.sdrCapture().display().spectrum.powerDb);
  const auto whiteRows = [&] {
    const QImage image = Draw(kSpectrumScreen);
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) rows += image.pixel(300, y) == qRgb(255, 255, 255);
    return rows;
  };
  doc_.captureRunning = 1;
  EXPECT_EQ(whiteRows(), 0);
  doc_.captureRunning = 0, doc_.sdrCapture().display().inputEnded = true;
  EXPECT_EQ(whiteRows(), 2);
}

}  // namespace
}  // namespace vantrel
