#include "sdr/band_transform.h"

#include <algorithm>
#include <cmath>

namespace vantrel::sdr {

std::mutex& FftPlannerMutex() {
  static std::mutex mutex;
  return mutex;
}

BandTransform::BandTransform(double sampleRate)
    : sampleRate_(sampleRate),
      decimation_(std::max(1, static_cast<int>(std::lround(sampleRate / kChannelTargetRate)))),
      size_(kChannelBins * decimation_),
      // A quarter of the block covers the channel filter's impulse response.
      overlap_(size_ / 4),
      input_(static_cast<std::size_t>(size_)),
      filled_(overlap_) {
  std::lock_guard lock(FftPlannerMutex());
  in_ = fftwf_alloc_complex(static_cast<std::size_t>(size_));
  out_ = fftwf_alloc_complex(static_cast<std::size_t>(size_));
  plan_ = fftwf_plan_dft_1d(size_, in_, out_, FFTW_FORWARD, FFTW_ESTIMATE);
}

BandTransform::~BandTransform() {
  std::lock_guard lock(FftPlannerMutex());
  fftwf_destroy_plan(plan_);
  fftwf_free(in_);
  fftwf_free(out_);
}

void BandTransform::Push(const Complex* samples, std::size_t count, const BlockHandler& handler) {
  while (count > 0) {
    const std::size_t take = std::min(count, static_cast<std::size_t>(size_ - filled_));
    std::copy_n(samples, take, input_.begin() + filled_);
    filled_ += static_cast<int>(take);
    samples += take;
    count -= take;
    if (filled_ < size_) break;
    std::copy(input_.begin(), input_.end(), reinterpret_cast<Complex*>(in_));
    fftwf_execute(plan_);
    handler(reinterpret_cast<const Complex*>(out_), nextFirst_);
    nextFirst_ += step();
    std::copy(input_.end() - overlap_, input_.end(), input_.begin());
    filled_ = overlap_;
  }
}

}  // namespace vantrel::sdr
