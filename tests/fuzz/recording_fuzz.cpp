// The recording reader on any file, as a sound file and as raw samples.
// Checked: a file that does not open says why, naming the file, and gives
// nothing; raw input hands back every byte unchanged; a sound file never
// yields more samples than the file has bytes.
#include <cstring>
#include <vector>

#include "audio/recording_file.h"
#include "fuzz_support.h"

using vantrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = vantrel::fuzz::WriteScratchFile("recording", data, size);
  std::vector<std::uint8_t> samples(4096);
  {
    vantrel::RecordingInput input;
    std::string error;
    if (input.Open(path, false, &error)) {
      std::size_t total = 0;
      while (const std::size_t n = input.Read(&samples))
        Check(n <= samples.size() && (total += n) <= size, "more samples than asked or bytes");
    } else {
      Check(error.compare(0, path.size(), path) == 0, "error does not name the file");
      Check(input.Read(&samples) == 0, "a refused file still gives samples");
    }
  }
  {
    vantrel::RecordingInput input;
    std::string error;
    Check(input.Open(path, true, &error), "raw file did not open");
    std::size_t total = 0;
    while (const std::size_t n = input.Read(&samples)) {
      Check(total + n <= size && std::memcmp(samples.data(), data + total, n) == 0,
            "raw samples differ from the file");
      total += n;
    }
    Check(total == size && input.error().empty(), "raw input lost bytes");
  }
  return 0;
}
