#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantrel::fuzz {

namespace fs = std::filesystem;

const std::string& ScratchDirectory() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string& directory = *new std::string([] {
    std::string pattern =
        fs::is_directory("/dev/shm") ? "/dev/shm/vantrel-fuzz.XXXXXX" : "/tmp/vantrel-fuzz.XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "cannot create a scratch folder");
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(ScratchDirectory(), ignored);
    });
    return pattern + "/";
  }());
  return directory;
}

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchDirectory() + name;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Check(file.good(), "cannot write a scratch file");
  return path;
}

void ClearScratchDirectory() {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(ScratchDirectory(), ignored))
    fs::remove_all(entry.path(), ignored);
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace vantrel::fuzz
