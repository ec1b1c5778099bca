// Loading and saving the receiver's settings: every value, visited in one
// fixed order by both operations. A value that is missing, malformed or out
// of range leaves its member at the default, silently; settings must never
// keep the receiver from starting.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "document/commands.h"
#include "document/settings_store.h"
#include "document/vantrel_doc.h"

namespace vantrel {

namespace {

constexpr const char* kFilterNames[kFilterCount] = {"b1A", "b1B", "b1C", "b1D",   "b1E",
                                                    "b1F", "b22", "b65", "bOther"};
// The eight filters kept from the start; the one for other types comes later.
constexpr int kFirstFilters = kFilterSync + 1;

std::string SatelliteName(int n) {
  char name[8];
  std::snprintf(name, sizeof name, "Sat%02d", n);
  return name;
}

// Calls the visitor for each stored member, in the stored order. The ranges
// are what the program itself produces: a screen 0..5, a slot 0..3, flags
// that the menus toggle between 0 and 1. The track history and TLE switches
// take any integer, non-zero for on. Flags are written as 0 or 1.
template <class Visitor>
void VisitSettings(VantrelDoc& doc, Visitor& visit) {
  PacketFilters& filters = doc.interpreter().filters();
  SatelliteTable& satellites = doc.interpreter().satellites();
  visit.Integer("ViewState", doc.viewState, kSignalScreen, kPassesScreen);
  visit.Integer("Soundcardoption", doc.soundCardSlot, 0, 3);
  visit.Double("HomeLat", doc.homeLatitude);
  visit.Double("HomeLon", doc.homeLongitude);
  visit.Integer("Logflag", doc.logFlag, 0, 1);
  visit.Integer("Rawflag", doc.rawFlag, 0, 1);
  visit.Integer("TrackHistory", doc.trackHistory, INT_MIN, INT_MAX);
  for (int i = 0; i < kFirstFilters; ++i) visit.Integer(kFilterNames[i], filters[i], 0, 1);
  visit.Integer("TleFlag", doc.tleEnable, INT_MIN, INT_MAX);
  for (int n = 1; n <= kSatelliteCount; ++n) visit.Record(SatelliteName(n), satellites[n]);
  visit.Text("LogDirectory", doc.logDirectory);
  visit.Text("TleFile", doc.tleFile);
  visit.Integer("Demodulator", doc.demodulator, kDemodulatorClassic, kDemodulatorSensitive);
  // The network feed (added later, so at the end).
  visit.Integer("FeedEnable", doc.feed.enabled, 0, 1);
  visit.Text("FeedHost", doc.feed.host);
  visit.Integer("FeedPort", doc.feed.port, 1, 65535);
  visit.Text("FeedTopic", doc.feed.topic);
  visit.Text("FeedStation", doc.feed.station);
  visit.Text("FeedUser", doc.feed.user);
  visit.Text("FeedPassword", doc.feed.password);
  visit.Integer("FeedTls", doc.feed.tls, 0, 1);
  // SDR receivers.
  visit.Double("SdrCentre", doc.sdrTuning.centreHz, kMinSdrCentreHz, kMaxSdrCentreHz);
  visit.Double("SdrRate", doc.sdrTuning.sampleRate, kMinSdrRate, kMaxSdrRate);
  visit.Integer("SdrAutoGain", doc.sdrTuning.autoGain, 0, 1);
  visit.Double("SdrGain", doc.sdrTuning.gainDb, kMinSdrGainDb, kMaxSdrGainDb);
  visit.Text("SdrSource", doc.sdrSource);
  visit.Text("SdrDevice", doc.sdrTuning.device);
  visit.Double("SdrPpm", doc.sdrTuning.ppm, kMinSdrPpm, kMaxSdrPpm);
  // Passes.
  visit.Double("PassMinElevation", doc.passMinElevation, kMinPassElevation, kMaxPassElevation);
  visit.Text("TleUpdateUrls", doc.tleUpdate.urls);
  visit.Integer("TleUpdateHours", doc.tleUpdate.hours, 0, kMaxTleUpdateHours);
  // Today's downlink: other packet types, and satellites above 36 under keys
  // of their own that a reader of Sat01..Sat36 passes over.
  visit.Integer(kFilterNames[kFilterOther], filters[kFilterOther], 0, 1);
  for (int n = kSatelliteCount + 1; n <= kMaxSatellite; ++n)
    visit.ExtraRecord(SatelliteName(n), satellites[static_cast<std::size_t>(n)]);
}

class Loader {
 public:
  explicit Loader(SettingsStore& store) : store_(store) {}

  // An integer, a flag or a choice, stored as an integer.
  template <class T>
  void Integer(const std::string& name, T& member, int min, int max) {
    const auto bytes = store_.ReadBytes(name, SettingKind::Integer);
    if (!bytes || bytes->size() != sizeof(std::int32_t)) return;
    std::int32_t value;
    std::memcpy(&value, bytes->data(), sizeof value);
    if (value >= min && value <= max) member = static_cast<T>(value);
  }

  // Any finite angle is kept, as the home dialog can produce it; a NaN or
  // infinity would break every distance on the chart.
  void Double(const std::string& name, double& member, double min = -HUGE_VAL,
              double max = HUGE_VAL) {
    const auto bytes = store_.ReadBytes(name, SettingKind::Double);
    if (!bytes || bytes->size() != sizeof(double)) return;
    double value;
    std::memcpy(&value, bytes->data(), sizeof value);
    if (std::isfinite(value) && value >= min && value <= max) member = value;
  }

  void Record(const std::string& name, SatelliteRecord& record) {
    const auto bytes = store_.ReadBytes(name, SettingKind::Record);
    if (!bytes || bytes->size() != sizeof(SatelliteRecord)) return;
    std::memcpy(&record, bytes->data(), sizeof record);
  }
  void ExtraRecord(const std::string& name, SatelliteRecord& record) { Record(name, record); }

  // Texts are taken whole, however long. A zero byte cannot be part of a
  // path, so a text holding one is damaged.
  void Text(const std::string& name, std::string& member) {
    auto text = store_.ReadText(name);
    if (!text || text->find('\0') != std::string::npos) return;
    member = std::move(*text);
  }

 private:
  SettingsStore& store_;
};

class Saver {
 public:
  explicit Saver(SettingsStore& store) : store_(store) {}

  template <class T>
  void Integer(const std::string& name, T& member, int, int) {
    const auto value = static_cast<std::int32_t>(member);
    Write(name, SettingKind::Integer, &value, sizeof value);
  }
  void Double(const std::string& name, double& member, double = 0, double = 0) {
    Write(name, SettingKind::Double, &member, sizeof member);
  }
  void Record(const std::string& name, SatelliteRecord& record) {
    Write(name, SettingKind::Record, &record, sizeof record);
  }
  // Only satellites heard get a key; the others have never had one.
  void ExtraRecord(const std::string& name, SatelliteRecord& record) {
    if (HasData(record)) Record(name, record);
  }
  void Text(const std::string& name, std::string& member) { store_.WriteText(name, member); }

 private:
  void Write(const std::string& name, SettingKind kind, const void* data, std::size_t size) {
    store_.WriteBytes(name, kind, std::span(static_cast<const std::uint8_t*>(data), size));
  }
  SettingsStore& store_;
};

// Records the names only, to list them.
class NameCollector {
 public:
  std::vector<std::string> names;
  template <class T>
  void Integer(const std::string& name, T&, int, int) {
    names.push_back(name);
  }
  void Double(const std::string& name, double&, double = 0, double = 0) { names.push_back(name); }
  void Record(const std::string& name, SatelliteRecord&) { names.push_back(name); }
  void ExtraRecord(const std::string&, SatelliteRecord&) {}
  void Text(const std::string& name, std::string&) { names.push_back(name); }
};

}  // namespace

const std::vector<std::string>& SettingNames() {
  static const std::vector<std::string> names = [] {
    const HeldClock clock;
    VantrelDoc doc(clock, "/");
    NameCollector collector;
    VisitSettings(doc, collector);
    return collector.names;
  }();
  return names;
}

bool VantrelDoc::LoadSettings(SettingsStore& store) {
  bool existed = false;
  if (!store.Open(existed)) return false;
  // A key created just now holds nothing to read.
  if (existed) {
    Loader loader(store);
    VisitSettings(*this, loader);
  }
  // Log file names are the folder followed directly by the name: a folder
  // without its slash, or a relative one, would put them somewhere else.
  logDirectory =
      logDirectory.starts_with('/') ? WithOneTrailingSlash(logDirectory) : defaultLogDirectory;
  store.Close();
  return true;
}

bool VantrelDoc::SaveSettings(SettingsStore& store) {
  bool existed = false;
  if (!store.Open(existed)) return false;
  Saver saver(store);
  VisitSettings(*this, saver);
  return store.Close();
}

}  // namespace vantrel
