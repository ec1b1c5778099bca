// The receiver's commands: home location text, the update rules the menus and
// toolbar follow, and the home dialog's effects on the document.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "document/commands.h"
#include "document/home_location.h"
#include "support/fake_host.h"

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;

sdr::SdrTuning Band(double centreHz, double sampleRate) {
  sdr::SdrTuning tuning;
  tuning.centreHz = centreHz, tuning.sampleRate = sampleRate;
  return tuning;
}

TEST(HomeLocationText, FormatAndParse) {
  const struct {
    double value;
    bool latitude;
    const char* text;
  } formats[] = {{-34.5, true, "S34 30.0000"},       {139.0, false, "E139 00.0000"},
                 {37.185, true, "N37 11.1000"},      {-8.6, false, "W08 36.0000"},
                 {-0.0015, false, "W00 00.0900"},       // the sign of less than a degree
                 {std::nan(""), true, "N00 00.0000"}};  // damaged settings still format readably
  for (const auto& f : formats) {
    EXPECT_EQ(FormatHomeCoordinate(f.value, f.latitude ? 'N' : 'E', f.latitude ? 'S' : 'W'),
              f.text);
  }
  const struct {
    const char* text;
    double value;
  } latitudes[] = {{"N37 11.1", 37.185},
                   {"n37 11.1", -37.185},          // only upper-case N is north
                   {"37 11.1", -(7 + 11.1 / 60)},  // the first digit is taken as the letter
                   {"N37", 37.0},
                   {"N10 75", 11.25},  // minutes are not range-checked
                   {"Nabc", 0.0},
                   {"N99999999999999999999 1", 0.0}};
  for (const auto& l : latitudes) EXPECT_DOUBLE_EQ(ParseHomeLatitude(l.text), l.value) << l.text;
  EXPECT_DOUBLE_EQ(ParseHomeLongitude("e10 0"), -10.0);
  for (const char* text : {"N37 11.1", "N37", "37 11.1"}) EXPECT_TRUE(HomeCoordinateReadable(text));
  for (const char* text : {"", "N", "North"}) EXPECT_FALSE(HomeCoordinateReadable(text));
}

template <class T>
bool TakeFirst(std::vector<T>& queue, T& answer) {
  if (queue.empty()) return false;
  answer = queue.front();
  queue.erase(queue.begin());
  return true;
}

// Dialogs as a user answers them: the home dialog OK with new text the first
// time and cancelled after that; the others OK with each queued answer in
// turn, then cancelled.
class ScriptedDialogs final : public CommandDialogs {
 public:
  bool RunHomeLocation(std::string& latitude, std::string& longitude) override {
    shown.push_back(latitude + "|" + longitude);
    latitude = typedLatitude, longitude = typedLongitude;
    return shown.size() == 1;
  }
  bool RunNetworkFeed(FeedSettings& settings) override { return TakeFirst(typed, settings); }
  bool RunMessageFilter(PacketFilters&) override { return false; }
  std::optional<std::string> ChooseDirectory(const std::string&, const std::string&) override {
    return {};
  }
  std::optional<std::string> ChooseExistingFile(const std::string&, const std::string&) override {
    return "/a.tle";
  }
  bool LaunchMixer(int) override { return false; }
  bool RunPassOptions(double& minElevation) override { return TakeFirst(elevations, minElevation); }
  TleUpdateChoice RunTleUpdate(TleUpdateSettings& settings, const std::string&) override {
    std::pair<TleUpdateChoice, TleUpdateSettings> answer;
    if (!TakeFirst(tleUpdates, answer)) return TleUpdateChoice::Cancel;
    settings = answer.second;
    return answer.first;
  }
  bool RunSdrOptions(sdr::SdrTuning& tuning,
                     const std::vector<sdr::ReceiverChoice>& receivers) override {
    offered.clear();
    for (const auto& r : receivers) offered.push_back(r.name + " " + r.arguments);
    shownTunings.push_back(tuning);
    return TakeFirst(tunings, tuning);
  }
  Strings offered, shown;
  std::vector<double> elevations;
  std::vector<sdr::SdrTuning> tunings, shownTunings;
  std::vector<std::pair<TleUpdateChoice, TleUpdateSettings>> tleUpdates;
  std::string typedLatitude = "N37 11.1", typedLongitude = "W8 36.0";
  std::vector<FeedSettings> typed;
};

class Commands : public ::testing::Test {
 protected:
  Commands() { doc_.SetHost(&host_); }
  CommandState State(int id) const { return UpdateDocumentCommand(doc_, id); }
  bool Run(int id) { return RunDocumentCommand(doc_, dialogs_, id); }
  HeldClock clock_;
  FakeHost host_;
  VantrelDoc doc_{clock_, "/opt/vantrel/"};
  ScriptedDialogs dialogs_;
};

TEST_F(Commands, ViewChecksAndLogDirectory) {
  const int views[] = {cmd::kViewSignal,     cmd::kViewMessages, cmd::kViewChart,
                       cmd::kViewSatellites, cmd::kViewSpectrum, cmd::kViewPasses};
  for (int k : {2, 1, 5, 3, 0}) {
    ASSERT_TRUE(Run(views[k]));
    EXPECT_EQ(doc_.viewState, k);
    for (int other : views) EXPECT_EQ(State(other).checked, other == views[k]) << other;
  }
  // A directory stored without its slash gets one, even when the chooser is cancelled.
  doc_.logDirectory = "/var/log/vantrel";
  Run(cmd::kLogDirectory);
  EXPECT_EQ(doc_.logDirectory, "/var/log/vantrel/");
  EXPECT_EQ(WithOneTrailingSlash(""), "/");
  EXPECT_FALSE(Run(12345));
  EXPECT_TRUE(State(12345).enabled);
}

TEST_F(Commands, SourceStartStopAndTleEnableRules) {
  doc_.deviceName[0] = "USB Audio";
  doc_.deviceId[0] = 0;
  // A slot that holds nothing is neither offered nor shown checked.
  doc_.soundCardSlot = 1;
  for (int n = 0; n < 4; ++n) {
    const CommandState s = State(cmd::kSource1 + n);
    EXPECT_EQ(std::tuple(s.setsText, s.checked, s.enabled, s.text),
              std::tuple(true, false, n == 0, n == 0 ? "USB Audio" : ""))
        << n;
  }
  // Choosing a receiver names it for the next run; a sound card names none.
  doc_.deviceName[2] = "SDR one";
  doc_.sdrDevice[2] = 0;
  for (const auto& [slot, stored] : {std::pair{2, "SDR one"}, {0, ""}}) {
    doc_.missingSdrSource = "SDR gone";
    Run(cmd::kSource1 + slot);
    EXPECT_TRUE(State(cmd::kSource1 + slot).checked);
    EXPECT_EQ(doc_.sdrSource + "|" + doc_.missingSdrSource, std::string(stored) + "|");
  }
  // Sources and Start only while stopped, Stop only while running.
  for (const int running : {0, 1}) {
    doc_.captureRunning = running;
    for (int n = 0; n < 4; ++n)
      EXPECT_EQ(State(cmd::kSource1 + n).enabled, running == 0 && n % 2 == 0) << n;
    EXPECT_EQ(State(cmd::kStart).enabled, running == 0);
    EXPECT_EQ(State(cmd::kStop).enabled, running == 1);
  }
  EXPECT_FALSE(Run(cmd::kStart));  // capture's, not this dispatcher's
  EXPECT_FALSE(Run(cmd::kStop));

  // TLE Enable needs a file; the flag alone shows unchecked.
  doc_.tleEnable = 1;
  for (const char* file : {"", "/data/orbcomm.tle"}) {
    doc_.tleFile = file;
    EXPECT_EQ(State(cmd::kTleEnable).enabled, *file != 0);
    EXPECT_EQ(State(cmd::kTleEnable).checked, *file != 0);
  }
  Run(cmd::kTleEnable);
  EXPECT_EQ(doc_.tleEnable, 0);
}

// The feed dialog offers what was typed again until it would work, or is cancelled.
TEST_F(Commands, NetworkFeedSettingsThatCannotWorkAreRefused) {
  dialogs_.typed = {{1, "h", 0, "vantrel", "north", "", "", 0}};
  Run(cmd::kNetworkFeed);
  EXPECT_EQ(host_.messages, Strings{"Network feed: the broker port 0 is not between 1 and 65535."});
  EXPECT_EQ(doc_.feed, FeedSettings{});  // nothing kept, so nothing is sent
  // Offered again, corrected: kept.
  const FeedSettings good{1, "broker.local", 1883, "vantrel", "north", "", "", 0};
  dialogs_.typed = {{1, "h", 0, "vantrel", "north", "", "", 0}, good};
  Run(cmd::kNetworkFeed);
  EXPECT_EQ(doc_.feed, good);
  // A password without TLS is kept, with one warning, not repeated while it stays so.
  host_.messages.clear();
  FeedSettings plain = good;
  plain.user = "op", plain.password = "secret";
  FeedSettings secure = plain;
  secure.tls = 1;
  dialogs_.typed = {plain, plain, secure, plain};
  for (int i = 0; i < 4; ++i) Run(cmd::kNetworkFeed);
  EXPECT_EQ(doc_.feed, plain);
  EXPECT_EQ(host_.messages.size(), 2u);
  EXPECT_TRUE(host_.messages.at(0).starts_with("Network feed: the password is sent unencrypted"));
}

// Two receivers, told apart by serial number, found as device arguments ask.
struct TwoReceivers final : sdr::SdrInput {
  void Find(const std::string& arguments) override { wanted = arguments; }
  int DeviceCount() const override { return wanted.empty() ? 2 : 1; }
  std::string DeviceName(int d) const override {
    return DeviceArguments(d).back() == '1' ? "A" : "B";
  }
  std::string DeviceArguments(int d) const override {
    return wanted.empty() ? "serial=" + std::to_string(d + 1) : wanted;
  }
  std::unique_ptr<sdr::BandReader> Open(int, const sdr::SdrTuning&, std::string*) override {
    return nullptr;
  }
  std::string wanted;
};

// Options > SDR offers the receivers found; new device arguments find them
// again and keep an SDR user on a receiver, but not while one is read.
TEST_F(Commands, SdrOptionsChooseReceiversByDeviceArgumentsWhileStopped) {
  TwoReceivers receivers;
  doc_.sdrCapture().SetInput(&receivers);
  doc_.deviceId.fill(-1);
  doc_.EnumerateSdrReceivers();
  ASSERT_TRUE(Run(cmd::kSource1));
  sdr::SdrTuning wanted = doc_.sdrTuning;
  wanted.device = "serial=2", wanted.ppm = 12.5;
  dialogs_.tunings = {wanted, wanted};
  doc_.captureRunning = 1;
  Run(cmd::kSdrOptions);
  EXPECT_EQ(dialogs_.offered, (Strings{"A serial=1", "B serial=2"}));
  EXPECT_EQ(std::tie(doc_.sdrTuning.ppm, doc_.sdrTuning.device, doc_.sdrSource),
            std::make_tuple(12.5, "", "A"));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_TRUE(host_.messages[0].starts_with("SDR: stop processing"));
  doc_.captureRunning = 0;
  Run(cmd::kSdrOptions);
  EXPECT_EQ(std::tie(doc_.sdrTuning.device, doc_.deviceName[0], doc_.deviceName[1], doc_.sdrSource),
            std::make_tuple("serial=2", "B", "", "B"));
  doc_.sdrCapture().SetInput(nullptr);
}

// Topics the MQTT library would refuse at every publish are refused when set: cut-off
// UTF-8, DEL, U+FFFF, an overlong NUL, 65536 bytes with /north/packets; 65535 bytes and
// UTF-8 are fine.
TEST(FeedSettingsCheck, TopicsTheMqttLibraryRefusesAreRefused) {
  const std::string refused =
      "the topic and station name must be UTF-8 text without control characters, at most "
      "65535 bytes together";
  const struct {
    std::string topic, station, problem;
  } rows[] = {{"vantrel", "\xC3", refused},
              {"van\x7Ftrel", "north", refused},
              {"vantrel", "\xEF\xBF\xBF", refused},
              {"vantrel", "a\xC0\x80", refused},
              {std::string(65522, 'x'), "north", refused},
              {std::string(65521, 'x'), "north", ""},
              {"st\u00E9rile", "K\u00F8benhavn", ""},
              {"a/#", "north", "the topic 'a/#' must not contain + or # or empty levels"},
              {"vantrel", "no\x1F", "the station name 'no\x1F' must not contain /, + or #"}};
  for (const auto& row : rows) {
    const FeedSettings settings{1, "h", 1883, row.topic, row.station, "", "", 0};
    EXPECT_EQ(CheckFeedSettings(settings), row.problem) << row.topic.substr(0, 20) << row.station;
  }
}

// A band that misses 137 to 138 MHz is refused and offered again as typed;
// one that just reaches it, or a single downlink tuned in, is kept.
TEST_F(Commands, AnSdrBandThatMissesTheDownlinksIsRefused) {
  dialogs_.tunings = {Band(1e6, 20e6), Band(136.4e6, 1.2e6),  // up to 137.0000
                      Band(136.41e6, 1.2e6)};                 // up to 137.0100
  Run(cmd::kSdrOptions);
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_EQ(host_.messages[0],
            "The band of -9.0000 to 11.0000 MHz does not reach the downlinks at 137 to 138 MHz: "
            "choose a centre frequency and sample rate whose band does.");
  EXPECT_EQ(std::tuple(dialogs_.shownTunings.at(1).centreHz, doc_.sdrTuning.centreHz),
            std::tuple(1e6, 136.41e6));
  dialogs_.tunings = {Band(150e6, 9600)};  // then cancelled: kept as it was
  Run(cmd::kSdrOptions);
  dialogs_.tunings = {Band(137.2875e6, 9600)};
  EXPECT_EQ(doc_.sdrTuning.centreHz, 136.41e6);
  Run(cmd::kSdrOptions);
  EXPECT_EQ(std::pair(host_.messages.size(), doc_.sdrTuning.centreHz), std::pair(3ul, 137.2875e6));
}

// A minimum elevation outside its range and addresses that cannot be fetched
// are refused and offered again; only "Update now" starts an update.
TEST_F(Commands, PassElevationAndTleAddressesThatCannotWorkAreRefused) {
  dialogs_.elevations = {90.0, -1.0, std::nan(""), 12.5};
  for (int i = 0; i < 4; ++i) Run(cmd::kPassOptions);
  EXPECT_EQ(host_.messages, Strings(3, kBadPassElevation));
  EXPECT_EQ(doc_.passMinElevation, 12.5);
  EXPECT_EQ(host_.redraws, 1);
  host_.messages.clear();
  EXPECT_EQ(std::tie(doc_.tleUpdate.urls, doc_.tleUpdate.hours),
            std::make_tuple(std::string(kDefaultTleUrl), 24));
  using C = TleUpdateChoice;
  dialogs_.tleUpdates = {
      {C::Ok, {"ftp://x/a.tle", 6}}, {C::UpdateNow, {"https://x/a.tle", 6}}, {C::Ok, {"", 0}}};
  Run(cmd::kTleUpdate);
  EXPECT_EQ(host_.messages,
            Strings{"TLE update: ftp://x/a.tle is not an http:// or https:// address."});
  EXPECT_EQ(std::tie(doc_.tleUpdate.urls, doc_.tleUpdate.hours, host_.tleUpdatesStarted),
            std::make_tuple(std::string("https://x/a.tle"), 6, 1));
  Run(cmd::kTleUpdate);  // no address: nothing is fetched
  EXPECT_EQ(std::tie(doc_.tleUpdate.urls, doc_.tleUpdate.hours, host_.tleUpdatesStarted),
            std::make_tuple(std::string(), 0, 1));
}

// A home off the globe is refused with its reason and changes nothing; a new
// one clears the tracks and redraws once; a cancelled dialog changes nothing.
TEST_F(Commands, HomeIsCheckedThenClearsTheTracksTleChangesRepaintAtOnce) {
  const std::string lat = "; it lies between S90 and N90.",
                    lon = "; it lies between W180 and E180.";
  const struct {
    const char *latitude, *longitude;
    std::string message;  // none: accepted
  } cases[] = {
      {"N2147483647 0", "E0 0", "The latitude lies beyond 90 degrees" + lat},
      {"S90 0.6", "E0 0", "The latitude lies beyond 90 degrees" + lat},
      {"N99999999999 0", "E0 0", "The latitude holds a number too large" + lat},
      {"N0 0", "W179 61", "The longitude lies beyond 180 degrees" + lon},
      {"N0 0", "E99999999999", "The longitude holds a number too large" + lon},
      {"N90 0", "W180 0", ""},
  };
  for (const auto& c : cases) {
    dialogs_ = ScriptedDialogs{};
    dialogs_.typedLatitude = c.latitude, dialogs_.typedLongitude = c.longitude;
    host_.messages.clear();
    doc_.homeLatitude = -34.5, doc_.homeLongitude = 139.0, doc_.projectionDirty = 0;
    Run(cmd::kHome);
    EXPECT_EQ(host_.messages, c.message.empty() ? Strings{} : Strings{c.message}) << c.latitude;
    EXPECT_EQ(std::pair(doc_.homeLatitude, doc_.homeLongitude),
              c.message.empty() ? std::pair(90.0, -180.0) : std::pair(-34.5, 139.0));
    EXPECT_EQ(doc_.projectionDirty, c.message.empty() ? 1 : 0) << c.latitude;
  }
  doc_.projectionDirty = 0;
  Run(cmd::kHome);  // cancelled
  EXPECT_EQ(dialogs_.shown, (Strings{"S34 30.0000|E139 00.0000", "N90 00.0000|W180 00.0000"}));
  EXPECT_EQ(std::pair(doc_.homeLatitude, doc_.projectionDirty), std::pair(90.0, false));
  EXPECT_EQ(host_.historyClears, 1);
  EXPECT_EQ(host_.redraws, 1);
  // The chart draws the sets at each repaint, so both ask for one.
  for (const int id : {cmd::kTleDefine, cmd::kTleEnable}) Run(id);
  EXPECT_EQ(host_.redraws, 3);
}

}  // namespace
}  // namespace vantrel
