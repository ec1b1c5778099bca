#include "sdr/band_worker.h"

#include <utility>

namespace vantrel::sdr {

BandWorker::BandWorker(std::unique_ptr<BandReader> reader)
    : reader_(std::move(reader)),
      receiver_(reader_->sampleRate(), reader_->centreHz()),
      thread_([this] { Run(); }) {}

BandWorker::~BandWorker() {
  stop_ = true;
  thread_.join();
}

void BandWorker::Run() {
  std::vector<Complex> samples;
  std::string error;
  while (!stop_) {
    samples.clear();
    const BandReader::Result result = reader_->Read(&samples, &error);
    if (result == BandReader::Result::Samples) {
      receiver_.Push(samples.data(), samples.size());
      Deliver();
    } else if (result != BandReader::Result::Idle) {
      // The packets still waiting in the finders are not lost with the receiver.
      receiver_.Finish();
      Deliver();
      if (result == BandReader::Result::Failed) {
        const std::lock_guard lock(mutex_);
        failure_ = error.empty() ? "the receiver stopped" : error;
      }
      return;
    }
  }
}

void BandWorker::Deliver() {
  std::vector<SdrPacket> packets = receiver_.TakePackets();
  const bool newSpectrum = receiver_.spectrumSerial() != spectrumSerial_;
  if (packets.empty() && !newSpectrum) return;
  spectrumSerial_ = receiver_.spectrumSerial();
  const std::lock_guard lock(mutex_);
  packets_.insert(packets_.end(), packets.begin(), packets.end());
  if (newSpectrum) {
    if (spectra_.size() == kMaxSpectra) spectra_.erase(spectra_.begin());
    spectra_.push_back(receiver_.spectrum());
  }
}

std::vector<SdrPacket> BandWorker::TakePackets() {
  const std::lock_guard lock(mutex_);
  return std::exchange(packets_, {});
}

std::vector<SpectrumSnapshot> BandWorker::TakeSpectra() {
  const std::lock_guard lock(mutex_);
  return std::exchange(spectra_, {});
}

std::optional<std::string> BandWorker::TakeFailure() {
  const std::lock_guard lock(mutex_);
  return std::exchange(failure_, std::nullopt);
}

}  // namespace vantrel::sdr
