// Cuts one downlink channel out of the band: the band transform's bins
// around the carrier are filtered, brought back to the time domain with a
// small inverse FFT (overlap-save) and mixed down by the exact carrier
// frequency, then resampled to four samples per bit.
#pragma once

#include <fftw3.h>

#include <complex>
#include <vector>

#include "demod/liquid_dsp.h"
#include "sdr/band_transform.h"

namespace vantrel::sdr {

constexpr double kSymbolRate = 4800.0;
constexpr int kSamplesPerSymbol = 4;

class ChannelExtractor {
 public:
  // carrierHz is the carrier's offset from the band's centre; matched: a
  // filter matched to the downlink's root-raised-cosine pulse rather than a
  // plain low-pass one.
  ChannelExtractor(const BandTransform& band, double carrierHz, bool matched = false);
  ~ChannelExtractor();
  ChannelExtractor(const ChannelExtractor&) = delete;
  ChannelExtractor& operator=(const ChannelExtractor&) = delete;

  // Appends the channel's samples (kChannelTargetRate, carrier at 0 Hz) for
  // one block of the band transform.
  void Process(const Complex* block, std::vector<Complex>* out);

  double carrierHz() const { return carrierHz_; }
  // Moves the mixing frequency; the phase stays continuous.
  void SetCarrierHz(double hz) { carrierHz_ = hz; }

 private:
  const BandTransform& band_;
  double carrierHz_;
  double phase_ = 0.0;             // carrier phase at the next channel sample, radians
  std::vector<Complex> response_;  // filter over the kChannelBins bins, baseband order
  fftwf_complex* bins_;
  fftwf_complex* time_;
  fftwf_plan plan_;
  resamp_crcf resampler_ = nullptr;  // when the band rate is no multiple of 19200 Hz
  std::vector<Complex> native_;
};

}  // namespace vantrel::sdr
