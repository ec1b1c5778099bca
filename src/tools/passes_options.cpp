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
    "Usage: vantrel-passes --tle FILE --home LAT,LON [OPTION]...\n"
    "Lists the passes of every element set of FILE over home, soonest first.\n"
    "\n"
    "  --tle FILE             two-line element sets (a name line and two lines each)\n"
    "  --home LAT,LON         home in degrees, north and east positive\n"
    "  --start ISO8601        start of the window, such as 2026-12-07T19:20:00Z\n"
    "                         or 2026-12-07T20:20:00+01:00 (default now)\n"
    "  --hours H              length of the window (default 24, at most 744)\n"
    "  --min-elevation DEG    elevation at which a pass starts and ends (default 0)\n"
    "  --json                 one JSON object per pass instead of the table\n"
    "  -h, --help             show this help and exit\n"
    "      --version          show the version and exit\n";

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
  enum { kTle = 256, kHome, kStart, kHours, kMinElevation, kJson, kHelp, kVersion };
  static const option kLong[] = {{"tle", required_argument, nullptr, kTle},
                                 {"home", required_argument, nullptr, kHome},
                                 {"start", required_argument, nullptr, kStart},
                                 {"hours", required_argument, nullptr, kHours},
                                 {"min-elevation", required_argument, nullptr, kMinElevation},
                                 {"json", no_argument, nullptr, kJson},
                                 {"help", no_argument, nullptr, kHelp},
                                 {"version", no_argument, nullptr, kVersion},
                                 {nullptr, 0, nullptr, 0}};
  opterr = 0;
  optind = 1;
  bool haveHome = false;
  for (;;) {
    const int c = getopt_long(argc, argv, ":h", kLong, nullptr);
    if (c == -1) break;
    const std::string arg = optarg ? optarg : "";
    switch (c) {
      case kTle:
        options->tleFile = arg;
        break;
      case kHome:
        if (!ParseHome(arg, options)) {
          *error = "Bad --home '" + arg + "': use LAT,LON in degrees, such as 52.5,-1.25";
          return false;
        }
        haveHome = true;
        break;
      case kStart:
        options->start = ParseIsoInstant(arg);
        if (!options->start) {
          *error = "Bad --start '" + arg +
                   "': use ISO 8601 such as 2026-12-07T19:20:00Z or ...T20:20:00+01:00";
          return false;
        }
        break;
      case kHours:
        if (!ParseNumber(arg, options->hours) || options->hours <= 0.0 ||
            options->hours > kLongestWindowHours) {
          *error = "Bad --hours '" + arg + "': use a number of hours above 0, at most 744";
          return false;
        }
        break;
      case kMinElevation:
        if (!ParseNumber(arg, options->minElevation) || options->minElevation < -90.0 ||
            options->minElevation >= 90.0) {
          *error = "Bad --min-elevation '" + arg + "': use degrees from -90 to below 90";
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
      case kVersion:
        options->version = true;
        return true;
      case ':':
        *error = std::string("Option '") + argv[optind - 1] + "' needs a value; see --help";
        return false;
      default:
        *error = std::string("Unknown option '") + argv[optind - 1] + "'; see --help";
        return false;
    }
  }
  if (optind < argc) {
    *error = std::string("Unexpected argument '") + argv[optind] + "'; see --help";
    return false;
  }
  if (options->tleFile.empty()) {
    *error = "--tle FILE is needed; see --help";
    return false;
  }
  if (!haveHome) {
    *error = "--home LAT,LON is needed; see --help";
    return false;
  }
  return true;
}

}  // namespace vantrel::tools
