// A D-Bus session bus of the test's own, so that tests running side by side
// (and the desktop programs other tests start) never compete for a name.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace vantrel::test {

class PrivateBus {
 public:
  // serviceDir, when given, holds .service files the bus may start programs
  // from; they inherit the bus's environment, with extra added.
  explicit PrivateBus(const QString& serviceDir = {}, const QProcessEnvironment& extra = {}) {
    address_ = "unix:path=" + dir_.path() + "/bus";
    QFile config(dir_.path() + "/bus.conf");
    if (!dir_.isValid() || !config.open(QIODevice::WriteOnly)) return;
    config.write(("<busconfig><type>session</type><listen>" + address_ + "</listen>" +
                  (serviceDir.isEmpty()
                       ? QString()
                       : "<servicedir>" + QDir(serviceDir).absolutePath() + "</servicedir>") +
                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                     .toUtf8());
    config.close();
    QProcessEnvironment env = Environment();
    env.insert(extra);
    daemon_.setProcessEnvironment(env);
    daemon_.setStandardErrorFile(QProcess::nullDevice());  // a file limit it cannot raise
    daemon_.start("dbus-daemon",
                  {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    // The address is printed once the bus listens.
    ok_ = daemon_.waitForReadyRead(5000) && !daemon_.readLine().trimmed().isEmpty();
  }
  ~PrivateBus() { Stop(); }

  // Ends the bus, as the end of a desktop session does.
  void Stop() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) daemon_.kill(), daemon_.waitForFinished();
  }

  bool ok() const { return ok_; }
  // The system environment with this bus as the session bus.
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    return env;
  }

 private:
  QTemporaryDir dir_{QDir::tempPath() + "/vantrel-bus.XXXXXX"};
  QProcess daemon_;
  QString address_;
  bool ok_ = false;
};

}  // namespace vantrel::test
