// The desktop program run as a process, offscreen, and its daily logs.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <signal.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::test {

inline QString ProgramPath() { return QString(std::getenv("VANTREL_BIN_DIR")) + "/vantrel"; }

// A settings file holding lines in config, and the environment of a program
// using it with no audio server and the test SDR receiver playing iqFile.
inline QProcessEnvironment Desktop(const QString& config, const QByteArray& lines,
                                   const QString& iqFile = {}) {
  QDir().mkpath(config + "/Vantrel");
  QFile settings(config + "/Vantrel/Vantrel.conf");
  settings.open(QIODevice::WriteOnly);
  settings.write("[General]\n" + lines);
  QProcessEnvironment env;
  env.insert("XDG_CONFIG_HOME", config);
  env.insert("PULSE_SERVER", "unix:/nonexistent/pulse/native");
  env.insert("SOAPY_SDR_PLUGIN_PATH",
             QString(std::getenv("VANTREL_BIN_DIR")) + "/../soapy-modules");
  env.insert("VANTREL_TEST_IQ_FILE", iqFile);
  return env;
}

// env is added to the system environment.
inline void Start(QProcess& program, const QProcessEnvironment& env, const QStringList& args = {}) {
  QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
  all.insert("QT_QPA_PLATFORM", "offscreen");
  all.insert(env);
  program.setProcessEnvironment(all);
  program.setProcessChannelMode(QProcess::ForwardedChannels);
  program.start(ProgramPath(), args);
  program.waitForStarted(10000);
}

// The exit code after SIGTERM, or -1 when the program did not end normally.
inline int Stop(QProcess& program) {
  ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
  if (!program.waitForFinished(10000)) return -1;
  return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

inline bool Eventually(const std::function<bool()>& condition, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!condition() && !deadline.hasExpired()) QThread::msleep(100);
  return condition();
}

}  // namespace vantrel::test
