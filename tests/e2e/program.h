// The desktop program run as a process, and the clients the tests talk to it with.
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

// Offscreen, with env added to the system environment.
inline void Start(QProcess& program, const QProcessEnvironment& env, const QStringList& args = {}) {
  QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
  all.insert("QT_QPA_PLATFORM", "offscreen");
  all.insert(env);
  program.setProcessEnvironment(all);
  program.setProcessChannelMode(QProcess::ForwardedChannels);
  program.start(ProgramPath(), args);
  program.waitForStarted(10000);
}

// The exit code after the signal, or -1 when the program did not end normally.
inline int Stop(QProcess& program, int signalNumber = SIGTERM) {
  ::kill(static_cast<pid_t>(program.processId()), signalNumber);
  if (!program.waitForFinished(10000)) return -1;
  return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
}

// Logged lines without their time stamps, consecutive repeats counted once
// (the first packet can decode in both copies while the polarity settles).
inline std::vector<std::string> LoggedLines(const QString& dir) {
  std::vector<std::string> lines;
  for (const QString& name : QDir(dir).entryList({"orbcomm??????.log"}, QDir::Files, QDir::Name)) {
    QFile file(dir + "/" + name);
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& raw : file.readAll().split('\n')) {
      const QByteArray line = raw.left(raw.lastIndexOf('[')).trimmed();
      if (!line.isEmpty() && (lines.empty() || lines.back() != line.toStdString()))
        lines.push_back(line.toStdString());
    }
  }
  return lines;
}

inline bool Eventually(const std::function<bool()>& condition, int ms) {
  const QDeadlineTimer deadline(ms);
  while (!condition() && !deadline.hasExpired()) QThread::msleep(100);
  return condition();
}

// A client's printed reply, or "error: " and what it printed on failing.
inline QString RunClient(const QProcessEnvironment& env, const QString& client,
                         const QStringList& args) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(client, args);
  if (!p.waitForFinished(15000)) p.kill(), p.waitForFinished();
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
             ? QString::fromUtf8(p.readAllStandardOutput()).trimmed()
             : "error: " + QString::fromUtf8(p.readAllStandardError()).trimmed();
}

inline QStringList GdbusArgs(int satellite, int item) {
  const QString call =
      "call --session --dest Vantrel.Document --object-path /Vantrel/Document "
      "--method Vantrel.Document.GetSatData --";
  return call.split(' ') << QString::number(satellite) << QString::number(item);
}

// GetSatData through gdbus as a user would call it.
inline QString Gdbus(const QProcessEnvironment& env, int satellite, int item) {
  return RunClient(env, "gdbus", GdbusArgs(satellite, item));
}

}  // namespace vantrel::test
