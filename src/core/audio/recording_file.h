// Reads a recording as unsigned 8-bit samples at the capture rate: a sound
// file through libsndfile (first channel only), or raw samples from a file or
// standard input. Serves the decode tool, the desktop program's --input and
// a fuzz target.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/sample_rate.h"

namespace vantrel {

// Raw sample formats: unsigned 8-bit, or signed 16-bit little-endian (an
// FM demodulator's usual output), both at the capture rate.
enum class RawFormat { U8, S16le };

class RecordingInput {
 public:
  static constexpr int kSampleRate = kCaptureSampleRate;
  static constexpr int kMaxChannels = 16;

  RecordingInput() = default;
  RecordingInput(const RecordingInput&) = delete;
  RecordingInput& operator=(const RecordingInput&) = delete;
  ~RecordingInput();

  // Opens path ("-" with raw for standard input). On failure returns false
  // with a one-line description naming the file in *error.
  bool Open(const std::string& path, bool raw, std::string* error,
            RawFormat rawFormat = RawFormat::U8);

  // Reads up to samples->size() samples into *samples; returns how many were
  // read, 0 at the end. A read error ends the input and is kept in error().
  std::size_t Read(std::vector<std::uint8_t>* samples);

  const std::string& error() const { return error_; }
  // Samples in the whole recording; 0 when not known (a pipe).
  std::int64_t length() const { return length_; }

 private:
  std::string name_;
  SNDFILE* sound_ = nullptr;
  int channels_ = 1;
  std::FILE* raw_ = nullptr;
  bool ownsRaw_ = false;
  RawFormat rawFormat_ = RawFormat::U8;
  std::vector<short> frames_;
  std::vector<std::uint8_t> rawBytes_;
  std::string error_;
  std::int64_t length_ = 0;
};

// Reads a whole recording at once. False with a one-line description naming
// the file in *error.
bool LoadRecording(const std::string& path, std::vector<std::uint8_t>* samples, std::string* error);

}  // namespace vantrel
