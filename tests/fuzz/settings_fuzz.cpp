// Settings loading from any stored values. The input is read as a list of
// values (name, kind, length, bytes) and served by an in-memory store; the
// first byte says whether the key opens and existed. Checked: the members
// with ranges stay in them, the home location stays finite, texts hold no
// zero byte; what was loaded, saved and loaded again is unchanged; and the
// loaded satellite records format and answer GetSatData without harm.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "document/automation.h"
#include "document/satellite_record.h"
#include "document/settings_store.h"
#include "document/vantrel_doc.h"

namespace {

using vantrel::CVantrelDoc;
using vantrel::SettingKind;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
  }
}

class MemoryStore final : public vantrel::SettingsStore {
 public:
  struct Value {
    SettingKind kind;
    std::vector<std::uint8_t> bytes;
  };

  bool Open(bool& existed) override {
    existed = existed_;
    return opens_;
  }
  std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& name,
                                                     SettingKind kind) override {
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.kind != kind) return std::nullopt;
    return it->second.bytes;
  }
  std::optional<std::string> ReadText(const std::string& name) override {
    const auto it = values_.find(name);
    if (it == values_.end() || it->second.kind != SettingKind::Text) return std::nullopt;
    return std::string(it->second.bytes.begin(), it->second.bytes.end());
  }
  void WriteBytes(const std::string& name, SettingKind kind,
                  std::span<const std::uint8_t> bytes) override {
    values_[name] = {kind, {bytes.begin(), bytes.end()}};
  }
  void WriteText(const std::string& name, const std::string& text) override {
    values_[name] = {SettingKind::Text, {text.begin(), text.end()}};
  }
  bool Close() override {
    existed_ = true;
    return true;
  }

  bool existed_ = true;
  bool opens_ = true;
  std::map<std::string, Value> values_;
};

MemoryStore StoreFrom(const std::uint8_t* data, std::size_t size) {
  MemoryStore store;
  store.opens_ = (data[0] & 1) == 0;
  store.existed_ = (data[0] & 2) == 0;
  const auto& names = vantrel::SettingNames();
  std::size_t at = 1;
  while (at + 3 <= size) {
    const std::uint8_t nameByte = data[at], kindByte = data[at + 1];
    std::size_t length = data[at + 2];
    at += 3;
    length = std::min(length, size - at);
    // Mostly the receiver's own names, sometimes a stranger's.
    const std::string name = nameByte < 216 ? names[nameByte % names.size()]
                                            : "Stranger" + std::to_string(nameByte);
    store.values_[name] = {static_cast<SettingKind>(kindByte % 4),
                           {data + at, data + at + length}};
    at += length;
  }
  return store;
}

bool SameSettings(const CVantrelDoc& a, const CVantrelDoc& b) {
  return a.viewState == b.viewState && a.soundCardSlot == b.soundCardSlot &&
         std::memcmp(&a.homeLatitude, &b.homeLatitude, sizeof(double)) == 0 &&
         std::memcmp(&a.homeLongitude, &b.homeLongitude, sizeof(double)) == 0 &&
         a.logFlag == b.logFlag && a.rawFlag == b.rawFlag && a.trackHistory == b.trackHistory &&
         a.filters == b.filters && a.tleEnable == b.tleEnable &&
         std::memcmp(a.satellites.data(), b.satellites.data(), sizeof a.satellites) == 0 &&
         a.logDirectory == b.logDirectory && a.tleFile == b.tleFile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  MemoryStore store = StoreFrom(data, size);
  const vantrel::HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/opt/vantrel/");
  const bool loaded = doc.LoadSettings(store);
  Check(loaded == store.opens_, "load result does not say whether the key opened");

  Check(doc.viewState >= 0 && doc.viewState <= 3, "view state out of range");
  Check(doc.soundCardSlot >= 0 && doc.soundCardSlot <= 3, "sound card slot out of range");
  Check(std::isfinite(doc.homeLatitude) && std::isfinite(doc.homeLongitude), "home not finite");
  Check(doc.logFlag == 0 || doc.logFlag == 1, "log flag not 0 or 1");
  Check(doc.rawFlag == 0 || doc.rawFlag == 1, "raw flag not 0 or 1");
  for (const int filter : doc.filters) Check(filter == 0 || filter == 1, "filter not 0 or 1");
  Check(doc.logDirectory.find('\0') == std::string::npos, "zero byte in the log directory");
  Check(doc.tleFile.find('\0') == std::string::npos, "zero byte in the TLE file");

  for (int k = 1; k <= vantrel::kSatelliteCount; ++k) {
    Check(vantrel::FormatSatelliteRow(k, doc.satellites[k]).size() < 256, "row too long");
  }
  for (int satellite = -1; satellite <= 37; satellite += 19) {
    for (int item = -1; item <= 6; ++item) (void)vantrel::GetSatData(doc, satellite, item);
  }

  MemoryStore saved;
  Check(doc.SaveSettings(saved), "save failed");
  Check(saved.values_.size() == vantrel::SettingNames().size(), "not every value saved");
  CVantrelDoc again(clock, "/opt/vantrel/");
  again.LoadSettings(saved);
  Check(SameSettings(doc, again), "settings changed on a save and load");
  return 0;
}
