#include "document/commands.h"

#include <cstdio>
#include <string>

#include "document/home_location.h"

namespace vantrel {
namespace {

constexpr const char* kBadLatitude =
    "The latitude must be a letter N or S, whole degrees and minutes, for example N37 11.1.";
constexpr const char* kBadLongitude =
    "The longitude must be a letter E or W, whole degrees and minutes, for example W8 36.0.";
constexpr const char* kLatitudeTooLarge =
    "The latitude holds a number too large; it lies between S90 and N90.";
constexpr const char* kLongitudeTooLarge =
    "The longitude holds a number too large; it lies between W180 and E180.";
constexpr const char* kLatitudeOutOfRange =
    "The latitude lies beyond 90 degrees; it lies between S90 and N90.";
constexpr const char* kLongitudeOutOfRange =
    "The longitude lies beyond 180 degrees; it lies between W180 and E180.";

// The message for a home text the dialog cannot take, or null when it is good.
const char* HomeTextMessage(const std::string& text, bool latitude) {
  switch (CheckHomeCoordinate(text, latitude ? 90.0 : 180.0)) {
    case HomeTextProblem::None:
      return nullptr;
    case HomeTextProblem::Unreadable:
      return latitude ? kBadLatitude : kBadLongitude;
    case HomeTextProblem::TooLarge:
      return latitude ? kLatitudeTooLarge : kLongitudeTooLarge;
    case HomeTextProblem::OutOfRange:
      return latitude ? kLatitudeOutOfRange : kLongitudeOutOfRange;
  }
  return nullptr;
}

// The downlinks lie between these; a tuning whose band misses them all
// would follow noise and interference only.
constexpr double kDownlinksLowHz = 137e6;
constexpr double kDownlinksHighHz = 138e6;

// Why an SDR tuning cannot receive the downlinks, or empty when it can.
std::string SdrBandProblem(const sdr::SdrTuning& tuning) {
  const double low = tuning.centreHz - tuning.sampleRate / 2;
  const double high = tuning.centreHz + tuning.sampleRate / 2;
  if (low < kDownlinksHighHz && high > kDownlinksLowHz) return {};
  char text[200];
  std::snprintf(text, sizeof text,
                "The band of %.4f to %.4f MHz does not reach the downlinks at 137 to 138 MHz: "
                "choose a centre frequency and sample rate whose band does.",
                low / 1e6, high / 1e6);
  return text;
}

void ShowScreen(VantrelDoc& doc, Screen viewState) {
  doc.viewState = viewState;
  doc.host().UpdateAllViews();
}

}  // namespace

void OnViewSignal(VantrelDoc& doc) { ShowScreen(doc, kSignalScreen); }
void OnViewMessages(VantrelDoc& doc) { ShowScreen(doc, kMessagesScreen); }
void OnViewSatellites(VantrelDoc& doc) { ShowScreen(doc, kSatellitesScreen); }
void OnViewChart(VantrelDoc& doc) { ShowScreen(doc, kChartScreen); }
void OnViewSpectrum(VantrelDoc& doc) { ShowScreen(doc, kSpectrumScreen); }
void OnViewPasses(VantrelDoc& doc) { ShowScreen(doc, kPassesScreen); }

void OnOutputLog(VantrelDoc& doc) { doc.logFlag = !doc.logFlag; }
void OnOutputRaw(VantrelDoc& doc) { doc.rawFlag = !doc.rawFlag; }

void OnHome(VantrelDoc& doc, CommandDialogs& dialogs) {
  std::string latitude = FormatHomeCoordinate(doc.homeLatitude, 'N', 'S');
  std::string longitude = FormatHomeCoordinate(doc.homeLongitude, 'E', 'W');
  for (;;) {
    if (!dialogs.RunHomeLocation(latitude, longitude)) return;
    // Text without a letter and degrees would silently move home to 0, and
    // a place off the globe spoils the chart; say so and offer the dialog
    // again with what was typed.
    const char* message = HomeTextMessage(latitude, true);
    if (message == nullptr) message = HomeTextMessage(longitude, false);
    if (message == nullptr) break;
    doc.host().ShowMessage(message);
  }
  doc.homeLongitude = ParseHomeLongitude(longitude);
  doc.homeLatitude = ParseHomeLatitude(latitude);
  doc.projectionDirty = true;
  doc.host().ClearTrackHistory();
  doc.host().UpdateAllViews();
}

std::string WithOneTrailingSlash(std::string directory) {
  while (directory.size() > 1 && directory.back() == '/' && directory[directory.size() - 2] == '/')
    directory.pop_back();
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

void OnLogDirectory(VantrelDoc& doc, CommandDialogs& dialogs) {
  if (auto chosen = dialogs.ChooseDirectory(kLogDirectoryChooserTitle, doc.logDirectory))
    doc.logDirectory = *chosen;
  doc.logDirectory = WithOneTrailingSlash(doc.logDirectory);
}

void OnMixer(VantrelDoc& doc, CommandDialogs& dialogs) {
  if (!dialogs.LaunchMixer(doc.soundCardSlot)) doc.host().ShowMessage(kNoMixerMessage);
}

void OnSource(VantrelDoc& doc, int slot) {
  doc.soundCardSlot = slot;
  doc.sdrSource = doc.SlotIsSdr(slot) ? doc.deviceName[static_cast<std::size_t>(slot)] : "";
  doc.missingSdrSource.clear();
}

void OnFilter(VantrelDoc& doc, CommandDialogs& dialogs) {
  PacketFilters flags = doc.interpreter().filters();
  if (dialogs.RunMessageFilter(flags)) doc.interpreter().filters() = flags;
}

void OnTrackHistory(VantrelDoc& doc) {
  doc.trackHistory = !doc.trackHistory;
  doc.host().UpdateAllViews();
}

// The chart draws the sets from the file at each repaint; repaint now, so the
// change shows also while capture (and its refresh timer) is stopped.
void OnTleDefine(VantrelDoc& doc, CommandDialogs& dialogs) {
  if (auto chosen = dialogs.ChooseExistingFile(kTleChooserTitle, doc.logDirectory + "*.tle")) {
    doc.tleFile = *chosen;
    doc.tleEnable = true;
    doc.host().UpdateAllViews();
  }
}

void OnTleEnable(VantrelDoc& doc) {
  doc.tleEnable = !doc.tleEnable;
  doc.host().UpdateAllViews();
}

void OnTleUpdate(VantrelDoc& doc, CommandDialogs& dialogs) {
  TleUpdateSettings settings = doc.tleUpdate;
  TleUpdateChoice choice;
  for (;;) {
    choice = dialogs.RunTleUpdate(settings, doc.tleFile);
    if (choice == TleUpdateChoice::Cancel) return;
    const std::string problem = CheckTleUrls(settings.urls);
    if (problem.empty()) break;
    doc.host().ShowMessage("TLE update: " + problem + ".");
  }
  doc.tleUpdate = settings;
  if (choice == TleUpdateChoice::UpdateNow) doc.host().StartTleUpdate();
}

void OnSdrOptions(VantrelDoc& doc, CommandDialogs& dialogs) {
  sdr::SdrTuning tuning = doc.sdrTuning;
  std::vector<sdr::ReceiverChoice> receivers;
  const sdr::SdrInput* sdrInput = doc.sdrCapture().input();
  for (int device = 0; sdrInput != nullptr && device < sdrInput->DeviceCount(); ++device) {
    if (const std::string arguments = sdrInput->DeviceArguments(device); !arguments.empty())
      receivers.push_back({sdrInput->DeviceName(device), arguments});
  }
  for (;;) {
    if (!dialogs.RunSdrOptions(tuning, receivers)) return;
    const std::string problem = SdrBandProblem(tuning);
    if (problem.empty()) break;
    doc.host().ShowMessage(problem);
  }
  // Values outside what a receiver can be set to keep the previous ones.
  if (tuning.centreHz >= kMinSdrCentreHz && tuning.centreHz <= kMaxSdrCentreHz)
    doc.sdrTuning.centreHz = tuning.centreHz;
  if (tuning.sampleRate >= kMinSdrRate && tuning.sampleRate <= kMaxSdrRate)
    doc.sdrTuning.sampleRate = tuning.sampleRate;
  doc.sdrTuning.autoGain = tuning.autoGain != 0 ? 1 : 0;
  if (tuning.gainDb >= kMinSdrGainDb && tuning.gainDb <= kMaxSdrGainDb)
    doc.sdrTuning.gainDb = tuning.gainDb;
  if (tuning.ppm >= kMinSdrPpm && tuning.ppm <= kMaxSdrPpm) doc.sdrTuning.ppm = tuning.ppm;
  if (tuning.device == doc.sdrTuning.device) return;
  // Other receivers take the Source slots: not while one of them is read.
  if (doc.captureRunning != 0) {
    doc.host().ShowMessage(
        "SDR: stop processing before choosing other receivers; the device arguments stay "
        "as they were.");
    return;
  }
  doc.sdrTuning.device = tuning.device;
  if (doc.sdrCapture().input() == nullptr) return;
  doc.sdrCapture().input()->Find(doc.sdrTuning.device);
  doc.EnumerateSdrReceivers();
  // A user of an SDR receiver gets the first one the arguments pick.
  const int first = doc.SdrSlot(0);
  if (!doc.sdrSource.empty() && first >= 0)
    OnSource(doc, first);
  else
    doc.FindStoredSdrSource();
}

void OnNetworkFeed(VantrelDoc& doc, CommandDialogs& dialogs) {
  FeedSettings settings = doc.feed;
  for (;;) {
    if (!dialogs.RunNetworkFeed(settings)) return;
    // Switched off, what was typed is kept as it is for later.
    const std::string problem = settings.enabled ? CheckFeedSettings(settings) : std::string();
    if (problem.empty()) break;
    doc.host().ShowMessage("Network feed: " + problem + ".");
  }
  // Allowed (a broker on this machine or a trusted network), but said once
  // for each time it is set: the login would cross the network in clear.
  const bool plainPassword = settings.enabled && !settings.password.empty() && !settings.tls;
  const bool wasPlain = doc.feed.enabled && !doc.feed.password.empty() && !doc.feed.tls;
  if (plainPassword && !wasPlain)
    doc.host().ShowMessage(
        "Network feed: the password is sent unencrypted without TLS; switch TLS on unless the "
        "broker is on this machine or a trusted network.");
  doc.feed = settings;
}

void OnPassOptions(VantrelDoc& doc, CommandDialogs& dialogs) {
  double minElevation = doc.passMinElevation;
  if (!dialogs.RunPassOptions(minElevation)) return;
  // A value no pass can be listed by keeps the previous one.
  if (!(minElevation >= kMinPassElevation && minElevation <= kMaxPassElevation)) {
    doc.host().ShowMessage(kBadPassElevation);
    return;
  }
  doc.passMinElevation = minElevation;
  doc.host().UpdateAllViews();
}

void OnDemodulator(VantrelDoc& doc, int choice) {
  if (doc.demodulator != choice) doc.SetDemodulator(choice);
}

bool RunDocumentCommand(VantrelDoc& doc, CommandDialogs& dialogs, int id) {
  switch (id) {
    case cmd::kViewSignal:
      OnViewSignal(doc);
      return true;
    case cmd::kViewMessages:
      OnViewMessages(doc);
      return true;
    case cmd::kViewSatellites:
      OnViewSatellites(doc);
      return true;
    case cmd::kViewChart:
      OnViewChart(doc);
      return true;
    case cmd::kViewSpectrum:
      OnViewSpectrum(doc);
      return true;
    case cmd::kViewPasses:
      OnViewPasses(doc);
      return true;
    case cmd::kPassOptions:
      OnPassOptions(doc, dialogs);
      return true;
    case cmd::kSdrOptions:
      OnSdrOptions(doc, dialogs);
      return true;
    case cmd::kOutputLog:
      OnOutputLog(doc);
      return true;
    case cmd::kOutputRaw:
      OnOutputRaw(doc);
      return true;
    case cmd::kHome:
      OnHome(doc, dialogs);
      return true;
    case cmd::kLogDirectory:
      OnLogDirectory(doc, dialogs);
      return true;
    case cmd::kMixer:
      OnMixer(doc, dialogs);
      return true;
    case cmd::kFilter:
      OnFilter(doc, dialogs);
      return true;
    case cmd::kTrackHistory:
      OnTrackHistory(doc);
      return true;
    case cmd::kTleDefine:
      OnTleDefine(doc, dialogs);
      return true;
    case cmd::kTleEnable:
      OnTleEnable(doc);
      return true;
    case cmd::kTleUpdate:
      OnTleUpdate(doc, dialogs);
      return true;
    case cmd::kDemodulatorClassic:
      OnDemodulator(doc, kDemodulatorClassic);
      return true;
    case cmd::kDemodulatorSensitive:
      OnDemodulator(doc, kDemodulatorSensitive);
      return true;
    case cmd::kNetworkFeed:
      OnNetworkFeed(doc, dialogs);
      return true;
    default:
      break;
  }
  if (id >= cmd::kSource1 && id <= cmd::kSource4) {
    OnSource(doc, id - cmd::kSource1);
    return true;
  }
  return false;
}

CommandState UpdateDocumentCommand(const VantrelDoc& doc, int id) {
  CommandState state;
  switch (id) {
    case cmd::kViewSignal:
      state.checked = doc.viewState == kSignalScreen;
      break;
    case cmd::kViewMessages:
      state.checked = doc.viewState == kMessagesScreen;
      break;
    case cmd::kViewSatellites:
      state.checked = doc.viewState == kSatellitesScreen;
      break;
    case cmd::kViewChart:
      state.checked = doc.viewState == kChartScreen;
      break;
    case cmd::kViewSpectrum:
      state.checked = doc.viewState == kSpectrumScreen;
      break;
    case cmd::kViewPasses:
      state.checked = doc.viewState == kPassesScreen;
      break;
    case cmd::kStart:
      state.enabled = doc.captureRunning == 0;
      break;
    case cmd::kStop:
      state.enabled = doc.captureRunning != 0;
      break;
    case cmd::kOutputLog:
      state.checked = doc.logFlag;
      break;
    case cmd::kOutputRaw:
      state.checked = doc.rawFlag;
      break;
    case cmd::kTrackHistory:
      state.checked = doc.trackHistory;
      break;
    case cmd::kDemodulatorClassic:
      state.checked = doc.demodulator != kDemodulatorSensitive;
      break;
    case cmd::kDemodulatorSensitive:
      state.checked = doc.demodulator == kDemodulatorSensitive;
      break;
    case cmd::kTleEnable:
      state.enabled = !doc.tleFile.empty();
      state.checked = state.enabled && doc.tleEnable;
      break;
    default:
      if (id >= cmd::kSource1 && id <= cmd::kSource4) {
        const int slot = id - cmd::kSource1;
        state.text = doc.deviceName[static_cast<std::size_t>(slot)];
        state.setsText = true;
        // While capture runs the choice is frozen; it takes effect at Start.
        // A slot that holds nothing is not offered.
        state.enabled = doc.captureRunning == 0 && !state.text.empty();
        state.checked = doc.soundCardSlot == slot && !state.text.empty();
      }
      break;
  }
  return state;
}

bool IsCheckableCommand(int id) {
  switch (id) {
    case cmd::kViewSignal:
    case cmd::kViewMessages:
    case cmd::kViewSatellites:
    case cmd::kViewChart:
    case cmd::kViewSpectrum:
    case cmd::kViewPasses:
    case cmd::kOutputLog:
    case cmd::kOutputRaw:
    case cmd::kTrackHistory:
    case cmd::kTleEnable:
    case cmd::kDemodulatorClassic:
    case cmd::kDemodulatorSensitive:
    case cmd::kViewToolbar:
    case cmd::kViewStatusBar:
      return true;
    default:
      return id >= cmd::kSource1 && id <= cmd::kSource4;
  }
}

}  // namespace vantrel
