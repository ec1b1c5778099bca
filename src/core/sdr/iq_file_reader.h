// An IQ recording played as if it were a receiver: once opened it hands over
// the recording's rate worth of samples a second by the clock, so that a
// recording behaves on screen as the band would have live.
#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "sdr/sdr_input.h"

namespace vantrel::sdr {

struct IqRecording {
  std::string path;
  IqFormat format = IqFormat::Cu8;
  double sampleRate = 0.0;
  std::optional<double> centreHz;
};

class IqFileReader final : public BandReader {
 public:
  // Null with *error set when the file cannot be opened.
  static std::unique_ptr<IqFileReader> Open(const IqRecording& recording, std::string* error);
  ~IqFileReader() override;

  double sampleRate() const override { return recording_.sampleRate; }
  std::optional<double> centreHz() const override { return recording_.centreHz; }
  Result Read(std::vector<Complex>* out, std::string* error) override;

 private:
  IqFileReader(IqRecording recording, std::FILE* file);

  IqRecording recording_;
  std::FILE* file_;
  IqConverter converter_;
  std::chrono::steady_clock::time_point started_;
  std::int64_t played_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vantrel::sdr
