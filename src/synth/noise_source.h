// Gaussian noise for the synthesizers.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace vantrel::synth {

// Gaussian noise from a fully specified engine (Box-Muller), so a seed gives
// the same samples with every standard library.
class NoiseSource {
 public:
  NoiseSource(double sigma, std::uint32_t seed) : sigma_(sigma), engine_(seed) {}
  double Next() {
    if (sigma_ <= 0.0) return 0.0;
    if (haveSpare_) {
      haveSpare_ = false;
      return spare_;
    }
    constexpr double kScale = 1.0 / 4294967296.0;
    const double u1 = (static_cast<double>(engine_()) + 1.0) * kScale;  // (0, 1]
    const double u2 = static_cast<double>(engine_()) * kScale;
    const double radius = sigma_ * std::sqrt(-2.0 * std::log(u1));
    const double angle = 2.0 * std::numbers::pi * u2;
    spare_ = radius * std::sin(angle);
    haveSpare_ = true;
    return radius * std::cos(angle);
  }

 private:
  double sigma_;
  std::mt19937 engine_;
  bool haveSpare_ = false;
  double spare_ = 0.0;
};

}  // namespace vantrel::synth
