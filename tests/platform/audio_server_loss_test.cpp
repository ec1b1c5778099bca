// Capture when the audio server goes away: the test starts an audio server
// of its own (the shared test server is left alone), captures from it
// through the document, then kills it. Capture must report once, stop
// cleanly, and leave the document usable: later polls do nothing and a new
// start fails with a message instead of a crash.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/vantrel_doc.h"
#include "platform/qt_wave_in.h"

namespace vantrel {
namespace {

class MessageHost final : public DocumentHost {
 public:
  void UpdateAllViews() override {}
  void SetMainWindowTitle(const std::string& text) override { title = text; }
  std::uint32_t SetViewTimer(int eventId, int) override { return static_cast<std::uint32_t>(eventId); }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override {}
  std::vector<std::string> messages;
  std::string title;
};

// Runs the event loop, polling capture as the 500 ms timer would, until done.
bool PollUntil(CVantrelDoc& doc, const std::function<bool()>& done, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    doc.PollCapture();
  }
  return done();
}

TEST(AudioServerLoss, CaptureReportsOnceStopsAndTheProgramRunsOn) {
  if (std::getenv("VANTREL_NO_AUDIO_SERVER") != nullptr) GTEST_SKIP() << "no audio server run";
  if (QStandardPaths::findExecutable("pulseaudio").isEmpty()) GTEST_SKIP() << "no pulseaudio";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ::chmod(dir.path().toLocal8Bit().constData(), 0700);
  const QString socket = dir.path() + "/native";

  QProcess server;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", dir.path());
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("PULSE_RUNTIME_PATH", dir.path() + "/pulse");
  env.remove("DBUS_SESSION_BUS_ADDRESS");  // the shared bus is the shared server's
  server.setProcessEnvironment(env);
  server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  server.start("pulseaudio",
               {"-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
                "--log-level=error", "--load=module-native-protocol-unix socket=" + socket,
                "--load=module-null-source source_name=dying format=u8 rate=48000 channels=1 "
                "description=DyingInput"});
  ASSERT_TRUE(server.waitForStarted(5000));
  // Whatever happens below, the private server does not outlive the test.
  const std::unique_ptr<QProcess, void (*)(QProcess*)> stopServer(&server, [](QProcess* p) {
    if (p->state() != QProcess::NotRunning) {
      p->kill();
      p->waitForFinished(5000);
    }
  });
  // Ready when the socket answers; pactl is asked rather than guessing a delay.
  ASSERT_TRUE([&] {
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
      QProcess pactl;
      QProcessEnvironment clientEnv = env;
      clientEnv.insert("PULSE_SERVER", "unix:" + socket);
      pactl.setProcessEnvironment(clientEnv);
      pactl.start("pactl", {"info"});
      if (pactl.waitForFinished(3000) && pactl.exitCode() == 0) return true;
      QThread::msleep(100);
    }
    return false;
  }()) << "private audio server did not start";

  // Qt's audio back end connects once per process, to the server named now.
  qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);

  HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/nonexistent/");
  MessageHost host;
  doc.SetHost(&host);
  QtWaveIn wave;
  doc.waveIn = &wave;
  int device = -1;
  for (int d = 0; d < wave.DeviceCount(); ++d) {
    WaveInCaps caps;
    if (wave.GetDeviceCaps(d, caps) == kWaveOk && caps.productName == "DyingInput") device = d;
  }
  if (device < 0) GTEST_SKIP() << "audio back end already tied to another server; run this test alone";
  doc.deviceId[0] = device;
  doc.soundCardSlot = 0;

  doc.StartCapture();
  ASSERT_EQ(doc.captureRunning, 1) << (host.messages.empty() ? "" : host.messages[0]);
  // A second of audio arrives and is decoded.
  ASSERT_TRUE(PollUntil(doc, [&] { return doc.currentCaptureBuffer != 0; }, 10000));
  EXPECT_TRUE(host.messages.empty());

  server.kill();
  ASSERT_TRUE(server.waitForFinished(5000));
  ASSERT_TRUE(PollUntil(doc, [&] { return doc.captureRunning == 0; }, 10000))
      << "capture did not notice the server going away";
  PollUntil(doc, [] { return false; }, 1500);  // later ticks change nothing
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].rfind("On recording..", 0), 0u) << host.messages[0];
  EXPECT_EQ(host.title, "Vantrel from Brennick - processing stopped");
  for (const auto& header : doc.captureHeaders) EXPECT_EQ(header, nullptr);

  // The program runs on: a new start says why it cannot capture, and stops stay harmless.
  doc.StartCapture();
  EXPECT_EQ(doc.captureRunning, 0);
  EXPECT_EQ(host.messages.size(), 2u);
  doc.StopCapture();
  doc.PollCapture();
  doc.FeedSample(128);
}

}  // namespace
}  // namespace vantrel
