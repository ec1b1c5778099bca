#include "orbit/tle_update.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "orbit/element_set.h"
#include "orbit/sgp4.h"
#include "orbit/tle_reader.h"

namespace vantrel {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int UsableSets(const TleFileContents& contents) {
  int usable = 0;
  for (const TleSet& set : contents.sets) {
    std::string error;
    const auto elements = ParseElementSet(set.name, set.line1, set.line2, &error);
    if (elements && Sgp4(*elements).InitError() == Sgp4Error::kNone) ++usable;
  }
  return usable;
}

std::string JoinUrls(const std::vector<TleDownload>& downloads) {
  std::string urls;
  for (const TleDownload& d : downloads) urls += (urls.empty() ? "" : ", ") + d.url;
  return urls;
}

TleUpdateResult Failed(const std::string& reason, const std::string& url) {
  return {false, 0, "TLE update: " + reason + " (" + url + "); the TLE file is left as it was"};
}

// Writes bytes to a new file beside target and flushes it to the disk; the
// new file's path, or nothing with *error set (no file is left then).
std::optional<std::string> WriteBeside(const fs::path& target, const std::string& bytes,
                                       std::string* error) {
  std::string temporary =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    *error = "cannot write in " + target.parent_path().string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  // The new file keeps the old one's permissions; a first one is readable by all.
  struct stat previous {};
  const mode_t mode = ::stat(target.c_str(), &previous) == 0 ? previous.st_mode & 07777 : 0644;
  int failure = ::fchmod(fd, mode) == 0 ? 0 : errno;
  for (std::size_t done = 0; failure == 0 && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) failure = n < 0 ? errno : ENOSPC;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) {
    *error = "cannot write the new " + target.string() + ": " + std::strerror(failure);
    ::unlink(temporary.c_str());
    return std::nullopt;
  }
  return temporary;
}

}  // namespace

std::vector<std::string> SplitTleUrls(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> urls;
  for (std::string url; in >> url;) urls.push_back(url);
  return urls;
}

std::string CheckTleUrls(const std::string& text) {
  for (const std::string& url : SplitTleUrls(text)) {
    // Checked first: the message is shown in the program's 8-bit text.
    for (char c : url) {
      if (static_cast<unsigned char>(c) > 0x7E)
        return "an address holds characters other than ASCII; write them %-encoded";
    }
    const std::string lower = Lower(url);
    const std::size_t scheme = lower.starts_with("https://")  ? 8
                               : lower.starts_with("http://") ? 7
                                                              : 0;
    if (scheme == 0) return url + " is not an http:// or https:// address";
    if (scheme == url.size() || url[scheme] == '/' || url[scheme] == '?' || url[scheme] == '#')
      return url + " names no host";
  }
  return {};
}

bool TleUpdateDue(double now, std::optional<double> fileTime, int hours,
                  std::optional<double> lastAttempt) {
  if (hours <= 0) return false;
  const double interval = hours * 3600.0;
  if (lastAttempt && std::abs(now - *lastAttempt) < std::min(interval, kTleRetrySeconds))
    return false;
  // A file dated in the future (a clock set wrong) counts by its distance too.
  return !fileTime || std::abs(now - *fileTime) >= interval;
}

TleUpdateResult ApplyTleDownloads(const std::string& path,
                                  const std::vector<TleDownload>& downloads) {
  if (downloads.empty()) return Failed("no address to download from", "none");
  std::string bytes;
  for (const TleDownload& d : downloads) {
    if (!d.error.empty()) return Failed(d.error, d.url);
    const TleFileContents contents = ParseTleText(d.body, "the download");
    if (!contents.error.empty()) return Failed(contents.error, d.url);
    if (UsableSets(contents) == 0) return Failed("the download holds no usable element set", d.url);
    bytes += d.body;
    // The next body's name line must start a line of its own.
    if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
  }
  const std::string urls = JoinUrls(downloads);
  if (bytes.size() > kMaxTleFileBytes)
    return Failed("together larger than " + std::to_string(kMaxTleFileBytes >> 20) + " MiB", urls);

  std::error_code ec;
  fs::path target(path);
  // A link keeps pointing at the file it names; that file is replaced.
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return Failed("cannot follow " + path + ": " + ec.message(), urls);
  }
  // Only a file is replaced: never a device, pipe or folder named as the TLE file.
  if (struct stat existing{}; ::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
    return Failed(target.string() + " is not a regular file", urls);
  if (!target.parent_path().empty()) fs::create_directories(target.parent_path(), ec);

  std::string error;
  const auto temporary = WriteBeside(target, bytes, &error);
  if (!temporary) return Failed(error, urls);
  // Read back as the chart and the passes will read it.
  const TleFileContents written = ReadTleFile(*temporary);
  const int sets = written.error.empty() ? UsableSets(written) : 0;
  if (sets == 0) {
    ::unlink(temporary->c_str());
    return Failed(
        written.error.empty() ? "the file written holds no usable element set" : written.error,
        urls);
  }
  if (::rename(temporary->c_str(), target.c_str()) != 0) {
    const int failure = errno;
    ::unlink(temporary->c_str());
    return Failed("cannot replace " + target.string() + ": " + std::strerror(failure), urls);
  }
  // The rename itself reaches the disk with the folder.
  if (const int dir = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {true, sets,
          "TLE update: " + std::to_string(sets) + (sets == 1 ? " set" : " sets") + " from " + urls +
              " written to " + target.string()};
}

}  // namespace vantrel
