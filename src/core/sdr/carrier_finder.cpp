#include "sdr/carrier_finder.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sdr {

namespace {
constexpr double kHumpWidthHz = 3600.0;  // the middle of a downlink's hump
constexpr double kShoulderHz = 1500.0;   // both sides of a hump's centre stand up too
constexpr double kShoulderRatio = 1.4;
}  // namespace

CarrierFinder::CarrierFinder(const std::vector<double>& power, double binHz)
    : centred_(power.size()), binHz_(binHz) {
  const std::size_t half = power.size() / 2;
  for (std::size_t i = 0; i < power.size(); ++i)
    centred_[i] = power[(i + power.size() - half) % power.size()];
  wide_ = Smooth(kHumpWidthHz);
  narrow_ = Smooth(kHumpWidthHz / 3);
  if (!wide_.empty()) {
    std::vector<double> sorted = wide_;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2),
                     sorted.end());
    floor_ = sorted[sorted.size() / 2];
  }
}

std::vector<double> CarrierFinder::Smooth(double widthHz, bool circular) const {
  const int n = static_cast<int>(centred_.size());
  const int half = std::min(std::max(1, static_cast<int>(widthHz / binHz_ / 2)), (n - 1) / 2);
  // Circular smoothing runs over the spectrum with half a width of it
  // repeated on either side.
  const int pad = circular ? half : 0;
  std::vector<double> prefix(static_cast<std::size_t>(n + 2 * pad) + 1, 0.0);
  for (int i = 0; i < n + 2 * pad; ++i) prefix[i + 1] = prefix[i] + centred_[(i - pad + n) % n];
  std::vector<double> out(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const int lo = std::max(0, i + pad - half), hi = std::min(n + 2 * pad, i + pad + half + 1);
    out[i] = (prefix[hi] - prefix[lo]) / (hi - lo);
  }
  return out;
}

std::optional<double> CarrierFinder::FindSingle() const {
  const std::vector<double> hump = Smooth(kHumpWidthHz, true);
  const std::vector<double> quiet = Smooth(kHumpWidthHz / 3, true);
  if (hump.empty()) return std::nullopt;
  const auto peak = std::max_element(hump.begin(), hump.end());
  const double floor = *std::min_element(quiet.begin(), quiet.end());
  if (*peak <= kSingleRatio * floor) return std::nullopt;
  const long n = static_cast<long>(hump.size());
  return static_cast<double>(peak - hump.begin() - n / 2) * binHz_;
}

double CarrierFinder::At(const std::vector<double>& smoothed, double offsetHz) const {
  const long n = static_cast<long>(smoothed.size());
  const long i = std::clamp(std::lround(offsetHz / binHz_) + n / 2, 0L, n - 1);
  return n > 0 ? smoothed[i] : 0.0;
}

double CarrierFinder::LevelAt(double offsetHz) const {
  return floor_ > 0.0 ? At(wide_, offsetHz) / floor_ : 0.0;
}

std::vector<double> CarrierFinder::Find(const std::vector<double>& taken, double spacingHz) const {
  std::vector<double> found;
  if (floor_ <= 0.0) return found;
  const long n = static_cast<long>(wide_.size());
  const double edge = n / 2 * binHz_ - spacingHz / 2;
  std::vector<std::pair<double, double>> peaks;  // level, offset
  for (long i = 1; i + 1 < n; ++i) {
    const double level = wide_[i];
    if (level < kDetectRatio * floor_ || level < wide_[i - 1] || level < wide_[i + 1]) continue;
    const double offset = static_cast<double>(i - n / 2) * binHz_;
    if (std::fabs(offset) > edge) continue;
    if (At(narrow_, offset - kShoulderHz) < kShoulderRatio * floor_ ||
        At(narrow_, offset + kShoulderHz) < kShoulderRatio * floor_) {
      continue;
    }
    peaks.emplace_back(level, offset);
  }
  std::sort(peaks.begin(), peaks.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<double> near = taken;
  for (const auto& [level, offset] : peaks) {
    const bool clear = std::none_of(near.begin(), near.end(), [&, o = offset](double f) {
      return std::fabs(f - o) < spacingHz;
    });
    if (!clear) continue;
    found.push_back(offset);
    near.push_back(offset);
  }
  return found;
}

}  // namespace vantrel::sdr
