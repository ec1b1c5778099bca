#include "app/qt_command_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QProcess>
#include <QStandardPaths>

#include "app/file_chooser_safety.h"
#include "app/home_location_dlg.h"
#include "app/message_filter_dlg.h"
#include "app/network_feed_dlg.h"
#include "app/sdr_options_dlg.h"
#include "app/tle_update_dlg.h"
#include "document/vantrel_doc.h"

namespace vantrel {

MixerCommand FindMixerProgram() {
  const struct {
    const char* program;
    QStringList arguments;
  } candidates[] = {
      {"pavucontrol", {"--tab=4"}},  // tab 4: input devices
      {"pavucontrol-qt", {}},
      {"gnome-control-center", {"sound"}},
      {"kcmshell6", {"kcm_pulseaudio"}},
      {"kcmshell5", {"kcm_pulseaudio"}},
  };
  for (const auto& c : candidates) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(c.program));
    if (!path.isEmpty()) return {path, c.arguments};
  }
  return {};
}

bool QtCommandDialogs::RunSdrOptions(sdr::SdrTuning& tuning,
                                     const std::vector<sdr::ReceiverChoice>& receivers) {
  SdrOptionsDlg dlg(tuning, receivers, parent_);
  if (dlg.exec() != QDialog::Accepted) return false;
  tuning = dlg.tuning();
  return true;
}

bool QtCommandDialogs::RunPassOptions(double& minElevation) {
  bool ok = false;
  const double value = QInputDialog::getDouble(
      parent_, "Passes", "Minimum elevation of the passes listed (degrees):", minElevation,
      kMinPassElevation, kMaxPassElevation, 1, &ok);
  if (!ok) return false;
  minElevation = value;
  return true;
}

bool QtCommandDialogs::RunHomeLocation(std::string& latitude, std::string& longitude) {
  HomeLocationDlg dlg(parent_);
  dlg.setLatitude(QString::fromStdString(latitude));
  dlg.setLongitude(QString::fromStdString(longitude));
  if (dlg.exec() != QDialog::Accepted) return false;
  latitude = dlg.latitude().toStdString();
  longitude = dlg.longitude().toStdString();
  return true;
}

bool QtCommandDialogs::RunMessageFilter(PacketFilters& flags) {
  MessageFilterDlg dlg(parent_);
  dlg.SetFlags(flags);
  if (dlg.exec() != QDialog::Accepted) return false;
  flags = dlg.Flags();
  return true;
}

TleUpdateChoice QtCommandDialogs::RunTleUpdate(TleUpdateSettings& settings,
                                               const std::string& tleFile) {
  TleUpdateDlg dlg(QString::fromStdString(tleFile), parent_);
  dlg.SetSettings(settings);
  const int result = dlg.exec();
  if (result == QDialog::Rejected) return TleUpdateChoice::Cancel;
  settings = dlg.Settings();
  return result == TleUpdateDlg::kUpdateNow ? TleUpdateChoice::UpdateNow : TleUpdateChoice::Ok;
}

bool QtCommandDialogs::RunNetworkFeed(FeedSettings& settings) {
  NetworkFeedDlg dlg(parent_);
  dlg.SetSettings(settings);
  if (dlg.exec() != QDialog::Accepted) return false;
  settings = dlg.Settings();
  return true;
}

std::optional<std::string> QtCommandDialogs::ChooseDirectory(const std::string& title,
                                                             const std::string& startDirectory) {
  QFileDialog dlg(parent_, QString::fromStdString(title),
                  ChooserStartFolder(QString::fromStdString(startDirectory)));
  dlg.setObjectName("directoryChooser");
  MakeChooserSafe(dlg);
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dlg.selectedFiles().first());
  if (!chosen.isDir()) return std::nullopt;  // only directories that exist
  return chosen.absoluteFilePath().toStdString();
}

std::optional<std::string> QtCommandDialogs::ChooseExistingFile(const std::string& title,
                                                                const std::string& initialPath) {
  // initialPath is a directory followed by a name pattern such as "*.tle".
  const QFileInfo initial(QString::fromStdString(initialPath));
  QFileDialog dlg(parent_, QString::fromStdString(title), ChooserStartFolder(initial.path()));
  dlg.setObjectName("fileChooser");
  MakeChooserSafe(dlg);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setDefaultSuffix("tle");
  dlg.setNameFilters({"Two-line element files (" + initial.fileName() + ")", "All files (*)"});
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
  const QFileInfo chosen(dlg.selectedFiles().first());
  if (!chosen.isFile()) return std::nullopt;
  return chosen.absoluteFilePath().toStdString();
}

bool QtCommandDialogs::LaunchMixer(int) {
  const MixerCommand mixer = FindMixerProgram();
  return !mixer.program.isEmpty() && QProcess::startDetached(mixer.program, mixer.arguments);
}

}  // namespace vantrel
