#include "sdr/channel_extractor.h"

#include <cmath>
#include <numbers>

namespace vantrel::sdr {

namespace {
constexpr int kFilterTaps = 57;         // fits the quarter-block overlap at channel rate
constexpr double kPassbandHz = 3000.0;  // ±3360 Hz of signal plus tracking error
constexpr float kStopbandDb = 60.0f;
constexpr double kRollOff = 0.4;

// Root-raised-cosine pulse (roll-off 0.4), t in bit periods.
double RootRaisedCosine(double t) {
  constexpr double b = kRollOff, pi = std::numbers::pi;
  if (std::fabs(t) < 1e-9) return 1.0 - b + 4.0 * b / pi;
  if (std::fabs(std::fabs(t) - 1.0 / (4.0 * b)) < 1e-9) {
    return b / std::sqrt(2.0) *
           ((1.0 + 2.0 / pi) * std::sin(pi / (4.0 * b)) +
            (1.0 - 2.0 / pi) * std::cos(pi / (4.0 * b)));
  }
  return (std::sin(pi * t * (1.0 - b)) + 4.0 * b * t * std::cos(pi * t * (1.0 + b))) /
         (pi * t * (1.0 - 16.0 * b * b * t * t));
}
}  // namespace

ChannelExtractor::ChannelExtractor(const BandTransform& band, double carrierHz, bool matched)
    : band_(band), carrierHz_(carrierHz), response_(kChannelBins) {
  const double channelRate = band.sampleRate() / band.decimation();
  std::vector<float> taps(kFilterTaps);
  if (matched) {
    // The filter matched to the downlink's root-raised-cosine pulse: the
    // least noise for the signal, and with the sender's pulse no
    // intersymbol interference at the bits' middles.
    for (int i = 0; i < kFilterTaps; ++i) {
      const double t = (i - (kFilterTaps - 1) / 2.0) * kSymbolRate / channelRate;
      taps[i] = static_cast<float>(RootRaisedCosine(t));
    }
  } else {
    liquid_firdes_kaiser(kFilterTaps, static_cast<float>(std::min(0.45, kPassbandHz / channelRate)),
                         kStopbandDb, 0.0f, taps.data());
  }
  float gain = 0.0f;
  for (float t : taps) gain += t;
  for (int k = 0; k < kChannelBins; ++k) {
    std::complex<double> sum = 0.0;
    for (int i = 0; i < kFilterTaps; ++i) {
      sum += static_cast<double>(taps[i]) *
             std::polar(1.0, -2.0 * std::numbers::pi * k * i / kChannelBins);
    }
    // 1/N undoes the forward transform's gain.
    response_[k] = Complex(sum / static_cast<double>(gain) / static_cast<double>(band.size()));
  }
  std::lock_guard lock(FftPlannerMutex());
  bins_ = fftwf_alloc_complex(kChannelBins);
  time_ = fftwf_alloc_complex(kChannelBins);
  plan_ = fftwf_plan_dft_1d(kChannelBins, bins_, time_, FFTW_BACKWARD, FFTW_ESTIMATE);
  if (std::fabs(channelRate - kChannelTargetRate) > 0.5) {
    resampler_ = resamp_crcf_create_default(static_cast<float>(kChannelTargetRate / channelRate));
  }
}

ChannelExtractor::~ChannelExtractor() {
  std::lock_guard lock(FftPlannerMutex());
  fftwf_destroy_plan(plan_);
  fftwf_free(bins_);
  fftwf_free(time_);
  if (resampler_ != nullptr) resamp_crcf_destroy(resampler_);
}

void ChannelExtractor::Process(const Complex* block, std::vector<Complex>* out) {
  const int size = band_.size();
  const int half = kChannelBins / 2;
  // The bin nearest the carrier becomes 0 Hz; the rest of the offset is
  // mixed away below together with the shift the bin choice made.
  long k0 = std::lround(carrierHz_ / band_.binHz());
  Complex* bins = reinterpret_cast<Complex*>(bins_);
  for (int i = 0; i < kChannelBins; ++i) {
    const int q = (i - half + kChannelBins) % kChannelBins;
    const long bin = ((k0 + i - half) % size + size) % size;
    bins[q] = block[bin] * response_[q];
  }
  fftwf_execute(plan_);
  const Complex* time = reinterpret_cast<const Complex*>(time_);

  const int first = band_.overlap() / band_.decimation();
  const double step = 2.0 * std::numbers::pi * carrierHz_ * band_.decimation() / band_.sampleRate();
  native_.clear();
  for (int m = first; m < kChannelBins; ++m) {
    // Undo the block's shift by k0 bins (relative to the block's start) and
    // mix by the carrier's running phase.
    const double shift =
        2.0 * std::numbers::pi * static_cast<double>((k0 * m) % kChannelBins) / kChannelBins;
    native_.push_back(time[m] * Complex(std::polar(1.0, shift - phase_)));
    phase_ = std::fmod(phase_ + step, 2.0 * std::numbers::pi);
  }
  if (resampler_ == nullptr) {
    out->insert(out->end(), native_.begin(), native_.end());
    return;
  }
  Complex resampled[4];
  for (const Complex& x : native_) {
    unsigned int written = 0;
    resamp_crcf_execute(resampler_, x, resampled, &written);
    out->insert(out->end(), resampled, resampled + written);
  }
}

}  // namespace vantrel::sdr
