// Keeping the TLE file fresh from the web. The desktop program downloads;
// this part decides when an update is due and turns the downloads of one
// update into a new TLE file, written whole and renamed over the old one, or
// into nothing at all: the file is always the previous one or a complete
// new one with at least one set the orbit model can use.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The usual public source of the constellation's element sets.
inline constexpr const char* kDefaultTleUrl =
    "https://celestrak.org/NORAD/elements/gp.php?GROUP=orbcomm&FORMAT=tle";
inline constexpr int kDefaultTleUpdateHours = 24;
inline constexpr int kMaxTleUpdateHours = 24 * 366;
// After an update that failed, the next scheduled one waits at least this long.
inline constexpr double kTleRetrySeconds = 3600.0;

struct TleUpdateSettings {
  std::string urls = kDefaultTleUrl;   // separated by white space; may be empty
  int hours = kDefaultTleUpdateHours;  // between scheduled updates; 0 = never
};

// The URLs of a list separated by white space, in order.
std::vector<std::string> SplitTleUrls(const std::string& text);

// Empty when every URL of the list is http:// or https:// followed by a host;
// otherwise what is wrong with the first one that is not.
std::string CheckTleUrls(const std::string& text);

// Whether a scheduled update is due at now (seconds since 1970): never with
// hours 0; not within kTleRetrySeconds (or the interval, when shorter) of the
// last attempt; otherwise when the file is missing or its modification time
// lies an interval or more away.
bool TleUpdateDue(double now, std::optional<double> fileTime, int hours,
                  std::optional<double> lastAttempt);

// One URL's download: the body, or why there is none.
struct TleDownload {
  std::string url;
  std::string body;
  std::string error;  // empty when the body arrived whole
};

struct TleUpdateResult {
  bool replaced = false;
  int sets = 0;        // usable sets in the new file
  std::string notice;  // one status-bar line, "TLE update: ..."
};

// Writes the bodies of the downloads, one after another, over the file at
// path (a link is followed to its file) when every download arrived, each
// holds a usable set and the whole stays within the reader's bounds.
// The new file is written beside the old one, flushed to the disk, read back
// with the reader and only then renamed over it; anything that fails leaves
// the old file untouched and no temporary file behind.
TleUpdateResult ApplyTleDownloads(const std::string& path,
                                  const std::vector<TleDownload>& downloads);

}  // namespace vantrel
