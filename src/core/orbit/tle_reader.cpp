#include "orbit/tle_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantrel {

namespace {

void RemoveAll(std::string& text, const std::string& what) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
    text.erase(at, what.size());
  }
}

// The whole file, or an error. Opened without waiting, so that a FIFO or a
// device named as the file is refused rather than read from.
std::string ReadBounded(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = path + ": cannot open: " + std::strerror(errno);
    return {};
  }
  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *error = path + ": not a regular file";
  } else if (static_cast<std::size_t>(info.st_size) > kMaxTleFileBytes) {
    *error = path + ": larger than " + std::to_string(kMaxTleFileBytes >> 20) + " MiB";
  } else {
    // Read to the bound plus one, in case the file grows while it is read.
    bytes.resize(kMaxTleFileBytes + 1);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) *error = path + ": read error: " + std::strerror(errno);
      if (n <= 0) break;
      filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    if (filled > kMaxTleFileBytes) {
      *error = path + ": larger than " + std::to_string(kMaxTleFileBytes >> 20) + " MiB";
    }
  }
  ::close(fd);
  return error->empty() ? bytes : std::string();
}

}  // namespace

TleFileContents ReadTleFile(const std::string& path) {
  TleFileContents contents;
  if (path.empty()) {
    contents.error = "no TLE file given";
    return contents;
  }
  const std::string bytes = ReadBounded(path, &contents.error);
  if (!contents.error.empty()) return contents;
  return ParseTleText(bytes, path);
}

TleFileContents ParseTleText(const std::string& bytes, const std::string& source) {
  TleFileContents contents;
  const std::string& path = source;
  if (bytes.size() > kMaxTleFileBytes) {
    contents.error = path + ": larger than " + std::to_string(kMaxTleFileBytes >> 20) + " MiB";
    return contents;
  }
  std::vector<std::string> lines;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    ++lineNumber;
    // Files written on other systems end their lines in CR LF; the CR is
    // part of the line end there too.
    std::size_t length = end - at;
    if (length > 0 && bytes[end - 1] == '\r') --length;
    if (length > kMaxTleLineLength) {
      contents.error = path + ": line " + std::to_string(lineNumber) + " is longer than " +
                       std::to_string(kMaxTleLineLength) + " characters";
      break;
    }
    // Blank lines between sets are skipped; inside a set they count as lines.
    if (length > 0 || !lines.empty()) lines.emplace_back(bytes, at, length);
    if (lines.size() == 3) {
      if (contents.sets.size() == kMaxTleSets) {
        contents.error = path + ": more than " + std::to_string(kMaxTleSets) + " sets";
        break;
      }
      contents.sets.push_back({std::move(lines[0]), std::move(lines[1]), std::move(lines[2])});
      lines.clear();
    }
    at = end + 1;
  }
  if (!contents.error.empty()) contents.sets.clear();
  return contents;
}

bool ForEachTleSet(const std::string& path, const std::function<void(const TleSet&)>& onSet) {
  const TleFileContents contents = ReadTleFile(path);
  if (!contents.error.empty()) return false;
  for (const TleSet& set : contents.sets) onSet(set);
  return true;
}

std::string TleLabel(const std::string& name) {
  std::string label = name;
  RemoveAll(label, "ORBCOMM");
  RemoveAll(label, " ");
  return label;
}

}  // namespace vantrel
