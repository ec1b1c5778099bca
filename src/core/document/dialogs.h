// What the receiver's commands need from the desktop: its dialogs, file
// choosers and the volume-control launch. The desktop program implements
// this with Qt widgets; tests use a scripted fake.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "decoder/packet_filters.h"
#include "feed/feed_settings.h"
#include "orbit/tle_update.h"
#include "sdr/sdr_input.h"

namespace vantrel {

inline constexpr const char* kLogDirectoryChooserTitle =
    "Choose the directory for log and wave files";
inline constexpr const char* kTleChooserTitle =
    "Choose the two-line element file for the Orbcomm satellites";

// How the TLE update dialog was closed.
enum class TleUpdateChoice { Cancel, Ok, UpdateNow };

class CommandDialogs {
 public:
  virtual ~CommandDialogs() = default;

  // Home location dialog, shown with the two texts; true on OK, with the
  // texts as the user left them.
  virtual bool RunHomeLocation(std::string& latitude, std::string& longitude) = 0;

  // Message filter dialog over the eight flags in filter order (message,
  // uplink, downlink, network control, fill, ephemeris, elements, sync);
  // true on OK with the flags as left, false on Cancel with flags untouched.
  virtual bool RunMessageFilter(PacketFilters& flags) = 0;

  // Directory chooser starting at startDirectory; an existing directory, or
  // nothing on Cancel.
  virtual std::optional<std::string> ChooseDirectory(const std::string& title,
                                                     const std::string& startDirectory) = 0;

  // Chooser of one existing file; initialPath is a directory followed by a
  // name pattern such as "*.tle". The full path, or nothing on Cancel.
  virtual std::optional<std::string> ChooseExistingFile(const std::string& title,
                                                        const std::string& initialPath) = 0;

  // Network feed dialog over the feed settings; true on OK with the
  // settings as left. Without a dialog of its own: cancelled.
  virtual bool RunNetworkFeed(FeedSettings&) { return false; }

  // Starts the desktop's input volume control for the sound-card slot;
  // false when no such program could be started.
  virtual bool LaunchMixer(int soundCardSlot) = 0;

  // Options > SDR over the tuning; true on OK with the values as left.
  // receivers: those found, to choose device arguments from.
  virtual bool RunSdrOptions(sdr::SdrTuning&, const std::vector<sdr::ReceiverChoice>&) {
    return false;
  }

  // Options > Passes over the minimum elevation in degrees; true on OK.
  virtual bool RunPassOptions(double&) { return false; }

  // Options > TLE > Update from the web over the URLs and interval; tleFile
  // is the file an update replaces (empty: none chosen yet).
  virtual TleUpdateChoice RunTleUpdate(TleUpdateSettings&, const std::string& /*tleFile*/) {
    return TleUpdateChoice::Cancel;
  }
};

// Every dialog cancelled and no mixer; for tools and tests that do not care.
class CancelledDialogs final : public CommandDialogs {
 public:
  bool RunHomeLocation(std::string&, std::string&) override { return false; }
  bool RunMessageFilter(PacketFilters&) override { return false; }
  std::optional<std::string> ChooseDirectory(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseExistingFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool LaunchMixer(int) override { return false; }
};

}  // namespace vantrel
