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
  // Programs the bus starts from the .service files in serviceDir get extra in their environment.
  explicit PrivateBus(const QString& serviceDir = {}, const QProcessEnvironment& extra = {}) {
    QFile config(dir_.path() + "/bus.conf");
    if (!config.open(QIODevice::WriteOnly)) return;
    config.write(QString("<busconfig><type>session</type><listen>%1</listen>%2<policy "
                         "context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                     .arg(address_,
                          serviceDir.isEmpty() ? "" : "<servicedir>" + serviceDir + "</servicedir>")
                     .toUtf8());
    config.close();
    QProcessEnvironment env = Environment();
    env.insert(extra);
    daemon_.setProcessEnvironment(env);
    daemon_.setStandardErrorFile(QProcess::nullDevice());  // a file limit it cannot raise
    daemon_.start("dbus-daemon",
                  {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
    ok_ = daemon_.waitForReadyRead(5000);  // its address, printed once it listens
  }
  ~PrivateBus() { Stop(); }

  // Ends the bus, as the end of a desktop session does.
  void Stop() {
    daemon_.terminate();
    daemon_.waitForFinished(3000);
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
  QString address_ = "unix:path=" + dir_.path() + "/bus";
  QProcess daemon_;
  bool ok_ = false;
};

}  // namespace vantrel::test
