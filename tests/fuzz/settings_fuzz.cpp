// Settings loading from any stored values (name, kind, length, bytes; the
// first byte says whether the store opens and existed). Checked: values stay
// in their ranges, texts hold no zero byte, a save and load changes nothing,
// and the satellite records format and answer GetSatData without harm.
#include <cmath>

#include "base/satellite_record.h"
#include "document/automation.h"
#include "document/vantrel_doc.h"
#include "fuzz_support.h"
#include "support/memory_settings_store.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  vantrel::test::MemorySettingsStore store;
  store.opens = (data[0] & 1) == 0;
  store.exists = (data[0] & 2) == 0;
  const auto& names = vantrel::SettingNames();
  for (std::size_t at = 1; at + 3 <= size;) {
    const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
    // Mostly the receiver's own names, sometimes a stranger's.
    const std::string name =
        data[at] < 216 ? names[data[at] % names.size()] : "Stranger" + std::to_string(data[at]);
    store.values[name] = {static_cast<vantrel::SettingKind>(data[at + 1] % 4),
                          {data + at + 3, data + at + 3 + length}};
    at += 3 + length;
  }
  const vantrel::HeldClock clock(1178964672);
  vantrel::VantrelDoc doc(clock, "/opt/vantrel/");
  Check(doc.LoadSettings(store) == store.opens, "load result does not say whether the key opened");

  Check(doc.viewState >= 0 && doc.viewState <= vantrel::kPassesScreen, "view state out of range");
  Check(doc.soundCardSlot >= 0 && doc.soundCardSlot <= 3, "sound card slot out of range");
  Check(std::isfinite(doc.homeLatitude) && std::isfinite(doc.homeLongitude), "home not finite");
  const auto& interpreter = doc.interpreter();
  Check((doc.logDirectory + doc.tleFile).find('\0') == std::string::npos, "zero byte in a text");
  for (const int k : vantrel::ListedSatellites(interpreter.satellites()))
    Check(vantrel::FormatSatelliteRow(k, interpreter.satellites()[k]).size() < 256, "row too long");
  for (int satellite = -1; satellite <= 256; satellite += 19)
    for (int item = -1; item <= 6; ++item)
      (void)vantrel::GetSatData(doc, satellite, item),
          (void)vantrel::GetSatelliteData(doc, satellite, item);

  // Every value saved; loading them into a new document saves the same again.
  vantrel::test::MemorySettingsStore saved, resaved;
  Check(doc.SaveSettings(saved) && saved.values.size() == names.size(), "not every value saved");
  vantrel::VantrelDoc again(clock, "/opt/vantrel/");
  again.LoadSettings(saved);
  again.SaveSettings(resaved);
  Check(resaved.values == saved.values, "settings changed on a save and load");
  return 0;
}
