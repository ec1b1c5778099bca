// Drives the receiver document with a recording as capture would: one second
// of samples at a time through DecodeSamples, the clock advanced with the audio,
// and the polarity watch run after every second second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
#include "decode_options.h"
#include "document/vantrel_doc.h"

namespace vantrel::tools {

class RecordingDecoder {
 public:
  // start is the UTC time of the recording's first sample.
  RecordingDecoder(VantrelDoc& doc, HeldClock& clock, CTime start, PolarityMode polarity);

  // Feeds one second; fewer than 48000 samples are padded with the mid level.
  // Returns the lines posted meanwhile, oldest first (Windows-1252).
  std::vector<std::string> FeedSecond(const std::vector<std::uint8_t>& samples);

  // One more second of mid level, so that every packet of the recording,
  // found only once it is the oldest second in the ring, comes out.
  std::vector<std::string> Finish();

 private:
  VantrelDoc& doc_;
  HeldClock& clock_;
  CTime start_;
  bool watchPolarity_;
  long long secondsFed_ = 0;
};

}  // namespace vantrel::tools
