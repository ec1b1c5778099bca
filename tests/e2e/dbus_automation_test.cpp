// The desktop program on a session bus of the test's own, read by the
// command-line clients a user would use.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "e2e/program.h"
#include "support/private_bus.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

// gdbus's printed reply, or "error: " and what it printed on failing.
QString Gdbus(const QProcessEnvironment& env, const QString& call) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start("gdbus", call.split(' '));
  if (!p.waitForFinished(15000)) p.kill(), p.waitForFinished();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
             ? QString::fromUtf8(p.readAllStandardOutput()).trimmed()
             : "error: " + QString::fromUtf8(p.readAllStandardError()).trimmed();
}

// The calls a user would make: GetSatData or GetSatelliteData.
QString SatData(int satellite, int item, const char* method = "GetSatData") {
  return QString::asprintf(
      "call --session --dest Vantrel.Document --object-path /Vantrel/Document --method "
      "Vantrel.Document.%s -- %d %d",
      method, satellite, item);
}

bool ProcessGone(qint64 pid) {
  QFile stat(QString("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();  // "pid (name) S ..."; Z: ended, not yet reaped
  return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

class Automation : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "desktop program not built";
    env_.insert("HOME", home_.path());  // a first run: the satellite table starts empty
    env_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env_.insert("QT_QPA_PLATFORM", "offscreen");
  }
  QTemporaryDir home_;
  QProcessEnvironment env_;
};

TEST_F(Automation, RunningProgramAnswersFromWhatItJustDecoded) {
  test::PrivateBus bus;
  ASSERT_TRUE(bus.ok());
  const QProcessEnvironment client = bus.Environment();
  const auto sat = [&client](int s, int item) { return Gdbus(client, SatData(s, item)); };
  // An FM-44 ephemeris packet, upright and inverted so that it decodes at either polarity.
  std::vector<std::uint8_t> audio(4800, 128);
  for (const bool inverted : {false, true}) {
    const auto part =
        synth::SynthesizePackets({synth::EphemerisPacket(44, 45.0, 36.87, 800.0, 1400, 0)},
                                 {.noise = 3.0, .inverted = inverted, .idleBits = 300});
    audio.insert(audio.end(), part.begin(), part.end());
  }
  audio.insert(audio.end(), 2 * 48000, 128);  // the ring needs a second behind the packet
  const QString wav = home_.path() + "/ephemeris.wav";
  ASSERT_TRUE(synth::WriteWav(wav.toStdString(), audio));

  // A recording given for one run takes Source 1 for that run only: the stored source stays.
  QProcessEnvironment env = client;
  env.insert(env_);
  env.insert(test::Desktop(home_.path() + "/config", "Soundcardoption=2\n"));
  QProcess vantrel;
  test::Start(vantrel, env, {"--input", wav, "--start"});
  ASSERT_TRUE(test::Eventually([&] { return sat(0, 0) == "(<'FM-44'>,)"; }, 20000));

  const QString longitude = Gdbus(client, SatData(44, 2, "GetSatelliteData"));  // "(<36.87..>,)"
  EXPECT_NEAR(longitude.mid(2, longitude.size() - 5).toDouble(), 36.87, 1e-4);
  EXPECT_EQ(sat(12, 0), "(<'FM-12'>,)");

  EXPECT_EQ(test::Stop(vantrel), 0);
  QFile stored(home_.path() + "/config/Vantrel/Vantrel.conf");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_TRUE(stored.readAll().contains("\nSoundcardoption=2\n"));
  EXPECT_TRUE(sat(5, 0).contains("ServiceUnknown"));  // the name goes with the program
}

TEST_F(Automation, CallWithNoProgramRunningStartsOneForAutomation) {
  const QString serviceDir = QFileInfo(test::ProgramPath()).path() + "/../dbus-services";
  test::PrivateBus bus(serviceDir, env_);
  ASSERT_TRUE(bus.ok());
  EXPECT_EQ(Gdbus(bus.Environment(), SatData(3, 0)), "(<'FM-03'>,)");

  const QString owner = Gdbus(bus.Environment(),
                              "call --session --dest org.freedesktop.DBus --object-path "
                              "/org/freedesktop/DBus --method "
                              "org.freedesktop.DBus.GetConnectionUnixProcessID Vantrel.Document");
  const QRegularExpressionMatch pid = QRegularExpression(R"(\(uint32 (\d+),\))").match(owner);
  ASSERT_TRUE(pid.hasMatch()) << owner.toStdString();
  const qint64 programPid = pid.captured(1).toLongLong();
  QFile cmdline(QString("/proc/%1/cmdline").arg(programPid));
  ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
  EXPECT_TRUE(cmdline.readAll().contains("--automation"));

  // The session ends: the program started for it ends too.
  bus.Stop();
  EXPECT_TRUE(test::Eventually([&] { return ProcessGone(programPid); }, 10000));
  if (!ProcessGone(programPid)) ::kill(static_cast<pid_t>(programPid), SIGKILL);
}

}  // namespace
}  // namespace vantrel
