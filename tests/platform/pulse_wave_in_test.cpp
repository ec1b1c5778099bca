// The Qt wave input playing a recording, and (run a second time with no
// server) the open failure. Capture from a real audio server is
// e2e.AudioServerLoss's: packets played into its pipe source must be logged.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>

#include "document/vantrel_doc.h"
#include "platform/pulse_wave_in.h"
#include "support/fake_host.h"

namespace vantrel {
namespace {

void App() {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("platform_tests"), nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

TEST(PulseWaveIn, RecordingPlaysAtTheSoundCardsPaceThenSilenceThenTellsItsEnd) {
  App();
  PulseWaveIn wave;
  std::vector<std::uint8_t> recording(12000);
  for (std::size_t i = 0; i < recording.size(); ++i) recording[i] = i % 127;
  wave.SetRecording(recording, "short.wav");
  ASSERT_EQ(wave.Open(0, WaveFormat{}), kWaveOk);
  // Half a second: the recording, then silence.
  std::vector<std::uint8_t> storage(24000);
  WaveHeader header{.data = storage.data(), .bufferLength = 24000};
  ASSERT_EQ(wave.PrepareHeader(header), kWaveOk);
  ASSERT_EQ(wave.AddBuffer(header), kWaveOk);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(wave.Start(), kWaveOk);
  for (const QDeadlineTimer deadline(5000);
       (header.flags & kWaveHeaderDone) == 0 && !deadline.hasExpired();)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  ASSERT_NE(header.flags & kWaveHeaderDone, 0u);
  EXPECT_GE(clock.elapsed(), 450) << "half a second of audio came too soon";
  EXPECT_TRUE(std::equal(recording.begin(), recording.end(), storage.begin()));
  EXPECT_EQ(std::vector<std::uint8_t>(storage.begin() + 12000, storage.end()),
            std::vector<std::uint8_t>(12000, 128));
  // The end is told once, a second after the recording's last sample, when
  // the capture buffer holding it is surely complete.
  int ends = 0;
  wave.SetEndHandler([&] { ++ends; });
  for (const QDeadlineTimer deadline(5000); ends == 0 && !deadline.hasExpired();)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_GE(clock.elapsed(), 1200);
  const QDeadlineTimer later(300);
  while (!later.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(ends, 1);
  wave.Reset();
  wave.UnprepareHeader(header);
  EXPECT_EQ(wave.Close(), kWaveOk);
}

// Run by its own test entry with PULSE_SERVER pointing at nothing.
TEST(NoAudioServer, StartShowsTheDriverMessageAndChangesNothing) {
  if (std::getenv("VANTREL_NO_AUDIO_SERVER") == nullptr)
    GTEST_SKIP() << "runs with no audio server only";
  App();
  FakeHost host;
  HeldClock clock;
  VantrelDoc doc(clock, "/nonexistent/");
  PulseWaveIn wave;
  doc.SetHost(&host);
  doc.soundCard().SetWaveIn(&wave);
  doc.EnumerateSoundCards();
  EXPECT_EQ(doc.deviceId, (std::array<int, 5>{-1, -1, -1, -1, -1}));
  doc.StartCapture();
  EXPECT_EQ(host.messages,
            std::vector<std::string>{"On opening the wave device..no device driver present"});
  EXPECT_EQ(doc.captureRunning, 0);  // what else a failed start leaves alone is the core tests'
}

}  // namespace
}  // namespace vantrel
