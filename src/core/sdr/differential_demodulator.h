// Detection of the downlink's ±90° phase steps on a channel at four samples
// per bit. Each symbol lies on one of two axes that alternate from symbol to
// symbol, so the carrier's phase (modulo 180°) is estimated from the squared
// symbols of a window around it, each symbol read coherently against it, and
// each bit decided from two neighbouring symbols. Symbol timing is recovered
// without decisions from the symbol-rate line of the differential products;
// the same products give the carrier's remaining frequency error. Each bit
// comes out soft: the sign is the bit, the magnitude its reliability (about 1
// for a clean bit), kPhaseWindow bits after its symbol.
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
  // Symbols on each side of a symbol whose squares give its carrier phase;
  // also how many bits late each bit comes out.
  static constexpr int kPhaseWindow = 16;

  // Appends one soft bit per symbol found in samples to *bits.
  void Process(const std::vector<Complex>& samples, std::vector<float>* bits);
  // Appends the bits still waiting for the symbols after them.
  void Flush(std::vector<float>* bits);

  // Carrier frequency error measured since the last call (Hz), and how many
  // symbols it rests on; the caller moves its mixer by a part of it.
  double TakeFrequencyError(int* symbols);

  // Starts with the symbol timing and level another demodulator settled on
  // over the same samples, instead of finding them afresh.
  void AdoptTiming(const DifferentialDemodulator& settled);

 private:
  static constexpr int kHistory = 16;     // power of two, > 4 + interpolator reach
  static constexpr int kSymbolRing = 64;  // power of two, > 2 * kPhaseWindow + 1

  // Decides the bit of the symbol kPhaseWindow before the newest one (or of
  // the newest one itself when flushing).
  void DecideBit(std::int64_t symbol, std::vector<float>* bits);
  std::array<Complex, kHistory> history_{};
  std::int64_t count_ = 0;           // samples seen
  std::complex<double> timingLine_;  // symbol-rate component of the timing metric
  double nextSymbol_ = 8.0;          // position of the next symbol, in samples
  Complex previousSymbol_;
  std::array<Complex, kSymbolRing> symbols_{};  // recent symbols, turned onto one axis
  std::int64_t symbolCount_ = 0;
  std::int64_t decided_ = 0;           // symbols whose bit has been given
  Complex phase_{1.0f, 0.0f};          // carrier direction at the last decided symbol
  float previousValue_ = 0.0f;         // that symbol read coherently
  double level_ = 0.0;                 // running mean of |symbol read coherently|
  std::complex<double> frequencySum_;  // squared products since the last take
  int frequencySymbols_ = 0;
};

}  // namespace vantrel::sdr
