// vantrel-passes: when each satellite of a TLE file comes over home.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>

#include "orbit/pass_table.h"
#include "passes_options.h"
#include "vantrel_version.h"

#ifdef VANTREL_SETTINGS
#include "passes_frequencies.h"
#endif

namespace {

using namespace vantrel;
using namespace vantrel::tools;

std::string LocalTime(double seconds) {
  const std::time_t t = static_cast<std::time_t>(std::llround(seconds));
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

std::string Duration(double seconds) {
  const long s = std::max(0L, std::lround(seconds));
  char text[40];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

void PrintTable(const PassTable& table, const std::array<double, kMaxSatellite + 1>& downlink) {
  std::printf("%-19s  %-20s  %-20s  %6s  %6s  %6s  %8s  %s\n", "AOS (local)", "AOS (UTC)",
              "Satellite", "Max el", "AOS az", "LOS az", "Duration", "Downlink MHz");
  for (const SatellitePass& sp : table.passes) {
    const Pass& p = sp.pass;
    std::string frequency = "-";
    if (sp.fm != 0 && downlink[sp.fm] != 0.0) {
      char text[16];
      std::snprintf(text, sizeof text, "%.4f", downlink[sp.fm]);
      frequency = text;
    }
    std::printf("%-19s  %-20s  %-20s  %6.1f  %6.1f  %6.1f  %8s  %s\n", LocalTime(p.aos).c_str(),
                FormatIsoInstant(p.aos).c_str(), sp.satellite.c_str(), p.maxElevation, p.aosAzimuth,
                p.losAzimuth, Duration(p.los - p.aos).c_str(), frequency.c_str());
  }
}

void PrintJson(const PassTable& table, const std::array<double, kMaxSatellite + 1>& downlink) {
  auto round = [](double v, double scale) { return std::round(v * scale) / scale; };
  for (const SatellitePass& sp : table.passes) {
    const Pass& p = sp.pass;
    nlohmann::ordered_json o;
    o["satellite"] = sp.satellite;
    o["aos"] = FormatIsoInstant(p.aos);
    o["los"] = FormatIsoInstant(p.los);
    o["max_time"] = FormatIsoInstant(p.maxTime);
    o["max_elevation"] = round(p.maxElevation, 1000);
    o["aos_azimuth"] = round(p.aosAzimuth, 1000);
    o["los_azimuth"] = round(p.losAzimuth, 1000);
    o["duration"] = std::lround(p.los - p.aos);
    if (sp.fm != 0 && downlink[sp.fm] != 0.0) o["downlink_mhz"] = downlink[sp.fm];
    std::cout << o.dump() << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  PassesOptions options;
  std::string error;
  if (!ParsePassesOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "vantrel-passes: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kPassesUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::puts("vantrel-passes " VANTREL_VERSION);
    return 0;
  }
  const double start = options.start ? *options.start : static_cast<double>(std::time(nullptr));
  const Observer home{options.latitude, options.longitude, 0.0};
  const PassTable table = ComputePassTable(options.tleFile, home, start,
                                           start + options.hours * 3600.0, options.minElevation);
  if (!table.fileRead) {
    std::fprintf(stderr, "vantrel-passes: %s\n", table.readError.c_str());
    return 2;
  }
  if (table.setCount == 0) {
    const std::string first = table.problems.empty() ? "" : " (" + table.problems[0] + ")";
    std::fprintf(stderr, "vantrel-passes: %s: no usable element set%s\n", options.tleFile.c_str(),
                 first.c_str());
    return 2;
  }
  // Sets that cannot be used are named; the others are still listed.
  for (const std::string& problem : table.problems) {
    std::fprintf(stderr, "vantrel-passes: %s\n", problem.c_str());
  }
  std::array<double, kMaxSatellite + 1> downlink{};
#ifdef VANTREL_SETTINGS
  downlink = KnownDownlinks();
#endif
  if (options.json) {
    PrintJson(table, downlink);
  } else {
    PrintTable(table, downlink);
  }
  return 0;
}
