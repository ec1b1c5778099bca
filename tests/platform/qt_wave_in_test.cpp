// The Qt wave input against the test audio server's pipe source (the test
// command feeds it from $VANTREL_AUDIO_FIFO), a recording played as an
// input, and, run a second time with no server at all, the open failure.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "document/vantrel_doc.h"
#include "platform/qt_wave_in.h"
#include "platform/recording_file.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

bool RunUntil(const std::function<bool()>& done, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// Empties what an earlier run left in the FIFO, then writes data into it;
// holds a lock so that only one test at a time feeds the pipe source.
class Fifo {
 public:
  explicit Fifo(const char* path) : lock_(::open((std::string(path) + ".lock").c_str(), O_CREAT | O_RDWR, 0600)) {
    if (lock_ >= 0) ::flock(lock_, LOCK_EX);
    if (int r = ::open(path, O_RDONLY | O_NONBLOCK); r >= 0) {
      char scrap[4096];
      while (::read(r, scrap, sizeof scrap) > 0) {
      }
      ::close(r);
    }
    fd_ = ::open(path, O_WRONLY | O_NONBLOCK);
  }
  ~Fifo() {
    if (fd_ >= 0) ::close(fd_);
    if (lock_ >= 0) ::close(lock_);
  }
  bool ok() const { return fd_ >= 0; }
  bool Write(const std::vector<std::uint8_t>& data) {
    std::size_t at = 0;
    const QDeadlineTimer deadline(5000);
    while (at < data.size() && !deadline.hasExpired()) {
      const ssize_t n = ::write(fd_, data.data() + at, data.size() - at);
      if (n > 0) at += static_cast<std::size_t>(n);
      else QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return at == data.size();
  }

 private:
  int lock_;
  int fd_ = -1;
};

struct Buffers {
  explicit Buffers(int count, std::uint32_t length) : storage(count, std::vector<std::uint8_t>(length)), headers(count) {
    for (int i = 0; i < count; ++i) {
      headers[i].data = storage[i].data();
      headers[i].bufferLength = length;
    }
  }
  std::vector<std::vector<std::uint8_t>> storage;
  std::vector<WaveHeader> headers;
};

int FindDevice(WaveIn& wave, const std::string& name) {
  for (int d = 0; d < wave.DeviceCount(); ++d) {
    WaveInCaps caps;
    if (wave.GetDeviceCaps(d, caps) == kWaveOk && caps.productName == name) return d;
  }
  return -2;
}

bool NoServerRun() { return std::getenv("VANTREL_NO_AUDIO_SERVER") != nullptr; }

TEST(QtWaveIn, PipeSourceFillsBuffersInQueueOrderWithEveryByte) {
  const char* fifoPath = std::getenv("VANTREL_AUDIO_FIFO");
  if (fifoPath == nullptr || NoServerRun()) GTEST_SKIP() << "needs the test audio server";
  App();
  QtWaveIn wave;
  const int device = FindDevice(wave, "TestInput");
  ASSERT_GE(device, 0) << "pipe source not listed";
  Fifo fifo(fifoPath);
  ASSERT_TRUE(fifo.ok());

  ASSERT_EQ(wave.Open(device, WaveFormat{}), kWaveOk);
  EXPECT_EQ(wave.Open(device, WaveFormat{}), kWaveAllocated);  // one device per handle
  Buffers buffers(3, 9600);
  for (auto& h : buffers.headers) {
    ASSERT_EQ(wave.PrepareHeader(h), kWaveOk);
    ASSERT_EQ(wave.AddBuffer(h), kWaveOk);
  }
  ASSERT_EQ(wave.Start(), kWaveOk);

  std::vector<std::uint8_t> sent(3 * 9600);
  for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
  // Half a second at a time, as a sound card delivers.
  for (std::size_t at = 0; at < sent.size(); at += 4800)
    ASSERT_TRUE(fifo.Write({sent.begin() + static_cast<long>(at), sent.begin() + static_cast<long>(at + 4800)}));

  std::vector<int> doneOrder;
  ASSERT_TRUE(RunUntil(
      [&] {
        for (int i = 0; i < 3; ++i)
          if ((buffers.headers[i].flags & kWaveHeaderDone) && std::find(doneOrder.begin(), doneOrder.end(), i) == doneOrder.end())
            doneOrder.push_back(i);
        return doneOrder.size() == 3;
      },
      10000))
      << "buffers done: " << doneOrder.size();
  EXPECT_EQ(doneOrder, (std::vector<int>{0, 1, 2}));
  std::vector<std::uint8_t> received;
  for (const auto& h : buffers.headers) {
    EXPECT_EQ(h.bytesRecorded, 9600u);
    received.insert(received.end(), h.data, h.data + h.bytesRecorded);
  }
  EXPECT_EQ(received, sent);

  EXPECT_EQ(wave.Reset(), kWaveOk);
  for (auto& h : buffers.headers) EXPECT_EQ(wave.UnprepareHeader(h), kWaveOk);
  EXPECT_EQ(wave.Close(), kWaveOk);
  EXPECT_EQ(wave.Close(), kWaveInvalidHandle);
}

TEST(QtWaveIn, RecordingPlaysAtTheSoundCardsPaceThenSilence) {
  App();
  QtWaveIn wave;
  std::vector<std::uint8_t> recording(12000);
  for (std::size_t i = 0; i < recording.size(); ++i) recording[i] = static_cast<std::uint8_t>(i % 127);
  wave.SetRecording(recording, "short.wav");
  WaveInCaps caps;
  ASSERT_EQ(wave.GetDeviceCaps(0, caps), kWaveOk);
  EXPECT_EQ(caps.productName, "short.wav");

  ASSERT_EQ(wave.Open(0, WaveFormat{}), kWaveOk);
  Buffers buffers(2, 12000);  // a quarter second each
  for (auto& h : buffers.headers) {
    wave.PrepareHeader(h);
    wave.AddBuffer(h);
  }
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(wave.Start(), kWaveOk);
  ASSERT_TRUE(RunUntil([&] { return (buffers.headers[1].flags & kWaveHeaderDone) != 0; }, 5000));
  // Half a second of audio cannot arrive much sooner than half a second.
  EXPECT_GE(clock.elapsed(), 450);
  EXPECT_EQ(buffers.storage[0], recording);
  EXPECT_EQ(buffers.storage[1], std::vector<std::uint8_t>(12000, 128));
  wave.Reset();
  for (auto& h : buffers.headers) wave.UnprepareHeader(h);
  EXPECT_EQ(wave.Close(), kWaveOk);
}

TEST(QtWaveIn, CallsOnAClosedHandleAndBadFormatsAreRefused) {
  App();
  QtWaveIn wave;
  WaveHeader header;
  std::vector<std::uint8_t> data(100);
  header.data = data.data();
  header.bufferLength = 100;
  EXPECT_EQ(wave.PrepareHeader(header), kWaveInvalidHandle);
  EXPECT_EQ(wave.AddBuffer(header), kWaveInvalidHandle);
  EXPECT_EQ(wave.Start(), kWaveInvalidHandle);
  WaveFormat stereo;
  stereo.channels = 2;
  EXPECT_EQ(wave.Open(kWaveMapper, stereo), kWaveBadFormat);
  EXPECT_EQ(wave.Open(57, WaveFormat{}), NoServerRun() ? kWaveNoDriver : kWaveBadDeviceId);
}

TEST(QtWaveIn, RecordingFileLoadsAndBadFilesSayWhy) {
  const std::string dir = ::testing::TempDir();
  std::vector<std::uint8_t> samples = test::SynthesizeNoise(4800, 20.0, 3);
  test::WavFormat sixteen;
  sixteen.sixteenBit = true;
  sixteen.channels = 2;
  ASSERT_TRUE(test::WriteWav(dir + "/s16.wav", samples, sixteen));
  std::vector<std::uint8_t> loaded;
  std::string error;
  ASSERT_TRUE(LoadRecording(dir + "/s16.wav", &loaded, &error)) << error;
  EXPECT_EQ(loaded, samples);

  test::WavFormat slow;
  slow.sampleRate = 44100;
  ASSERT_TRUE(test::WriteWav(dir + "/slow.wav", samples, slow));
  EXPECT_FALSE(LoadRecording(dir + "/slow.wav", &loaded, &error));
  EXPECT_NE(error.find("44100"), std::string::npos) << error;
  EXPECT_FALSE(LoadRecording(dir + "/missing.wav", &loaded, &error));
  EXPECT_NE(error.find("missing.wav"), std::string::npos) << error;
}

// Run by its own test entry with PULSE_SERVER pointing at nothing.
TEST(NoAudioServer, StartShowsTheDriverMessageAndChangesNothing) {
  if (!NoServerRun()) GTEST_SKIP() << "runs with no audio server only";
  App();
  class Host final : public DocumentHost {
   public:
    void UpdateAllViews() override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetMainWindowTitle(const std::string& title) override { titles.push_back(title); }
    std::uint32_t SetViewTimer(int id, int) override {
      ++timers;
      return static_cast<std::uint32_t>(id);
    }
    void KillViewTimer(std::uint32_t) override {}
    void ClearTrackHistory() override {}
    std::vector<std::string> messages, titles;
    int timers = 0;
  } host;
  HeldClock clock;
  CVantrelDoc doc(clock, "/nonexistent/");
  QtWaveIn wave;
  doc.SetHost(&host);
  doc.waveIn = &wave;
  doc.EnumerateSoundCards();
  EXPECT_EQ(doc.deviceId, (std::array<int, 5>{-1, -1, -1, -1, -1}));
  EXPECT_EQ(doc.deviceName[0], "");

  doc.StartCapture();
  EXPECT_EQ(host.messages, std::vector<std::string>{"On opening the wave device..no device driver present"});
  EXPECT_EQ(doc.captureRunning, 0);
  EXPECT_TRUE(host.titles.empty());
  EXPECT_EQ(host.timers, 0);
  EXPECT_FALSE(doc.captureHeaders[0]);
}

}  // namespace
}  // namespace vantrel
