#include "sdr/differential_demodulator.h"

#include <cmath>
#include <numbers>

#include "sdr/channel_extractor.h"

namespace vantrel::sdr {

namespace {
constexpr double kTimingSmoothing = 1.0 / 512.0;  // about 128 bits
constexpr double kTimingGain = 0.05;              // share of the timing error taken per bit
constexpr double kLevelSmoothing = 1.0 / 64.0;
// -j^n: turns symbol n onto the axis of symbol 0.
constexpr std::array<Complex, 4> kAxisTurn{{{1, 0}, {0, -1}, {-1, 0}, {0, 1}}};
// e^{-j 2 pi n / 4}: the symbol-rate line at four samples per bit.
constexpr std::array<std::complex<double>, 4> kSymbolPhasor{{{1, 0}, {0, -1}, {-1, 0}, {0, 1}}};
}  // namespace

Complex InterpolateRing(const Complex* ring, std::size_t size, double position) {
  const auto i = static_cast<std::int64_t>(std::floor(position));
  const float mu = static_cast<float>(position - static_cast<double>(i));
  auto at = [&](std::int64_t n) { return ring[static_cast<std::size_t>(n) & (size - 1)]; };
  const Complex ym1 = at(i - 1), y0 = at(i), y1 = at(i + 1), y2 = at(i + 2);
  const float c0 = -mu * (mu - 1) * (mu - 2) / 6, c1 = (mu + 1) * (mu - 1) * (mu - 2) / 2;
  const float c2 = -(mu + 1) * mu * (mu - 2) / 2, c3 = (mu + 1) * mu * (mu - 1) / 6;
  return ym1 * c0 + y0 * c1 + y1 * c2 + y2 * c3;
}

void DifferentialDemodulator::Process(const std::vector<Complex>& samples,
                                      std::vector<float>* bits) {
  for (const Complex& y : samples) {
    const std::int64_t n = count_++;
    history_[static_cast<std::size_t>(n) & (kHistory - 1)] = y;
    if (n < kSamplesPerSymbol) continue;
    // One bit apart, a clean signal turns by ±90°, so -d² points along the
    // real axis at the bit's middle and away from it between bits: its
    // real part rises and falls once per bit, peaking at the bit's middle.
    const Complex d =
        y * std::conj(history_[static_cast<std::size_t>(n - kSamplesPerSymbol) & (kHistory - 1)]);
    const double power = std::norm(d);
    if (power > 0.0) {
      const double metric = -std::real(std::complex<double>(d) * std::complex<double>(d)) / power;
      timingLine_ += kTimingSmoothing * (metric * kSymbolPhasor[n & 3] - timingLine_);
    }
    // Interpolation reaches two samples past the symbol's position.
    while (nextSymbol_ + 2.0 <= static_cast<double>(n)) {
      const Complex symbol = InterpolateRing(history_.data(), kHistory, nextSymbol_);
      symbols_[static_cast<std::size_t>(symbolCount_) & (kSymbolRing - 1)] =
          symbol * kAxisTurn[static_cast<std::size_t>(symbolCount_) & 3];
      ++symbolCount_;
      if (symbolCount_ > kPhaseWindow) DecideBit(symbolCount_ - 1 - kPhaseWindow, bits);
      // The frequency error from consecutive symbols alone, unbiased by the reference's memory.
      const Complex step = symbol * std::conj(previousSymbol_);
      previousSymbol_ = symbol;
      // Only steps that look like ±90° count: an unmodulated carrier (0°
      // steps) would otherwise read as a 1200 Hz error and pull the mixer
      // away just before the first packet.
      const std::complex<double> squared = -std::complex<double>(step) * std::complex<double>(step);
      if (squared.real() > 0.0) {
        frequencySum_ += squared;
        ++frequencySymbols_;
      }

      // The metric's line peaks at the bit's middle; steer towards it.
      const double peak = -std::arg(timingLine_) * kSamplesPerSymbol / (2 * std::numbers::pi);
      double error = peak - std::fmod(nextSymbol_, kSamplesPerSymbol);
      error -= kSamplesPerSymbol * std::round(error / kSamplesPerSymbol);
      if (!std::isfinite(error)) error = 0.0;
      nextSymbol_ += kSamplesPerSymbol + kTimingGain * error;
    }
  }
}

void DifferentialDemodulator::DecideBit(std::int64_t symbol, std::vector<float>* bits) {
  // Turned onto one axis, every symbol is ±1 times the carrier's direction:
  // its square, summed over the window, points twice that way whatever the
  // bits. A window centred on the symbol is unbiased by a slow phase drift.
  std::complex<double> sum = 0.0;
  const std::int64_t last = std::min(symbol + kPhaseWindow, symbolCount_ - 1);
  for (std::int64_t k = std::max<std::int64_t>(0, symbol - kPhaseWindow); k <= last; ++k) {
    const std::complex<double> u = symbols_[static_cast<std::size_t>(k) & (kSymbolRing - 1)];
    sum += u * u;
  }
  if (std::abs(sum) > 0.0) {
    // The square root's sign is the one nearer the last direction: the
    // phase moves on smoothly and no bit flips where the argument wraps.
    Complex direction = std::polar(1.0f, static_cast<float>(std::arg(sum) / 2.0));
    if (std::real(direction * std::conj(phase_)) < 0.0f) direction = -direction;
    phase_ = direction;
  }
  const float value =
      std::real(symbols_[static_cast<std::size_t>(symbol) & (kSymbolRing - 1)] * std::conj(phase_));
  level_ += kLevelSmoothing * (std::fabs(value) - level_);
  // The bit is the step between two neighbouring symbols; it is as reliable
  // as the weaker of them. One symbol misread makes two neighbouring bits wrong.
  const float magnitude = std::min(std::fabs(value), std::fabs(previousValue_));
  const float bit = value * previousValue_ >= 0.0f ? magnitude : -magnitude;
  previousValue_ = value;
  bits->push_back(level_ > 0.0 ? static_cast<float>(bit / level_) : 0.0f);
  decided_ = symbol + 1;
}

void DifferentialDemodulator::Flush(std::vector<float>* bits) {
  while (decided_ < symbolCount_) DecideBit(decided_, bits);
}

void DifferentialDemodulator::AdoptTiming(const DifferentialDemodulator& settled) {
  timingLine_ = settled.timingLine_;
  level_ = settled.level_;
  if (std::abs(timingLine_) == 0.0) return;
  // The first symbol goes where the settled timing puts the bits' middles.
  const double peak = -std::arg(timingLine_) * kSamplesPerSymbol / (2 * std::numbers::pi);
  double offset = std::fmod(peak - nextSymbol_, static_cast<double>(kSamplesPerSymbol));
  if (offset < 0.0) offset += kSamplesPerSymbol;
  nextSymbol_ += offset;
}

double DifferentialDemodulator::TakeFrequencyError(int* symbols) {
  *symbols = frequencySymbols_;
  // -z² turns by twice the phase the carrier error adds per bit.
  const double error = frequencySymbols_ > 0 && std::abs(frequencySum_) > 0.0
                           ? std::arg(frequencySum_) * kSymbolRate / (4 * std::numbers::pi)
                           : 0.0;
  frequencySum_ = 0.0;
  frequencySymbols_ = 0;
  return error;
}

}  // namespace vantrel::sdr
