#include "base/satellite_record.h"

#include <cstdio>
#include <ctime>

namespace vantrel {

std::string FormatUtc(std::int64_t seconds, const char* format) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return {};
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

std::string FmLabel(int fm) {
  char label[16];
  std::snprintf(label, sizeof label, "FM-%02d", fm);
  return label;
}

bool HasData(const SatelliteRecord& record) { return record.Heard() || record.positionTime != 0; }

std::vector<int> ListedSatellites(const SatelliteTable& table) {
  std::vector<int> listed;
  for (int fm = 1; fm <= kMaxSatellite; ++fm) {
    if (fm <= kSatelliteCount || HasData(table[static_cast<std::size_t>(fm)])) listed.push_back(fm);
  }
  return listed;
}

std::string FormatSatelliteRow(int k, const SatelliteRecord& record) {
  char row[256];
  if (!record.Heard()) {
    return FmLabel(k);
  } else if (record.positionTime > 0) {
    std::snprintf(row, sizeof row, "FM-%02d %8.4lfMHz %9.5lf\xB0 %10.5lf\xB0 %s", k,
                  record.frequency, record.latitude, record.longitude,
                  FormatUtc(record.positionTime, "%y-%m-%d %H:%M:%S").c_str());
  } else {
    std::snprintf(row, sizeof row, "FM-%02d %8.4lfMHz", k, record.frequency);
  }
  return row;
}

}  // namespace vantrel
