// The registry on a real session bus (a private dbus-daemon for each test):
// many calls at once from a QtDBus client, a queued second instance, no bus,
// and the document built by the first call. What each item reads is tested
// against the running program (tests/e2e).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QVariantList>

#include <memory>
#include <vector>

#include "document/vantrel_doc.h"
#include "platform/dbus_service.h"
#include "support/private_bus.h"

namespace vantrel {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app =
      QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  return app ? *app : *QCoreApplication::instance();
}

// The bus the clients use: the current test's private one.
QProcessEnvironment gClientEnvironment;

// gdbus in its own process, while this one keeps answering calls; gdbus
// reads the signature (nn) from the exported introspection data.
QString Gdbus(int satellite, int item) {
  QProcess p;
  p.setProcessEnvironment(gClientEnvironment);
  p.start("gdbus", {"call", "--session", "--dest", kDBusServiceName, "--object-path",
                    kDBusObjectPath, "--method", QString(kDBusInterface) + ".GetSatData", "--",
                    QString::number(satellite), QString::number(item)});
  const QDeadlineTimer deadline(10000);
  while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    p.waitForFinished(1);
  }
  if (p.state() != QProcess::NotRunning) p.kill(), p.waitForFinished();
  return QString::fromUtf8(p.exitCode() == 0 ? p.readAllStandardOutput() : p.readAllStandardError())
      .trimmed();
}

bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
  const QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Each test has a bus of its own and a connection to it named after the test.
class OnPrivateBus : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(bus_.ok()) << "dbus-daemon did not start";
    gClientEnvironment = bus_.Environment();
    connectionName_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    connection_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(bus_.address(), connectionName_));
    ASSERT_TRUE(connection_->isConnected());
  }
  void TearDown() override {
    connection_.reset();
    QDBusConnection::disconnectFromBus(connectionName_);
  }
  bool NameHeld() {
    return connection_->interface()->isServiceRegistered(kDBusServiceName).value();
  }
  test::PrivateBus bus_;
  QString connectionName_;
  std::unique_ptr<QDBusConnection> connection_;
};

class DBusService : public OnPrivateBus {
 protected:
  DBusService() : clock_(0), doc_(clock_, "/nonexistent/") {
    doc_.lastSatellite = 12;
  }
  void SetUp() override {
    OnPrivateBus::SetUp();
    if (HasFatalFailure()) return;
    registry_ = std::make_unique<DBusObjectRegistry>(*connection_);
    RegisterRunningObject(doc_, registry_.get());
    ASSERT_NE(doc_.registrationCookie, 0u);
    ASSERT_TRUE(WaitFor([&] { return registry_->ownsName(); }));
  }
  void TearDown() override {
    if (registry_) RevokeRunningObject(doc_, registry_.get());
    registry_.reset();
    OnPrivateBus::TearDown();
  }
  HeldClock clock_;
  CVantrelDoc doc_;
  std::unique_ptr<DBusObjectRegistry> registry_;
};

TEST_F(DBusService, BurstOfCallsFromAnotherConnection) {
  QDBusConnection client = QDBusConnection::connectToBus(bus_.address(), "burst");
  ASSERT_TRUE(client.isConnected());
  std::vector<QDBusPendingCall> calls;
  for (int i = 0; i < 300; ++i) {
    QDBusMessage m = QDBusMessage::createMethodCall(kDBusServiceName, kDBusObjectPath,
                                                    kDBusInterface, "GetSatData");
    m << QVariant::fromValue(static_cast<short>(i % 40)) << QVariant::fromValue(static_cast<short>(i % 7));
    calls.push_back(client.asyncCall(m, 5000));
  }
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& c : calls)
      if (!c.isFinished()) return false;
    return true;
  }));
  for (int i = 0; i < 300; ++i) {
    const QDBusMessage reply = calls[i].reply();
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << i << reply.errorMessage().toStdString();
    const QVariant v = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
    const int satellite = i % 40, item = i % 7;
    if (item == 0) {
      EXPECT_EQ(v.toString(), satellite >= 1 && satellite <= 36
                                  ? QString::asprintf("FM-%02d", satellite) : QString("FM-12"));
    } else if (item == 6) {
      // The empty value: an empty array (of variants) and nothing else.
      EXPECT_EQ(v.metaType(), QMetaType::fromType<QDBusArgument>()) << i;
      EXPECT_EQ(qvariant_cast<QDBusArgument>(v).currentSignature(), "av");
    } else if (item != 5) {
      EXPECT_EQ(v.metaType(), QMetaType::fromType<double>()) << i;
    }
  }
  QDBusConnection::disconnectFromBus("burst");
}

TEST_F(DBusService, SecondInstanceQueuesAndTakesOverWhenTheFirstLeaves) {
  QDBusConnection second = QDBusConnection::connectToBus(bus_.address(), "second");
  ASSERT_TRUE(second.isConnected());
  HeldClock clock(0);
  CVantrelDoc doc(clock, "/nonexistent/");
  doc.lastSatellite = 30;
  {
    DBusObjectRegistry registry(second);
    RegisterRunningObject(doc, &registry);
    EXPECT_NE(doc.registrationCookie, 0u);  // queued counts as entered
    EXPECT_FALSE(registry.ownsName());
    EXPECT_EQ(Gdbus(0, 0), "(<'FM-12'>,)");  // the first instance still answers

    RevokeRunningObject(doc_, registry_.get());
    EXPECT_TRUE(WaitFor([&] { return registry.ownsName(); }));
    EXPECT_EQ(Gdbus(0, 0), "(<'FM-30'>,)");
    RevokeRunningObject(doc, &registry);
  }
  // Both gone: nobody holds the name any more.
  EXPECT_TRUE(WaitFor([&] { return !NameHeld(); }));
  QDBusConnection::disconnectFromBus("second");
}

TEST(DBusServiceWithoutBus, RegistrationFailsSilently) {
  App();
  HeldClock clock(0);
  CVantrelDoc doc(clock, "/nonexistent/");
  QDBusConnection none =
      QDBusConnection::connectToBus(QString("unix:path=/nonexistent/bus"), "nowhere");
  ASSERT_FALSE(none.isConnected());
  DBusObjectRegistry registry(none);
  RegisterRunningObject(doc, &registry);
  EXPECT_EQ(doc.registrationCookie, 0u);
  RevokeRunningObject(doc, &registry);
  QDBusConnection::disconnectFromBus("nowhere");
}

TEST_F(OnPrivateBus, FirstCallCreatesTheDocument) {
  HeldClock clock(0);
  std::unique_ptr<CVantrelDoc> doc;
  DBusObjectRegistry registry(*connection_);
  int created = 0;
  ASSERT_TRUE(registry.ListenForActivation([&] {
    ++created;
    doc = std::make_unique<CVantrelDoc>(clock, "/nonexistent/");
    doc->lastSatellite = 9;
    RegisterRunningObject(*doc, &registry);
  }));
  ASSERT_TRUE(WaitFor([&] { return registry.ownsName(); }));
  EXPECT_EQ(created, 0);
  EXPECT_EQ(Gdbus(0, 0), "(<'FM-09'>,)");
  EXPECT_EQ(Gdbus(3, 0), "(<'FM-03'>,)");
  EXPECT_EQ(created, 1);
  RevokeRunningObject(*doc, &registry);
  EXPECT_FALSE(registry.ownsName());
  EXPECT_TRUE(WaitFor([&] { return !NameHeld(); }));
}

}  // namespace
}  // namespace vantrel
