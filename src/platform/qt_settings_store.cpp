#include "qt_settings_store.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QVariant>

#include <sys/stat.h>

#include <charconv>
#include <cstring>
#include <system_error>

namespace vantrel {

namespace {

QString Key(const std::string& name) { return QString::fromStdString(name); }

std::vector<std::uint8_t> BytesOf(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  return {p, p + size};
}

std::optional<std::vector<std::uint8_t>> ParseInteger(const QString& text) {
  bool ok = false;
  const std::int32_t value = text.toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return BytesOf(&value, sizeof value);
}

// from_chars in its general format reads what to_chars wrote, independent
// of the locale, and gives back the exact double.
std::optional<std::vector<std::uint8_t>> ParseDouble(const QString& text) {
  const std::string s = text.trimmed().toStdString();
  double value = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return BytesOf(&value, sizeof value);
}

std::optional<std::vector<std::uint8_t>> ParseHex(const QString& text) {
  const QByteArray hex = text.trimmed().toLatin1();
  if (hex.size() % 2 != 0) return std::nullopt;
  for (const char c : hex) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit) return std::nullopt;
  }
  const QByteArray bytes = QByteArray::fromHex(hex);
  return BytesOf(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FormatDouble(const std::uint8_t* bytes) {
  double value;
  std::memcpy(&value, bytes, sizeof value);
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return QString::fromLatin1(text, result.ptr - text);
}

bool IsUtf8(const std::string& text) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
  return !decoder.hasError();
}

// Which file a path names now; a committed save puts a new file in place.
struct FileIdentity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity Identify(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino};
}

}  // namespace

QString QtSettingsStore::DefaultPath() {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (config.isEmpty()) return {};
  return config + QStringLiteral("/Vantrel/Vantrel.conf");
}

QtSettingsStore::QtSettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::Open(bool& existed) {
  existed = false;
  settings_.reset();
  written_ = false;
  if (filePath_.isEmpty()) return false;
  existed = QFileInfo::exists(filePath_);
  settings_ = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
  // Write a new file and rename it over the old one, never in place.
  settings_->setAtomicSyncRequired(true);
  switch (settings_->status()) {
    case QSettings::NoError:
      break;
    case QSettings::AccessError:
      settings_.reset();
      return false;
    case QSettings::FormatError: {
      const QString copy = filePath_ + QStringLiteral(".damaged");
      QFile::remove(copy);
      QFile::copy(filePath_, copy);
      break;
    }
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::ReadBytes(const std::string& name,
                                                                    SettingKind kind) {
  if (!settings_) return std::nullopt;
  const QVariant value = settings_->value(Key(name));
  // An INI file holds texts; a list (an unquoted comma) or a byte array is
  // not what this program writes for a number or a record.
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  const QString text = value.toString();
  switch (kind) {
    case SettingKind::Integer:
      return ParseInteger(text);
    case SettingKind::Double:
      return ParseDouble(text);
    case SettingKind::Record:
      return ParseHex(text);
    case SettingKind::Text: {
      const std::string s = text.toStdString();
      return BytesOf(s.data(), s.size());
    }
  }
  return std::nullopt;
}

std::optional<std::string> QtSettingsStore::ReadText(const std::string& name) {
  if (!settings_) return std::nullopt;
  const QVariant value = settings_->value(Key(name));
  if (value.typeId() == QMetaType::QString) return value.toString().toStdString();
  if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
  return std::nullopt;
}

void QtSettingsStore::WriteBytes(const std::string& name, SettingKind kind,
                                 std::span<const std::uint8_t> bytes) {
  if (!settings_) return;
  QString text;
  switch (kind) {
    case SettingKind::Integer: {
      if (bytes.size() != sizeof(std::int32_t)) return;
      std::int32_t value;
      std::memcpy(&value, bytes.data(), sizeof value);
      text = QString::number(value);
      break;
    }
    case SettingKind::Double:
      if (bytes.size() != sizeof(double)) return;
      text = FormatDouble(bytes.data());
      break;
    case SettingKind::Record:
      text = QString::fromLatin1(
          QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex());
      break;
    case SettingKind::Text:
      WriteText(name, std::string(bytes.begin(), bytes.end()));
      return;
  }
  settings_->setValue(Key(name), text);
  written_ = true;
}

void QtSettingsStore::WriteText(const std::string& name, const std::string& text) {
  if (!settings_) return;
  if (IsUtf8(text))
    settings_->setValue(Key(name), QString::fromStdString(text));
  else
    settings_->setValue(Key(name), QByteArray(text.data(), qsizetype(text.size())));
  written_ = true;
}

bool QtSettingsStore::Close() {
  if (!settings_) return false;
  bool ok = true;
  if (written_) {
    const FileIdentity before = Identify(filePath_);
    settings_->sync();
    switch (settings_->status()) {
      case QSettings::NoError:
        break;
      case QSettings::AccessError:
        ok = false;
        break;
      case QSettings::FormatError: {
        // A damaged file read during the sync sets this status for good and
        // hides a failed write; the save took only if a new file is in place.
        const FileIdentity after = Identify(filePath_);
        ok = after.exists && !(after == before);
        break;
      }
    }
  }
  settings_.reset();
  written_ = false;
  return ok;
}

}  // namespace vantrel
