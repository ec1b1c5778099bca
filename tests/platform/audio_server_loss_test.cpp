// Capture through the wave input when its audio server is killed (a private
// server; the shared one is left alone): one report and a clean stop
// (platform.NoAudioServer checks a start with no server). e2e.AudioServerLoss
// shows the program running on and capturing again once the server is back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "document/vantrel_doc.h"
#include "platform/qt_wave_in.h"
#include "support/fake_host.h"

namespace vantrel {
namespace {

TEST(AudioServerLoss, CaptureReportsOnceAndStops) {
  if (qEnvironmentVariableIsSet("VANTREL_NO_AUDIO_SERVER")) GTEST_SKIP() << "no audio server run";
  static int argc = 1;
  static char name[] = "platform_tests", *argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
  HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/nonexistent/");
  FakeHost host;
  doc.SetHost(&host);
  // Runs the event loop and polls capture, as the 500 ms timer would, until done.
  const auto pollUntil = [&](auto done, int ms) {
    for (const QDeadlineTimer deadline(ms); !done() && !deadline.hasExpired(); doc.PollCapture())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
  };

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString socket = dir.path() + "/native";
  QProcess server;  // killed on every way out; the shared bus belongs to the shared server
  server.start("env",
               {"-u", "DBUS_SESSION_BUS_ADDRESS", "HOME=" + dir.path(),
                "XDG_RUNTIME_DIR=" + dir.path(), "PULSE_RUNTIME_PATH=" + dir.path() + "/pulse",
                "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-level=error",
                "--load=module-native-protocol-unix socket=" + socket,
                "--load=module-null-source source_name=dying format=u8 rate=48000 "
                "channels=1 description=DyingInput"});
  ASSERT_TRUE(pollUntil([&] { return QFile::exists(socket); }, 10000)) << "no private server";

  // The wave input connects to the server named here.
  qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
  QtWaveIn wave;
  doc.waveIn = &wave;
  WaveInCaps caps;
  doc.deviceId[0] = -1;
  for (int d = 0; d < wave.DeviceCount(); ++d)
    if (wave.GetDeviceCaps(d, caps) == kWaveOk && caps.productName == "DyingInput")
      doc.deviceId[0] = d;
  if (doc.deviceId[0] < 0)
    GTEST_SKIP() << "audio back end already tied to another server; run alone";

  doc.StartCapture();
  ASSERT_EQ(doc.captureRunning, 1) << (host.messages.empty() ? "" : host.messages[0]);
  ASSERT_TRUE(pollUntil([&] { return doc.currentCaptureBuffer != 0; }, 10000));  // a second decoded
  server.kill();
  ASSERT_TRUE(server.waitForFinished(5000));
  ASSERT_TRUE(pollUntil([&] { return doc.captureRunning == 0; }, 10000)) << "loss not noticed";
  pollUntil([] { return false; }, 1500);  // later ticks report nothing more
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].rfind("On recording..", 0), 0u) << host.messages[0];
  EXPECT_EQ(host.titles.back(), "Vantrel from Brennick - processing stopped");
  for (const auto& header : doc.captureHeaders) EXPECT_EQ(header, nullptr);
  qunsetenv("PULSE_SERVER");  // later tests use the shared server
}

}  // namespace
}  // namespace vantrel
