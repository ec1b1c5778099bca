// What the band receiver shows of the band: its averaged spectrum and the
// channels open on it.
#pragma once

#include <optional>
#include <vector>

namespace vantrel::sdr {

struct ChannelStatus {
  int id = 0;
  double carrierHz = 0.0;  // offset from the band's centre
  double level = 0.0;      // hump power over the noise floor
  int satellite = 0;       // FM number once a sync packet named it
};

// The band's power spectrum (dB, lowest frequency first) as last averaged,
// with the channels open at that time.
struct SpectrumSnapshot {
  double sampleRate = 0.0;
  std::optional<double> centreHz;
  std::vector<float> powerDb;
  std::vector<ChannelStatus> channels;
};

}  // namespace vantrel::sdr
