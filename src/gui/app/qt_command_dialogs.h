// The receiver commands' dialogs on Qt: the home location and message filter
// dialogs, the directory and file choosers, and the mixer launch.
#pragma once

#include <QString>
#include <QStringList>

#include "document/dialogs.h"

class QWidget;

namespace vantrel {

struct MixerCommand {
  QString program;  // full path; empty when no volume control is installed
  QStringList arguments;
};

// The desktop's input volume control: pavucontrol on its input devices tab,
// else pavucontrol-qt, GNOME's or KDE's sound settings, looked up on PATH.
// The slot cannot be passed on: these programs list every input together.
MixerCommand FindMixerProgram();

class QtCommandDialogs final : public CommandDialogs {
 public:
  explicit QtCommandDialogs(QWidget* parent) : parent_(parent) {}

  bool RunHomeLocation(std::string& latitude, std::string& longitude) override;
  bool RunMessageFilter(PacketFilters& flags) override;
  bool RunNetworkFeed(FeedSettings& settings) override;
  std::optional<std::string> ChooseDirectory(const std::string& title,
                                             const std::string& startDirectory) override;
  std::optional<std::string> ChooseExistingFile(const std::string& title,
                                                const std::string& initialPath) override;
  bool LaunchMixer(int soundCardSlot) override;
  bool RunSdrOptions(sdr::SdrTuning& tuning,
                     const std::vector<sdr::ReceiverChoice>& receivers) override;
  bool RunPassOptions(double& minElevation) override;
  TleUpdateChoice RunTleUpdate(TleUpdateSettings& settings, const std::string& tleFile) override;

 private:
  QWidget* parent_;
};

}  // namespace vantrel
