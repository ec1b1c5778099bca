#include "orbit/tle_catalog.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <system_error>
#include <tuple>

namespace vantrel {

namespace {

// What tells a changed file: its identity, size and modification time.
using FileStamp = std::tuple<dev_t, ino_t, off_t, std::int64_t, long>;

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

}  // namespace

struct TleCatalog::Loaded {
  std::string path;
  FileStamp stamp;
  std::shared_ptr<const TleFileContents> contents;
};

TleCatalog::~TleCatalog() { Wait(); }

void TleCatalog::Wait() {
  if (pending_.valid()) loaded_ = pending_.get();
}

std::shared_ptr<const TleFileContents> TleCatalog::Sets(const std::string& path) {
  using namespace std::chrono_literals;
  if (pending_.valid() && pending_.wait_for(0s) == std::future_status::ready) {
    loaded_ = pending_.get();
  }
  if (!pending_.valid()) {
    try {
      pending_ = std::async(std::launch::async, [path, previous = loaded_] {
        const FileStamp stamp = StampOf(path);
        if (previous && previous->path == path && previous->stamp == stamp) return previous;
        // Stamped before reading: a change while it is read shows at the next check.
        return std::shared_ptr<const Loaded>(
            new Loaded{path, stamp, std::make_shared<const TleFileContents>(ReadTleFile(path))});
      });
    } catch (const std::system_error&) {
      // No thread to be had just now: the next call checks again.
    }
  }
  static const auto kNothingYet = std::make_shared<const TleFileContents>();
  if (!loaded_ || loaded_->path != path) return kNothingYet;
  return loaded_->contents;
}

}  // namespace vantrel
