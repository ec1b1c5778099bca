#include "passes_frequencies.h"

#include <QFileInfo>

#include <cstdio>
#include <cstring>

#include "platform/qt_settings_store.h"

namespace vantrel::tools {

std::array<double, kMaxSatellite + 1> KnownDownlinks() {
  std::array<double, kMaxSatellite + 1> mhz{};
  QtSettingsStore store;
  bool existed = false;
  if (!QFileInfo::exists(store.filePath()) || !store.Open(existed)) return mhz;
  for (int n = 1; n <= kMaxSatellite; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "Sat%02d", n);
    const auto bytes = store.ReadBytes(name, SettingKind::Record);
    if (!bytes || bytes->size() != sizeof(SatelliteRecord)) continue;
    SatelliteRecord record;
    std::memcpy(&record, bytes->data(), sizeof record);
    if (record.Heard()) mhz[n] = record.frequency;
  }
  return mhz;
}

}  // namespace vantrel::tools
