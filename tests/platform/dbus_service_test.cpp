// The document on a real session bus (a private dbus-daemon for each test),
// read by real clients: gdbus and dbus-send as separate programs, and a
// QtDBus client on its own connection.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QVariantList>

#include <memory>
#include <vector>

#include "document/vantrel_doc.h"
#include "platform/dbus_service.h"
#include "support/private_bus.h"
#include "support/signal_synth.h"

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

// Runs a client program while this process keeps answering calls.
struct ClientResult {
  int exitCode = -1;
  QString out;
  QString err;
};
// The bus the clients use: the current test's private one.
QProcessEnvironment gClientEnvironment;

ClientResult RunClient(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessEnvironment(gClientEnvironment);
  p.start(program, args);
  const QDeadlineTimer deadline(10000);
  while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    p.waitForFinished(1);
  }
  if (p.state() != QProcess::NotRunning) p.kill(), p.waitForFinished();
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
          QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

// gdbus reads the signature (nn) from the exported introspection data.
QString Gdbus(int satellite, int item) {
  const ClientResult r = RunClient(
      "gdbus", {"call", "--session", "--dest", kDBusServiceName, "--object-path", kDBusObjectPath,
                "--method", QString(kDBusInterface) + ".GetSatData", "--",
                QString::number(satellite), QString::number(item)});
  return r.exitCode == 0 ? r.out : "error: " + r.err;
}

ClientResult DbusSend(const QStringList& args) {
  QStringList all{"--session", "--print-reply", "--reply-timeout=5000",
                  QString("--dest=") + kDBusServiceName, kDBusObjectPath,
                  QString(kDBusInterface) + ".GetSatData"};
  return RunClient("dbus-send", all + args);
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
  DBusService() : clock_(1178964672), doc_(clock_, "/nonexistent/") {
    doc_.logFlag = 0;
    doc_.satellites[5] = {137.2, 12.5, -33.25, 1178964672, 0};
    doc_.satellites[12] = {137.5, 36.869898, 45.000173, 1178960000, 0};
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

TEST_F(DBusService, GdbusReadsEveryItem) {
  EXPECT_EQ(Gdbus(5, 0), "(<'FM-05'>,)");
  EXPECT_EQ(Gdbus(0, 0), "(<'FM-12'>,)");
  EXPECT_EQ(Gdbus(37, 0), "(<'FM-12'>,)");
  EXPECT_EQ(Gdbus(5, 1), "(<-33.25>,)");
  EXPECT_EQ(Gdbus(5, 2), "(<12.5>,)");
  EXPECT_EQ(Gdbus(5, 3), "(<0.0>,)");
  EXPECT_EQ(Gdbus(5, 4), "(<0.0>,)");
  EXPECT_EQ(Gdbus(5, 5), "(<'2007-05-12 10:11:12UTC'>,)");
  EXPECT_EQ(Gdbus(7, 5), "(<'1970-01-01 00:00:00UTC'>,)");
  EXPECT_EQ(Gdbus(5, 6), "(<@av []>,)");
  EXPECT_EQ(Gdbus(5, -1), "(<@av []>,)");
}

TEST_F(DBusService, PositionFromAnEphemerisPacketJustDecoded) {
  const std::vector<std::uint8_t> ephemeris = {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4,
                                               0xC4, 0x0C, 0,    0,    0,    0,    0,    0,
                                               0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78};
  doc_.satellites[12] = {};
  doc_.lastSatellite = 3;
  doc_.polarity = 0;
  clock_.Set(1700000000);
  test::SynthOptions options;
  options.noise = 6.0;
  options.leadInSamples = 480;
  for (const std::uint8_t s : test::SynthesizePackets({ephemeris}, options)) doc_.FeedSample(s);
  for (int i = 0; i < CVantrelDoc::kRingLength; ++i) doc_.FeedSample(128);
  ASSERT_EQ(doc_.lastSatellite, 12);

  EXPECT_EQ(Gdbus(0, 0), "(<'FM-12'>,)");
  EXPECT_EQ(Gdbus(12, 5), "(<'2023-11-14 22:13:20UTC'>,)");
  // dbus-send prints doubles with six significant digits; gdbus in full.
  const QString latitude = Gdbus(0, 1), longitude = Gdbus(12, 2);
  EXPECT_NEAR(latitude.mid(2, latitude.size() - 5).toDouble(), 45.000173, 1e-6) << latitude.toStdString();
  EXPECT_NEAR(longitude.mid(2, longitude.size() - 5).toDouble(), 36.869898, 1e-6) << longitude.toStdString();
}

TEST_F(DBusService, BadCallsGetAnErrorAndTheServiceAnswersOn) {
  const std::vector<QStringList> bad = {
      {"string:5", "int16:0"}, {"int32:5", "int32:0"}, {"int16:5"}, {},
      {"int16:5", "int16:0", "int16:1"}, {"double:5", "int16:0"}};
  for (const QStringList& args : bad) {
    const ClientResult r = DbusSend(args);
    EXPECT_NE(r.exitCode, 0) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains("Error")) << r.err.toStdString();
  }
  const ClientResult good = DbusSend({"int16:5", "int16:0"});
  EXPECT_EQ(good.exitCode, 0);
  EXPECT_TRUE(good.out.contains("variant       string \"FM-05\"")) << good.out.toStdString();
  const ClientResult empty = DbusSend({"int16:5", "int16:9"});
  EXPECT_TRUE(empty.out.contains("variant       array [")) << empty.out.toStdString();
  EXPECT_TRUE(registry_->ownsName());
}

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
