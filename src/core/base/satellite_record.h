// What is known of one satellite. The 32-byte layout is a storage format:
// settings keep each record byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct SatelliteRecord {
  double frequency = 0.0;         // downlink, MHz
  double longitude = 0.0;         // degrees east
  double latitude = 0.0;          // degrees north
  std::int32_t positionTime = 0;  // seconds since 1970 UTC, 0 = none
  std::uint32_t reserved = 0;

  // A satellite counts as heard when its frequency lies strictly inside 137..138 MHz.
  bool Heard() const { return frequency > 137.0 && frequency < 138.0; }
  // Whether the chart draws the decoded position: one other than exactly 0
  // in either coordinate, heard within the last 300 seconds before now.
  bool HasRecentPosition(std::int64_t now) const {
    return longitude != 0.0 && latitude != 0.0 && positionTime > now - kRecentSeconds;
  }
  static constexpr std::int32_t kRecentSeconds = 300;
};
static_assert(sizeof(SatelliteRecord) == 32, "satellite record is a 32-byte storage format");

// Packets name satellites by one byte. FM-01 .. FM-36 are always listed;
// a satellite above 36 is listed once something of it has been heard.
// Record 0 is never written by the decoder.
constexpr int kSatelliteCount = 36;
constexpr int kMaxSatellite = 255;
using SatelliteTable = std::array<SatelliteRecord, kMaxSatellite + 1>;

// Whether the satellite has been heard: a downlink frequency or a position.
bool HasData(const SatelliteRecord& record);

// The FM numbers the Satellites screen, its copy and the table outputs list:
// 1 .. 36, then each satellite above 36 that has data, in order.
std::vector<int> ListedSatellites(const SatelliteTable& table);

// "FM-%02d": the satellite's name on the chart and the Satellites screen.
std::string FmLabel(int fm);

// The Satellites screen's row for record k (1..36), Windows-1252 (degree sign 0xB0).
std::string FormatSatelliteRow(int k, const SatelliteRecord& record);

// "%y-%m-%d %H:%M:%S"-style formatting of a time in UTC.
std::string FormatUtc(std::int64_t seconds, const char* format);

}  // namespace vantrel
