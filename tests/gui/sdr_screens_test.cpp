// What the window shows with an SDR source: the status pane, the Spectrum
// screen's labels, trace and end mark, and the Signal screen's notice.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <random>
#include <vector>

#include "view/spectrum_labels.h"
#include "view/vantrel_view.h"
#include "support/fake_host.h"

namespace vantrel {
namespace {

class SdrScreens : public ::testing::Test {
 protected:
  SdrScreens() {
    doc_.SetHost(&host_);
    doc_.sdrDevice[1] = 0;  // Source 2 is an SDR receiver
    doc_.soundCardSlot = 1;
  }
  ~SdrScreens() override { doc_.SetHost(nullptr); }

  QImage Draw(int state, QSize size = {660, 560}) {
    doc_.viewState = state;
    view_.resize(size);
    return view_.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // A band with a flat floor and the given carriers (offsets in Hz) as narrow lines.
  void Spectrum(const std::vector<double>& carriers) {
    doc_.spectrum = {.sampleRate = 1228800.0, .centreHz = 137.5e6, .powerDb = {}, .channels = {}};
    doc_.spectrum.powerDb.assign(1024, -60.0f);
    std::mt19937 random(7);
    for (float& p : doc_.spectrum.powerDb)
      p += std::uniform_real_distribution<float>(-3, 3)(random);
    int id = 1;
    for (double hz : carriers) {
      const auto bin = static_cast<std::size_t>((hz / 1228800.0 + 0.5) * 1024);
      doc_.spectrum.powerDb[bin] = -10.0f;
      doc_.spectrum.channels.push_back(
          {.id = id, .carrierHz = hz, .level = 20, .satellite = 20 + id});
      ++id;
    }
    doc_.waterfall.assign(30, doc_.spectrum.powerDb);
  }

  HeldClock clock_{1180701296};
  CVantrelDoc doc_{clock_, "/tmp/"};
  FakeHost host_;
  CVantrelView view_{doc_};
};

// The pane tells the channels followed and the last SDR packet's polarity,
// never the sound-card watch, which flips while no audio decodes.
TEST_F(SdrScreens, TheStatusPaneTellsWhatTheSdrPathKnows) {
  doc_.polarity = 1;
  EXPECT_EQ(view_.PolarityText(), "SDR source");
  doc_.captureRunning = 1;
  EXPECT_EQ(view_.PolarityText(), "SDR: 0 channels");
  Spectrum({-200000.0});
  EXPECT_EQ(view_.PolarityText(), "SDR: 1 channel");
  Spectrum({-200000.0, 100000.0});
  doc_.packetSource.demodulator = DemodulatorKind::Sdr;
  EXPECT_EQ(view_.PolarityText(), "SDR: 2 channels, last packet upright");
  doc_.packetSource.polarity = 1;
  EXPECT_EQ(view_.PolarityText(), "SDR: 2 channels, last packet inverted");
  doc_.soundCardSlot = 0;  // a sound card again: the watch as before
  EXPECT_EQ(view_.PolarityText(), "Signal inverted");
}

// Labels never overlap one another, never cross a marker that runs through
// their row, and stay inside the panel; those that fit nowhere are left out.
TEST_F(SdrScreens, CarrierLabelsKeepClearOfEachOtherAndOfTheMarkers) {
  std::mt19937 random(3);
  int labelled = 0, total = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<CarrierLabel> labels(1 + round % 12);
    for (CarrierLabel& label : labels)
      label = {.x = std::uniform_int_distribution(0, 640)(random),
               .width = std::uniform_int_distribution(60, 130)(random)};
    LayOutCarrierLabels(labels, 0, 640, 1 + round % 4);
    for (const CarrierLabel& a : labels) {
      ++total;
      if (a.row < 0) continue;
      ++labelled;
      ASSERT_TRUE(a.row < 1 + round % 4 && a.left >= 0 && a.left + a.width <= 640);
      ASSERT_FALSE(a.x >= a.left && a.x <= a.left + a.width) << "over its own marker";
      for (const CarrierLabel& b : labels) {
        if (&a == &b) continue;
        // b's marker runs down from below its row; unlabelled, from below all rows.
        const bool markerCrosses =
            b.row >= 0 && b.row < a.row && b.x >= a.left && b.x <= a.left + a.width;
        const bool overlaps =
            b.row == a.row && a.left < b.left + b.width && b.left < a.left + a.width;
        ASSERT_FALSE(markerCrosses || overlaps) << round;
      }
    }
  }
  EXPECT_GT(labelled, total * 2 / 3);  // crowded bands still get most labels
  // Two carriers close together: the second label takes the next row.
  std::vector<CarrierLabel> pair{{.x = 100, .width = 120}, {.x = 140, .width = 120}};
  LayOutCarrierLabels(pair, 0, 640, 4);
  EXPECT_EQ(std::tuple(pair[0].row, pair[1].row, pair[1].left), std::tuple(0, 1, 144));
}

// The trace stays in its panel whatever the levels, and the end of the
// input is marked over the waterfall's newest row.
TEST_F(SdrScreens, TheSpectrumTraceStaysInItsPanelAndTheEndIsMarked) {
  Spectrum({-300000.0, -290000.0, 0.0, 250000.0});
  doc_.spectrum.powerDb[10] = -500.0f;  // far below the floor
  doc_.spectrum.powerDb[20] = 200.0f;   // far above anything
  doc_.captureRunning = 1;
  const QImage running = Draw(kSpectrumScreen);
  const QRgb yellow = qRgb(255, 220, 0), panel = qRgb(0, 0, 30);
  // The panel starts at the first dark pixel down the left edge.
  int top = 0;
  while (top < running.height() && running.pixel(12, top) != panel) ++top;
  int bottom = top;
  while (bottom < running.height() && running.pixel(12, bottom) != qRgb(200, 200, 255)) ++bottom;
  ASSERT_LT(bottom, running.height());
  for (int x = 0; x < running.width(); ++x) {
    for (int y = 0; y < running.height(); ++y) {
      if (running.pixel(x, y) != yellow) continue;
      ASSERT_TRUE(x >= 10 && x < 650 && y >= top && y < bottom) << x << "," << y;
    }
  }
  // Clear of the caption and the carriers' ticks.
  auto whiteRows = [&](const QImage& image) {
    int rows = 0;
    for (int y = bottom; y < bottom + 60; ++y) rows += image.pixel(300, y) == qRgb(255, 255, 255);
    return rows;
  };
  EXPECT_EQ(whiteRows(running), 0);
  doc_.captureRunning = 0;
  doc_.sdrInputEnded = true;
  EXPECT_EQ(whiteRows(Draw(kSpectrumScreen)), 2);
}

// The Signal screen draws no flat sound-card trace for an SDR source.
TEST_F(SdrScreens, TheSignalScreenSaysItShowsSoundCardAudio) {
  const QImage frame = Draw(kSignalScreen);
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x)
      ASSERT_NE(frame.pixel(x, y), qRgb(0, 255, 0)) << "a trace at " << x << "," << y;
  doc_.soundCardSlot = 0;
  EXPECT_EQ(Draw(kSignalScreen).pixel(300, 200), qRgb(0, 255, 0));  // the centre line
}

}  // namespace
}  // namespace vantrel
