// Loading and saving the settings through an in-memory store: the order and
// kinds of the values, defaults for whatever is missing or damaged, and
// satellite records restored byte for byte.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <tuple>

#include "document/vantrel_doc.h"
#include "support/memory_settings_store.h"

namespace vantrel {
namespace {

using K = SettingKind;
using FakeStore = test::MemorySettingsStore;

class Settings : public ::testing::Test {
 protected:
  Settings() : doc_(clock_, "/opt/vantrel/") {}
  // Everything a document would store, as the store holds it.
  FakeStore Saved(VantrelDoc& doc) {
    FakeStore store;
    EXPECT_TRUE(doc.SaveSettings(store));
    return store;
  }
  HeldClock clock_;
  VantrelDoc doc_;
  FakeStore store_;
};

TEST_F(Settings, AllValuesInStoredOrderWithTheirKindsAndBackByteForByte) {
  // Names in stored order with their kinds (Integer, Double, Record, Text): what files hold.
  std::string sats;
  for (int n = 1; n <= 36; ++n) sats += (n < 10 ? "Sat0" : "Sat") + std::to_string(n) + " R ";
  std::istringstream table(
      "ViewState I Soundcardoption I HomeLat D HomeLon D Logflag I Rawflag I TrackHistory I "
      "b1A I b1B I b1C I b1D I b1E I b1F I b22 I b65 I TleFlag I " +
      sats +
      "LogDirectory T TleFile T Demodulator I FeedEnable I FeedHost T FeedPort I FeedTopic T "
      "FeedStation T FeedUser T FeedPassword T FeedTls I SdrCentre D SdrRate D SdrAutoGain I "
      "SdrGain D SdrSource T SdrDevice T SdrPpm D PassMinElevation D TleUpdateUrls T "
      "TleUpdateHours I bOther I");
  std::vector<std::string> names;
  std::string kinds;
  for (std::string name, kind; table >> name >> kind;) names.push_back(name), kinds += kind;
  EXPECT_EQ(SettingNames(), names);

  doc_.viewState = kSpectrumScreen, doc_.soundCardSlot = 3, doc_.homeLatitude = 37.185;
  doc_.homeLongitude = -8.6, doc_.logFlag = 0, doc_.rawFlag = 1, doc_.trackHistory = 1;
  doc_.tleEnable = 1, doc_.demodulator = kDemodulatorSensitive;
  sdr::SdrTuning& sdr = doc_.sdrTuning;
  sdr.centreHz = 137.25e6, sdr.sampleRate = 2.4e6, sdr.autoGain = 0, sdr.gainDb = 40.2;
  sdr.device = "driver=rtlsdr", sdr.ppm = 3.5;
  doc_.interpreter().filters() = {0, 1, 0, 1, 1, 0, 1, 0, 0};
  doc_.interpreter().satellites()[9] = {137.2875, 12.5, -40.25, 1178964672, 0xDEADBEEF};
  // Satellites above 36 have keys of their own once heard, after all the others.
  doc_.interpreter().satellites()[44] = {137.2875, -116.0878, 44.7827, 1178964672, 0};
  doc_.interpreter().satellites()[200].positionTime = 1178964672;
  names.insert(names.end(), {"Sat44", "Sat200"});
  kinds += "RR";
  doc_.logDirectory = "/var/log/vantrel/", doc_.tleFile = "/data/orbcomm.tle";
  doc_.sdrSource = "SDR dongle";
  FakeStore saved = Saved(doc_);
  EXPECT_EQ(saved.visited, names);
  EXPECT_EQ(saved.closes, 1);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto& [kind, bytes] = saved.values[names[i]];
    EXPECT_EQ("IDRT"[static_cast<int>(kind)], kinds[i]) << names[i];
    if (kind != K::Text) {
      EXPECT_EQ(bytes.size(), kind == K::Integer ? 4u : kind == K::Double ? 8u : 32u) << names[i];
    }
  }
  EXPECT_EQ(*saved.ReadText("TleFile"), "/data/orbcomm.tle");

  VantrelDoc loaded(clock_, "/elsewhere/");
  saved.visited.clear();
  EXPECT_TRUE(loaded.LoadSettings(saved));
  names.resize(names.size() - 2);
  for (int n = 37; n <= 255; ++n) names.push_back("Sat" + std::to_string(n));
  EXPECT_EQ(saved.visited, names);                // every key above 36 is looked for
  EXPECT_EQ(Saved(loaded).values, saved.values);  // records byte for byte
}

// Log file names are the folder followed by the name: the stored folder is made to end in one
// slash, and one that is not absolute gives way to the default.
TEST_F(Settings, TheLogDirectoryLoadsAbsoluteWithOneTrailingSlash) {
  const std::pair<std::string, std::string> rows[] = {
      {"/x/logsX", "/x/logsX/"},
      {"/x/logs//", "/x/logs/"},
      {"/", "/"},
      {"logs/", "/opt/vantrel/Log files/"},
      {"", "/opt/vantrel/Log files/"},
  };
  for (const auto& [stored, loaded] : rows) {
    store_.PutText("LogDirectory", stored);
    ASSERT_TRUE(doc_.LoadSettings(store_));
    EXPECT_EQ(doc_.logDirectory, loaded) << stored;
  }
}

// Each integer with a range loads at both ends of it and keeps its default one beyond.
TEST_F(Settings, RangedIntegersLoadAtBothEndsAndNotBeyond) {
  const FakeStore defaults = Saved(doc_);
  const std::tuple<const char*, int, int> ranges[] = {
      {"ViewState", 0, 5},    {"Soundcardoption", 0, 3},
      {"Logflag", 0, 1},      {"Rawflag", 0, 1},
      {"b1A", 0, 1},          {"bOther", 0, 1},
      {"Demodulator", 0, 1},  {"FeedEnable", 0, 1},
      {"FeedPort", 1, 65535}, {"FeedTls", 0, 1},
      {"SdrAutoGain", 0, 1},  {"TleUpdateHours", 0, kMaxTleUpdateHours}};
  for (const auto& [name, min, max] : ranges) {
    for (const int value : {min - 1, min, max, max + 1}) {
      VantrelDoc doc(clock_, "/opt/vantrel/");
      FakeStore store;
      store.Put(name, K::Integer, std::int32_t{value});
      ASSERT_TRUE(doc.LoadSettings(store));
      const bool inRange = value >= min && value <= max;
      EXPECT_EQ(Saved(doc).values[name], (inRange ? store : defaults).values.at(name))
          << name << " " << value;
    }
  }
}

TEST_F(Settings, FirstRunMissingMalformedOrOutOfRangeValuesKeepDefaults) {
  const FakeStore defaults = Saved(doc_);
  EXPECT_EQ(doc_.homeLatitude, -34.5);
  EXPECT_EQ(doc_.homeLongitude, 139.0);
  EXPECT_EQ(doc_.interpreter().filters(), (PacketFilters{1, 1, 1, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(doc_.logDirectory, "/opt/vantrel/Log files/");

  store_.exists = false;
  store_.PutText("TleFile", "/not/read");  // a key created just now is empty
  EXPECT_TRUE(doc_.LoadSettings(store_));
  EXPECT_TRUE(store_.visited.empty());
  EXPECT_EQ(store_.closes, 1);

  // Missing, damaged or out-of-range values keep their defaults.
  store_.exists = true;
  store_.values["b1B"] = {K::Integer, {1, 0}};  // does not fit a 32-bit integer
  store_.Put("HomeLat", K::Double, std::numeric_limits<double>::quiet_NaN());
  store_.Put("HomeLon", K::Double, 180.0);   // the edge is still in range
  store_.Put("SdrRate", K::Double, 9599.0);  // below any rate a downlink fits in
  store_.Put("SdrCentre", K::Double, -137.5e6);
  for (const auto& [name, size] :
       std::map<std::string, std::size_t>{{"Sat05", 31}, {"Sat06", 33}, {"Sat07", 0}})
    store_.values[name] = {K::Record, std::vector<std::uint8_t>(size, 0x11)};
  store_.Put("Sat08", K::Integer, std::int32_t{1});  // another kind: not read
  store_.PutText("TleFile", std::string("/tmp/a\0b", 8));
  // Values in range beside them still load.
  store_.Put("b1E", K::Integer, std::int32_t{1});
  store_.Put("TrackHistory", K::Integer, std::int32_t{5});  // non-zero: on, saved as 1
  store_.Put("TleFlag", K::Integer, std::int32_t{-3});
  ASSERT_TRUE(doc_.LoadSettings(store_));
  FakeStore expected = defaults;
  expected.values["b1E"] = store_.values["b1E"];
  expected.Put("TrackHistory", K::Integer, std::int32_t{1});
  expected.Put("TleFlag", K::Integer, std::int32_t{1});
  expected.values["HomeLon"] = store_.values["HomeLon"];
  EXPECT_EQ(Saved(doc_).values, expected.values);

  // A store that cannot open is reported and changes nothing (the settings file test fails saves).
  store_.Put("ViewState", K::Integer, std::int32_t{2});
  store_.opens = false;
  EXPECT_FALSE(doc_.LoadSettings(store_));
  EXPECT_EQ(doc_.viewState, 0);
}

}  // namespace
}  // namespace vantrel
