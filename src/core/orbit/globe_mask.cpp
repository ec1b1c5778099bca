#include "orbit/globe_mask.h"

#include <cstdio>

namespace vantrel {

bool GlobeMask::Load(const std::string& path) {
  bytes_.fill(0);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  // A short file keeps what arrived and the rest stays sea; a file that
  // opens but cannot be read (a folder) counts as not opened.
  std::fread(bytes_.data(), 1, bytes_.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) bytes_.fill(0);
  return !failed;
}

}  // namespace vantrel
