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

bool CarrierFinder::IsHump(long i) const {
  const double level = wide_[i];
  if (level < kDetectRatio * floor_ || level < wide_[i - 1] || level < wide_[i + 1]) return false;
  // A spur or other narrow line has no shoulders.
  const double offset = static_cast<double>(i - static_cast<long>(wide_.size()) / 2) * binHz_;
  return At(narrow_, offset - kShoulderHz) >= kShoulderRatio * floor_ &&
         At(narrow_, offset + kShoulderHz) >= kShoulderRatio * floor_;
}

std::optional<double> CarrierFinder::HumpNear(double offsetHz, double rangeHz) const {
  const long n = static_cast<long>(wide_.size());
  if (floor_ <= 0.0 || n < 3) return std::nullopt;
  const long lo = std::max(1L, std::lround((offsetHz - rangeHz) / binHz_) + n / 2);
  const long hi = std::min(n - 2, std::lround((offsetHz + rangeHz) / binHz_) + n / 2);
  long best = -1;
  for (long i = lo; i <= hi; ++i)
    if (IsHump(i) && (best < 0 || wide_[i] > wide_[best])) best = i;
  if (best < 0) return std::nullopt;
  // A hump's top is flat and noisy; its flanks are steep. The centre is
  // midway between where it falls to half its height over the floor.
  const double half = 0.5 * (wide_[best] + floor_);
  long left = best, right = best;
  while (left > 0 && wide_[left - 1] > half) --left;
  while (right + 1 < n && wide_[right + 1] > half) ++right;
  return (0.5 * static_cast<double>(left + right) - static_cast<double>(n / 2)) * binHz_;
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
    const double offset = static_cast<double>(i - n / 2) * binHz_;
    if (std::fabs(offset) <= edge && IsHump(i)) peaks.emplace_back(wide_[i], offset);
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
