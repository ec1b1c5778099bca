// Reads a recording as unsigned 8-bit samples at 48000 Hz: a sound file
// through libsndfile (first channel only), or raw samples from a file or
// standard input.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantrel::tools {

class RecordingInput {
 public:
  static constexpr int kSampleRate = 48000;

  RecordingInput() = default;
  RecordingInput(const RecordingInput&) = delete;
  RecordingInput& operator=(const RecordingInput&) = delete;
  ~RecordingInput();

  // Opens path ("-" with raw for standard input). On failure returns false
  // with a one-line description naming the file in *error.
  bool Open(const std::string& path, bool raw, std::string* error);

  // Reads up to samples->size() samples into *samples; returns how many were
  // read, 0 at the end. A read error ends the input and is kept in error().
  std::size_t Read(std::vector<std::uint8_t>* samples);

  const std::string& error() const { return error_; }

 private:
  std::string name_;
  SNDFILE* sound_ = nullptr;
  int channels_ = 1;
  std::FILE* raw_ = nullptr;
  bool ownsRaw_ = false;
  std::vector<short> frames_;
  std::string error_;
};

}  // namespace vantrel::tools
