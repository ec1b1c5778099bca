#include "platform/qt_settings_store.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QVariant>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
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
  // Whole numbers (a frequency in Hz) read as integers: 137000000, not the
  // shorter 1.37e+08.
  const bool whole = std::fabs(value) < 1e15 && value == std::trunc(value);
  const auto result = whole
                          ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                          : std::to_chars(text, text + sizeof text, value);
  return QString::fromLatin1(text, result.ptr - text);
}

bool IsUtf8(const std::string& text) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
  return !decoder.hasError();
}

// The damaged file, kept for the user to look at, may hold the feed's
// password like the file itself: written anew, readable by its owner only,
// never through a link left under its name.
void KeepDamagedCopy(const QString& path) {
  QFile damaged(path);
  if (!damaged.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = damaged.readAll();
  const QByteArray copy = QFile::encodeName(path + QStringLiteral(".damaged"));
  ::unlink(copy.constData());
  const int fd =
      ::open(copy.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (::write(fd, bytes.constData(), std::size_t(bytes.size())) != bytes.size()) {
    // A short copy is still the best there is to look at.
  }
  ::close(fd);
}

// The settings folder holds the password's file: created for its owner
// only, and narrowed to that if an earlier version made it wider.
bool MakePrivateFolder(const QString& folder) {
  const QByteArray name = QFile::encodeName(folder);
  if (!QDir().mkpath(QFileInfo(folder).absolutePath())) return false;
  if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0) ::chmod(name.constData(), 0700);
  return true;
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
  pending_.clear();
  if (filePath_.isEmpty()) return false;
  existed = QFileInfo::exists(filePath_);
  settings_ = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
  switch (settings_->status()) {
    case QSettings::NoError:
      break;
    case QSettings::AccessError:
      settings_.reset();
      return false;
    case QSettings::FormatError:
      KeepDamagedCopy(filePath_);
      break;
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
  pending_.append({Key(name), text});
}

void QtSettingsStore::WriteText(const std::string& name, const std::string& text) {
  if (!settings_) return;
  if (IsUtf8(text))
    pending_.append({Key(name), QString::fromStdString(text)});
  else
    pending_.append({Key(name), QByteArray(text.data(), qsizetype(text.size()))});
}

bool QtSettingsStore::Close() {
  if (!settings_) return false;
  // Nothing was ever written into the file's own QSettings, so dropping it
  // writes nothing.
  settings_.reset();
  const bool ok = pending_.isEmpty() || Commit();
  pending_.clear();
  return ok;
}

// The file holds exactly the written values: whatever else a damaged or
// edited file held is not carried on. QSettings formats them into a scratch
// file, which is read back and checked, because QSettings (Qt 6.4) reports
// success for a file cut short by a full disk, and answers a second open of
// the same path from memory; hence the check under a name it has not seen.
// The checked bytes then replace the settings file through QSaveFile, which
// writes a new file and renames it over the old one only when every byte
// was written.
bool QtSettingsStore::Commit() {
  QTemporaryDir scratch;
  if (!scratch.isValid()) return false;
  const QString written = scratch.filePath(QStringLiteral("written.conf"));
  {
    QSettings out(written, QSettings::IniFormat);
    for (const auto& [key, value] : pending_) out.setValue(key, value);
    out.sync();
    if (out.status() != QSettings::NoError) return false;
  }
  const QString checked = scratch.filePath(QStringLiteral("checked.conf"));
  if (!QFile::rename(written, checked)) return false;
  {
    QSettings in(checked, QSettings::IniFormat);
    if (in.status() != QSettings::NoError || in.allKeys().size() != pending_.size()) return false;
    for (const auto& [key, value] : pending_)
      if (in.value(key) != value) return false;
  }
  QFile source(checked);
  if (!source.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = source.readAll();

  if (!MakePrivateFolder(QFileInfo(filePath_).absolutePath())) return false;
  QSaveFile target(filePath_);
  // Unbuffered, so that a short write shows in write()'s count; a buffered
  // QSaveFile commits a file cut short as well. Opened under a private
  // umask: where the file system has no unnamed temporary files the
  // temporary file is named, and readable by others until its mode is set.
  const mode_t umaskBefore = ::umask(077);
  const bool opened = target.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  ::umask(umaskBefore);
  if (!opened) return false;
  // The file may hold the network feed's password: readable by its owner only.
  if (!target.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) return false;
  if (target.write(bytes) != bytes.size()) return false;  // discarded unread
  return target.commit();
}

}  // namespace vantrel
