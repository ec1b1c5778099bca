// Command line of vantrel-passes.
#pragma once

#include <optional>
#include <string>

namespace vantrel::tools {

struct PassesOptions {
  std::string tleFile;
  double latitude = 0.0;        // degrees north
  double longitude = 0.0;       // degrees east
  std::optional<double> start;  // seconds since 1970 UTC; now when unset
  double hours = 24.0;
  double minElevation = 0.0;
  bool json = false;
  bool help = false;
  bool version = false;
};

// Parses argv; on a mistake returns false with a one-line description.
bool ParsePassesOptions(int argc, char** argv, PassesOptions* options, std::string* error);

// "2026-12-07T19:20:00Z" (also with a space for T, without the Z, or with
// "+00:00") to seconds since 1970.
std::optional<double> ParseIsoInstant(const std::string& text);

// Seconds since 1970 as "2026-12-07T19:20:00Z", rounded to the second.
std::string FormatIsoInstant(double seconds);

extern const char* const kPassesUsage;

}  // namespace vantrel::tools
