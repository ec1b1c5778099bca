// The running document on the D-Bus session bus. While a document is
// registered the program owns the well-known name Vantrel.Document and
// exports the document at /Vantrel/Document with the interface
// Vantrel.Document and its methods GetSatData(nn) -> v (satellites 1..36)
// and GetSatelliteData(nn) -> v (satellites 1..255):
//   item 0 and 5 give a string, 1 to 4 a double, any other item the empty
//   value, which is sent as an empty array of variants (av []), because
//   D-Bus has no empty variant.
// A second instance queues for the name and takes it over when the owner
// exits. No session bus, or a refused name, is silent: the program runs on.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

#include "document/automation.h"

namespace vantrel {

inline constexpr char kDBusServiceName[] = "Vantrel.Document";
inline constexpr char kDBusObjectPath[] = "/Vantrel/Document";
inline constexpr char kDBusInterface[] = "Vantrel.Document";

// GetSatData's value as it travels on the bus; texts become UTF-8.
QDBusVariant ToDBusVariant(const AutomationValue& value);

class DBusObjectRegistry;

// The object exported at /Vantrel/Document.
class DBusDocumentObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "Vantrel.Document")
  // Written out to give the result a name (QtDBus would call it arg_0).
  Q_CLASSINFO("D-Bus Introspection",
              "  <interface name=\"Vantrel.Document\">\n"
              "    <method name=\"GetSatData\">\n"
              "      <arg name=\"satellite\" type=\"n\" direction=\"in\"/>\n"
              "      <arg name=\"item\" type=\"n\" direction=\"in\"/>\n"
              "      <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
              "    </method>\n"
              "    <method name=\"GetSatelliteData\">\n"
              "      <arg name=\"satellite\" type=\"n\" direction=\"in\"/>\n"
              "      <arg name=\"item\" type=\"n\" direction=\"in\"/>\n"
              "      <arg name=\"value\" type=\"v\" direction=\"out\"/>\n"
              "    </method>\n"
              "  </interface>\n")

 public:
  explicit DBusDocumentObject(DBusObjectRegistry& registry) : registry_(registry) {}

 public slots:
  QDBusVariant GetSatData(short satellite, short item);
  QDBusVariant GetSatelliteData(short satellite, short item);

 private:
  QDBusVariant Answer(const std::function<AutomationValue(const VantrelDoc&)>& read);
  DBusObjectRegistry& registry_;
};

class DBusObjectRegistry : public QObject, public ObjectRegistry {
  Q_OBJECT

 public:
  explicit DBusObjectRegistry(QDBusConnection connection = QDBusConnection::sessionBus(),
                              QObject* parent = nullptr);
  ~DBusObjectRegistry() override;

  // Exports the document and asks for the name (owned or queued: success).
  std::uint32_t Register(VantrelDoc& doc) override;
  void Revoke(std::uint32_t cookie) override;

  // Start for automation: takes the name before any document exists; the
  // first call to arrive runs createDocument, whose construction registers
  // the document here, and is then answered from it. From then on the
  // connection is watched: connectionLost tells when the bus has gone.
  bool ListenForActivation(std::function<void()> createDocument);

  // True while this program is the name's primary owner (not just queued).
  bool ownsName() const { return ownsName_; }
  VantrelDoc* document() const { return doc_; }

 signals:
  // The name became ours, at once or when the instance before us exited.
  void nameAcquired();
  // The bus went away (the session ended); only watched after ListenForActivation.
  void connectionLost();

 private:
  friend class DBusDocumentObject;
  VantrelDoc* DocumentForCall();
  bool Export();
  void Withdraw();
  void OnServiceRegistered(const QString& name);
  void OnServiceUnregistered(const QString& name);

  QDBusConnection connection_;
  DBusDocumentObject object_{*this};
  VantrelDoc* doc_ = nullptr;
  std::uint32_t cookie_ = 0;
  std::uint32_t lastCookie_ = 0;
  bool exported_ = false;
  bool ownsName_ = false;
  std::function<void()> createDocument_;
  QTimer connectionWatch_;
};

}  // namespace vantrel
