// vantrel --headless as a process: a recording runs to its end with the same
// log files the desktop program writes, and a missing stored receiver is one
// line on standard error with nothing recorded. (SIGTERM on a stalled input
// is the SDR capture test's.)
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "e2e/program.h"

namespace vantrel {
namespace {

// Each log file of dir by name, with the clock times of this run blanked.
std::map<QString, QByteArray> Logs(const QString& dir) {
  std::map<QString, QByteArray> logs;
  for (const QString& name : QDir(dir).entryList(QDir::Files)) {
    QFile file(dir + "/" + name);
    file.open(QIODevice::ReadOnly);
    logs[name] = QString::fromLatin1(file.readAll())
                     .replace(QRegularExpression("\\d\\d:\\d\\d:\\d\\d"), "hh:mm:ss")
                     .toLatin1();
  }
  return logs;
}

// Runs the program with the settings lines; returns its standard error.
QByteArray RunHeadless(QProcess& vantrel, const QString& config, const QByteArray& settings,
                       const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(test::Desktop(config, settings));
  env.remove("DISPLAY"), env.remove("WAYLAND_DISPLAY"), env.remove("QT_QPA_PLATFORM");
  vantrel.setProcessEnvironment(env);
  vantrel.start(test::ProgramPath(), QStringList{"--headless"} + args);
  vantrel.waitForFinished(15000);
  return vantrel.readAllStandardError();
}

TEST(Headless, ARecordingRunsToItsEndWithTheDesktopProgramsLogs) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  const QString recording =
      QString(std::getenv("VANTREL_SOURCE_DIR")) + "/recordings/pass-21cma-9600.cf32";
  // An IQ recording: a wave recording's packets vary by one from run to run
  // as the player's chunks fall.
  const QStringList input{"--input", recording, "--iq-format", "cf32", "--iq-rate", "9600"};
  QTemporaryDir home;
  const auto settings = [&](const QString& logs) {
    QDir().mkpath(home.path() + logs);
    return ("LogDirectory=" + home.path() + logs + "/\nLogflag=1\nRawflag=1\n").toUtf8();
  };
  QProcess headless;
  const QByteArray err = RunHeadless(headless, home.path() + "/h", settings("/hlogs"), input);
  EXPECT_EQ(std::pair(headless.exitStatus(), headless.exitCode()),
            std::pair(QProcess::NormalExit, 0));
  EXPECT_TRUE(err.endsWith("vantrel: The recording has ended: processing stopped\n")) << err.data();

  QProcess desktop;
  test::Start(desktop, test::Desktop(home.path() + "/d", settings("/dlogs")),
              input + QStringList{"--start"});
  const std::map<QString, QByteArray> logs = Logs(home.path() + "/hlogs");
  EXPECT_TRUE(test::Eventually([&] { return Logs(home.path() + "/dlogs") == logs; }, 15000))
      << Logs(home.path() + "/dlogs").size() << " desktop logs; headless wrote "
      << (logs.empty() ? QByteArray() : logs.begin()->second).data();
  EXPECT_EQ(test::Stop(desktop), 0);
  EXPECT_EQ(logs.size(), 2u);  // the daily and the raw log

  // The recording, played where no sound card is, is not stored as the Source.
  QFile stored(home.path() + "/h/Vantrel/Vantrel.conf");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_TRUE(stored.readAll().contains("\nSdrSource=\n"));
}

TEST(Headless, AMissingStoredReceiverIsOneLineAndNothingIsRecorded) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  QTemporaryDir home;
  QProcess vantrel;
  const QByteArray err =
      RunHeadless(vantrel, home.path(),
                  "LogDirectory=" + home.path().toUtf8() + "/\nSdrSource=Gone receiver\n", {});
  EXPECT_EQ(err, "vantrel: On opening the SDR receiver..\"Gone receiver\" is not present\n");
  EXPECT_EQ(std::pair(vantrel.exitStatus(), vantrel.exitCode()),
            std::pair(QProcess::NormalExit, 1));
  EXPECT_EQ(QDir(home.path()).entryList({"*.log"}, QDir::Files).size(), 0);
}

}  // namespace
}  // namespace vantrel
