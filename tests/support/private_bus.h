// A D-Bus session bus of the test's own, so that tests running side by side
// (and the desktop programs other tests start) never compete for a name.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace vantrel::test {

class PrivateBus {
 public:
  // serviceDir, when given, holds .service files the bus may start programs
  // from; they inherit the bus's environment, with extra added.
  explicit PrivateBus(const QString& serviceDir = {}, const QProcessEnvironment& extra = {}) {
    if (!dir_.isValid()) return;
    address_ = "unix:path=" + dir_.path() + "/bus";
    QFile config(dir_.path() + "/bus.conf");
    if (!config.open(QIODevice::WriteOnly)) return;
    QString xml =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>" +
        address_ + "</listen>\n";
    if (!serviceDir.isEmpty())
      xml += "<servicedir>" + QDir(serviceDir).absolutePath() + "</servicedir>\n";
    xml +=
        "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    config.write(xml.toUtf8());
    config.close();
    // Programs the bus starts inherit its environment: they find this bus.
    QProcessEnvironment env = Environment();
    env.insert(extra);
    daemon_.setProcessEnvironment(env);
    // It complains when it cannot raise its file limit; nothing to see.
    daemon_.setStandardErrorFile(QProcess::nullDevice());
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
