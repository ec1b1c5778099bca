#include "platform/dbus_service.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QVariantList>

#include <utility>

#include "base/text_encoding.h"

namespace vantrel {

QDBusVariant ToDBusVariant(const AutomationValue& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return QDBusVariant(QString::fromStdString(Cp1252ToUtf8(*text)));
  if (const auto* number = std::get_if<double>(&value)) return QDBusVariant(*number);
  // An invalid QVariant cannot be marshalled (QtDBus would drop the
  // connection); an empty array of variants is the stable empty value.
  return QDBusVariant(QVariant::fromValue(QVariantList()));
}

QDBusVariant DBusDocumentObject::Answer(
    const std::function<AutomationValue(const VantrelDoc&)>& read) {
  VantrelDoc* doc = registry_.DocumentForCall();
  if (doc == nullptr) {
    sendErrorReply(QDBusError::Failed,
                   QStringLiteral("The receiver document could not be created"));
    return QDBusVariant(QVariant::fromValue(QVariantList()));
  }
  return ToDBusVariant(read(*doc));
}

QDBusVariant DBusDocumentObject::GetSatData(short satellite, short item) {
  return Answer([&](const VantrelDoc& doc) { return vantrel::GetSatData(doc, satellite, item); });
}

QDBusVariant DBusDocumentObject::GetSatelliteData(short satellite, short item) {
  return Answer(
      [&](const VantrelDoc& doc) { return vantrel::GetSatelliteData(doc, satellite, item); });
}

DBusObjectRegistry::DBusObjectRegistry(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
  if (QDBusConnectionInterface* bus = connection_.interface()) {
    connect(bus, &QDBusConnectionInterface::serviceRegistered, this,
            &DBusObjectRegistry::OnServiceRegistered);
    connect(bus, &QDBusConnectionInterface::serviceUnregistered, this,
            &DBusObjectRegistry::OnServiceUnregistered);
  }
}

DBusObjectRegistry::~DBusObjectRegistry() { Withdraw(); }

bool DBusObjectRegistry::Export() {
  if (exported_) return true;
  QDBusConnectionInterface* bus = connection_.isConnected() ? connection_.interface() : nullptr;
  if (bus == nullptr) return false;
  if (!connection_.registerObject(QString::fromLatin1(kDBusObjectPath), &object_,
                                  QDBusConnection::ExportAllSlots))
    return false;
  // Queue behind a running instance rather than fail: the name passes to
  // us when it exits. DontAllowReplacement keeps a later instance from
  // taking the name away from a client's running one.
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
      QString::fromLatin1(kDBusServiceName), QDBusConnectionInterface::QueueService,
      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
    connection_.unregisterObject(QString::fromLatin1(kDBusObjectPath));
    return false;
  }
  exported_ = true;
  if (reply.value() == QDBusConnectionInterface::ServiceRegistered && !ownsName_) {
    ownsName_ = true;
    emit nameAcquired();
  }
  return true;
}

void DBusObjectRegistry::Withdraw() {
  if (!exported_) return;
  exported_ = false;
  ownsName_ = false;
  // Gives the name up, or leaves the queue for it.
  if (QDBusConnectionInterface* bus = connection_.interface())
    bus->unregisterService(QString::fromLatin1(kDBusServiceName));
  connection_.unregisterObject(QString::fromLatin1(kDBusObjectPath));
}

std::uint32_t DBusObjectRegistry::Register(VantrelDoc& doc) {
  if (doc_ != nullptr || !Export()) return 0;
  doc_ = &doc;
  cookie_ = ++lastCookie_ != 0 ? lastCookie_ : ++lastCookie_;
  return cookie_;
}

void DBusObjectRegistry::Revoke(std::uint32_t cookie) {
  if (cookie == 0 || cookie != cookie_) return;
  cookie_ = 0;
  doc_ = nullptr;
  createDocument_ = nullptr;
  Withdraw();
}

bool DBusObjectRegistry::ListenForActivation(std::function<void()> createDocument) {
  createDocument_ = std::move(createDocument);
  if (!Export()) return false;
  // QtDBus has no signal for a lost bus; a program started by the bus has
  // no other reason to live once it is gone.
  connectionWatch_.setInterval(1000);
  connect(&connectionWatch_, &QTimer::timeout, this, [this] {
    if (connection_.isConnected()) return;
    connectionWatch_.stop();
    emit connectionLost();
  });
  connectionWatch_.start();
  return true;
}

VantrelDoc* DBusObjectRegistry::DocumentForCall() {
  if (doc_ == nullptr && createDocument_) {
    // Runs once: the document's construction registers it here.
    const auto create = std::exchange(createDocument_, nullptr);
    create();
  }
  return doc_;
}

void DBusObjectRegistry::OnServiceRegistered(const QString& name) {
  if (!exported_ || ownsName_ || name != QLatin1String(kDBusServiceName)) return;
  ownsName_ = true;
  emit nameAcquired();
}

void DBusObjectRegistry::OnServiceUnregistered(const QString& name) {
  if (name == QLatin1String(kDBusServiceName)) ownsName_ = false;
}

}  // namespace vantrel
