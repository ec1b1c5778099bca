// The desktop program's settings across runs: started with a temporary
// XDG_CONFIG_HOME and ended by SIGTERM or SIGINT, which take the File > Exit
// path, it must leave all 54 values in its settings file, the stored ones
// carried through the run unchanged.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "document/satellite_record.h"

namespace vantrel {
namespace {

QString Program() {
  const char* binDir = std::getenv("VANTREL_BIN_DIR");
  return binDir ? QString(binDir) + "/vantrel" : QString();
}

bool DocumentOnBus() {
  QProcess p;
  p.start("gdbus", {"call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                    "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner",
                    "Vantrel.Document"});
  p.waitForFinished(3000);
  return p.readAllStandardOutput().contains("true");
}

// Runs the program until it is up (its document registered on the session
// bus, or a few seconds have passed), then sends the signal and waits.
void RunAndSignal(const QString& configHome, int signalNumber, bool* fileExistedWhileRunning,
                  const QStringList& arguments = {}) {
  QProcess vantrel;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", configHome);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  vantrel.setProcessEnvironment(env);
  vantrel.setProcessChannelMode(QProcess::ForwardedChannels);
  vantrel.start(Program(), arguments);
  ASSERT_TRUE(vantrel.waitForStarted(10000));
  const QDeadlineTimer up(4000);
  while (!DocumentOnBus() && !up.hasExpired()) QThread::msleep(100);
  QThread::msleep(300);  // the window is shown after the registration
  *fileExistedWhileRunning = QFile::exists(configHome + "/Vantrel/Vantrel.conf");

  ::kill(static_cast<pid_t>(vantrel.processId()), signalNumber);
  ASSERT_TRUE(vantrel.waitForFinished(10000));
  EXPECT_EQ(vantrel.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(vantrel.exitCode(), 0);
}

class SettingsRestart : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (Program().isEmpty() || !QFile::exists(Program())) GTEST_SKIP() << "desktop program not built";
    ASSERT_TRUE(home_.isValid());
    configHome_ = home_.path() + "/config";
    path_ = configHome_ + "/Vantrel/Vantrel.conf";
  }
  QTemporaryDir home_;
  QString configHome_;
  QString path_;
};

TEST_P(SettingsRestart, FirstRunWritesAll54ValuesOnlyAtExit) {
  bool existed = true;
  RunAndSignal(configHome_, GetParam(), &existed);
  EXPECT_FALSE(existed) << "settings are written only when the program ends";
  QSettings file(path_, QSettings::IniFormat);
  EXPECT_EQ(file.allKeys().size(), 54) << file.allKeys().join(' ').toStdString();
  EXPECT_EQ(file.value("ViewState").toString(), "0");
  EXPECT_EQ(file.value("HomeLat").toString(), "-34.5");
  EXPECT_EQ(file.value("b1E").toString(), "0");
}

TEST_P(SettingsRestart, StoredValuesComeThroughARunUnchanged) {
  SatelliteRecord heard{137.5, 36.869898, 45.000173, 1178964672, 0};
  const QByteArray sat12 = QByteArray(reinterpret_cast<const char*>(&heard), 32).toHex();
  const QString tle = "/home/op/" + QString(300, 't') + ".tle";
  {
    ASSERT_TRUE(QDir().mkpath(configHome_ + "/Vantrel"));
    QSettings file(path_, QSettings::IniFormat);
    file.setValue("ViewState", "3");
    file.setValue("Soundcardoption", "2");
    file.setValue("HomeLat", "37.185");
    file.setValue("HomeLon", "-8.6");
    file.setValue("b1E", "1");
    file.setValue("Sat12", QString::fromLatin1(sat12));
    file.setValue("TleFile", tle);
    file.setValue("LogDirectory", home_.path() + "/logs/");
  }
  // A recording given for one run takes Source 1 for that run only.
  const QString demo = QString(std::getenv("VANTREL_SOURCE_DIR")) + "/data/demo.wav";
  bool existed = false;
  RunAndSignal(configHome_, GetParam(), &existed, {"--input", demo});

  QFile::copy(path_, path_ + ".read");  // a fresh name: QSettings caches what it wrote
  QSettings reread(path_ + ".read", QSettings::IniFormat);
  EXPECT_EQ(reread.allKeys().size(), 54);
  EXPECT_EQ(reread.value("ViewState").toString(), "3");
  EXPECT_EQ(reread.value("Soundcardoption").toString(), "2");
  EXPECT_EQ(reread.value("HomeLat").toString(), "37.185");
  EXPECT_EQ(reread.value("HomeLon").toString(), "-8.6");
  EXPECT_EQ(reread.value("b1E").toString(), "1");
  EXPECT_EQ(reread.value("Sat12").toString(), QString::fromLatin1(sat12));
  EXPECT_EQ(reread.value("TleFile").toString(), tle);
  EXPECT_EQ(reread.value("LogDirectory").toString(), home_.path() + "/logs/");
}

INSTANTIATE_TEST_SUITE_P(Signals, SettingsRestart, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) { return info.param == SIGTERM ? "SIGTERM" : "SIGINT"; });

}  // namespace
}  // namespace vantrel
