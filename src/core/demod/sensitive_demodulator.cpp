#include "demod/sensitive_demodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel {

namespace {

// Loop constants, per bit: level tracking settles in about 30 bits, the bit
// clock's energy profile averages over 16 bits and the clock follows it
// with a small gain (fast enough for a sound card 1000 ppm off).
constexpr float kLevelRate = 1.0f / 32;
constexpr float kEnergyRate = 1.0f / 16;
constexpr double kClockGain = 0.05;
constexpr double kPeriodGain = 0.0001;
constexpr double kNominalPeriod = 10.0;
constexpr double kMaxPeriodError = 0.001;  // 1000 ppm
// A sample further from the DC level than this many pulse heights is a click.
constexpr float kClickHeights = 2.5f;
constexpr float kPulseAttack = 1.0f / 8, kPulseRelease = 1.0f / 1024;
// Reliability of a bit read through a click or clipping, against 1 for a clean bit.
constexpr float kClickReliability = 0.25f;
constexpr float kClippedReliability = 0.5f;
constexpr float kMaxSoft = 2.0f;
// The clock's energy profile shows pulses when its peak stands this far over its trough.
constexpr float kPulsesRatio = 1.5f;
// A signal came back when the last few bits' power exceeds the long-run
// power this many times; its clock and levels are taken from its first
// kAcquireBits bits, which are then read again with the bits kLeadBits
// before them, where a packet may have started before the rise showed.
constexpr float kRiseRatio = 4.0f;
constexpr float kRecentRate = 1.0f / 4, kLongRate = 1.0f / 128;
constexpr int kAcquireBits = 48;
constexpr int kLeadBits = 8;
// Matched filters: raised cosines of these half widths (samples between the
// centre and the zeros, nothing beyond). The first fits the pulse behind a
// receiver's usual filters, the second the 5-sample pulse behind a wider one;
// a width between them does about as well with either.
constexpr std::array<double, 2> kHalfWidths = {4.5, 2.5};
constexpr float kShapeRate = 1.0f / 256;
constexpr int kShapeCheckBits = 64;
// Another width is taken when its score beats the current one's by this much.
constexpr float kShapeMargin = 1.05f;

const std::array<float, 9>& ShapeTaps(int shape) {
  static const auto table = [] {
    std::array<std::array<float, 9>, kHalfWidths.size()> t{};
    for (std::size_t c = 0; c < kHalfWidths.size(); ++c) {
      for (int j = 0; j < 9; ++j) {
        const double u = std::clamp((j - 4) / kHalfWidths[c], -1.0, 1.0);
        t[c][j] = static_cast<float>(0.5 * (1.0 + std::cos(std::numbers::pi * u)));
      }
    }
    return t;
  }();
  return table[static_cast<std::size_t>(shape)];
}

}  // namespace

SensitiveDemodulator::SensitiveDemodulator(SoftPacketFinder::Handler handler)
    : finder_(std::move(handler)) {
  Reset();
}

void SensitiveDemodulator::UseShape(int shape) {
  shape_ = shape;
  taps_ = ShapeTaps(shape);
  tapSum_ = tapEnergy_ = 0.0f;
  for (const float t : taps_) {
    tapSum_ += t;
    tapEnergy_ += t * t;
  }
  filter_.reset(firfilt_rrrf_create(taps_.data(), kTaps));
}

void SensitiveDemodulator::ScoreShapes(long long n0, float frac) {
  for (int c = 0; c < kShapes; ++c) {
    const auto& taps = ShapeTaps(c);
    float energy = 0.0f, here = 0.0f, next = 0.0f;
    for (int j = 0; j < kTaps; ++j) {
      energy += taps[j] * taps[j];
      here += taps[j] * (x_[(n0 - 4 + j) & (kHistory - 1)] - dc_);
      next += taps[j] * (x_[(n0 - 3 + j) & (kHistory - 1)] - dc_);
    }
    const float y = (1.0f - frac) * here + frac * next;
    shapeScore_[c] += kShapeRate * (y * y / energy - shapeScore_[c]);
  }
  if (++scoredBits_ % kShapeCheckBits != 0) return;
  const int best = static_cast<int>(std::max_element(shapeScore_.begin(), shapeScore_.end()) -
                                    shapeScore_.begin());
  if (best == shape_ || shapeScore_[best] < kShapeMargin * shapeScore_[shape_]) return;
  // The new filter's output for a clean bit, from the scores: the levels
  // learnt with the old one carry over.
  const float oldEnergy = tapEnergy_;
  const float oldScore = shapeScore_[shape_];
  UseShape(best);
  const float scale =
      oldScore > 0.0f ? std::sqrt(shapeScore_[best] * tapEnergy_ / (oldScore * oldEnergy)) : 1.0f;
  gain_ *= scale;
  pulseLevel_ *= scale;
  for (float& e : energy_) e *= scale * scale;
  // The outputs still to be read come from the new filter: those kept are
  // recomputed, the rest of the block is filtered again (Feed).
  for (long long m = samples_ - kHistory / 2; m + kTaps / 2 < samples_; ++m) {
    float y = 0.0f;
    for (int j = 0; j < kTaps; ++j) y += taps_[j] * x_[(m - kTaps / 2 + j) & (kHistory - 1)];
    filtered_[m & (kHistory - 1)] = y;
  }
  for (long long m = samples_ - (kTaps - 1); m < samples_; ++m)
    firfilt_rrrf_push(filter_.get(), x_[m & (kHistory - 1)]);
  refilter_ = true;
}

SensitiveDemodulator::~SensitiveDemodulator() = default;

void SensitiveDemodulator::Reset() {
  finder_.Reset();
  UseShape(0);
  shapeScore_.fill(0.0f);
  scoredBits_ = 0;
  x_.fill(0.0f);
  clipped_.fill(0);
  filtered_.fill(0.0f);
  energy_.fill(0.0f);
  samples_ = 0;
  strobe_ = 4.0 + kTaps;  // any phase: the clock finds the pulses
  period_ = kNominalPeriod;
  dc_ = gain_ = turn_ = pulseLevel_ = 0.0f;
  bits_ = 0;
  recentPower_ = longPower_ = 0.0f;
  // The stream's start is a signal coming back like any other: a packet at
  // its very beginning is read again with the clock and levels of its bits.
  sinceRise_ = 0;
  sinceReacquired_ = 0;
}

void SensitiveDemodulator::Feed(const std::uint8_t* samples, int count) {
  block_.resize(static_cast<std::size_t>(count));
  blockFiltered_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) block_[i] = static_cast<float>(samples[i]) - 128.0f;
  firfilt_rrrf_execute_block(filter_.get(), block_.data(), static_cast<unsigned>(count),
                             blockFiltered_.data());
  for (int i = 0; i < count; ++i) {
    const long long n = samples_++;
    x_[n & (kHistory - 1)] = block_[i];
    clipped_[n & (kHistory - 1)] = samples[i] == 0 || samples[i] == 255;
    // The filter's output for the window ending at n is centred on n - 4.
    filtered_[(n - kTaps / 2) & (kHistory - 1)] = blockFiltered_[i];
    // A strobe needs the filter outputs up to 5 samples past it.
    while (static_cast<long long>(std::floor(strobe_)) + 5 <= n - kTaps / 2) Strobe();
    if (refilter_ && i + 1 < count) {
      firfilt_rrrf_execute_block(filter_.get(), block_.data() + i + 1,
                                 static_cast<unsigned>(count - i - 1),
                                 blockFiltered_.data() + i + 1);
    }
    refilter_ = false;
  }
}

void SensitiveDemodulator::Strobe() {
  const auto n0 = static_cast<long long>(std::floor(strobe_));
  const auto frac = static_cast<float>(strobe_ - static_cast<double>(n0));
  const float level = dc_ * tapSum_;
  const auto at = [&](long long m) { return filtered_[m & (kHistory - 1)] - level; };
  const float r = (1.0f - frac) * at(n0) + frac * at(n0 + 1);

  // The bit's ten samples around the pulse: their sum is the phase turn.
  const float clickLevel = kClickHeights * pulseLevel_ / tapEnergy_;
  float turnSum = 0.0f;
  bool click = false, clipped = false;
  for (long long m = n0 - 4; m <= n0 + 5; ++m) {
    const float v = x_[m & (kHistory - 1)] - dc_;
    turnSum += v;
    clipped = clipped || clipped_[m & (kHistory - 1)] != 0;
    click = click || (bits_ > 64 && std::abs(v) > clickLevel);
  }

  const float rate = std::max(kLevelRate, 1.0f / static_cast<float>(bits_ + 1));
  // The gain follows every bit, clicks limited, so that a level learnt on
  // noise alone cannot make every later pulse look like a click.
  gain_ += rate * ((gain_ > 0.0f ? std::min(std::abs(r), 2.0f * gain_) : std::abs(r)) - gain_);
  // The level clicks are measured against rises quickly with a signal and
  // falls slowly, so gaps between packets do not make the next pulses clicks.
  const float pulse = pulseLevel_ > 0.0f ? std::min(std::abs(r), 2.0f * pulseLevel_) : std::abs(r);
  pulseLevel_ += (pulse > pulseLevel_ ? kPulseAttack : kPulseRelease) * (pulse - pulseLevel_);
  float soft;
  if (!click || turn_ <= 0.0f) {
    // The DC level follows the bits' decisions while there are pulses to
    // decide, and the plain mean while there are none (a pause): decisions
    // on a pause would hold it a whole pulse height off, every sample read
    // as a pulse of one sign.
    const auto [low, high] = std::minmax_element(energy_.begin(), energy_.end());
    const bool pulses = *high > kPulsesRatio * *low;
    const float d = !pulses ? 0.0f : r >= 0.0f ? 1.0f : -1.0f;
    if (pulses && !clipped) ScoreShapes(n0, frac);
    dc_ += rate * (r - gain_ * d) / tapSum_;
    // Clicks and clipping must not pull the turn's size; a wrong start heals.
    const float size = turn_ > 0.0f ? std::clamp(std::abs(turnSum), 0.5f * turn_, 2.0f * turn_)
                                    : std::abs(turnSum);
    turn_ += rate * (size - turn_);
    soft = gain_ > 0.0f ? std::clamp(r / gain_, -kMaxSoft, kMaxSoft) : 0.0f;
    // Clipping squeezes the pulse but rarely turns its sign.
    if (clipped) soft *= kClippedReliability;
    // Where the filter's output is strongest is where the pulses are centred.
    for (int j = 0; j < 10; ++j) {
      const float v = at(n0 - 4 + j);
      energy_[j] += kEnergyRate * (v * v - energy_[j]);
    }
  } else {
    // A click adds a whole turn: read the phase turn modulo four quarter turns.
    float q = turnSum / turn_;
    q -= 4.0f * std::round(q / 4.0f);
    soft = kClickReliability * std::clamp(q, -1.0f, 1.0f);
  }
  finder_.Push(soft);
  ++bits_;

  // Power over the whole bit, whatever the clock's phase.
  float power = 0.0f;
  for (int j = 0; j < 10; ++j) power += at(n0 - 4 + j) * at(n0 - 4 + j);
  recentPower_ += kRecentRate * (power - recentPower_);
  ++sinceReacquired_;
  if (sinceRise_ >= 0) {
    if (++sinceRise_ == kAcquireBits) {
      Reacquire();
      return;
    }
  } else if (bits_ > 64 && sinceReacquired_ > kAcquireBits + kLeadBits &&
             recentPower_ > kRiseRatio * longPower_) {
    sinceRise_ = 0;
  } else {
    longPower_ += kLongRate * (power - longPower_);
  }

  // Bit clock: move the strobe toward the energy peak (offset j - 4 from n0).
  const int peak =
      static_cast<int>(std::max_element(energy_.begin(), energy_.end()) - energy_.begin());
  const float before = energy_[(peak + 9) % 10], here = energy_[peak],
              after = energy_[(peak + 1) % 10];
  const float curvature = before - 2.0f * here + after;
  const float shift = curvature < 0.0f ? 0.5f * (before - after) / curvature : 0.0f;
  double error = (peak - 4) + shift - frac;
  error -= 10.0 * std::round(error / 10.0);
  period_ =
      std::clamp(period_ + kPeriodGain * error, kNominalPeriod - kMaxPeriodError * kNominalPeriod,
                 kNominalPeriod + kMaxPeriodError * kNominalPeriod);
  strobe_ += period_ + kClockGain * error;
}

void SensitiveDemodulator::Reacquire() {
  // The DC level of the bits since the rise (a pause's may differ, as with a
  // squelch or a carrier coming back): their plain mean first.
  const auto first = static_cast<long long>(std::floor(strobe_ - (kAcquireBits - 1) * period_)) - 4;
  const auto last = static_cast<long long>(std::floor(strobe_)) + 5;
  float mean = 0.0f;
  for (long long m = first; m <= last; ++m) mean += x_[m & (kHistory - 1)];
  dc_ = mean / static_cast<float>(last - first + 1);
  // The energy profile of the bits since the rise alone, on the current grid.
  std::array<float, 10> profile{};
  const float level = dc_ * tapSum_;
  const auto at = [&](long long m) { return filtered_[m & (kHistory - 1)] - level; };
  for (int k = 0; k < kAcquireBits; ++k) {
    const auto n0 = static_cast<long long>(std::floor(strobe_ - k * period_));
    for (int j = 0; j < 10; ++j) profile[j] += at(n0 - 4 + j) * at(n0 - 4 + j) / kAcquireBits;
  }
  // Runs of equal bits flatten the profile; it still dips between bits where
  // they change, so the centre is where the profile stands highest over the
  // point half a bit away.
  std::array<float, 10> contrast{};
  for (int j = 0; j < 10; ++j) contrast[j] = profile[j] - profile[(j + 5) % 10];
  const int peak =
      static_cast<int>(std::max_element(contrast.begin(), contrast.end()) - contrast.begin());
  const float before = contrast[(peak + 9) % 10], here = contrast[peak],
              after = contrast[(peak + 1) % 10];
  const float curvature = before - 2.0f * here + after;
  const float shift = curvature < 0.0f ? 0.5f * (before - after) / curvature : 0.0f;
  const double frac = strobe_ - std::floor(strobe_);
  double error = (peak - 4) + shift - frac;
  error -= 10.0 * std::round(error / 10.0);
  energy_ = profile;
  // The pulses' own level: the filter output at their centres.
  const float pulse = std::sqrt(std::max(profile[peak], 0.0f));
  gain_ = pulseLevel_ = pulse;
  // And their turn: the sum of a bit's samples around its centre. The turns
  // of more ones than zeros moved the plain mean: the decisions take it back.
  std::array<float, kAcquireBits> sums{};
  float turn = 0.0f;
  for (int k = 0; k < kAcquireBits; ++k) {
    const auto n0 = static_cast<long long>(std::floor(strobe_ + error - k * period_));
    for (long long m = n0 - 4; m <= n0 + 5; ++m) sums[k] += x_[m & (kHistory - 1)] - dc_;
    turn += std::abs(sums[k]) / kAcquireBits;
  }
  float imbalance = 0.0f;
  for (const float sum : sums) imbalance += sum - (sum >= 0.0f ? turn : -turn);
  dc_ += imbalance / (10.0f * kAcquireBits);
  turn_ = turn;
  // At the stream's start there is nothing before the first bit to read again.
  const auto back = std::min<long long>(kAcquireBits + kLeadBits, bits_);
  strobe_ += error - static_cast<double>(back) * period_;
  finder_.Rewind(static_cast<int>(back));
  bits_ -= back;
  longPower_ = recentPower_;
  sinceRise_ = -1;
  sinceReacquired_ = 0;
}

}  // namespace vantrel
