// The sets of the TLE file for a display that draws them at every frame: the
// file is read once, in the background, and read again only when its name,
// size or modification time changes. Asking never waits for the file.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "orbit/tle_reader.h"

namespace vantrel {

class TleCatalog {
 public:
  TleCatalog() = default;
  // Waits for a read under way; reads are bounded (regular files only, at
  // most kMaxTleFileBytes).
  ~TleCatalog();
  TleCatalog(const TleCatalog&) = delete;
  TleCatalog& operator=(const TleCatalog&) = delete;

  // The contents of path as last read (none before the first read ends),
  // and a check in the background whether the file has changed.
  std::shared_ptr<const TleFileContents> Sets(const std::string& path);

  // Waits until the check started by the last call of Sets has ended.
  void Wait();

 private:
  struct Loaded;
  std::shared_ptr<const Loaded> loaded_;
  std::future<std::shared_ptr<const Loaded>> pending_;
};

}  // namespace vantrel
