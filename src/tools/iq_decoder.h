// Drives the receiver document with an SDR band: every channel's packets,
// in the order they were sent, through DecodePacket with where each came
// from, the clock following the samples as the audio path's clock does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "document/vantrel_doc.h"
#include "sdr/sdr_receiver.h"

namespace vantrel::tools {

class IqDecoder {
 public:
  // start is the UTC time of the first sample; centreHz the SDR's tuning.
  IqDecoder(VantrelDoc& doc, HeldClock& clock, CTime start, double sampleRate,
            std::optional<double> centreHz);

  // Returns the lines posted meanwhile, oldest first (Windows-1252).
  std::vector<std::string> Feed(const std::vector<sdr::Complex>& samples);
  std::vector<std::string> Finish();

  const sdr::SdrReceiver& receiver() const { return receiver_; }

 private:
  std::vector<std::string> Deliver();

  VantrelDoc& doc_;
  HeldClock& clock_;
  CTime start_;
  sdr::SdrReceiver receiver_;
};

}  // namespace vantrel::tools
