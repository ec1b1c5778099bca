// The view's timers, polarity pane, clipboard copy and printing.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/wave_in.h"
#include "view/chart_screen.h"
#include "view/vantrel_view.h"

namespace vantrel {
namespace {

class CountingHost : public DocumentHost {
 public:
  void UpdateAllViews() override { ++updates; }
  void SetMainWindowTitle(const std::string&) override {}
  std::uint32_t SetViewTimer(int eventId, int) override { return static_cast<std::uint32_t>(eventId); }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override {}
  int updates = 0;
  std::vector<std::string> messages;
};

// A sound card that accepts every call; the test marks buffers done itself.
class IdleWaveIn : public WaveIn {
 public:
  int DeviceCount() override { return 1; }
  int GetDeviceCaps(int, WaveInCaps& caps) override {
    caps.productName = "Idle";
    return kWaveOk;
  }
  int Open(int, const WaveFormat&) override { return kWaveOk; }
  int PrepareHeader(WaveHeader& header) override {
    header.flags |= kWaveHeaderPrepared;
    return kWaveOk;
  }
  int AddBuffer(WaveHeader& header) override {
    header.flags &= ~kWaveHeaderDone;
    return kWaveOk;
  }
  int Start() override { return kWaveOk; }
  int Reset() override { return kWaveOk; }
  int UnprepareHeader(WaveHeader&) override { return kWaveOk; }
  int Close() override { return kWaveOk; }
};

class ViewBehaviourTest : public ::testing::Test {
 protected:
  ViewBehaviourTest() { doc_.SetHost(&host_); }
  ~ViewBehaviourTest() override { doc_.SetHost(nullptr); }

  HeldClock clock_{1180701296};
  CVantrelDoc doc_{clock_, "/tmp/"};
  CountingHost host_;
  CVantrelView view_{doc_};
};

TEST_F(ViewBehaviourTest, RefreshTickRepaintsAndWatchesPolarityPollTickFeedsTheDecoder) {
  IdleWaveIn waveIn;
  doc_.waveIn = &waveIn;
  doc_.StartCapture();
  ASSERT_EQ(doc_.captureRunning, 1);
  ASSERT_NE(doc_.refreshTimerId, doc_.pollTimerId);
  const int updatesAtStart = host_.updates;
  doc_.polarity = 1;
  doc_.lastDecodeTime = clock_.Now() - 6;  // silent for more than five seconds

  view_.OnTimer(doc_.refreshTimerId);
  EXPECT_EQ(host_.updates, updatesAtStart + 1);
  EXPECT_EQ(doc_.polarity, 0);

  // A completed one-second buffer is fed on the next poll tick, not before.
  WaveHeader& header = *doc_.captureHeaders[0];
  std::fill(header.data, header.data + kCaptureBufferBytes, std::uint8_t{255});
  header.bytesRecorded = kCaptureBufferBytes;
  view_.OnTimer(doc_.refreshTimerId);
  EXPECT_EQ(doc_.ring[0], 0);
  header.flags |= kWaveHeaderDone;
  view_.OnTimer(doc_.pollTimerId);
  EXPECT_EQ(doc_.ring[0], 127);
  EXPECT_EQ(host_.updates, updatesAtStart + 2);

  view_.OnTimer(doc_.pollTimerId + doc_.refreshTimerId + 1);  // someone else's timer
  EXPECT_EQ(host_.updates, updatesAtStart + 2);
  doc_.StopCapture();
  view_.OnTimer(0);  // 0 is "no timer" in the document, never a tick
  EXPECT_EQ(host_.updates, updatesAtStart + 2);
  doc_.waveIn = nullptr;
}

TEST_F(ViewBehaviourTest, RealTimersReachOnTimerUntilKilled) {
  doc_.refreshTimerId = view_.SetTimer(2, 10);
  ASSERT_NE(doc_.refreshTimerId, 0u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return host_.updates >= 2; }, 2000));
  view_.KillTimer(doc_.refreshTimerId);
  const int seen = host_.updates;
  QTest::qWait(50);
  EXPECT_EQ(host_.updates, seen);
}

TEST_F(ViewBehaviourTest, PolarityPaneText) {
  doc_.polarity = 0;
  EXPECT_EQ(view_.PolarityText(), "Signal upright");
  doc_.polarity = 1;
  EXPECT_EQ(view_.PolarityText(), "Signal inverted");
  doc_.polarity = -2;
  EXPECT_EQ(view_.PolarityText(), "Signal inverted");
}

TEST_F(ViewBehaviourTest, CopyPutsUtf8TextWithDegreeSignsOnTheClipboard) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  doc_.viewState = kSatellitesScreen;
  doc_.satellites[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  view_.OnEditCopy();
  const QString text = clipboard->text();
  EXPECT_TRUE(text.startsWith("FM-01\r\nFM-02\r\n"));
  EXPECT_TRUE(text.contains(QString::fromUtf8("FM-05 137.2875MHz -34.50000\u00B0  139.00000\u00B0 07-06-01 12:34:56\r\n")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith("FM-36\r\n"));
  EXPECT_EQ(text.count("\r\n"), 36);
}

TEST_F(ViewBehaviourTest, CopyLeavesTheClipboardAloneWhenThereIsNothingToCopy) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("kept");
  doc_.satellites[3].frequency = 137.5;
  for (int state : {kSignalScreen, kChartScreen, kMessagesScreen}) {
    doc_.viewState = state;  // the message ring is empty
    view_.OnEditCopy();
    EXPECT_EQ(clipboard->text(), "kept") << "view state " << state;
  }
  doc_.logFlag = 0;
  doc_.PostLine("Message", false);
  doc_.viewState = kMessagesScreen;
  view_.OnEditCopy();
  EXPECT_EQ(clipboard->text(), "Message\r\n");
}

TEST_F(ViewBehaviourTest, PrintsTheFrameOnePrinterPixelPerScreenPixelAtTheTopLeft) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString pdf = dir.filePath("page.pdf");
  view_.resize(480, 460);
  doc_.viewState = kSignalScreen;

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setResolution(150);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  ASSERT_TRUE(view_.Print(printer));

  // Rendered at the printer's resolution, the page's pixels are the frame's.
  QProcess render;
  render.start("pdftoppm", {"-r", "150", "-png", "-singlefile", pdf, dir.filePath("page")});
  ASSERT_TRUE(render.waitForFinished(30000));
  ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
  const QImage page(dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  auto expectNear = [&page](int x, int y, QRgb want) {
    const QRgb got = page.pixel(x, y);
    EXPECT_TRUE(std::abs(qRed(got) - qRed(want)) < 12 && std::abs(qGreen(got) - qGreen(want)) < 12 &&
                std::abs(qBlue(got) - qBlue(want)) < 12)
        << "at " << x << "," << y << ": " << qRed(got) << " " << qGreen(got) << " " << qBlue(got);
  };
  expectNear(3, 3, qRgb(0, 0, 0));           // the black panel
  expectNear(200, 200, qRgb(0, 255, 0));     // the centre line
  expectNear(450, 20, qRgb(200, 200, 255));  // background right of the panel
  expectNear(470, 450, qRgb(200, 200, 255));
  expectNear(490, 20, qRgb(255, 255, 255));  // beyond the frame: paper
  expectNear(20, 470, qRgb(255, 255, 255));
}

TEST_F(ViewBehaviourTest, ChartScreenWithItsLandMaskAndTrackHistory) {
  EXPECT_FALSE(view_.LoadGlobe("/nonexistent/globe.dat"));
  EXPECT_EQ(host_.messages, std::vector<std::string>{"The file globe.dat could not be opened"});
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  const std::string globe = std::string(source != nullptr ? source : ".") + "/data/globe.dat";
  EXPECT_TRUE(view_.LoadGlobe(globe));
  EXPECT_EQ(host_.messages.size(), 1u);

  // A satellite heard a minute ago is plotted and remembered in the track history.
  doc_.satellites[7] = {137.3, doc_.homeLongitude + 5.0, doc_.homeLatitude + 5.0,
                        static_cast<std::int32_t>(clock_.Now() - 60), 0};
  doc_.viewState = kChartScreen;
  const QImage frame = view_.RenderFrame({640, 500});
  EXPECT_EQ(frame.pixel(240, 240), qRgb(255, 0, 0));        // home marker's centre
  EXPECT_EQ(frame.pixel(600, 300), qRgb(200, 200, 255));    // right of the chart square
  auto plotted = [this] {
    const std::uint8_t* track = view_.chart().trackHistory();
    return std::count(track, track + ChartScreen::kTrackSize * ChartScreen::kTrackSize, 1);
  };
  EXPECT_EQ(plotted(), 1);
  view_.ClearTrackHistory();
  EXPECT_EQ(plotted(), 0);
}

}  // namespace
}  // namespace vantrel
