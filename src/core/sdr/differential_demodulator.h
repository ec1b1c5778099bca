// Differential detection of the downlink's ±90° phase steps on a channel at
// four samples per bit, each bit read against a decision-aided phase
// reference of the last few symbols. Symbol timing is recovered without
// decisions from the symbol-rate line of the differential products; the
// same products give the carrier's remaining frequency error. Each bit comes out soft: the sign
// is the bit, the magnitude its reliability (about 1 for a clean bit).
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

#include "sdr/iq_format.h"

namespace vantrel::sdr {

// Cubic Lagrange interpolation at a position between samples i and i + 1 of
// a ring whose size is a power of two, from samples i - 1 .. i + 2.
Complex InterpolateRing(const Complex* ring, std::size_t size, double position);

class DifferentialDemodulator {
 public:
  // Appends one soft bit per symbol found in samples to *bits.
  void Process(const std::vector<Complex>& samples, std::vector<float>* bits);

  // Carrier frequency error measured since the last call (Hz), and how many
  // symbols it rests on; the caller moves its mixer by a part of it.
  double TakeFrequencyError(int* symbols);

  // Starts with the symbol timing and level another demodulator settled on
  // over the same samples, instead of finding them afresh.
  void AdoptTiming(const DifferentialDemodulator& settled);

 private:
  static constexpr int kHistory = 16;  // power of two, > 4 + interpolator reach
  std::array<Complex, kHistory> history_{};
  std::int64_t count_ = 0;           // samples seen
  std::complex<double> timingLine_;  // symbol-rate component of the timing metric
  double nextSymbol_ = 8.0;          // position of the next symbol, in samples
  Complex previousSymbol_;
  Complex reference_;                  // decision-aided phase reference for the next symbol
  double level_ = 0.0;                 // running mean of |differential product|
  std::complex<double> frequencySum_;  // squared products since the last take
  int frequencySymbols_ = 0;
};

}  // namespace vantrel::sdr
