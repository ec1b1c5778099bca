// Splits the band's samples into overlapping blocks and transforms each
// with one FFT. The transforms feed both the band spectrum and every
// channel's fast-convolution filter (overlap-save), so the whole band costs
// one FFT per block however many channels are open.
#pragma once

#include <fftw3.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "sdr/iq_format.h"

namespace vantrel::sdr {

// Channels come out at about 19200 samples/s: four per bit.
constexpr double kChannelTargetRate = 19200.0;
// Bins of one channel's inverse transform.
constexpr int kChannelBins = 256;

// FFTW's planner is not thread-safe; every plan is made and destroyed under this.
std::mutex& FftPlannerMutex();

class BandTransform {
 public:
  // block is the transform of one block; firstSample is the index (counted
  // from the stream's start) of the first of the step() new samples it
  // adds; the block begins overlap() samples before it.
  using BlockHandler = std::function<void(const Complex* block, std::int64_t firstSample)>;

  explicit BandTransform(double sampleRate);
  ~BandTransform();
  BandTransform(const BandTransform&) = delete;
  BandTransform& operator=(const BandTransform&) = delete;

  void Push(const Complex* samples, std::size_t count, const BlockHandler& handler);

  double sampleRate() const { return sampleRate_; }
  int decimation() const { return decimation_; }  // band samples per channel sample
  int size() const { return size_; }              // FFT length N
  int overlap() const { return overlap_; }
  int step() const { return size_ - overlap_; }
  double binHz() const { return sampleRate_ / size_; }

 private:
  double sampleRate_;
  int decimation_;
  int size_;
  int overlap_;
  std::vector<Complex> input_;  // size_ samples: overlap_ old ones, then new ones
  int filled_;
  std::int64_t nextFirst_ = 0;
  fftwf_complex* in_;
  fftwf_complex* out_;
  fftwf_plan plan_;
};

}  // namespace vantrel::sdr
