// Loading and saving the settings through an in-memory store: the order and
// kinds of the values, defaults for whatever is missing or damaged, and
// satellite records restored byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "document/settings_store.h"
#include "document/vantrel_doc.h"

namespace vantrel {
namespace {

class FakeStore final : public SettingsStore {
 public:
  struct Value {
    SettingKind kind;
    std::vector<std::uint8_t> bytes;
    std::string text;
  };

  bool Open(bool& existed) override {
    ++opens;
    existed = exists;
    return openSucceeds;
  }
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& name,
                                                     SettingKind kind) override {
    visited.push_back(name);
    const auto it = values.find(name);
    if (it == values.end() || it->second.kind != kind) return std::nullopt;
    return it->second.bytes;
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    visited.push_back(name);
    const auto it = values.find(name);
    if (it == values.end() || it->second.kind != SettingKind::Text) return std::nullopt;
    return it->second.text;
  }
  void WriteBytes(const std::string& name, SettingKind kind,
                  std::span<const std::uint8_t> bytes) override {
    visited.push_back(name);
    kinds.push_back(kind);
    values[name] = {kind, {bytes.begin(), bytes.end()}, {}};
  }
  void WriteText(const std::string& name, const std::string& text) override {
    visited.push_back(name);
    kinds.push_back(SettingKind::Text);
    values[name] = {SettingKind::Text, {}, text};
  }
  bool Close() override {
    ++closes;
    exists = true;
    return closeSucceeds;
  }

  template <class T>
  void Put(const std::string& name, SettingKind kind, const T& value) {
    std::vector<std::uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    values[name] = {kind, bytes, {}};
  }
  void PutBytes(const std::string& name, SettingKind kind, std::size_t size) {
    values[name] = {kind, std::vector<std::uint8_t>(size, 0x11), {}};
  }
  void PutText(const std::string& name, std::string text) {
    values[name] = {SettingKind::Text, {}, std::move(text)};
  }

  std::map<std::string, Value> values;
  std::vector<std::string> visited;
  std::vector<SettingKind> kinds;
  bool exists = true;
  bool openSucceeds = true;
  bool closeSucceeds = true;
  int opens = 0;
  int closes = 0;
};

// Every persisted member of two documents is the same, records byte for byte.
void ExpectSameSettings(const CVantrelDoc& a, const CVantrelDoc& b) {
  EXPECT_EQ(a.viewState, b.viewState);
  EXPECT_EQ(a.soundCardSlot, b.soundCardSlot);
  EXPECT_EQ(std::memcmp(&a.homeLatitude, &b.homeLatitude, sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(&a.homeLongitude, &b.homeLongitude, sizeof(double)), 0);
  EXPECT_EQ(a.logFlag, b.logFlag);
  EXPECT_EQ(a.rawFlag, b.rawFlag);
  EXPECT_EQ(a.trackHistory, b.trackHistory);
  EXPECT_EQ(a.filters, b.filters);
  EXPECT_EQ(a.tleEnable, b.tleEnable);
  for (int n = 1; n <= kSatelliteCount; ++n)
    EXPECT_EQ(std::memcmp(&a.satellites[n], &b.satellites[n], sizeof(SatelliteRecord)), 0)
        << "record " << n;
  EXPECT_EQ(a.logDirectory, b.logDirectory);
  EXPECT_EQ(a.tleFile, b.tleFile);
}

class Settings : public ::testing::Test {
 protected:
  Settings() : defaults_(clock_, "/opt/vantrel/"), doc_(clock_, "/opt/vantrel/") {}
  HeldClock clock_;
  const CVantrelDoc defaults_;
  CVantrelDoc doc_;
  FakeStore store_;
};

TEST_F(Settings, SaveVisitsAllValuesInStoredOrderWithTheirKinds) {
  std::vector<std::string> expected = {"ViewState", "Soundcardoption", "HomeLat", "HomeLon",
                                       "Logflag",   "Rawflag",         "TrackHistory",
                                       "b1A",       "b1B",             "b1C",     "b1D",
                                       "b1E",       "b1F",             "b22",     "b65",
                                       "TleFlag"};
  for (int n = 1; n <= 36; ++n) expected.push_back((n < 10 ? "Sat0" : "Sat") + std::to_string(n));
  expected.push_back("LogDirectory");
  expected.push_back("TleFile");
  ASSERT_EQ(expected.size(), 54u);

  EXPECT_TRUE(doc_.SaveSettings(store_));
  EXPECT_EQ(store_.visited, expected);
  EXPECT_EQ(SettingNames(), expected);
  EXPECT_EQ(store_.opens, 1);
  EXPECT_EQ(store_.closes, 1);

  using K = SettingKind;
  ASSERT_EQ(store_.kinds.size(), 54u);
  EXPECT_EQ(store_.kinds[0], K::Integer);
  EXPECT_EQ(store_.kinds[2], K::Double);
  EXPECT_EQ(store_.kinds[3], K::Double);
  EXPECT_EQ(store_.kinds[15], K::Integer);
  EXPECT_EQ(store_.kinds[16], K::Record);
  EXPECT_EQ(store_.kinds[51], K::Record);
  EXPECT_EQ(store_.kinds[52], K::Text);
  EXPECT_EQ(store_.values["ViewState"].bytes.size(), 4u);
  EXPECT_EQ(store_.values["HomeLat"].bytes.size(), 8u);
  EXPECT_EQ(store_.values["Sat36"].bytes.size(), 32u);
  EXPECT_EQ(store_.values["LogDirectory"].text, "/opt/vantrel/Log files/");

  // Loading visits the same values in the same order.
  store_.visited.clear();
  EXPECT_TRUE(doc_.LoadSettings(store_));
  EXPECT_EQ(store_.visited, expected);
}

TEST_F(Settings, FirstRunReadsNothingAndKeepsDefaults) {
  store_.exists = false;
  store_.PutText("TleFile", "/should/not/be/read");  // a key created just now is empty
  EXPECT_TRUE(doc_.LoadSettings(store_));
  EXPECT_TRUE(store_.visited.empty());
  EXPECT_EQ(store_.closes, 1);
  ExpectSameSettings(doc_, defaults_);
  EXPECT_EQ(doc_.viewState, 0);
  EXPECT_EQ(doc_.homeLatitude, -34.5);
  EXPECT_EQ(doc_.homeLongitude, 139.0);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(doc_.tleFile, "");

  // An existing but empty key, too.
  store_.values.clear();
  EXPECT_TRUE(doc_.LoadSettings(store_));
  ExpectSameSettings(doc_, defaults_);
}

TEST_F(Settings, MalformedOrOutOfRangeValuesKeepTheirDefaultsAndTheRestLoads) {
  using K = SettingKind;
  store_.Put("ViewState", K::Integer, std::int32_t{7});
  store_.Put("Soundcardoption", K::Integer, std::int32_t{9});
  store_.Put("Logflag", K::Integer, std::int32_t{2});
  store_.Put("Rawflag", K::Integer, std::int32_t{-1});
  store_.Put("b1A", K::Integer, std::int32_t{5});
  store_.PutBytes("b1B", K::Integer, 2);  // does not fit a 32-bit integer
  store_.Put("HomeLat", K::Double, std::numeric_limits<double>::quiet_NaN());
  store_.Put("HomeLon", K::Double, std::numeric_limits<double>::infinity());
  store_.PutBytes("Sat05", K::Record, 31);
  store_.PutBytes("Sat06", K::Record, 33);
  store_.PutBytes("Sat07", K::Record, 0);
  store_.PutText("TleFile", std::string("/tmp/a\0b", 8));
  store_.Put("Sat08", K::Integer, std::int32_t{1});  // stored as another kind: not read

  // Values in range next to them still load.
  store_.Put("b1E", K::Integer, std::int32_t{1});
  store_.Put("TrackHistory", K::Integer, std::int32_t{5});  // tested as non-zero only
  store_.Put("TleFlag", K::Integer, std::int32_t{-3});
  SatelliteRecord heard{137.2875, 12.5, -40.25, 1178964672, 7};
  store_.Put("Sat09", K::Record, heard);
  store_.PutText("LogDirectory", "");

  ASSERT_TRUE(doc_.LoadSettings(store_));
  EXPECT_EQ(doc_.viewState, 0);
  EXPECT_EQ(doc_.soundCardSlot, 0);
  EXPECT_EQ(doc_.logFlag, 1);
  EXPECT_EQ(doc_.rawFlag, 0);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{1, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(doc_.homeLatitude, -34.5);
  EXPECT_EQ(doc_.homeLongitude, 139.0);
  for (int n : {5, 6, 7, 8})
    EXPECT_EQ(std::memcmp(&doc_.satellites[n], &defaults_.satellites[n], 32), 0) << n;
  EXPECT_EQ(doc_.tleFile, "");
  EXPECT_EQ(doc_.trackHistory, 5);
  EXPECT_EQ(doc_.tleEnable, -3);
  EXPECT_EQ(std::memcmp(&doc_.satellites[9], &heard, 32), 0);
  EXPECT_EQ(doc_.logDirectory, "");
}

TEST_F(Settings, AStoreThatCannotOpenOrCommitIsReportedAndChangesNothing) {
  store_.Put("ViewState", SettingKind::Integer, std::int32_t{2});
  store_.openSucceeds = false;
  EXPECT_FALSE(doc_.LoadSettings(store_));
  EXPECT_EQ(doc_.viewState, 0);
  EXPECT_FALSE(doc_.SaveSettings(store_));
  EXPECT_TRUE(store_.visited.empty());
  EXPECT_EQ(store_.closes, 0);

  store_.openSucceeds = true;
  store_.closeSucceeds = false;
  EXPECT_FALSE(doc_.SaveSettings(store_));
}

}  // namespace
}  // namespace vantrel
