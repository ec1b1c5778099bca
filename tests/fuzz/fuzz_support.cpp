#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace vantrel::fuzz {

namespace fs = std::filesystem;

namespace {

void RemoveScratch() {
  std::error_code ignored;
  fs::remove_all(ScratchDirectory(), ignored);
}

}  // namespace

const std::string& ScratchDirectory() {
  static const std::string directory = [] {
    std::string pattern =
        fs::is_directory("/dev/shm") ? "/dev/shm/vantrel-fuzz.XXXXXX" : "/tmp/vantrel-fuzz.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("vantrel fuzz: cannot create a scratch folder");
      std::abort();
    }
    return pattern + "/";
  }();
  static const bool registered = std::atexit(RemoveScratch) == 0;
  (void)registered;
  return directory;
}

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchDirectory() + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    std::abort();
  }
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}

void ClearScratchDirectory() {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(ScratchDirectory(), ignored)) {
    fs::remove_all(entry.path(), ignored);
  }
}

void Check(bool condition, const char* target, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "%s fuzz: %s\n", target, what);
    std::abort();
  }
}

}  // namespace vantrel::fuzz
