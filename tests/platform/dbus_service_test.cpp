// A burst of calls on a private session bus, all sent before the first reply
// is read: more than a bus lets one connection keep waiting by default.
// What each item reads is tested against the running program (tests/e2e).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>

#include <algorithm>
#include <vector>

#include "document/vantrel_doc.h"
#include "platform/dbus_service.h"
#include "support/private_bus.h"

namespace vantrel {
namespace {

TEST(DBusService, BurstOfCallsFromAnotherConnection) {
  static int argc = 1;
  static char* argv[] = {const_cast<char*>("platform_tests"), nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
  test::PrivateBus bus;
  ASSERT_TRUE(bus.ok()) << "dbus-daemon did not start";
  HeldClock clock(0);
  CVantrelDoc doc(clock, "/nonexistent/");
  doc.lastSatellite = 12;
  {
    DBusObjectRegistry registry(QDBusConnection::connectToBus(bus.address(), "service"));
    RegisterRunningObject(doc, &registry);
    const QDeadlineTimer deadline(10000);
    const auto runUntil = [&](const auto& done) {
      while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    };
    runUntil([&] { return registry.ownsName(); });
    ASSERT_TRUE(registry.ownsName());
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), "burst");
    std::vector<QDBusPendingCall> calls;
    for (int i = 0; i < 300; ++i) {
      QDBusMessage m = QDBusMessage::createMethodCall(kDBusServiceName, kDBusObjectPath, kDBusInterface, "GetSatData");
      m << QVariant::fromValue(static_cast<short>(i % 40)) << QVariant::fromValue(static_cast<short>(i % 7));
      calls.push_back(client.asyncCall(m, 5000));
    }
    runUntil([&] { return std::all_of(calls.begin(), calls.end(), [](const auto& c) { return c.isFinished(); }); });
    for (int i = 0; i < 300; ++i) {
      const QDBusMessage reply = calls[i].reply();
      ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << i << reply.errorMessage().toStdString();
      const QVariant v = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
      const int satellite = i % 40, item = i % 7;
      if (item == 0) {
        EXPECT_EQ(v.toString(), QString::asprintf("FM-%02d", satellite >= 1 && satellite <= 36 ? satellite : 12));
      } else if (item == 6) {
        EXPECT_EQ(v.metaType(), QMetaType::fromType<QDBusArgument>()) << i;
        EXPECT_EQ(qvariant_cast<QDBusArgument>(v).currentSignature(), "av");
      } else if (item != 5) {
        EXPECT_EQ(v.metaType(), QMetaType::fromType<double>()) << i;
      }
    }
    RevokeRunningObject(doc, &registry);
  }
  QDBusConnection::disconnectFromBus("burst");
  QDBusConnection::disconnectFromBus("service");
}

}  // namespace
}  // namespace vantrel
