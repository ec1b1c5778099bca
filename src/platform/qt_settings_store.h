// The settings key as a file in the user's configuration directory,
// $XDG_CONFIG_HOME/Vantrel/Vantrel.conf (~/.config/Vantrel/Vantrel.conf),
// in QSettings' INI format under [General]. Values are written to be read
// by people too:
//   integers  decimal text                      ViewState=2
//   doubles   shortest decimal text that reads  HomeLat=37.185
//             back as the very same double
//   records   the 32 bytes as 64 hex digits     Sat12=0000000000306140...
//   texts     as they are (UTF-8); a text that is not UTF-8 is kept as
//             QSettings' @ByteArray(...) so that no byte is lost
// Saving writes a new file and renames it over the old one only once every
// byte is written, so a failed or interrupted save keeps the previous file.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <memory>

#include "document/settings_store.h"

class QSettings;

namespace vantrel {

class QtSettingsStore final : public SettingsStore {
 public:
  // The file in the user's configuration directory; empty when there is
  // no such directory (no HOME).
  static QString DefaultPath();

  explicit QtSettingsStore(QString filePath = DefaultPath());
  ~QtSettingsStore() override;

  const QString& filePath() const { return filePath_; }

  // A file that QSettings finds damaged is copied beside itself as
  // "Vantrel.conf.damaged" before anything is read, since the next save
  // replaces it with the values alone.
  bool Open(bool& existed) override;
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& name,
                                                     SettingKind kind) override;
  std::optional<std::string> ReadText(const std::string& name) override;
  void WriteBytes(const std::string& name, SettingKind kind,
                  std::span<const std::uint8_t> bytes) override;
  void WriteText(const std::string& name, const std::string& text) override;
  bool Close() override;

 private:
  bool Commit();

  QString filePath_;
  std::unique_ptr<QSettings> settings_;      // the file as it was when opened
  QList<QPair<QString, QVariant>> pending_;  // written values, in order
};

}  // namespace vantrel
