// The desktop program on a session bus of the test's own, read by the
// command-line clients a user would use: the running program answers from
// what it decoded a moment before, and a call with no program running
// starts one for automation through the build tree's service file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <signal.h>

#include <cstdlib>
#include <functional>

#include "support/private_bus.h"
#include "support/signal_synth.h"

namespace vantrel {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "e2e_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

struct Reply {
  int exitCode = -1;
  QString out, err;
};

Reply RunClient(const QProcessEnvironment& env, const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, args);
  if (!p.waitForFinished(15000)) p.kill(), p.waitForFinished();
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
          QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

// gdbus call --session --dest Vantrel.Document --object-path /Vantrel/Document
//   --method Vantrel.Document.GetSatData -- satellite item
QString Gdbus(const test::PrivateBus& bus, int satellite, int item) {
  const Reply r = RunClient(bus.Environment(), "gdbus",
                      {"call", "--session", "--dest", "Vantrel.Document", "--object-path",
                       "/Vantrel/Document", "--method", "Vantrel.Document.GetSatData", "--",
                       QString::number(satellite), QString::number(item)});
  return r.exitCode == 0 ? r.out : "error: " + r.err;
}

double Number(const QString& reply) {  // "(<45.000173>,)"
  return reply.mid(2, reply.size() - 5).toDouble();
}

bool Eventually(const std::function<bool()>& condition, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(100);
  }
  return true;
}

bool ProcessGone(qint64 pid) {
  QFile stat(QString("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();  // "pid (name) S ..."; Z: ended, not yet reaped
  const int close = text.lastIndexOf(')');
  return close > 0 && text.mid(close + 2, 1) == "Z";
}

class Automation : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binDir = std::getenv("VANTREL_BIN_DIR");
    if (binDir == nullptr || !QFile::exists(QString(binDir) + "/vantrel"))
      GTEST_SKIP() << "desktop program not built";
    App();
    binDir_ = binDir;
    ASSERT_TRUE(home_.isValid());
    // A first run: no stored settings, so the satellite table starts empty.
    env_.insert("HOME", home_.path());
    env_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env_.insert("QT_QPA_PLATFORM", "offscreen");
  }
  QString binDir_;
  QTemporaryDir home_;
  QProcessEnvironment env_;
};

TEST_F(Automation, RunningProgramAnswersFromWhatItJustDecoded) {
  test::PrivateBus bus;
  ASSERT_TRUE(bus.ok());

  // An ephemeris packet of FM-12 at 45.000173 N 36.869898 E, sent upright
  // and inverted so that it decodes whichever polarity the receiver holds.
  const test::Packet ephemeris = {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4,
                                  0xC4, 0x0C, 0,    0,    0,    0,    0,    0,
                                  0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78};
  std::vector<std::uint8_t> audio(4800, 128);
  for (const bool inverted : {false, true}) {
    test::SynthOptions options;
    options.inverted = inverted;
    options.noise = 3.0;
    options.idleBits = 300;
    const auto part = test::SynthesizePackets({ephemeris}, options);
    audio.insert(audio.end(), part.begin(), part.end());
  }
  audio.insert(audio.end(), 2 * 48000, 128);  // the ring needs a second behind the packet
  const QString wav = home_.path() + "/ephemeris.wav";
  ASSERT_TRUE(test::WriteWav(wav.toStdString(), audio));

  QProcess vantrel;
  QProcessEnvironment env = bus.Environment();
  env.insert(env_);
  vantrel.setProcessEnvironment(env);
  vantrel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  vantrel.start(binDir_ + "/vantrel", {"--input", wav, "--start"});
  ASSERT_TRUE(vantrel.waitForStarted(10000));

  const QDateTime started = QDateTime::currentDateTimeUtc();
  ASSERT_TRUE(Eventually([&] { return Gdbus(bus, 0, 0) == "(<'FM-12'>,)"; }, 20000))
      << Gdbus(bus, 0, 0).toStdString();

  EXPECT_EQ(Gdbus(bus, 5, 0), "(<'FM-05'>,)");
  EXPECT_EQ(Gdbus(bus, 37, 0), "(<'FM-12'>,)");
  EXPECT_NEAR(Number(Gdbus(bus, 0, 1)), 45.000173, 1e-6);
  EXPECT_NEAR(Number(Gdbus(bus, 12, 2)), 36.869898, 1e-6);
  EXPECT_EQ(Gdbus(bus, 12, 3), "(<0.0>,)");
  EXPECT_EQ(Gdbus(bus, 0, 4), "(<0.0>,)");
  EXPECT_EQ(Gdbus(bus, 5, 6), "(<@av []>,)");
  EXPECT_EQ(Gdbus(bus, 5, -1), "(<@av []>,)");
  EXPECT_EQ(Gdbus(bus, 7, 5), "(<'1970-01-01 00:00:00UTC'>,)");
  const QRegularExpression timeReply(R"(^\(<'(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)UTC'>,\)$)");
  const QRegularExpressionMatch time = timeReply.match(Gdbus(bus, 0, 5));
  ASSERT_TRUE(time.hasMatch());
  QDateTime stamp = QDateTime::fromString(time.captured(1), "yyyy-MM-dd HH:mm:ss");
  stamp.setTimeZone(QTimeZone::utc());
  EXPECT_LE(std::abs(stamp.secsTo(started)), 30);

  // Wrong argument types or count: an error for the caller, nothing more.
  for (const QStringList& args : {QStringList{"string:5", "int16:0"}, {"int32:5", "int32:0"},
                                  {"int16:5"}, {"int16:5", "int16:0", "int16:0"}}) {
    const Reply r = RunClient(bus.Environment(), "dbus-send",
                        QStringList{"--session", "--print-reply", "--dest=Vantrel.Document",
                                    "/Vantrel/Document", "Vantrel.Document.GetSatData"} + args);
    EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains("org.freedesktop.DBus.Error.")) << r.err.toStdString();
  }
  EXPECT_EQ(vantrel.state(), QProcess::Running);
  EXPECT_EQ(Gdbus(bus, 12, 0), "(<'FM-12'>,)");

  // Closing the program withdraws the name.
  ::kill(static_cast<pid_t>(vantrel.processId()), SIGTERM);
  ASSERT_TRUE(vantrel.waitForFinished(10000));
  EXPECT_EQ(vantrel.exitCode(), 0);
  EXPECT_TRUE(Gdbus(bus, 5, 0).contains("ServiceUnknown"));
}

TEST_F(Automation, CallWithNoProgramRunningStartsOneForAutomation) {
  const QString serviceDir = binDir_ + "/../dbus-services";
  ASSERT_TRUE(QFile::exists(serviceDir + "/Vantrel.Document.service"));
  test::PrivateBus bus(serviceDir, env_);
  ASSERT_TRUE(bus.ok());

  EXPECT_EQ(Gdbus(bus, 3, 0), "(<'FM-03'>,)");
  EXPECT_EQ(Gdbus(bus, 0, 0), "(<'FM-00'>,)");  // nothing decoded: record 0
  EXPECT_EQ(Gdbus(bus, 0, 5), "(<'1970-01-01 00:00:00UTC'>,)");

  const Reply owner = RunClient(bus.Environment(), "gdbus",
                          {"call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                           "/org/freedesktop/DBus", "--method",
                           "org.freedesktop.DBus.GetConnectionUnixProcessID", "Vantrel.Document"});
  const QRegularExpressionMatch pid = QRegularExpression(R"(\(uint32 (\d+),\))").match(owner.out);
  ASSERT_TRUE(pid.hasMatch()) << owner.out.toStdString() << owner.err.toStdString();
  const qint64 programPid = pid.captured(1).toLongLong();
  QFile cmdline(QString("/proc/%1/cmdline").arg(programPid));
  ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
  EXPECT_TRUE(cmdline.readAll().contains("--automation"));
  cmdline.close();

  // The session ends: the program started for it ends too.
  bus.Stop();
  EXPECT_TRUE(Eventually([&] { return ProcessGone(programPid); }, 10000));
  if (!ProcessGone(programPid)) ::kill(static_cast<pid_t>(programPid), SIGKILL);
}

TEST_F(Automation, WithoutASessionBusTheProgramRunsOnAndAutomationStartEnds) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(env_);
  env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.path() + "/no-bus");
  env.remove("DISPLAY");  // no X11 autolaunch of a bus either

  QProcess vantrel;
  vantrel.setProcessEnvironment(env);
  vantrel.start(binDir_ + "/vantrel", {});
  ASSERT_TRUE(vantrel.waitForStarted(10000));
  EXPECT_FALSE(vantrel.waitForFinished(1500));  // still running
  ::kill(static_cast<pid_t>(vantrel.processId()), SIGTERM);
  ASSERT_TRUE(vantrel.waitForFinished(10000));
  EXPECT_EQ(vantrel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(vantrel.exitCode(), 0);

  // Started for automation with no bus to serve: nothing to wait for.
  vantrel.start(binDir_ + "/vantrel", {"--automation"});
  ASSERT_TRUE(vantrel.waitForFinished(10000));
  EXPECT_EQ(vantrel.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(vantrel.exitCode(), 0);
}

}  // namespace
}  // namespace vantrel
