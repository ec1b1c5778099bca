#include "sdr/band_worker.h"

#include <chrono>
#include <thread>
#include <utility>

namespace vantrel::sdr {

BandWorker::Shared::Shared(std::unique_ptr<BandReader> reader)
    : reader(std::move(reader)), receiver(this->reader->sampleRate(), this->reader->centreHz()) {}

BandWorker::BandWorker(std::unique_ptr<BandReader> reader)
    : shared_(std::make_shared<Shared>(std::move(reader))) {
  std::promise<void> finished;
  finished_ = finished.get_future();
  std::thread([shared = shared_, finished = std::move(finished)]() mutable {
    shared->Run();
    // The receiver is released here, on the band thread, whatever its driver costs.
    shared->reader.reset();
    finished.set_value();
  }).detach();
}

BandWorker::~BandWorker() {
  shared_->stop = true;
  finished_.wait_for(std::chrono::milliseconds(kStopWaitMs));
}

void BandWorker::Shared::Run() {
  std::vector<Complex> samples;
  std::string error;
  while (!stop) {
    samples.clear();
    const BandReader::Result result = reader->Read(&samples, &error);
    if (stop) return;
    if (result == BandReader::Result::Samples) {
      receiver.Push(samples.data(), samples.size());
      Deliver();
    } else if (result != BandReader::Result::Idle) {
      // The packets still waiting in the finders are not lost with the receiver.
      receiver.Finish();
      Deliver(true);
      if (result == BandReader::Result::Failed) {
        const std::lock_guard lock(mutex);
        failure = error.empty() ? "the receiver stopped" : error;
      }
      ended = true;
      return;
    }
  }
}

void BandWorker::Shared::Deliver(bool final) {
  std::vector<SdrPacket> settled = receiver.TakePackets();
  const bool newSpectrum =
      receiver.spectrumSerial() != spectrumSerial && !(final && spectrumDelivered);
  if (settled.empty() && !newSpectrum) return;
  spectrumSerial = receiver.spectrumSerial();
  const std::lock_guard lock(mutex);
  packets.insert(packets.end(), settled.begin(), settled.end());
  if (newSpectrum) {
    spectrumDelivered = true;
    if (spectra.size() == kMaxSpectra) spectra.erase(spectra.begin());
    spectra.push_back(receiver.spectrum());
  }
}

std::vector<SdrPacket> BandWorker::TakePackets() {
  const std::lock_guard lock(shared_->mutex);
  return std::exchange(shared_->packets, {});
}

std::vector<SpectrumSnapshot> BandWorker::TakeSpectra() {
  const std::lock_guard lock(shared_->mutex);
  return std::exchange(shared_->spectra, {});
}

std::optional<std::string> BandWorker::TakeFailure() {
  const std::lock_guard lock(shared_->mutex);
  return std::exchange(shared_->failure, std::nullopt);
}

}  // namespace vantrel::sdr
