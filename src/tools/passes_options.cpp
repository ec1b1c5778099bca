#include "passes_options.h"

#include <getopt.h>

#include <cmath>
#include <cstdio>
#include <ctime>

#include "iso_time.h"

namespace vantrel::tools {

namespace {

constexpr double kLongestWindowHours = 24.0 * 31.0;
// 1958-01-01T00:00:00Z: no element set is older.
constexpr std::time_t kEarliestInstant = -378691200;

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  std::size_t used = 0;
  try {
    value = std::stod(text, &used);
  } catch (...) {
    return false;
  }
  return used == text.size() && std::isfinite(value);
}

bool ParseHome(const std::string& text, PassesOptions* options) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return false;
  return ParseNumber(text.substr(0, comma), options->latitude) &&
         ParseNumber(text.substr(comma + 1), options->longitude) &&
         std::fabs(options->latitude) <= 90.0 && std::fabs(options->longitude) <= 180.0;
}

}  // namespace

const char* const kPassesUsage =
    "usage: vantrel-passes --tle FILE --home LAT,LON [--start ISO8601] [--hours H]\n"
    "                      [--min-elevation DEG] [--json]\n"
    "Lists the passes of every element set of FILE over home (degrees, north and\n"
    "east positive) from START (default now) for H hours (default 24).\n";

std::optional<double> ParseIsoInstant(const std::string& text) {
  const auto t = ParseIsoTime(text);
  if (!t || *t < kEarliestInstant) return std::nullopt;
  return static_cast<double>(*t);
}

std::string FormatIsoInstant(double seconds) {
  const std::time_t t = static_cast<std::time_t>(std::llround(seconds));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

bool ParsePassesOptions(int argc, char** argv, PassesOptions* options, std::string* error) {
  enum { kTle = 256, kHome, kStart, kHours, kMinElevation, kJson, kHelp };
  static const option kLong[] = {{"tle", required_argument, nullptr, kTle},
                                 {"home", required_argument, nullptr, kHome},
                                 {"start", required_argument, nullptr, kStart},
                                 {"hours", required_argument, nullptr, kHours},
                                 {"min-elevation", required_argument, nullptr, kMinElevation},
                                 {"json", no_argument, nullptr, kJson},
                                 {"help", no_argument, nullptr, kHelp},
                                 {nullptr, 0, nullptr, 0}};
  opterr = 0;
  optind = 1;
  bool haveHome = false;
  for (;;) {
    const int c = getopt_long(argc, argv, "h", kLong, nullptr);
    if (c == -1) break;
    const std::string arg = optarg ? optarg : "";
    switch (c) {
      case kTle:
        options->tleFile = arg;
        break;
      case kHome:
        if (!ParseHome(arg, options)) {
          *error = "bad --home '" + arg + "': use LAT,LON in degrees, such as 52.5,-1.25";
          return false;
        }
        haveHome = true;
        break;
      case kStart:
        options->start = ParseIsoInstant(arg);
        if (!options->start) {
          *error = "bad --start '" + arg + "': use ISO 8601 UTC such as 2026-12-07T19:20:00Z";
          return false;
        }
        break;
      case kHours:
        if (!ParseNumber(arg, options->hours) || options->hours <= 0.0 ||
            options->hours > kLongestWindowHours) {
          *error = "bad --hours '" + arg + "': use a number of hours above 0, at most 744";
          return false;
        }
        break;
      case kMinElevation:
        if (!ParseNumber(arg, options->minElevation) || options->minElevation < -90.0 ||
            options->minElevation >= 90.0) {
          *error = "bad --min-elevation '" + arg + "': use degrees from -90 to below 90";
          return false;
        }
        break;
      case kJson:
        options->json = true;
        break;
      case 'h':
      case kHelp:
        options->help = true;
        return true;
      default:
        *error = std::string("unknown or incomplete option '") + argv[optind - 1] + "'";
        return false;
    }
  }
  if (optind < argc) {
    *error = std::string("unexpected argument '") + argv[optind] + "'";
    return false;
  }
  if (options->tleFile.empty()) {
    *error = "missing --tle FILE";
    return false;
  }
  if (!haveHome) {
    *error = "missing --home LAT,LON";
    return false;
  }
  return true;
}

}  // namespace vantrel::tools
